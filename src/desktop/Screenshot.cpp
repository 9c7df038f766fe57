#include "desktop/Screenshot.h"

namespace tq::desktop {

bool writePng(GtkWidget* widget, const std::filesystem::path& path) {
    const int width = gtk_widget_get_width(widget);
    const int height = gtk_widget_get_height(widget);
    GtkNative* native = gtk_widget_get_native(widget);
    if (width <= 0 || height <= 0 || !native || !gtk_native_get_renderer(native)) return false;
    GdkPaintable* paintable = gtk_widget_paintable_new(widget);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    g_object_unref(paintable);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    if (!node) return false;
    const graphene_rect_t viewport = GRAPHENE_RECT_INIT(0, 0, float(width), float(height));
    GdkTexture* texture = gsk_renderer_render_texture(gtk_native_get_renderer(native), node, &viewport);
    gsk_render_node_unref(node);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const bool saved = texture && gdk_texture_save_to_png(texture, path.c_str());
    if (texture) g_object_unref(texture);
    return saved;
}

}  // namespace tq::desktop
