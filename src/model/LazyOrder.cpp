#include "model/LazyOrder.h"

#include "platform/foundation/Numbers.h"

namespace tq {

std::optional<std::int64_t> orderFromText(const std::optional<std::string>& orderText) {
    return parseInt64(orderText ? std::string_view(*orderText) : std::string_view("0"));
}

std::optional<std::int64_t> LazyOrder::get(const std::optional<std::string>& orderText) const {
    if (!computed_) {
        value_ = orderFromText(orderText);
        computed_ = true;
    }
    return value_;
}

}  // namespace tq
