#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tq {

// The place of a point or a content in its list, taken from its order text on first use and kept
// from then on (an unreadable text is remembered as no order too): sorting reads it many times,
// and a later renumbering of the text must not move an element that was already placed.
class LazyOrder {
public:
    std::optional<std::int64_t> get(const std::optional<std::string>& orderText) const;
    bool computed() const { return computed_; }

private:
    mutable bool computed_ = false;
    mutable std::optional<std::int64_t> value_;
};

// The whole-number rule of order texts: an absent text counts as "0"; otherwise an optional sign
// and ASCII digits only, within 64 bits. Anything else has no order.
std::optional<std::int64_t> orderFromText(const std::optional<std::string>& orderText);

}  // namespace tq
