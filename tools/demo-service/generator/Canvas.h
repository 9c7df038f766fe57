#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tq::samples {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    Colour mixed(Colour other, double t) const;
};

// An RGB picture drawn with a few shapes and text; nothing is read from outside, so the same
// calls give the same bytes.
class Canvas {
public:
    Canvas(int width, int height, Colour background);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }

    void verticalGradient(Colour top, Colour bottom);
    void fillRect(double x, double y, double w, double h, Colour colour);
    void fillCircle(double cx, double cy, double radius, Colour colour);
    void fillEllipse(double cx, double cy, double rx, double ry, Colour colour);
    void line(double x0, double y0, double x1, double y1, double thickness, Colour colour);
    // Text at (x, y), its top left corner, with letters `scale` times the size of a 7-pixel font.
    // Letters outside ASCII are written without their accents.
    void text(double x, double y, std::string_view utf8, double scale, Colour colour);
    double textWidth(std::string_view utf8, double scale) const;
    // The text broken into lines no wider than `maxWidth`; returns the height used.
    double paragraph(double x, double y, std::string_view utf8, double scale, double maxWidth, Colour colour);

    // The picture scaled down to the given size (a box filter).
    Canvas scaledTo(int width, int height) const;

    std::string jpeg(int quality = 85) const;
    std::string png() const;

private:
    void blendPixel(int x, int y, Colour colour, double coverage);
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

// ASCII only: accented Latin letters lose their accents, other characters become "?".
std::string asciiFolded(std::string_view utf8);

}  // namespace tq::samples
