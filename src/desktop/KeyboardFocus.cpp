#include "desktop/KeyboardFocus.h"

#include <algorithm>

#include "desktop/KeyboardAccessory.h"
#include "desktop/Mirror.h"
#include "desktop/ViewWidget.h"
#include "desktop/presenters/Presenters.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace tq::desktop {

namespace {

gboolean onKey(GtkEventControllerKey*, guint key, guint, GdkModifierType state, gpointer data) {
    if (key != GDK_KEY_Tab && key != GDK_KEY_ISO_Left_Tab && key != GDK_KEY_KP_Tab) return FALSE;
    if (state & (GDK_CONTROL_MASK | GDK_ALT_MASK)) return FALSE;
    // Tab never falls through to GTK's own focus moves, which know nothing of screens underneath.
    static_cast<KeyboardFocus*>(data)->move(!(state & GDK_SHIFT_MASK) && key != GDK_KEY_ISO_Left_Tab);
    return TRUE;
}

// A widget Tab stops at, when it can take the focus; its parts are not stops of their own.
bool isStop(GtkWidget* widget) {
    return GTK_IS_BUTTON(widget) || GTK_IS_SWITCH(widget) || GTK_IS_RANGE(widget) || GTK_IS_ENTRY(widget);
}

bool contains(GtkWidget* outer, GtkWidget* inner) {
    return outer && inner && (outer == inner || gtk_widget_is_ancestor(inner, outer));
}

struct Placed {
    GtkWidget* widget;
    graphene_rect_t bounds;
};

// Reading order: lines from top to bottom, each from left to right. A line is the first control
// not yet placed and every control whose middle lies level with it.
std::vector<GtkWidget*> inReadingOrder(std::vector<Placed> placed) {
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.bounds.origin.y != b.bounds.origin.y ? a.bounds.origin.y < b.bounds.origin.y
                                                      : a.bounds.origin.x < b.bounds.origin.x;
    });
    std::vector<GtkWidget*> order;
    for (std::size_t i = 0; i < placed.size();) {
        const float bottom = placed[i].bounds.origin.y + placed[i].bounds.size.height;
        std::size_t end = i + 1;
        while (end < placed.size() && placed[end].bounds.origin.y + placed[end].bounds.size.height / 2 < bottom) ++end;
        std::stable_sort(placed.begin() + long(i), placed.begin() + long(end),
                         [](const Placed& a, const Placed& b) { return a.bounds.origin.x < b.bounds.origin.x; });
        for (; i < end; ++i) order.push_back(placed[i].widget);
    }
    return order;
}

// The row after (or before) `at`, across sections; none at the ends.
std::optional<IndexPath> neighbourRow(const TableView& table, IndexPath at, bool forward) {
    if (forward) {
        if (at.row + 1 < table.numberOfRows(at.section)) return IndexPath{at.section, at.row + 1};
        for (int s = at.section + 1; s < table.numberOfSections(); ++s) {
            if (table.numberOfRows(s) > 0) return IndexPath{s, 0};
        }
    } else {
        if (at.row > 0) return IndexPath{at.section, at.row - 1};
        for (int s = at.section - 1; s >= 0; --s) {
            if (table.numberOfRows(s) > 0) return IndexPath{s, table.numberOfRows(s) - 1};
        }
    }
    return std::nullopt;
}

const TextField* firstResponderIn(const View& view) {
    if (view.isHidden()) return nullptr;
    if (auto* field = dynamic_cast<const TextField*>(&view)) return field->isFirstResponder() ? field : nullptr;
    for (const auto& child : view.subviews()) {
        if (const auto* found = firstResponderIn(*child)) return found;
    }
    return nullptr;
}

}  // namespace

KeyboardFocus::KeyboardFocus(GtkWindow* window, Mirror& mirror, Presenters& presenters, KeyboardAccessory& accessory)
    : window_(window), mirror_(mirror), presenters_(presenters), accessory_(accessory) {
    keys_ = gtk_event_controller_key_new();
    gtk_event_controller_set_name(keys_, "tq-focus-keys");
    gtk_event_controller_set_propagation_phase(keys_, GTK_PHASE_CAPTURE);
    g_signal_connect(keys_, "key-pressed", G_CALLBACK(onKey), this);
    gtk_widget_add_controller(GTK_WIDGET(window_), keys_);
    focusHandler_ = g_signal_connect_swapped(window_, "notify::focus-widget", G_CALLBACK(+[](KeyboardFocus* self) {
                                                 self->focusChanged();
                                             }),
                                             this);
}

KeyboardFocus::~KeyboardFocus() {
    g_signal_handler_disconnect(window_, focusHandler_);
    gtk_widget_remove_controller(GTK_WIDGET(window_), keys_);
}

const View* KeyboardFocus::topScreen() const {
    if (presenters_.dialog()) return nullptr;
    auto top = mirror_.window().topPresentedViewController();
    return top && top->isViewLoaded() ? &top->view() : nullptr;
}

GtkWidget* KeyboardFocus::topLayer() const {
    if (GtkWidget* dialog = presenters_.dialog()) return dialog;
    if (const View* screen = topScreen()) {
        if (GtkWidget* widget = mirror_.widgetFor(*screen)) return widget;
    }
    return mirror_.rootWidget();
}

bool KeyboardFocus::canTakeFocus(GtkWidget* widget) const {
    if (!gtk_widget_get_mapped(widget) || !gtk_widget_is_sensitive(widget)) return false;
    if (!GTK_IS_ENTRY(widget) && !gtk_widget_get_focusable(widget)) return false;
    if (gtk_widget_get_width(widget) <= 0 || gtk_widget_get_height(widget) <= 0) return false;
    // What a touch could not reach, a key cannot either.
    for (GtkWidget* w = widget; w; w = gtk_widget_get_parent(w)) {
        if (auto view = mirror_.viewFor(w)) return view->isInteractiveInTree();
    }
    return true;  // a dialog's own control
}

std::vector<GtkWidget*> KeyboardFocus::chain() const {
    GtkWidget* layer = topLayer();
    GtkWidget* window = GTK_WIDGET(window_);
    std::vector<Placed> placed;
    auto visit = [&](auto& self, GtkWidget* widget) -> void {
        if (!gtk_widget_get_visible(widget) || !gtk_widget_get_child_visible(widget) || GTK_IS_SCROLLBAR(widget)) return;
        const bool row = isViewWidget(widget) && std::dynamic_pointer_cast<TableViewCell>(mirror_.viewFor(widget));
        if (row || isStop(widget)) {
            graphene_rect_t bounds;
            if (canTakeFocus(widget) && gtk_widget_compute_bounds(widget, window, &bounds)) placed.push_back({widget, bounds});
            if (!row) return;  // a row's own controls are stops too
        }
        for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
            self(self, child);
        }
    };
    visit(visit, layer);
    auto order = inReadingOrder(std::move(placed));
    // The keyboard toolbar's items come right after the field they belong to.
    auto field = accessory_.field();
    GtkWidget* fieldWidget = field ? mirror_.widgetFor(*field) : nullptr;
    auto at = std::find_if(order.begin(), order.end(), [&](GtkWidget* w) { return contains(fieldWidget, w); });
    if (accessory_.bar() && at != order.end()) {
        std::vector<GtkWidget*> items;
        for (GtkWidget* item = gtk_widget_get_first_child(accessory_.bar()); item; item = gtk_widget_get_next_sibling(item)) {
            if (GTK_IS_BUTTON(item) && gtk_widget_is_sensitive(item) && gtk_widget_get_mapped(item)) items.push_back(item);
        }
        order.insert(at + 1, items.begin(), items.end());
    }
    return order;
}

void KeyboardFocus::move(bool forward) {
    const auto stops = chain();
    if (stops.empty()) return;
    GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(window_));
    const long count = long(stops.size());
    long at = -1;
    for (long i = 0; i < count; ++i) {
        if (contains(stops[std::size_t(i)], focus)) at = i;
    }
    // Rows of a table out of sight come before what follows the table.
    if (at >= 0 && moveAlongTable(stops[std::size_t(at)], forward)) return;
    const long next = at < 0 ? (forward ? 0 : count - 1) : (at + (forward ? 1 : -1) + count) % count;
    gtk_widget_grab_focus(stops[std::size_t(next)]);
    gtk_window_set_focus_visible(window_, TRUE);
}

// Tab on the last row in sight of a table (Shift+Tab on the first) scrolls the next row into sight,
// as a person would, and gives it the focus.
bool KeyboardFocus::moveAlongTable(GtkWidget* from, bool forward) {
    auto cell = std::dynamic_pointer_cast<TableViewCell>(mirror_.viewFor(from));
    auto* table = cell ? dynamic_cast<TableView*>(cell->superview()) : nullptr;
    auto at = table ? table->indexPathForCell(*cell) : std::nullopt;
    auto target = at ? neighbourRow(*table, *at, forward) : std::nullopt;
    if (!target) return false;
    if (auto shown = table->cellForRowAt(*target)) {
        GtkWidget* widget = mirror_.widgetFor(*shown);
        if (widget && canTakeFocus(widget)) return false;  // in sight: the chain reaches it
    }
    auto rect = table->rectForRow(*target);
    if (!rect) return false;
    Point offset = table->contentOffset();
    offset.y = forward ? std::max(offset.y, rect->origin.y + rect->height() - table->frame().height())
                       : std::min(offset.y, rect->origin.y);
    if (!table->scrollTo(offset)) return false;
    mirror_.flush();
    auto shown = table->cellForRowAt(*target);
    GtkWidget* widget = shown ? mirror_.widgetFor(*shown) : nullptr;
    if (!widget || !gtk_widget_get_mapped(widget)) return false;
    gtk_widget_grab_focus(widget);
    gtk_window_set_focus_visible(window_, TRUE);
    return true;
}

void KeyboardFocus::sync() {
    focusFirstResponder();
    GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(window_));
    if (!focus || !contains(mirror_.rootWidget(), focus)) return;  // none, or the window's own (the header bar)
    if (contains(topLayer(), focus)) return;
    // The screen that held the focus is underneath now (or gone): its controls take no keys.
    gtk_window_set_focus(window_, nullptr);
}

// A field that became first responder while it could not take the focus (its view was still
// hidden when it was drawn) takes it once it is shown: the keys typed go to it.
void KeyboardFocus::focusFirstResponder() {
    const View* screen = topScreen();
    const TextField* field = screen ? firstResponderIn(*screen) : nullptr;
    GtkWidget* widget = field ? mirror_.widgetFor(*field) : nullptr;
    GtkWidget* entry = widget ? viewWidgetState(widget).content : nullptr;
    if (!entry || !GTK_IS_ENTRY(entry) || !gtk_widget_get_mapped(entry) || !gtk_widget_is_sensitive(entry)) return;
    if (!contains(entry, gtk_root_get_focus(GTK_ROOT(window_)))) gtk_widget_grab_focus(entry);
}

std::shared_ptr<TextField> KeyboardFocus::fieldOf(GtkWidget* widget) const {
    bool inEntry = false;
    for (GtkWidget* w = widget; w; w = gtk_widget_get_parent(w)) {
        inEntry = inEntry || GTK_IS_ENTRY(w);
        if (auto view = mirror_.viewFor(w)) return inEntry ? std::dynamic_pointer_cast<TextField>(view) : nullptr;
    }
    return nullptr;
}

void KeyboardFocus::focusChanged() {
    GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(window_));
    if (focus && contains(accessory_.bar(), focus)) return;  // on the field's own toolbar
    auto now = focus ? fieldOf(focus) : nullptr;
    auto before = focusedField_.lock();
    focusedField_ = now;
    if (before && before != now && before->isFirstResponder()) before->resignFirstResponder();
}

}  // namespace tq::desktop
