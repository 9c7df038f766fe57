#pragma once

#include "platform/ui/TextField.h"

namespace tq {

// Puts a toolbar with a close button on top of the field's keyboard; the button closes the
// keyboard of this field only.
void addKeyboardToolbar(TextField& field);
void resignResponder(TextField& field);
// A 20-point icon inside the field's left edge, inset 8 points, shown in every editing state.
void setLeftIcon(TextField& field, const Image& image);

}  // namespace tq
