#pragma once

// Tells once that a window has drawn its first frame: after the frame clock's first paint, so the
// moment is when the picture was handed to the display, not when drawing was merely asked for.

#include <gtk/gtk.h>

#include <functional>

namespace tq::desktop {

// Calls `drawn` once, after the first frame of `window` (realized or not yet) is painted.
void onFirstFrame(GtkWidget* window, std::function<void()> drawn);

}  // namespace tq::desktop
