#include "storage/DiskStatus.h"

#include <sys/statvfs.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

#include "platform/foundation/Environment.h"

namespace tq {
namespace {

constexpr std::int64_t maxInt64 = std::numeric_limits<std::int64_t>::max();

// Strict C-locale reading of a whole decimal text: no blanks, no trailing characters, no hex,
// no "inf" or "nan". (A private stand-in until the shared number helpers land.)
std::optional<float> parseDecimalFloat(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) return std::nullopt;
    }
    if (text.front() == '+') text.remove_prefix(1);
    float value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The nearest folder that exists, starting at `path`: the cache directory may not be made yet.
std::filesystem::path existingAncestor(std::filesystem::path path) {
    std::error_code ec;
    while (!path.empty() && !std::filesystem::exists(path, ec)) {
        auto parent = path.parent_path();
        if (parent == path) break;
        path = parent;
    }
    return path.empty() ? std::filesystem::path("/") : path;
}

}  // namespace

std::int64_t DiskStatus::availableDiskBytes(Environment& env) {
    if (auto fake = env.freeSpaceOverride()) {
        return *fake > static_cast<std::uint64_t>(maxInt64) ? maxInt64 : static_cast<std::int64_t>(*fake);
    }
    struct statvfs info {};
    if (::statvfs(existingAncestor(env.cacheDir()).c_str(), &info) != 0) return 0;
    // Blocks available to an unprivileged user, as the application is one.
    unsigned __int128 bytes = static_cast<unsigned __int128>(info.f_bavail) * info.f_frsize;
    return bytes > static_cast<unsigned __int128>(maxInt64) ? maxInt64 : static_cast<std::int64_t>(bytes);
}

std::int64_t DiskStatus::availableDiskBytes() { return availableDiskBytes(Environment::current()); }

std::optional<std::int64_t> tourNeedBytes(std::optional<std::string_view> sizeText) {
    if (!sizeText) return std::nullopt;
    auto megabytes = parseDecimalFloat(*sizeText);
    if (!megabytes || !std::isfinite(*megabytes) || *megabytes < 0.0f) return std::nullopt;
    float bytes = *megabytes * 1000000.0f;
    // 2^63 is the first float that no longer fits a signed 64-bit integer.
    if (!std::isfinite(bytes) || bytes >= 9223372036854775808.0f) return std::nullopt;
    return static_cast<std::int64_t>(bytes);
}

bool tourFits(std::optional<std::string_view> sizeText, std::int64_t freeBytes) {
    auto need = tourNeedBytes(sizeText);
    return need && *need < freeBytes;
}

}  // namespace tq
