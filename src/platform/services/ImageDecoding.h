#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq {

struct DecodedImageInfo {
    int width = 0;
    int height = 0;
    int channels = 0;
};

// Decodes the bytes fully (PNG, JPEG, GIF, BMP) to make sure they are a picture that can be shown,
// and gives its size. On failure, nothing, with the decoder's reason in `failure` when given.
std::optional<DecodedImageInfo> decodeImage(const std::string& bytes, std::string* failure = nullptr);

// A decoded picture: its size, and its pixels row after row, three bytes (red, green, blue) each.
struct DecodedPixels {
    DecodedImageInfo info;
    std::vector<std::uint8_t> rgb;
};

// Decodes the bytes into pixels, or nothing with the decoder's reason in `failure` when given.
std::optional<DecodedPixels> decodeImagePixels(const std::string& bytes, std::string* failure = nullptr);

}  // namespace tq
