#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tq {

struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    static Color black() { return {0, 0, 0, 1}; }
    static Color white() { return {1, 1, 1, 1}; }
    static Color clear() { return {0, 0, 0, 0}; }
    bool operator==(const Color&) const = default;
};

enum class FontWeight { regular, medium, semibold, bold };

struct Font {
    std::string name;  // empty: the system font
    double size = 17;
    FontWeight weight = FontWeight::regular;
    static Font system(double size, FontWeight weight = FontWeight::regular) { return {"", size, weight}; }
    bool operator==(const Font&) const = default;
};

enum class TextAlignment { natural, left, center, right, justified };
enum class LineBreakMode { byWordWrapping, byCharWrapping, byClipping, byTruncatingHead, byTruncatingTail, byTruncatingMiddle };

// One stretch of styled text with its own font and colour.
struct TextRun {
    std::string text{};
    std::optional<Font> font{};
    std::optional<Color> foregroundColor{};
    bool underline = false;
    bool operator==(const TextRun&) const = default;
};

// Text with the attributes the screens set on it. A screen that sets no attribute leaves it unset.
// The font, colour and underline fields style the whole text; text built by `append` keeps each
// part's style in `runs`. Alignment and line breaking are the paragraph's, shared by all parts.
struct AttributedString {
    std::string text{};
    std::optional<Font> font{};
    std::optional<Color> foregroundColor{};
    bool underline = false;
    std::optional<TextAlignment> alignment{};
    std::optional<LineBreakMode> lineBreakMode{};
    std::vector<TextRun> runs{};
    bool operator==(const AttributedString&) const = default;

    // Adds a part with its own style; the paragraph style stays this text's unless it has none.
    void append(const AttributedString& part) {
        if (runs.empty() && !text.empty()) runs.push_back(wholeRun());
        auto partRuns = part.styledRuns();
        runs.insert(runs.end(), partRuns.begin(), partRuns.end());
        text += part.text;
        if (!alignment) alignment = part.alignment;
        if (!lineBreakMode) lineBreakMode = part.lineBreakMode;
    }
    // The styled stretches: the appended parts, or the whole text as one.
    std::vector<TextRun> styledRuns() const {
        if (!runs.empty()) return runs;
        if (text.empty()) return {};
        return {wholeRun()};
    }

private:
    TextRun wholeRun() const { return {text, font, foregroundColor, underline}; }
};

}  // namespace tq
