#pragma once

#include <optional>
#include <string>

namespace tq {

struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    static Color black() { return {0, 0, 0, 1}; }
    static Color white() { return {1, 1, 1, 1}; }
    static Color clear() { return {0, 0, 0, 0}; }
    bool operator==(const Color&) const = default;
};

struct Font {
    std::string name;
    double size = 17;
    bool operator==(const Font&) const = default;
};

enum class TextAlignment { natural, left, center, right, justified };
enum class LineBreakMode { byWordWrapping, byCharWrapping, byClipping, byTruncatingHead, byTruncatingTail, byTruncatingMiddle };

// Text with the attributes the screens set on it. A screen that sets no attribute leaves it unset.
struct AttributedString {
    std::string text;
    std::optional<Font> font;
    std::optional<Color> foregroundColor;
    bool underline = false;
    std::optional<TextAlignment> alignment;
    std::optional<LineBreakMode> lineBreakMode;
    bool operator==(const AttributedString&) const = default;
};

}  // namespace tq
