#pragma once

// The widget that stands for one view: it draws the view's own look (background, corner radius,
// border), may hold one content widget that fills it (a label, a picture, a button), and places
// the widgets of the view's subviews with the arrangement layout (ArrangementLayout.h).

#include <gtk/gtk.h>

#include <memory>
#include <optional>

#include "platform/ui/Geometry.h"
#include "platform/ui/Style.h"

namespace tq {
class View;
}

namespace tq::desktop {

struct ViewLook {
    std::optional<Color> background;
    double cornerRadius = 0;
    double borderWidth = 0;
    std::optional<Color> borderColor;
    bool operator==(const ViewLook&) const = default;
};

// What the mirror writes on a view's widget for the layout and the drawing to read. The layout
// reads the view through a weak reference: a view may go between two frames.
struct ViewWidgetState {
    std::weak_ptr<const View> view;  // the view whose children this widget places
    ViewLook look;
    GtkWidget* content = nullptr;  // fills the widget, below the children; not placed by the arrangement
    // Fills the widget above the children (a row's editing controls); not placed by the arrangement.
    GtkWidget* overlay = nullptr;
    // A scroll view's content area: this widget is placed inside `scroller`'s scrolled window and
    // is as large as the rules make the content of the view at the scroller's size.
    GtkWidget* scroller = nullptr;
    Size scrollerSize;  // the scroller's size when the content was last measured
    // On a scroll view's own widget: its content area (whose measure depends on this widget's size).
    GtkWidget* scrollContent = nullptr;
    // How many times the layout placed this widget's children (tests count what a change relays out).
    int layouts = 0;
    // The window's own widget is the device's screen: exactly this size, whatever it holds.
    std::optional<Size> exactSize;
    // Where a presenter shows this widget in its parent instead of where the rules place it (a
    // screen presented as a popover sits next to what it points at).
    std::optional<Rect> placement;
};

// A new view widget (a floating reference, as GTK widgets are made).
GtkWidget* viewWidgetNew();
bool isViewWidget(GtkWidget* widget);
ViewWidgetState& viewWidgetState(GtkWidget* widget);
// Puts `content` (or nothing) in the widget, in place of the content it had.
void viewWidgetSetContent(GtkWidget* widget, GtkWidget* content);
// Puts `overlay` (or nothing) above the widget's children, in place of the overlay it had.
void viewWidgetSetOverlay(GtkWidget* widget, GtkWidget* overlay);
void viewWidgetSetLook(GtkWidget* widget, const ViewLook& look);

}  // namespace tq::desktop
