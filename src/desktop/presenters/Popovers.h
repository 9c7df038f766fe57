#pragma once

// A screen presented as a popover, drawn where it points. Its view keeps its widget in the mirror
// (the widget tree still equals the view tree); only its place changes: the widget sits next to
// its anchor (the source view's widget, or the button of the bar button item) at the size the
// presentation gave the view (the screen's preferred content size), with an arrow towards the anchor. A click outside it or Escape dismisses
// the screen as its own dismissal does, so its delegate hears of it the same way.

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "platform/ui/Geometry.h"
#include "platform/ui/Presentation.h"

namespace tq {
class ViewController;
}

namespace tq::desktop {

class Mirror;

// Where a popover of `content` size goes next to `anchor` on a screen of `screen` size: below the
// anchor (arrow up) when it fits, else above, else beside; kept inside the screen's margins and
// made smaller when the screen has no room for it. No anchor: centred, no arrow.
struct PopoverFrame {
    Rect content;
    std::optional<PopoverArrowDirection> arrow;  // the way the arrow points
    Point arrowTip;                              // on the anchor's edge
};
PopoverFrame placePopover(std::optional<Rect> anchor, Size content, Size screen, PopoverArrowDirection permitted);

class Popovers {
public:
    // `stage`: an overlay widget over the mirror's root, owned by the caller.
    Popovers(GtkWidget* stage, Mirror& mirror);
    ~Popovers();
    Popovers(const Popovers&) = delete;
    Popovers& operator=(const Popovers&) = delete;

    void sync();
    // Escape: dismisses the popover shown. Returns whether there was one.
    bool cancel();
    // The screen shown as a popover now, if any, and the arrow drawn for it (tests).
    std::shared_ptr<ViewController> shown() const { return shown_.lock(); }
    GtkWidget* arrow() const { return arrow_; }

private:
    void show(const std::shared_ptr<ViewController>& screen);
    void clear();
    // Places the popover's widget and its arrow from where its anchor is drawn now.
    void place();
    bool dismissFromOutside(double x, double y);

    GtkWidget* stage_;
    Mirror& mirror_;
    std::weak_ptr<ViewController> shown_;
    GtkWidget* widget_ = nullptr;  // the shown screen's view widget; a weak pointer
    GtkWidget* arrow_ = nullptr;
    std::optional<PopoverArrowDirection> arrowDirection_;
    GdkFrameClock* clock_ = nullptr;
    gulong layoutHandler_ = 0;
};

}  // namespace tq::desktop
