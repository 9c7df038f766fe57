#include "platform/ui/TextField.h"

namespace tq {

bool TextField::isLeftViewShown() const {
    if (!leftView_) return false;
    switch (leftViewMode_) {
        case ViewMode::never: return false;
        case ViewMode::always: return true;
        case ViewMode::whileEditing: return isEditing();
        case ViewMode::unlessEditing: return !isEditing();
    }
    return false;
}

bool TextField::becomeFirstResponder() {
    if (!canBeTouched()) return false;
    firstResponder_ = true;
    changed("firstResponder");
    return true;
}

bool TextField::resignFirstResponder() {
    firstResponder_ = false;
    changed("firstResponder");
    return true;
}

bool TextField::typeText(std::string text) {
    if (!canBeTouched()) return false;
    DispatchScope scope(weak_from_this().lock());
    becomeFirstResponder();
    setText(std::move(text));
    sendActions(ControlEvent::editingChanged);
    return true;
}

bool TextField::pressReturn() {
    if (!shouldReturn_) return false;
    DispatchScope scope(weak_from_this().lock());
    auto handler = shouldReturn_;
    return handler(*this);
}

}  // namespace tq
