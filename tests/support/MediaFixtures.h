#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tq::test {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A PNG file of `width` × `height` pixels, each coloured by `colour(column, row)` (grey without one).
std::string pngBytes(int width, int height, const std::function<Rgb(int column, int row)>& colour = {});

// A WAV file of `seconds` of silence: 16-bit mono samples at `sampleRate`.
std::string wavBytes(double seconds, int sampleRate = 8000);

}  // namespace tq::test
