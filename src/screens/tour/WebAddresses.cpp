#include "screens/tour/WebAddresses.h"

#include <cctype>

#include "product/ProductSites.h"

namespace tq {

bool beginsWithSite(const std::string& address, const std::string& prefix) {
    if (address.rfind(prefix, 0) != 0) return false;
    if (address.size() == prefix.size()) return true;
    char next = address[prefix.size()];
    return next == '/' || next == '?' || next == '#' || next == ':';
}

bool isOwnSiteLink(const std::string& address) {
    for (const auto& prefix : ProductSites::linkPrefixes()) {
        if (beginsWithSite(address, prefix)) return true;
    }
    return false;
}

bool isPlayableAddress(const std::string& address) {
    auto colon = address.find(':');
    if (address.empty() || colon == std::string::npos || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = address[i];
        bool schemeChar = std::isalnum(static_cast<unsigned char>(c)) || (i > 0 && (c == '+' || c == '-' || c == '.'));
        if (!schemeChar) return false;
    }
    for (unsigned char c : address) {
        if (c <= 0x20 || c == 0x7f) return false;
    }
    return colon + 1 < address.size();
}

}  // namespace tq
