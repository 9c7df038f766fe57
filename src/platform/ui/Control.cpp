#include "platform/ui/Control.h"

#include <algorithm>

namespace tq {

void Control::setEnabled(bool enabled) {
    enabled_ = enabled;
    stateDidChange();
    changed("enabled");
}

void Control::setSelected(bool selected) {
    selected_ = selected;
    stateDidChange();
    changed("selected");
}

ControlState Control::state() const {
    ControlState state = ControlState::normal;
    if (!enabled_) state = state | ControlState::disabled;
    if (selected_) state = state | ControlState::selected;
    if (highlighted_) state = state | ControlState::highlighted;
    return state;
}

void Control::addAction(ControlEvent event, Action action) {
    if (action) actions_.emplace_back(event, std::move(action));
}

void Control::addAction(ControlEvent event, std::function<void()> action) {
    if (!action) return;
    actions_.emplace_back(event, [action = std::move(action)](Control&) { action(); });
}

void Control::removeActions(ControlEvent event) {
    actions_.erase(std::remove_if(actions_.begin(), actions_.end(), [event](const auto& a) { return a.first == event; }),
                   actions_.end());
}

int Control::actionCount(ControlEvent event) const {
    return static_cast<int>(std::count_if(actions_.begin(), actions_.end(), [event](const auto& a) { return a.first == event; }));
}

void Control::sendActions(ControlEvent event) {
    // Copy first: an action may add or remove actions, or release the screen that owns this control.
    std::vector<Action> toRun;
    for (const auto& [e, action] : actions_) {
        if (e == event) toRun.push_back(action);
    }
    DispatchScope scope(weak_from_this().lock());
    for (auto& action : toRun) action(*this);
}

}  // namespace tq
