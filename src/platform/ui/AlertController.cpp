#include "platform/ui/AlertController.h"

namespace tq {

const AlertAction* AlertController::actionTitled(const std::string& title) const {
    for (const auto& action : actions_) {
        if (action.title == title) return &action;
    }
    return nullptr;
}

bool AlertController::setValue(const std::string& key, AttributedString value) {
    if (key == "attributedTitle") {
        attributedTitle_ = std::move(value);
        return true;
    }
    if (key == "attributedMessage") {
        attributedMessage_ = std::move(value);
        return true;
    }
    return false;
}

bool AlertController::runAction(const std::string& title) const {
    const auto* action = actionTitled(title);
    if (!action) return false;
    if (action->handler) action->handler();
    return true;
}

}  // namespace tq
