#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tq {

class Environment;

// Free space of the volume that holds the application's cache directory.
struct DiskStatus {
    DiskStatus() = delete;

    // Bytes free for the application on the cache volume (the environment's override when set);
    // 0 when the file system cannot be asked. Never negative.
    static std::int64_t availableDiskBytes(Environment& env);
    // The same for the current environment.
    static std::int64_t availableDiskBytes();
};

// The bytes a tour needs on disk: its `size` text in megabytes, read whole as a 32-bit float and
// multiplied by 1000000 in 32-bit arithmetic, the fraction dropped. Nothing for a size that is
// absent, not a plain decimal number, negative, infinite, NaN, or beyond 64 bits.
std::optional<std::int64_t> tourNeedBytes(std::optional<std::string_view> sizeText);

// A tour fits when it needs strictly less than the free space; a tour without a usable size never fits.
bool tourFits(std::optional<std::string_view> sizeText, std::int64_t freeBytes);

}  // namespace tq
