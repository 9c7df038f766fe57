#pragma once

#include <optional>
#include <string>

#include "platform/ui/TextMetrics.h"
#include "platform/ui/View.h"

namespace tq {

// A text on screen. Setting styled text also sets the plain text to its characters, and setting
// plain text drops the styling, as on the platform.
class Label : public View {
public:
    using View::View;

    // One line of the text (an empty label keeps the height of a line); the nominal measure of
    // TextMetrics.h.
    Size naturalSize() const override {
        const double size = font_ ? font_->size : 17;
        return {nominalTextWidth(text_, size), nominalLineHeight(size)};
    }
    bool drawsContent() const override { return !text_.empty(); }

    const std::string& text() const { return text_; }
    void setText(std::string text) {
        text_ = std::move(text);
        attributed_.reset();
        changed("text");
    }
    const std::optional<AttributedString>& attributedText() const { return attributed_; }
    void setAttributedText(std::optional<AttributedString> text) {
        attributed_ = std::move(text);
        text_ = attributed_ ? attributed_->text : std::string();
        changed("text");
    }
    const std::optional<Font>& font() const { return font_; }
    void setFont(std::optional<Font> font) {
        font_ = std::move(font);
        changed("font");
    }
    const std::optional<Color>& textColor() const { return textColor_; }
    void setTextColor(std::optional<Color> color) {
        textColor_ = color;
        changed("textColor");
    }
    TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(TextAlignment alignment) {
        alignment_ = alignment;
        changed("textAlignment");
    }
    int numberOfLines() const { return lines_; }
    void setNumberOfLines(int lines) {
        lines_ = lines;
        changed("numberOfLines");
    }
    LineBreakMode lineBreakMode() const { return lineBreak_; }
    void setLineBreakMode(LineBreakMode mode) {
        lineBreak_ = mode;
        changed("lineBreakMode");
    }
    bool adjustsFontSizeToFitWidth() const { return adjustsFont_; }
    void setAdjustsFontSizeToFitWidth(bool adjusts) {
        adjustsFont_ = adjusts;
        changed("adjustsFontSizeToFitWidth");
    }

private:
    std::string text_;
    std::optional<AttributedString> attributed_;
    std::optional<Font> font_;
    std::optional<Color> textColor_;
    TextAlignment alignment_ = TextAlignment::natural;
    int lines_ = 1;
    LineBreakMode lineBreak_ = LineBreakMode::byTruncatingTail;
    bool adjustsFont_ = false;
};

}  // namespace tq
