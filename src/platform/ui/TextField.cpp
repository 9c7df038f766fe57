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
    if (isHidden() || !isUserInteractionEnabled()) return false;
    firstResponder_ = true;
    return true;
}

bool TextField::resignFirstResponder() {
    firstResponder_ = false;
    return true;
}

}  // namespace tq
