#pragma once

#include <optional>
#include <string>

namespace tq {

struct DecodedImageInfo {
    int width = 0;
    int height = 0;
    int channels = 0;
};

// Decodes the bytes fully (PNG, JPEG, GIF, BMP) to make sure they are a picture that can be shown,
// and gives its size. On failure, nothing, with the decoder's reason in `failure` when given.
std::optional<DecodedImageInfo> decodeImage(const std::string& bytes, std::string* failure = nullptr);

}  // namespace tq
