#include "desktop/ArrangementLayout.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "desktop/ViewWidget.h"
#include "platform/ui/LayoutRules.h"
#include "platform/ui/View.h"

struct _TqArrangementLayout {
    GtkLayoutManager parent_instance;
};

G_DEFINE_TYPE(TqArrangementLayout, tq_arrangement_layout, GTK_TYPE_LAYOUT_MANAGER)

namespace {

// The key the mirror sets on every view's widget (see Mirror.cpp).
constexpr const char* kViewKey = "tq-view";

tq::Size sizeOf(GtkWidget* widget) { return {double(gtk_widget_get_width(widget)), double(gtk_widget_get_height(widget))}; }

// The size the rules give a scroll view's content at the scroll view's present size.
tq::Size contentSizeOf(const tq::desktop::ViewWidgetState& state, const tq::View& view) {
    return tq::layoutContainer(view, sizeOf(state.scroller)).contentSize;
}

void arrangementMeasure(GtkLayoutManager*, GtkWidget* widget, GtkOrientation orientation, int forSize, int* minimum,
                        int* natural, int* minimumBaseline, int* naturalBaseline) {
    auto& state = tq::desktop::viewWidgetState(widget);
    *minimumBaseline = *naturalBaseline = -1;
    *minimum = *natural = 0;
    if (state.exactSize) {
        *minimum = *natural =
            int(orientation == GTK_ORIENTATION_HORIZONTAL ? state.exactSize->width : state.exactSize->height);
        return;
    }
    auto view = state.view.lock();
    if (!view) return;
    tq::Size size;
    if (state.scroller) {
        // The scrolled content is as large as the rules make it; GTK scrolls over it.
        state.scrollerSize = sizeOf(state.scroller);
        size = contentSizeOf(state, *view);
        *minimum = int(std::ceil(orientation == GTK_ORIENTATION_HORIZONTAL ? size.width : size.height));
    } else {
        size = tq::naturalSizeOf(*view);
    }
    *natural = std::max(*minimum, int(std::ceil(orientation == GTK_ORIENTATION_HORIZONTAL ? size.width : size.height)));
    (void)forSize;
}

void allocateChild(GtkWidget* child, const tq::Rect& r) {
    int m = 0, n = 0;
    gtk_widget_measure(child, GTK_ORIENTATION_HORIZONTAL, -1, &m, &n, nullptr, nullptr);
    gtk_widget_measure(child, GTK_ORIENTATION_VERTICAL, -1, &m, &n, nullptr, nullptr);
    graphene_point_t at = GRAPHENE_POINT_INIT(float(std::round(r.origin.x)), float(std::round(r.origin.y)));
    gtk_widget_allocate(child, std::max(0, int(std::lround(r.width()))), std::max(0, int(std::lround(r.height()))), -1,
                        gsk_transform_translate(nullptr, &at));
}

void arrangementAllocate(GtkLayoutManager*, GtkWidget* widget, int width, int height, int) {
    auto& state = tq::desktop::viewWidgetState(widget);
    if (state.scrollContent) {
        // The content area is as large as the rules make it at this scroll view's size: measured
        // at another size, it is measured again before the scrolled window places it.
        const auto& content = tq::desktop::viewWidgetState(state.scrollContent);
        if (content.scrollerSize.width != width || content.scrollerSize.height != height) {
            gtk_widget_queue_resize(state.scrollContent);
        }
    }
    for (GtkWidget* filling : {state.content, state.overlay}) {
        if (filling && gtk_widget_get_visible(filling)) allocateChild(filling, tq::Rect(0, 0, width, height));
    }
    std::map<const tq::View*, GtkWidget*> children;
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (child == state.content || child == state.overlay || !gtk_widget_get_visible(child)) continue;
        children[static_cast<const tq::View*>(g_object_get_data(G_OBJECT(child), kViewKey))] = child;
    }
    auto view = state.view.lock();
    if (!view || children.empty()) return;
    // A scroll view's children lie in its content area: the rules place them at the scroll view's size.
    tq::Size size = state.scroller ? sizeOf(state.scroller) : tq::Size{double(width), double(height)};
    auto layout = tq::layoutContainer(*view, size);
    ++state.layouts;
    for (const auto& placement : layout.children) {
        auto it = children.find(placement.child);
        if (it == children.end()) continue;
        const auto& presented = tq::desktop::viewWidgetState(it->second).placement;
        allocateChild(it->second, presented ? *presented : placement.rect);
        children.erase(it);
    }
    // What the rules do not place (a view the tree no longer holds, drawn until the next flush).
    for (auto& [key, child] : children) allocateChild(child, tq::Rect());
}

GtkSizeRequestMode arrangementRequestMode(GtkLayoutManager*, GtkWidget*) { return GTK_SIZE_REQUEST_CONSTANT_SIZE; }

}  // namespace

static void tq_arrangement_layout_class_init(TqArrangementLayoutClass* klass) {
    auto* manager = GTK_LAYOUT_MANAGER_CLASS(klass);
    manager->measure = arrangementMeasure;
    manager->allocate = arrangementAllocate;
    manager->get_request_mode = arrangementRequestMode;
}

static void tq_arrangement_layout_init(TqArrangementLayout*) {}
