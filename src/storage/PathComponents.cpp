#include "storage/PathComponents.h"

namespace tq {

bool isSafePathComponent(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string_view lastPathComponent(std::string_view address) {
    auto slash = address.rfind('/');
    return slash == std::string_view::npos ? address : address.substr(slash + 1);
}

std::string secureAddress(std::string_view address) {
    constexpr std::string_view plain = "http:";
    if (address.substr(0, plain.size()) == plain) return "https:" + std::string(address.substr(plain.size()));
    return std::string(address);
}

}  // namespace tq
