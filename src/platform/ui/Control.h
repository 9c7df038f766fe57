#pragma once

#include <functional>
#include <vector>

#include "platform/foundation/DispatchScope.h"
#include "platform/ui/View.h"

namespace tq {

// Control states combine as flags; `normal` is no flag at all.
enum class ControlState : unsigned { normal = 0, highlighted = 1, disabled = 2, selected = 4 };
inline ControlState operator|(ControlState a, ControlState b) {
    return static_cast<ControlState>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

enum class ControlEvent { touchDown, touchUpInside, valueChanged, editingChanged, editingDidEnd, primaryActionTriggered };

// A view a person acts on. Its target-action pairs are held as callables per event; each receives
// the control that sent it, so one action can serve a portrait control and its landscape twin.
class Control : public View {
public:
    using View::View;
    using Action = std::function<void(Control&)>;

    // Every control draws itself (a button its title and picture, a field its text).
    bool drawsContent() const override { return true; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) {
        highlighted_ = highlighted;
        changed("highlighted");
    }
    // The state the control shows now.
    ControlState state() const;

    void addAction(ControlEvent event, Action action);
    void addAction(ControlEvent event, std::function<void()> action);
    void removeActions(ControlEvent event);
    int actionCount(ControlEvent event) const;
    // Runs the actions of the event, as code that sends them does (no check of the state). The
    // control, and whatever the actions release, stay alive until the dispatch ends.
    void sendActions(ControlEvent event);

    // Whether a person could act on the control now: enabled, shown and taking touches.
    bool canBeTouched() const { return enabled_ && isInteractiveInTree(); }

protected:
    // Called after the enabled or selected flag changed, so that what is shown can follow.
    virtual void stateDidChange() {}

private:
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    std::vector<std::pair<ControlEvent, Action>> actions_;
};

}  // namespace tq
