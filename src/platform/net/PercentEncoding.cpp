#include "platform/net/PercentEncoding.h"

namespace tq {

std::string percentEncode(std::string_view text, std::string_view keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     (c != '\0' && keep.find(static_cast<char>(c)) != std::string_view::npos);
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        }
    }
    return out;
}

std::string pathSegment(std::string_view text) {
    const bool onlyDots = !text.empty() && text.find_first_not_of('.') == std::string_view::npos;
    return percentEncode(text, onlyDots ? "-_~" : PercentEncoding::unreserved);
}

}  // namespace tq
