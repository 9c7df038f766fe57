#include "platform/ui/AlertController.h"

#include "platform/foundation/DispatchScope.h"

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
    } else if (key == "attributedMessage") {
        attributedMessage_ = std::move(value);
    } else {
        return false;
    }
    contentChanged();
    return true;
}

void AlertController::addAction(AlertAction action) {
    actions_.push_back(std::move(action));
    contentChanged();
}

void AlertController::contentChanged() {
    // The texts and buttons are shown with the alert's view: it reports for them.
    if (isViewLoaded()) view().changed("alert");
}

bool AlertController::runAction(const std::string& title) const {
    const auto* action = actionTitled(title);
    if (!action) return false;
    DispatchScope scope(weak_from_this().lock());
    auto handler = action->handler;
    if (handler) handler();
    return true;
}

bool AlertController::tap(const std::string& title) {
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        if (actions_[i].title == title && actions_[i].enabled) return tapAction(i);
    }
    return false;
}

bool AlertController::tapAction(std::size_t index) {
    if (index >= actions_.size() || !actions_[index].enabled) return false;
    auto handler = actions_[index].handler;
    DispatchScope scope(weak_from_this().lock());
    if (presentingViewController()) dismiss(true);
    if (handler) handler();
    return true;
}

std::vector<std::string> AlertController::actionTitles() const {
    std::vector<std::string> titles;
    for (const auto& action : actions_) titles.push_back(action.title);
    return titles;
}

void AlertController::addTextField(const std::function<void(TextField&)>& configure) {
    auto field = std::make_shared<TextField>();
    if (configure) configure(*field);
    view().addSubview(field);
    textFields_.push_back(std::move(field));
}

}  // namespace tq
