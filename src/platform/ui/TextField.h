#pragma once

#include <memory>
#include <string>

#include <functional>
#include <optional>

#include "platform/ui/Control.h"

namespace tq {

enum class ViewMode { never, whileEditing, unlessEditing, always };

class TextField : public Control {
public:
    using Control::Control;
    Size naturalSize() const override { return {0, 34}; }

    const std::string& text() const { return text_; }
    void setText(std::string text) {
        text_ = std::move(text);
        changed("text");
    }
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder) {
        placeholder_ = std::move(placeholder);
        changed("placeholder");
    }
    const std::optional<AttributedString>& attributedPlaceholder() const { return attributedPlaceholder_; }
    void setAttributedPlaceholder(std::optional<AttributedString> placeholder) {
        attributedPlaceholder_ = std::move(placeholder);
        changed("attributedPlaceholder");
    }
    const std::optional<Font>& font() const { return font_; }
    void setFont(std::optional<Font> font) {
        font_ = std::move(font);
        changed("font");
    }

    // The delegate's answer to the Return key; without one, Return does nothing.
    void setShouldReturn(std::function<bool(TextField&)> handler) { shouldReturn_ = std::move(handler); }
    // A person types: the text becomes `text` and the editing-changed actions run.
    bool typeText(std::string text);
    // A person presses Return on the keyboard; answers what the delegate answered.
    bool pressReturn();

    // The view that sits on top of the keyboard while the field is edited.
    const std::shared_ptr<View>& inputAccessoryView() const { return inputAccessory_; }
    void setInputAccessoryView(std::shared_ptr<View> view) {
        attach(inputAccessory_, std::move(view), "inputAccessoryView");
    }
    const std::shared_ptr<View>& leftView() const { return leftView_; }
    void setLeftView(std::shared_ptr<View> view) { attach(leftView_, std::move(view), "leftView"); }
    ViewMode leftViewMode() const { return leftViewMode_; }
    void setLeftViewMode(ViewMode mode) {
        leftViewMode_ = mode;
        changed("leftViewMode");
    }
    // Whether the left view shows in the field's present editing state.
    bool isLeftViewShown() const;

    // First-responder state: the keyboard is up while the field is first responder.
    bool isFirstResponder() const { return firstResponder_; }
    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isEditing() const { return firstResponder_; }

private:
    std::string text_;
    std::string placeholder_;
    std::optional<AttributedString> attributedPlaceholder_;
    std::optional<Font> font_;
    std::function<bool(TextField&)> shouldReturn_;
    std::shared_ptr<View> inputAccessory_;
    std::shared_ptr<View> leftView_;
    ViewMode leftViewMode_ = ViewMode::never;
    bool firstResponder_ = false;
};

}  // namespace tq
