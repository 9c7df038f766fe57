#include "desktop/KeyboardAccessory.h"

#include <algorithm>
#include <functional>

#include "desktop/Mirror.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/TextField.h"

namespace tq::desktop {

namespace {

constexpr double kBarHeight = 44;

// The first responder with a toolbar among `view` and its descendants, if it is drawn.
std::shared_ptr<TextField> editedField(const View& view, const Mirror& mirror) {
    if (view.isHidden()) return nullptr;
    if (auto* field = dynamic_cast<const TextField*>(&view)) {
        GtkWidget* widget = mirror.widgetFor(view);
        if (field->isFirstResponder() && dynamic_cast<Toolbar*>(field->inputAccessoryView().get()) && widget &&
            gtk_widget_get_mapped(widget)) {
            return std::static_pointer_cast<TextField>(std::const_pointer_cast<View>(view.shared_from_this()));
        }
        return nullptr;
    }
    for (const auto& child : view.subviews()) {
        if (auto found = editedField(*child, mirror)) return found;
    }
    return nullptr;
}

}  // namespace

KeyboardAccessory::KeyboardAccessory(GtkWidget* layer, Mirror& mirror) : layer_(layer), mirror_(mirror) {
    placeHandler_ = g_signal_connect(layer_, "get-child-position", G_CALLBACK(place), this);
}

KeyboardAccessory::~KeyboardAccessory() {
    hide();
    g_signal_handler_disconnect(layer_, placeHandler_);
}

void KeyboardAccessory::sync(const View* screen) {
    auto field = screen ? editedField(*screen, mirror_) : nullptr;
    if (!field) {
        hide();
        return;
    }
    if (field != field_.lock() || field->inputAccessoryView() != toolbar_.lock() ||
        mirror_.syncCount(*field) != fieldSyncs_) {
        show(field);
    }
    // The field may have moved (a scroll, a turn of the device): the bar follows it.
    gtk_widget_queue_allocate(layer_);
}

void KeyboardAccessory::show(const std::shared_ptr<TextField>& field) {
    // A bar whose item has the keyboard focus is filled again in place, so the focus stays in it.
    GtkRoot* root = gtk_widget_get_root(layer_);
    GtkWidget* focus = root ? gtk_root_get_focus(root) : nullptr;
    int focusedItem = -1;
    if (bar_ && focus && gtk_widget_is_ancestor(focus, bar_)) {
        int i = 0;
        for (GtkWidget* c = gtk_widget_get_first_child(bar_); c; c = gtk_widget_get_next_sibling(c), ++i) {
            if (c == focus || gtk_widget_is_ancestor(focus, c)) focusedItem = i;
        }
    }
    hide();
    auto* toolbar = static_cast<Toolbar*>(field->inputAccessoryView().get());
    bar_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    gtk_widget_set_name(bar_, "tq-keyboard-accessory");
    gtk_widget_add_css_class(bar_, "tq-navigation-bar");
    gtk_widget_add_css_class(bar_, "tq-keyboard-accessory");
    gtk_widget_set_size_request(bar_, -1, int(std::max(kBarHeight, toolbar->frame().height())));
    fillBarItems(bar_, toolbar->items(), mirror_.images());
    int i = 0;
    for (GtkWidget* item = gtk_widget_get_first_child(bar_); item; item = gtk_widget_get_next_sibling(item), ++i) {
        // A click on an item leaves the keyboard focus in the field, as a tap on the device does.
        gtk_widget_set_focus_on_click(item, FALSE);
        if (i == focusedItem) gtk_widget_grab_focus(item);
    }
    gtk_overlay_add_overlay(GTK_OVERLAY(layer_), bar_);
    field_ = field;
    toolbar_ = field->inputAccessoryView();
    fieldSyncs_ = mirror_.syncCount(*field);
}

void KeyboardAccessory::hide() {
    if (bar_) gtk_overlay_remove_overlay(GTK_OVERLAY(layer_), bar_);
    bar_ = nullptr;
    field_.reset();
    toolbar_.reset();
    fieldSyncs_ = -1;
}

gboolean KeyboardAccessory::place(GtkOverlay*, GtkWidget* child, GdkRectangle* allocation, gpointer data) {
    auto* self = static_cast<KeyboardAccessory*>(data);
    if (child != self->bar_) return FALSE;
    auto field = self->field_.lock();
    GtkWidget* widget = field ? self->mirror_.widgetFor(*field) : nullptr;
    graphene_rect_t bounds;
    if (!widget || !gtk_widget_compute_bounds(widget, self->layer_, &bounds)) {
        *allocation = GdkRectangle{0, 0, 0, 0};
        return TRUE;
    }
    int minimumWidth = 0, naturalHeight = 0, ignored = 0;
    gtk_widget_measure(child, GTK_ORIENTATION_HORIZONTAL, -1, &minimumWidth, &ignored, nullptr, nullptr);
    gtk_widget_measure(child, GTK_ORIENTATION_VERTICAL, -1, &ignored, &naturalHeight, nullptr, nullptr);
    const int layerWidth = gtk_widget_get_width(self->layer_), layerHeight = gtk_widget_get_height(self->layer_);
    const int width = std::max(int(bounds.size.width), minimumWidth);
    int x = std::clamp(int(bounds.origin.x), 0, std::max(0, layerWidth - width));
    int y = int(bounds.origin.y + bounds.size.height);
    if (y + naturalHeight > layerHeight) y = std::max(0, int(bounds.origin.y) - naturalHeight);
    *allocation = GdkRectangle{x, y, width, naturalHeight};
    return TRUE;
}

}  // namespace tq::desktop
