#include "desktop/ViewWidget.h"

#include "desktop/ArrangementLayout.h"

struct _TqViewWidget {
    GtkWidget parent_instance;
    tq::desktop::ViewWidgetState* state;
};

G_BEGIN_DECLS
#define TQ_TYPE_VIEW_WIDGET (tq_view_widget_get_type())
G_DECLARE_FINAL_TYPE(TqViewWidget, tq_view_widget, TQ, VIEW_WIDGET, GtkWidget)
G_END_DECLS

G_DEFINE_TYPE(TqViewWidget, tq_view_widget, GTK_TYPE_WIDGET)

namespace {

GdkRGBA rgba(const tq::Color& c) {
    return GdkRGBA{float(c.red), float(c.green), float(c.blue), float(c.alpha)};
}

void viewWidgetDispose(GObject* object) {
    GtkWidget* widget = GTK_WIDGET(object);
    while (GtkWidget* child = gtk_widget_get_first_child(widget)) gtk_widget_unparent(child);
    G_OBJECT_CLASS(tq_view_widget_parent_class)->dispose(object);
}

void viewWidgetFinalize(GObject* object) {
    delete TQ_VIEW_WIDGET(object)->state;
    G_OBJECT_CLASS(tq_view_widget_parent_class)->finalize(object);
}

void viewWidgetSnapshot(GtkWidget* widget, GtkSnapshot* snapshot) {
    const auto& look = TQ_VIEW_WIDGET(widget)->state->look;
    const float w = float(gtk_widget_get_width(widget));
    const float h = float(gtk_widget_get_height(widget));
    const graphene_rect_t bounds = GRAPHENE_RECT_INIT(0, 0, w, h);
    GskRoundedRect outline;
    gsk_rounded_rect_init_from_rect(&outline, &bounds, float(look.cornerRadius));
    const bool rounded = look.cornerRadius > 0;
    if (look.background && look.background->alpha > 0) {
        GdkRGBA color = rgba(*look.background);
        if (rounded) {
            gtk_snapshot_push_rounded_clip(snapshot, &outline);
            gtk_snapshot_append_color(snapshot, &color, &bounds);
            gtk_snapshot_pop(snapshot);
        } else {
            gtk_snapshot_append_color(snapshot, &color, &bounds);
        }
    }
    const bool clips = gtk_widget_get_overflow(widget) == GTK_OVERFLOW_HIDDEN && rounded;
    if (clips) gtk_snapshot_push_rounded_clip(snapshot, &outline);
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        gtk_widget_snapshot_child(widget, child, snapshot);
    }
    if (clips) gtk_snapshot_pop(snapshot);
    if (look.borderWidth > 0 && look.borderColor) {
        const float b = float(look.borderWidth);
        const float widths[4] = {b, b, b, b};
        GdkRGBA color = rgba(*look.borderColor);
        const GdkRGBA colors[4] = {color, color, color, color};
        gtk_snapshot_append_border(snapshot, &outline, widths, colors);
    }
}

}  // namespace

static void tq_view_widget_class_init(TqViewWidgetClass* klass) {
    G_OBJECT_CLASS(klass)->dispose = viewWidgetDispose;
    G_OBJECT_CLASS(klass)->finalize = viewWidgetFinalize;
    GTK_WIDGET_CLASS(klass)->snapshot = viewWidgetSnapshot;
    gtk_widget_class_set_layout_manager_type(GTK_WIDGET_CLASS(klass), TQ_TYPE_ARRANGEMENT_LAYOUT);
    gtk_widget_class_set_css_name(GTK_WIDGET_CLASS(klass), "tqview");
}

static void tq_view_widget_init(TqViewWidget* self) { self->state = new tq::desktop::ViewWidgetState(); }

namespace tq::desktop {

GtkWidget* viewWidgetNew() { return GTK_WIDGET(g_object_new(TQ_TYPE_VIEW_WIDGET, nullptr)); }

bool isViewWidget(GtkWidget* widget) { return widget && TQ_IS_VIEW_WIDGET(widget); }

ViewWidgetState& viewWidgetState(GtkWidget* widget) { return *TQ_VIEW_WIDGET(widget)->state; }

void viewWidgetSetContent(GtkWidget* widget, GtkWidget* content) {
    auto& state = viewWidgetState(widget);
    if (state.content == content) return;
    if (state.content) gtk_widget_unparent(state.content);
    state.content = content;
    // The content lies below the subviews' widgets.
    if (content) gtk_widget_insert_after(content, widget, nullptr);
    gtk_widget_queue_resize(widget);
}

void viewWidgetSetOverlay(GtkWidget* widget, GtkWidget* overlay) {
    auto& state = viewWidgetState(widget);
    if (state.overlay == overlay) return;
    if (state.overlay) gtk_widget_unparent(state.overlay);
    state.overlay = overlay;
    // Last, so that it is drawn, and picked, above the subviews' widgets (which the mirror places
    // after the content and one after another, never at the end).
    if (overlay) gtk_widget_insert_before(overlay, widget, nullptr);
    gtk_widget_queue_resize(widget);
}

void viewWidgetSetLook(GtkWidget* widget, const ViewLook& look) {
    auto& state = viewWidgetState(widget);
    if (state.look == look) return;
    state.look = look;
    gtk_widget_queue_draw(widget);
}

}  // namespace tq::desktop
