// Scroll views, tables and their cells, and the zoomable picture.
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/Signals.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/ImageScrollView.h"
#include "platform/ui/TableView.h"

namespace tq::desktop {

namespace {

struct ScrollParts {
    GtkWidget* scrolled = nullptr;
    GtkWidget* content = nullptr;  // the child host inside the scrolled window
    GtkWidget* picture = nullptr;  // a zoomable picture's
    Size pictureSize;              // the zoomed picture's size when it was last drawn
    Point dragged;                 // how far the drag under way has moved the picture so far
    bool syncing = false;
    Point offset;  // the offset the view holds, kept until GTK knows the content's size
};

void applyOffset(ScrollParts& parts) {
    parts.syncing = true;
    GtkAdjustment* h = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(parts.scrolled));
    GtkAdjustment* v = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(parts.scrolled));
    gtk_adjustment_set_value(h, std::max(0.0, parts.offset.x));
    gtk_adjustment_set_value(v, std::max(0.0, parts.offset.y));
    parts.syncing = false;
}

// A person scrolls: the view hears it through ScrollView::scrollTo.
void onAdjustment(GtkAdjustment*, gpointer data) {
    auto* holder = static_cast<std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>*>(data);
    auto parts = holder->second.lock();
    auto view = std::dynamic_pointer_cast<ScrollView>(holder->first.lock());
    if (!parts || !view || parts->syncing) return;
    GtkAdjustment* h = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(parts->scrolled));
    GtkAdjustment* v = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(parts->scrolled));
    Point offset{gtk_adjustment_get_value(h), gtk_adjustment_get_value(v)};
    if (std::abs(offset.x - view->contentOffset().x) < 0.5 && std::abs(offset.y - view->contentOffset().y) < 0.5) return;
    parts->offset = offset;
    if (!view->scrollTo(offset)) applyOffset(*parts);  // scrolling is off: back to where the view stands
}

// Once GTK knows the content's size, the view's offset can be shown.
void onAdjustmentRange(GtkAdjustment*, gpointer data) {
    auto* holder = static_cast<std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>*>(data);
    if (auto parts = holder->second.lock()) applyOffset(*parts);
}

void deleteHolder(gpointer data, GClosure*) {
    delete static_cast<std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>*>(data);
}

void connectAdjustments(const std::shared_ptr<ScrollParts>& parts, View& view) {
    for (GtkAdjustment* adjustment : {gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(parts->scrolled)),
                                      gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(parts->scrolled))}) {
        using Holder = std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>;
        g_signal_connect_data(adjustment, "value-changed", G_CALLBACK(onAdjustment),
                              new Holder(view.weak_from_this(), parts), deleteHolder, GConnectFlags(0));
        g_signal_connect_data(adjustment, "changed", G_CALLBACK(onAdjustmentRange),
                              new Holder(view.weak_from_this(), parts), deleteHolder, GConnectFlags(0));
    }
}

std::shared_ptr<ScrollParts> makeScroll(Node& node, View& view) {
    auto parts = std::make_shared<ScrollParts>();
    parts->scrolled = gtk_scrolled_window_new();
    parts->content = viewWidgetNew();
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(parts->scrolled), parts->content);
    if (GtkWidget* viewport = gtk_scrolled_window_get_child(GTK_SCROLLED_WINDOW(parts->scrolled))) {
        if (GTK_IS_SCROLLABLE(viewport)) {
            gtk_scrollable_set_vscroll_policy(GTK_SCROLLABLE(viewport), GTK_SCROLL_NATURAL);
            gtk_scrollable_set_hscroll_policy(GTK_SCROLLABLE(viewport), GTK_SCROLL_NATURAL);
        }
    }
    viewWidgetSetContent(node.widget, parts->scrolled);
    auto& content = viewWidgetState(parts->content);
    content.view = std::static_pointer_cast<const View>(view.shared_from_this());
    content.scroller = node.widget;
    viewWidgetState(node.widget).scrollContent = parts->content;
    node.childHost = parts->content;
    node.parts = parts;
    connectAdjustments(parts, view);
    return parts;
}

void syncScroll(Node& node, ScrollView& view, Size content) {
    auto& parts = partsOf<ScrollParts>(node);
    const bool wide = content.width > view.frame().width() + 0.5 && view.frame().width() > 0;
    GtkPolicyType along = view.isScrollEnabled() ? GTK_POLICY_AUTOMATIC : GTK_POLICY_EXTERNAL;
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(parts.scrolled), wide ? along : GTK_POLICY_NEVER, along);
    parts.offset = view.contentOffset();
    applyOffset(parts);
}

class ScrollViewRenderer : public Renderer {
public:
    const char* kind() const override { return "ScrollView"; }
    void create(Node& node, View& view, Mirror&) const override { makeScroll(node, view); }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& scroll = static_cast<ScrollView&>(view);
        syncScroll(node, scroll, scroll.contentSize());
    }
};

class TableViewRenderer : public Renderer {
public:
    const char* kind() const override { return "TableView"; }
    void create(Node& node, View& view, Mirror&) const override { makeScroll(node, view); }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& table = static_cast<TableView&>(view);
        // Only the rows in sight have cells; the content is as long as all the rows.
        syncScroll(node, table, Size{0, table.contentSize().height});
    }
};

struct CellParts {
    GtkWidget* accessory = nullptr;
    // Above the row's views in editing mode: the round delete control at the leading edge and,
    // once it is clicked, the Delete button at the trailing edge.
    GtkWidget* editing = nullptr;
    GtkWidget* deleteControl = nullptr;
    GtkWidget* deleteButton = nullptr;
    // The row whose Delete button shows; a cell handed to another row hides it.
    std::optional<IndexPath> revealed;
};

void deleteWeakView(gpointer data, GClosure*) { delete static_cast<std::weak_ptr<View>*>(data); }

void unparentLater(GtkPopover* popover) {
    g_idle_add_once([](gpointer w) { gtk_widget_unparent(GTK_WIDGET(w)); }, popover);
}

// The row a cell stands for, in its table.
struct RowOf {
    std::shared_ptr<TableViewCell> cell;
    TableView* table = nullptr;
    IndexPath at;
};

std::optional<RowOf> rowOf(const std::weak_ptr<View>& weak) {
    auto cell = std::dynamic_pointer_cast<TableViewCell>(weak.lock());
    auto* table = cell ? dynamic_cast<TableView*>(cell->superview()) : nullptr;
    auto at = table ? table->indexPathForCell(*cell) : std::nullopt;
    if (!at) return std::nullopt;
    return RowOf{cell, table, *at};
}

// Shows the editing controls a row has now: none out of editing mode or on a row that cannot be
// deleted, the delete control on one that can, and its Delete button while it is revealed.
void showEditingControls(CellParts& parts, const std::optional<RowOf>& row) {
    const bool deletable = row && row->cell->isEditing() &&
                           row->table->editingStyleOfRow(row->at) == TableCellEditingStyle::deletion;
    if (!deletable || parts.revealed != row->at) parts.revealed.reset();
    gtk_widget_set_visible(parts.editing, deletable);
    gtk_widget_set_visible(parts.deleteButton, parts.revealed.has_value());
}

void buildEditingControls(GtkWidget* cellWidget, CellParts& parts, const std::weak_ptr<View>& weak,
                          const std::weak_ptr<CellParts>& weakParts) {
    parts.editing = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    parts.deleteControl = gtk_button_new_with_label("−");
    gtk_widget_set_name(parts.deleteControl, "tq-delete-control");
    gtk_widget_add_css_class(parts.deleteControl, "tq-delete-control");
    gtk_widget_set_valign(parts.deleteControl, GTK_ALIGN_CENTER);
    gtk_widget_set_margin_start(parts.deleteControl, 10);
    gtk_widget_set_focusable(parts.deleteControl, FALSE);
    GtkWidget* gap = gtk_label_new(nullptr);
    gtk_widget_set_hexpand(gap, TRUE);
    gtk_widget_set_can_target(gap, FALSE);
    parts.deleteButton = gtk_button_new_with_label("Delete");
    gtk_widget_set_name(parts.deleteButton, "tq-delete-confirmation");
    gtk_widget_add_css_class(parts.deleteButton, "tq-delete-confirmation");
    gtk_widget_set_focusable(parts.deleteButton, FALSE);
    gtk_box_append(GTK_BOX(parts.editing), parts.deleteControl);
    gtk_box_append(GTK_BOX(parts.editing), gap);
    gtk_box_append(GTK_BOX(parts.editing), parts.deleteButton);
    // The delete control only reveals the Delete button; deleting takes a second click, on it.
    onSignal(parts.deleteControl, "clicked", [weak, weakParts] {
        auto row = rowOf(weak);
        auto p = weakParts.lock();
        if (!row || !p) return;
        p->revealed = row->at;
        showEditingControls(*p, row);
    });
    onSignal(parts.deleteButton, "clicked", [weak, weakParts] {
        auto row = rowOf(weak);
        if (auto p = weakParts.lock()) {
            p->revealed.reset();
            gtk_widget_set_visible(p->deleteButton, FALSE);
        }
        if (row) row->table->tapDeleteConfirmation(row->at);
    });
    viewWidgetSetOverlay(cellWidget, parts.editing);
    gtk_widget_set_visible(parts.editing, FALSE);
}

// A click on a row selects it through the table; in editing mode it only hides a Delete button
// the row shows, so that a stray click never deletes.
void clickRow(const std::weak_ptr<View>& weak, const std::weak_ptr<CellParts>& weakParts) {
    auto row = rowOf(weak);
    if (!row) return;
    if (row->cell->isEditing()) {
        if (auto parts = weakParts.lock()) {
            parts->revealed.reset();
            showEditingControls(*parts, row);
        }
        return;
    }
    row->table->selectRow(row->at);
}

// Return or Space on the focused row selects it through the table; in editing mode it confirms
// the row's deletion.
void activateRow(const std::weak_ptr<View>& weak) {
    auto row = rowOf(weak);
    if (!row) return;
    if (row->cell->isEditing()) {
        row->table->tapDeleteConfirmation(row->at);
    } else {
        row->table->selectRow(row->at);
    }
}

// The row's swipe actions as buttons pointing at (x, y) of `anchor`; each taps its action
// through the table.
void showSwipeActions(GtkWidget* anchor, double x, double y, const RowOf& row, const SwipeActionsConfiguration& actions) {
    GtkWidget* popover = gtk_popover_new();
    gtk_widget_set_name(popover, "tq-swipe-actions");
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    std::weak_ptr<View> weakTable = row.table->weak_from_this();
    for (const auto& action : actions.actions) {
        GtkWidget* button = gtk_button_new_with_label(action.title.c_str());
        if (action.style == ContextualAction::Style::destructive) gtk_widget_add_css_class(button, "destructive-action");
        std::string title = action.title;
        IndexPath at = row.at;
        onSignal(button, "clicked", [weakTable, at, title, popover] {
            gtk_popover_popdown(GTK_POPOVER(popover));
            if (auto t = std::dynamic_pointer_cast<TableView>(weakTable.lock())) t->performSwipeAction(at, title);
        });
        gtk_box_append(GTK_BOX(box), button);
    }
    gtk_popover_set_child(GTK_POPOVER(popover), box);
    gtk_widget_set_parent(popover, anchor);
    g_signal_connect(popover, "closed", G_CALLBACK(unparentLater), nullptr);
    GdkRectangle at{int(x), int(y), 1, 1};
    gtk_popover_set_pointing_to(GTK_POPOVER(popover), &at);
    gtk_popover_popup(GTK_POPOVER(popover));
}

// A right click on a row offers what a swipe across it would.
void offerSwipeActions(GtkGestureClick* gesture, int, double x, double y, gpointer data) {
    auto row = rowOf(*static_cast<std::weak_ptr<View>*>(data));
    auto actions = row ? row->table->trailingSwipeActions(row->at) : std::nullopt;
    if (!actions || actions->actions.empty()) return;
    showSwipeActions(gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(gesture)), x, y, *row, *actions);
}

// How far a pointer must drag a row to the left to swipe it; dragged past half the row's width,
// the swipe is a full one.
constexpr double kRowSwipeDistance = 40;

// A pointer dragged to the left across a row swipes it: its actions show at the row's trailing
// edge, or a full swipe carries out the first one when the row allows it. Mostly vertical drags,
// short ones and drags to the right do nothing.
void swipeRowByDrag(GtkGestureDrag* gesture, double dx, double dy, gpointer data) {
    if (dx > -kRowSwipeDistance || std::abs(dy) * 2 > std::abs(dx)) return;
    auto row = rowOf(*static_cast<std::weak_ptr<View>*>(data));
    auto actions = row ? row->table->trailingSwipeActions(row->at) : std::nullopt;
    if (!actions || actions->actions.empty()) return;
    GtkWidget* widget = gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(gesture));
    const double width = gtk_widget_get_width(widget);
    if (actions->performsFirstActionWithFullSwipe && -dx >= width / 2) {
        row->table->performSwipeAction(row->at, actions->actions.front().title);
        return;
    }
    showSwipeActions(widget, std::max(0.0, width - 1), gtk_widget_get_height(widget) / 2.0, *row, *actions);
}

// A drag that has gone far enough to the left across a row with actions is the row's: views around
// it do not take it for a swipe of their own.
void claimRowSwipe(GtkGestureDrag* gesture, double dx, double dy, gpointer data) {
    if (dx > -kRowSwipeDistance || std::abs(dy) * 2 > std::abs(dx)) return;
    GdkEventSequence* sequence = gtk_gesture_single_get_current_sequence(GTK_GESTURE_SINGLE(gesture));
    if (gtk_gesture_get_sequence_state(GTK_GESTURE(gesture), sequence) == GTK_EVENT_SEQUENCE_CLAIMED) return;
    auto row = rowOf(*static_cast<std::weak_ptr<View>*>(data));
    auto actions = row ? row->table->trailingSwipeActions(row->at) : std::nullopt;
    if (actions && !actions->actions.empty()) gtk_gesture_set_state(GTK_GESTURE(gesture), GTK_EVENT_SEQUENCE_CLAIMED);
}

gboolean activateRowByKey(GtkEventControllerKey*, guint key, guint, GdkModifierType state, gpointer data) {
    if (state & (GDK_CONTROL_MASK | GDK_ALT_MASK)) return FALSE;
    if (key != GDK_KEY_Return && key != GDK_KEY_KP_Enter && key != GDK_KEY_ISO_Enter && key != GDK_KEY_space) return FALSE;
    activateRow(*static_cast<std::weak_ptr<View>*>(data));
    return TRUE;
}

struct ZoomHolder {
    std::weak_ptr<View> view;
    double lastScale;
};

void deleteZoomHolder(gpointer data, GClosure*) { delete static_cast<ZoomHolder*>(data); }

void onZoomBegin(GtkGesture*, GdkEventSequence*, gpointer data) { static_cast<ZoomHolder*>(data)->lastScale = 1.0; }

// Two fingers on a touch screen (or a touchpad's pinch) zoom the picture around their centre.
void onZoom(GtkGestureZoom* gesture, double scale, gpointer data) {
    auto* holder = static_cast<ZoomHolder*>(data);
    auto view = std::dynamic_pointer_cast<ImageScrollView>(holder->view.lock());
    double x = 0, y = 0;
    gtk_gesture_get_bounding_box_center(GTK_GESTURE(gesture), &x, &y);
    if (view && holder->lastScale > 0) view->pinch(scale / holder->lastScale, Point{x, y});
    holder->lastScale = scale;
}

// With Ctrl held, the mouse wheel zooms the picture around the pointer, as a pinch would: the
// desktop's way of zooming for a pointer without a touchpad.
gboolean onCtrlWheel(GtkEventControllerScroll* controller, double, double dy, gpointer data) {
    GdkEvent* event = gtk_event_controller_get_current_event(GTK_EVENT_CONTROLLER(controller));
    if (!event || !(gdk_event_get_modifier_state(event) & GDK_CONTROL_MASK) || dy == 0) return FALSE;
    auto view = std::dynamic_pointer_cast<ImageScrollView>(static_cast<ZoomHolder*>(data)->view.lock());
    if (!view) return FALSE;
    GtkWidget* widget = gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(controller));
    Point around{gtk_widget_get_width(widget) / 2.0, gtk_widget_get_height(widget) / 2.0};
    double x = 0, y = 0;
    GtkNative* native = gtk_widget_get_native(widget);
    if (native && gdk_event_get_position(event, &x, &y)) {
        double sx = 0, sy = 0;
        gtk_native_get_surface_transform(native, &sx, &sy);
        graphene_point_t in = GRAPHENE_POINT_INIT(float(x - sx), float(y - sy)), out;
        if (gtk_widget_compute_point(GTK_WIDGET(native), widget, &in, &out)) around = {out.x, out.y};
    }
    view->pinch(std::pow(1.25, -dy), around);
    return TRUE;
}

void onDragBegin(GtkGestureDrag*, double, double, gpointer data) {
    if (auto parts = static_cast<std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>*>(data)->second.lock()) {
        parts->dragged = {0, 0};
    }
}

// One finger, or the mouse held down, moves the zoomed picture with it.
void onDragUpdate(GtkGestureDrag*, double dx, double dy, gpointer data) {
    auto* holder = static_cast<std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>*>(data);
    auto view = std::dynamic_pointer_cast<ImageScrollView>(holder->first.lock());
    auto parts = holder->second.lock();
    if (!view || !parts) return;
    view->pan(dx - parts->dragged.x, dy - parts->dragged.y);
    parts->dragged = {dx, dy};
}

// A row: a click selects it through the table, as a tap would; a drag to the left or a right
// click offers its swipe actions, and a cell in editing mode shows its delete control.
class TableViewCellRenderer : public Renderer {
public:
    const char* kind() const override { return "TableViewCell"; }
    void create(Node& node, View& view, Mirror&) const override {
        std::weak_ptr<View> weak = view.weak_from_this();
        GtkWidget* widget = node.widget;
        auto parts = std::make_shared<CellParts>();
        std::weak_ptr<CellParts> weakParts = parts;
        onClick(widget, [weak, weakParts](double, double) { clickRow(weak, weakParts); });
        GtkGesture* secondary = gtk_gesture_click_new();
        gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(secondary), GDK_BUTTON_SECONDARY);
        g_signal_connect_data(secondary, "pressed", G_CALLBACK(offerSwipeActions), new std::weak_ptr<View>(weak),
                              deleteWeakView, GConnectFlags(0));
        gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(secondary));
        GtkGesture* drag = gtk_gesture_drag_new();
        gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(drag), GDK_BUTTON_PRIMARY);
        g_signal_connect_data(drag, "drag-end", G_CALLBACK(swipeRowByDrag), new std::weak_ptr<View>(weak), deleteWeakView,
                              GConnectFlags(0));
        g_signal_connect_data(drag, "drag-update", G_CALLBACK(claimRowSwipe), new std::weak_ptr<View>(weak),
                              deleteWeakView, GConnectFlags(0));
        gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(drag));
        // A row takes the keyboard focus (KeyboardFocus); Return or Space taps it.
        gtk_widget_set_focusable(widget, TRUE);
        GtkEventController* keys = gtk_event_controller_key_new();
        g_signal_connect_data(keys, "key-pressed", G_CALLBACK(activateRowByKey), new std::weak_ptr<View>(weak),
                              deleteWeakView, GConnectFlags(0));
        gtk_widget_add_controller(widget, keys);
        parts->accessory = gtk_label_new("\u203A");
        gtk_widget_set_halign(parts->accessory, GTK_ALIGN_END);
        gtk_widget_set_margin_end(parts->accessory, 12);
        viewWidgetSetContent(node.widget, parts->accessory);
        buildEditingControls(widget, *parts, weak, weakParts);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& cell = static_cast<TableViewCell&>(view);
        auto& parts = partsOf<CellParts>(node);
        switch (cell.accessoryType()) {
            case CellAccessoryType::disclosureIndicator: gtk_label_set_text(GTK_LABEL(parts.accessory), "\u203A"); break;
            case CellAccessoryType::checkmark: gtk_label_set_text(GTK_LABEL(parts.accessory), "\u2713"); break;
            default: gtk_label_set_text(GTK_LABEL(parts.accessory), ""); break;
        }
        showEditingControls(parts, rowOf(cell.weak_from_this()));
        const bool highlighted = cell.isSelected() && cell.selectionStyle() != CellSelectionStyle::none;
        if (highlighted) {
            gtk_widget_add_css_class(node.widget, "tq-cell-selected");
        } else {
            gtk_widget_remove_css_class(node.widget, "tq-cell-selected");
        }
    }
};

// A picture a person zooms and moves: drawn at the view's zoom scale inside a scrolled window.
class ImageScrollViewRenderer : public Renderer {
public:
    const char* kind() const override { return "ImageScrollView"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View& view, Mirror&) const override {
        auto parts = makeScroll(node, view);
        parts->picture = gtk_picture_new();
        gtk_picture_set_can_shrink(GTK_PICTURE(parts->picture), TRUE);
        // The content area is the zoomed picture, or the view where the picture is smaller: kept
        // in proportion, the picture is then drawn at its zoomed size, centred.
        gtk_picture_set_content_fit(GTK_PICTURE(parts->picture), GTK_CONTENT_FIT_CONTAIN);
        viewWidgetSetContent(parts->content, parts->picture);
        std::weak_ptr<View> weak = view.weak_from_this();
        GtkGesture* zoom = gtk_gesture_zoom_new();
        auto* holder = new ZoomHolder{weak, 1.0};
        g_signal_connect_data(zoom, "scale-changed", G_CALLBACK(onZoom), holder, deleteZoomHolder, GConnectFlags(0));
        g_signal_connect(zoom, "begin", G_CALLBACK(onZoomBegin), holder);
        gtk_widget_add_controller(node.widget, GTK_EVENT_CONTROLLER(zoom));
        GtkEventController* wheel = gtk_event_controller_scroll_new(GTK_EVENT_CONTROLLER_SCROLL_VERTICAL);
        // Before the scrolled window, which would otherwise take the wheel to scroll.
        gtk_event_controller_set_propagation_phase(wheel, GTK_PHASE_CAPTURE);
        g_signal_connect_data(wheel, "scroll", G_CALLBACK(onCtrlWheel), new ZoomHolder{weak, 1.0}, deleteZoomHolder,
                              GConnectFlags(0));
        gtk_widget_add_controller(node.widget, wheel);
        GtkGesture* drag = gtk_gesture_drag_new();
        gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(drag), GDK_BUTTON_PRIMARY);
        using Holder = std::pair<std::weak_ptr<View>, std::weak_ptr<ScrollParts>>;
        g_signal_connect_data(drag, "drag-begin", G_CALLBACK(onDragBegin), new Holder(weak, parts), deleteHolder,
                              GConnectFlags(0));
        g_signal_connect_data(drag, "drag-update", G_CALLBACK(onDragUpdate), new Holder(weak, parts), deleteHolder,
                              GConnectFlags(0));
        gtk_widget_add_controller(node.widget, GTK_EVENT_CONTROLLER(drag));
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& scroll = static_cast<ImageScrollView&>(view);
        auto& parts = partsOf<ScrollParts>(node);
        GdkTexture* texture = scroll.image() ? mirror.images().texture(*scroll.image()) : nullptr;
        gtk_picture_set_paintable(GTK_PICTURE(parts.picture), GDK_PAINTABLE(texture));
        Size content = scroll.contentSize();
        if (texture && (content.width <= 0 || content.height <= 0)) {
            content = {gdk_texture_get_width(texture) * scroll.zoomScale(), gdk_texture_get_height(texture) * scroll.zoomScale()};
        }
        if (content != parts.pictureSize) {  // a zoom: the content area takes the zoomed size
            parts.pictureSize = content;
            const Size area{std::max(content.width, scroll.frame().width()), std::max(content.height, scroll.frame().height())};
            viewWidgetState(parts.content).exactSize = texture ? std::optional<Size>(area) : std::nullopt;
            gtk_widget_queue_resize(parts.content);
        }
        syncScroll(node, scroll, content);
    }
};

}  // namespace

const Renderer& scrollViewRenderer() {
    static const ScrollViewRenderer r;
    return r;
}
const Renderer& tableViewRenderer() {
    static const TableViewRenderer r;
    return r;
}
const Renderer& tableViewCellRenderer() {
    static const TableViewCellRenderer r;
    return r;
}
const Renderer& imageScrollViewRenderer() {
    static const ImageScrollViewRenderer r;
    return r;
}

}  // namespace tq::desktop
