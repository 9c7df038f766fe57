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

namespace {

// Decodes into `channels` channels (0: as stored), handing the pixels to `use` before freeing them.
template <class Use>
bool decodeWith(const std::string& bytes, int channels, DecodedImageInfo& info, std::string* failure, Use use) {
    auto fail = [&](const char* reason) {
        if (failure) *failure = reason;
        return false;
    };
    if (bytes.empty()) return fail("no data");
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return fail("too large");
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    int length = static_cast<int>(bytes.size());
    stbi_uc* pixels = stbi_load_from_memory(data, length, &info.width, &info.height, &info.channels, channels);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        return fail(reason ? reason : "unknown image format");
    }
    use(pixels);
    stbi_image_free(pixels);
    return true;
}

}  // namespace

std::optional<DecodedImageInfo> decodeImage(const std::string& bytes, std::string* failure) {
    DecodedImageInfo info;
    if (!decodeWith(bytes, 0, info, failure, [](const stbi_uc*) {})) return std::nullopt;
    return info;
}

std::optional<DecodedPixels> decodeImagePixels(const std::string& bytes, std::string* failure) {
    DecodedPixels decoded;
    bool ok = decodeWith(bytes, 3, decoded.info, failure, [&](const stbi_uc* pixels) {
        auto count = static_cast<std::size_t>(decoded.info.width) * static_cast<std::size_t>(decoded.info.height) * 3;
        decoded.rgb.assign(pixels, pixels + count);
    });
    if (!ok) return std::nullopt;
    return decoded;
}

}  // namespace tq
