#include "Canvas.h"

#include <algorithm>
#include <cmath>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#include <stb/stb_easy_font.h>

namespace tq::samples {
namespace {

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

// The Latin-1 and Latin Extended-A letters the sample texts use, without their accents.
char foldedLetter(unsigned codepoint) {
    static const struct {
        unsigned from, to;
        const char* letters;
    } ranges[] = {
        {0xC0, 0xFF, "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty"},
    };
    for (const auto& range : ranges) {
        if (codepoint >= range.from && codepoint <= range.to) return range.letters[codepoint - range.from];
    }
    if (codepoint == 0x2019 || codepoint == 0x2018) return '\'';
    if (codepoint == 0xAB || codepoint == 0xBB || codepoint == 0x201C || codepoint == 0x201D) return '"';
    if (codepoint == 0x2013 || codepoint == 0x2014) return '-';
    if (codepoint == 0xA0 || codepoint == 0x202F) return ' ';
    return '?';
}

}  // namespace

Colour Colour::mixed(Colour other, double t) const {
    auto mix = [t](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * std::clamp(t, 0.0, 1.0)));
    };
    return {mix(r, other.r), mix(g, other.g), mix(b, other.b)};
}

std::string asciiFolded(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        unsigned codepoint = byte & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            codepoint = (codepoint << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        if (codepoint == 0x152 || codepoint == 0x153) {
            out += codepoint == 0x152 ? "OE" : "oe";  // the ligature written as its two letters
        } else {
            out += foldedLetter(codepoint);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

Canvas::Canvas(int width, int height, Colour background)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {
    for (std::size_t i = 0; i < pixels_.size(); i += 3) {
        pixels_[i] = background.r;
        pixels_[i + 1] = background.g;
        pixels_[i + 2] = background.b;
    }
}

void Canvas::blendPixel(int x, int y, Colour colour, double coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    Colour was{p[0], p[1], p[2]};
    Colour now = was.mixed(colour, coverage);
    p[0] = now.r;
    p[1] = now.g;
    p[2] = now.b;
}

void Canvas::verticalGradient(Colour top, Colour bottom) {
    for (int y = 0; y < height_; ++y) {
        Colour c = top.mixed(bottom, height_ > 1 ? double(y) / (height_ - 1) : 0);
        for (int x = 0; x < width_; ++x) blendPixel(x, y, c, 1);
    }
}

void Canvas::fillRect(double x, double y, double w, double h, Colour colour) {
    int x0 = std::max(0, int(std::floor(x))), y0 = std::max(0, int(std::floor(y)));
    int x1 = std::min(width_, int(std::ceil(x + w))), y1 = std::min(height_, int(std::ceil(y + h)));
    for (int py = y0; py < y1; ++py) {
        for (int px = x0; px < x1; ++px) blendPixel(px, py, colour, 1);
    }
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Colour colour) {
    int x0 = std::max(0, int(std::floor(cx - rx - 1))), x1 = std::min(width_ - 1, int(std::ceil(cx + rx + 1)));
    int y0 = std::max(0, int(std::floor(cy - ry - 1))), y1 = std::min(height_ - 1, int(std::ceil(cy + ry + 1)));
    for (int py = y0; py <= y1; ++py) {
        for (int px = x0; px <= x1; ++px) {
            double dx = (px + 0.5 - cx) / rx, dy = (py + 0.5 - cy) / ry;
            double distance = std::sqrt(dx * dx + dy * dy);
            // One pixel of soft edge, measured along the smaller radius.
            double coverage = std::clamp((1 - distance) * std::min(rx, ry) + 0.5, 0.0, 1.0);
            blendPixel(px, py, colour, coverage);
        }
    }
}

void Canvas::fillCircle(double cx, double cy, double radius, Colour colour) { fillEllipse(cx, cy, radius, radius, colour); }

void Canvas::line(double x0, double y0, double x1, double y1, double thickness, Colour colour) {
    double half = thickness / 2;
    int bx0 = std::max(0, int(std::floor(std::min(x0, x1) - half - 1)));
    int bx1 = std::min(width_ - 1, int(std::ceil(std::max(x0, x1) + half + 1)));
    int by0 = std::max(0, int(std::floor(std::min(y0, y1) - half - 1)));
    int by1 = std::min(height_ - 1, int(std::ceil(std::max(y0, y1) + half + 1)));
    double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    for (int py = by0; py <= by1; ++py) {
        for (int px = bx0; px <= bx1; ++px) {
            double qx = px + 0.5 - x0, qy = py + 0.5 - y0;
            double t = length2 > 0 ? std::clamp((qx * dx + qy * dy) / length2, 0.0, 1.0) : 0;
            double ex = qx - t * dx, ey = qy - t * dy;
            double distance = std::sqrt(ex * ex + ey * ey);
            blendPixel(px, py, colour, std::clamp(half - distance + 0.5, 0.0, 1.0));
        }
    }
}

void Canvas::text(double x, double y, std::string_view utf8, double scale, Colour colour) {
    std::string ascii = asciiFolded(utf8);
    std::vector<char> buffer(ascii.size() * 300 + 64);
    int quads = stb_easy_font_print(0, 0, ascii.data(), nullptr, buffer.data(), static_cast<int>(buffer.size()));
    const auto* vertices = reinterpret_cast<const float*>(buffer.data());
    for (int q = 0; q < quads; ++q) {
        const float* v = vertices + q * 16;  // four vertices of x, y, z and a colour
        double qx0 = v[0], qy0 = v[1], qx1 = v[8], qy1 = v[9];
        fillRect(x + qx0 * scale, y + qy0 * scale, (qx1 - qx0) * scale, (qy1 - qy0) * scale, colour);
    }
}

double Canvas::textWidth(std::string_view utf8, double scale) const {
    std::string ascii = asciiFolded(utf8);
    return stb_easy_font_width(ascii.data()) * scale;
}

double Canvas::paragraph(double x, double y, std::string_view utf8, double scale, double maxWidth, Colour colour) {
    std::string line, word;
    double top = y;
    auto flush = [&] {
        if (line.empty()) return;
        text(x, y, line, scale, colour);
        y += 12 * scale;
        line.clear();
    };
    std::string words(utf8);
    words += ' ';
    for (char c : words) {
        if (c != ' ') {
            word += c;
            continue;
        }
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && textWidth(candidate, scale) > maxWidth) {
            flush();
            line = word;
        } else {
            line = candidate;
        }
        word.clear();
    }
    flush();
    return y - top;
}

Canvas Canvas::scaledTo(int width, int height) const {
    Canvas out(width, height, {});
    for (int y = 0; y < height; ++y) {
        int sy0 = y * height_ / height, sy1 = std::max(sy0 + 1, (y + 1) * height_ / height);
        for (int x = 0; x < width; ++x) {
            int sx0 = x * width_ / width, sx1 = std::max(sx0 + 1, (x + 1) * width_ / width);
            unsigned sum[3] = {0, 0, 0}, count = 0;
            for (int sy = sy0; sy < sy1; ++sy) {
                for (int sx = sx0; sx < sx1; ++sx) {
                    const std::uint8_t* p = &pixels_[(static_cast<std::size_t>(sy) * width_ + sx) * 3];
                    sum[0] += p[0], sum[1] += p[1], sum[2] += p[2], ++count;
                }
            }
            std::uint8_t* q = &out.pixels_[(static_cast<std::size_t>(y) * width + x) * 3];
            for (int k = 0; k < 3; ++k) q[k] = static_cast<std::uint8_t>(sum[k] / count);
        }
    }
    return out;
}

std::string Canvas::jpeg(int quality) const {
    std::string out;
    stbi_write_jpg_to_func(appendBytes, &out, width_, height_, 3, pixels_.data(), quality);
    return out;
}

std::string Canvas::png() const {
    std::string out;
    stbi_write_png_to_func(appendBytes, &out, width_, height_, 3, pixels_.data(), width_ * 3);
    return out;
}

}  // namespace tq::samples
