#include "platform/services/FileURL.h"

#include <cctype>

#include "platform/net/PercentEncoding.h"

namespace tq {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string fileURL(const std::filesystem::path& path) {
    return "file://" + percentEncode(std::filesystem::absolute(path).lexically_normal().string(), PercentEncoding::path);
}

bool hasScheme(const std::string& address, const std::string& scheme) {
    if (address.size() <= scheme.size() || address[scheme.size()] != ':') return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(address[i])) != std::tolower(static_cast<unsigned char>(scheme[i])))
            return false;
    }
    return true;
}

std::optional<std::filesystem::path> pathFromFileURL(const std::string& address) {
    if (!hasScheme(address, "file")) return std::nullopt;
    std::string rest = address.substr(5);
    if (rest.rfind("//", 0) == 0) {
        rest = rest.substr(2);
        // Only the local host is meaningful for a file address.
        if (rest.rfind("localhost/", 0) == 0) rest = rest.substr(9);
        if (rest.empty() || rest[0] != '/') return std::nullopt;
    }
    if (rest.empty() || rest[0] != '/') return std::nullopt;
    auto cut = rest.find_first_of("?#");
    if (cut != std::string::npos) rest.resize(cut);
    std::string decoded;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            decoded += rest[i];
            continue;
        }
        if (i + 2 >= rest.size()) return std::nullopt;
        int high = hexValue(rest[i + 1]);
        int low = hexValue(rest[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return std::filesystem::path(decoded);
}

}  // namespace tq
