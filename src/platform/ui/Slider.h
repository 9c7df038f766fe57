#pragma once

#include "platform/ui/Control.h"

namespace tq {

// A slider over [minimumValue, maximumValue]. Values are clamped into the range, as on the platform.
class Slider : public Control {
public:
    using Control::Control;
    Size naturalSize() const override { return {0, 30}; }

    float value() const { return value_; }
    void setValue(float value, bool animated = false);
    float minimumValue() const { return min_; }
    void setMinimumValue(float min);
    float maximumValue() const { return max_; }
    void setMaximumValue(float max);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous) {
        continuous_ = continuous;
        changed("continuous");
    }

    // A person drags the thumb to `value` and lets go: the value (clamped) is set and the
    // value-changed actions run once. Nothing happens while the slider cannot be touched.
    bool moveTo(float value);

private:
    float clamped(float value) const;
    float value_ = 0;
    float min_ = 0;
    float max_ = 1;
    bool continuous_ = true;
};

// An on/off switch.
class Switch : public Control {
public:
    using Control::Control;
    Size naturalSize() const override { return {51, 31}; }
    bool isOn() const { return on_; }
    // Code sets the state: no action runs.
    void setOn(bool on, bool animated = false) {
        (void)animated;
        on_ = on;
        changed("on");
    }
    // A person flips the switch: its value-changed actions run.
    bool toggle() {
        if (!canBeTouched()) return false;
        DispatchScope scope(weak_from_this().lock());
        setOn(!on_);
        sendActions(ControlEvent::valueChanged);
        return true;
    }
    const std::optional<Color>& onTintColor() const { return onTint_; }
    void setOnTintColor(std::optional<Color> color) {
        onTint_ = color;
        changed("onTintColor");
    }

private:
    bool on_ = false;
    std::optional<Color> onTint_;
};

}  // namespace tq
