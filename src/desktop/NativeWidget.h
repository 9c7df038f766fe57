#pragma once

#include <gtk/gtk.h>

namespace tq::desktop {

// An engine backend that draws into a GTK widget of its own (a web page). The window embeds that
// widget where it draws the view that owns the backend; the backend keeps the widget alive.
class NativeWidgetProvider {
public:
    virtual ~NativeWidgetProvider() = default;
    virtual GtkWidget* nativeWidget() = 0;
};

}  // namespace tq::desktop
