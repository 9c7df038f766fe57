#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace tq {

enum class ViewMode { never, whileEditing, unlessEditing, always };

class TextField : public View {
public:
    using View::View;

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    const std::string& placeholder() const { return placeholder_; }
    void setPlaceholder(std::string placeholder) { placeholder_ = std::move(placeholder); }

    // The view that sits on top of the keyboard while the field is edited.
    const std::shared_ptr<View>& inputAccessoryView() const { return inputAccessory_; }
    void setInputAccessoryView(std::shared_ptr<View> view) { inputAccessory_ = std::move(view); }
    const std::shared_ptr<View>& leftView() const { return leftView_; }
    void setLeftView(std::shared_ptr<View> view) { leftView_ = std::move(view); }
    ViewMode leftViewMode() const { return leftViewMode_; }
    void setLeftViewMode(ViewMode mode) { leftViewMode_ = mode; }
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
    std::shared_ptr<View> inputAccessory_;
    std::shared_ptr<View> leftView_;
    ViewMode leftViewMode_ = ViewMode::never;
    bool firstResponder_ = false;
};

}  // namespace tq
