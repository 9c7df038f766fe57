#include "platform/ui/Slider.h"

#include <cmath>

namespace tq {

float Slider::clamped(float value) const {
    if (std::isnan(value)) return min_;
    if (value < min_) return min_;
    if (value > max_) return max_;
    return value;
}

void Slider::setValue(float value, bool) {
    value_ = clamped(value);
    changed("value");
}

void Slider::setMinimumValue(float min) {
    if (std::isnan(min)) return;
    min_ = min;
    if (max_ < min_) max_ = min_;
    value_ = clamped(value_);
    changed("minimumValue");
}

void Slider::setMaximumValue(float max) {
    // A duration of an empty or broken track can be NaN or negative: keep the range sound.
    if (std::isnan(max)) return;
    max_ = max;
    if (min_ > max_) min_ = max_;
    value_ = clamped(value_);
    changed("maximumValue");
}

bool Slider::moveTo(float value) {
    if (!canBeTouched()) return false;
    DispatchScope scope(weak_from_this().lock());
    setValue(value);
    sendActions(ControlEvent::valueChanged);
    return true;
}

}  // namespace tq
