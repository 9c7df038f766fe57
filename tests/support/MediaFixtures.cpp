#include "support/MediaFixtures.h"

#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace tq::test {
namespace {

void appendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string pngBytes(int width, int height, const std::function<Rgb(int, int)>& colour) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            Rgb pixel = colour ? colour(column, row) : Rgb{128, 128, 128};
            pixels.insert(pixels.end(), {pixel.red, pixel.green, pixel.blue});
        }
    }
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
        },
        &out, width, height, 3, pixels.data(), width * 3);
    return out;
}

std::string wavBytes(double seconds, int sampleRate) {
    const auto frames = static_cast<std::uint32_t>(seconds * sampleRate);
    const std::uint32_t dataBytes = frames * 2;
    std::string out = "RIFF";
    appendLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    appendLittleEndian(out, 16, 4);                             // format chunk size
    appendLittleEndian(out, 1, 2);                              // PCM
    appendLittleEndian(out, 1, 2);                              // mono
    appendLittleEndian(out, static_cast<std::uint32_t>(sampleRate), 4);
    appendLittleEndian(out, static_cast<std::uint32_t>(sampleRate) * 2, 4);  // bytes per second
    appendLittleEndian(out, 2, 2);                              // bytes per frame
    appendLittleEndian(out, 16, 2);                             // bits per sample
    out += "data";
    appendLittleEndian(out, dataBytes, 4);
    out.append(dataBytes, '\0');
    return out;
}

}  // namespace tq::test
