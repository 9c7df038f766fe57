#include "desktop/ArrangementLayout.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "desktop/ViewWidget.h"

struct _TqArrangementLayout {
    GtkLayoutManager parent_instance;
};

G_DEFINE_TYPE(TqArrangementLayout, tq_arrangement_layout, GTK_TYPE_LAYOUT_MANAGER)

namespace {

using tq::desktop::LayoutChild;

double measuredHeight(void* context, double width) {
    int minimum = 0, natural = 0;
    gtk_widget_measure(GTK_WIDGET(context), GTK_ORIENTATION_VERTICAL, width >= 0 ? int(std::lround(width)) : -1,
                       &minimum, &natural, nullptr, nullptr);
    return natural;
}

tq::Size naturalOf(GtkWidget* widget) {
    int minimum = 0, width = 0, height = 0;
    gtk_widget_measure(widget, GTK_ORIENTATION_HORIZONTAL, -1, &minimum, &width, nullptr, nullptr);
    gtk_widget_measure(widget, GTK_ORIENTATION_VERTICAL, -1, &minimum, &height, nullptr, nullptr);
    return {double(width), double(height)};
}

// The children the arrangement places: shown ones, without the content widget.
std::vector<GtkWidget*> arrangedChildren(GtkWidget* widget) {
    std::vector<GtkWidget*> children;
    const auto& state = tq::desktop::viewWidgetState(widget);
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (child != state.content && gtk_widget_get_visible(child)) children.push_back(child);
    }
    return children;
}

std::vector<LayoutChild> layoutChildren(const std::vector<GtkWidget*>& widgets) {
    std::vector<LayoutChild> children;
    for (GtkWidget* child : widgets) {
        LayoutChild c;
        if (tq::desktop::isViewWidget(child)) c.spec = tq::desktop::viewWidgetState(child).spec;
        c.natural = naturalOf(child);
        c.heightForWidth = measuredHeight;
        c.context = child;
        children.push_back(c);
    }
    return children;
}

void arrangementMeasure(GtkLayoutManager*, GtkWidget* widget, GtkOrientation orientation, int forSize, int* minimum,
                        int* natural, int* minimumBaseline, int* naturalBaseline) {
    const auto& state = tq::desktop::viewWidgetState(widget);
    *minimumBaseline = *naturalBaseline = -1;
    if (state.exactSize) {
        *minimum = *natural =
            int(orientation == GTK_ORIENTATION_HORIZONTAL ? state.exactSize->width : state.exactSize->height);
        return;
    }
    auto children = layoutChildren(arrangedChildren(widget));
    double forWidth = orientation == GTK_ORIENTATION_VERTICAL ? forSize : -1;
    auto size = tq::desktop::naturalSize(state.arrangement, children, forWidth);
    double value = orientation == GTK_ORIENTATION_HORIZONTAL ? size.width : size.height;
    if (state.content && gtk_widget_get_visible(state.content)) {
        int contentMin = 0, contentNat = 0;
        gtk_widget_measure(state.content, orientation, forSize, &contentMin, &contentNat, nullptr, nullptr);
        value = std::max(value, double(contentNat));
    }
    double least = orientation == GTK_ORIENTATION_HORIZONTAL ? state.minimumContent.width : state.minimumContent.height;
    value = std::max(value, least);
    *natural = int(std::ceil(value));
    // A scroll view's content must be given its whole length, so it asks for it as its minimum.
    *minimum = least > 0 ? *natural : 0;
    *minimumBaseline = *naturalBaseline = -1;
}

void arrangementAllocate(GtkLayoutManager*, GtkWidget* widget, int width, int height, int) {
    const auto& state = tq::desktop::viewWidgetState(widget);
    if (state.content && gtk_widget_get_visible(state.content)) {
        int m = 0, n = 0;
        gtk_widget_measure(state.content, GTK_ORIENTATION_HORIZONTAL, -1, &m, &n, nullptr, nullptr);
        gtk_widget_measure(state.content, GTK_ORIENTATION_VERTICAL, width, &m, &n, nullptr, nullptr);
        gtk_widget_allocate(state.content, width, height, -1, nullptr);
    }
    auto widgets = arrangedChildren(widget);
    auto children = layoutChildren(widgets);
    auto rects = tq::desktop::arrangeChildren(state.arrangement, {double(width), double(height)}, children);
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const auto& r = rects[i];
        graphene_point_t at = GRAPHENE_POINT_INIT(float(std::round(r.origin.x)), float(std::round(r.origin.y)));
        GskTransform* transform = gsk_transform_translate(nullptr, &at);
        gtk_widget_allocate(widgets[i], std::max(0, int(std::lround(r.width()))), std::max(0, int(std::lround(r.height()))),
                            -1, transform);
    }
}

GtkSizeRequestMode arrangementRequestMode(GtkLayoutManager*, GtkWidget*) {
    return GTK_SIZE_REQUEST_HEIGHT_FOR_WIDTH;
}

}  // namespace

static void tq_arrangement_layout_class_init(TqArrangementLayoutClass* klass) {
    auto* manager = GTK_LAYOUT_MANAGER_CLASS(klass);
    manager->measure = arrangementMeasure;
    manager->allocate = arrangementAllocate;
    manager->get_request_mode = arrangementRequestMode;
}

static void tq_arrangement_layout_init(TqArrangementLayout*) {}
