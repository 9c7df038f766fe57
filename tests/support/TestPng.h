#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tq::test {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A PNG file (8-bit RGBA, stored without compression) whose pixels `pixel(x, y)` gives: map tiles
// and pictures for page tests.
std::string makePng(int width, int height, const std::function<Rgba(int x, int y)>& pixel);

// A 256-pixel map tile with a pale fill and a darker border, so that tiles drawn side by side show
// their seams in a screenshot.
std::string makeTilePng(Rgba fill);

}  // namespace tq::test
