#include "platform/services/ImageDecoding.h"

#include <limits>

// The decoder is compiled here and nowhere else. Pictures larger than this on a side are refused
// rather than decoded into gigabytes.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_MAX_DIMENSIONS 16384
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace tq {

std::optional<DecodedImageInfo> decodeImage(const std::string& bytes, std::string* failure) {
    auto fail = [&](std::string reason) -> std::optional<DecodedImageInfo> {
        if (failure) *failure = std::move(reason);
        return std::nullopt;
    };
    if (bytes.empty()) return fail("no data");
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return fail("too large");
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    int length = static_cast<int>(bytes.size());
    DecodedImageInfo info;
    stbi_uc* pixels = stbi_load_from_memory(data, length, &info.width, &info.height, &info.channels, 0);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        return fail(reason ? reason : "unknown image format");
    }
    stbi_image_free(pixels);
    return info;
}

}  // namespace tq
