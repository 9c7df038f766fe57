#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tq {

class Environment;

// A new random identifier in the usual 8-4-4-4-12 upper-case form, or nothing when the system
// has no randomness to give.
std::optional<std::string> makeUuid();

// The UUID facility of one environment: identifiers from makeUuid, unless a test puts another
// source in its place (one that has no randomness to give, say).
class UuidFactory {
public:
    using Source = std::function<std::optional<std::string>()>;

    explicit UuidFactory(Environment&) {}
    std::optional<std::string> make() const { return source_ ? source_() : makeUuid(); }
    void setSource(Source source) { source_ = std::move(source); }

private:
    Source source_;
};

}  // namespace tq
