// Web pages, the video layer's area and 360-degree panoramas.
#include <cstdint>
#include <memory>

#include "desktop/GtkVideoSurface.h"
#include "desktop/Mirror.h"
#include "desktop/NativeWidget.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/media/PanoramaView.h"
#include "platform/media/VideoPlayer.h"
#include "platform/web/WebView.h"

namespace tq::desktop {

namespace {

// A page drawn by a real engine embeds the engine's own widget; the headless engine draws nothing.
class WebViewRenderer : public Renderer {
public:
    const char* kind() const override { return "WebView"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void sync(Node& node, View& view, Mirror&) const override {
        auto* provider = dynamic_cast<NativeWidgetProvider*>(&static_cast<WebView&>(view).backend());
        GtkWidget* page = provider ? provider->nativeWidget() : nullptr;
        if (page && viewWidgetState(node.widget).content != page) {
            // The engine keeps its widget; it may have been drawn under another widget before.
            if (GtkWidget* parent = gtk_widget_get_parent(page)) {
                g_object_ref(page);
                if (isViewWidget(parent)) viewWidgetSetContent(parent, nullptr);
                else gtk_widget_unparent(page);
                viewWidgetSetContent(node.widget, page);
                g_object_unref(page);
            } else {
                viewWidgetSetContent(node.widget, page);
            }
        }
    }
};

struct VideoParts {
    GtkWidget* picture;
    std::shared_ptr<VideoSurface> surface;
};

// The video layer's area: a picture the player's engine sets its frames on. The surface keeps the
// picture alive for as long as the layer or its engine holds it, so an engine never draws on a
// widget the window let go.
class VideoLayerRenderer : public Renderer {
public:
    const char* kind() const override { return "VideoPlayerLayer"; }
    void create(Node& node, View&, Mirror&) const override {
        auto parts = std::make_shared<VideoParts>();
        parts->picture = gtk_picture_new();
        gtk_picture_set_can_shrink(GTK_PICTURE(parts->picture), TRUE);
        GtkWidget* picture = GTK_WIDGET(g_object_ref(parts->picture));
        parts->surface = std::shared_ptr<VideoSurface>(new GtkVideoSurface(GTK_PICTURE(picture)), [picture](VideoSurface* s) {
            delete s;
            g_object_unref(picture);
        });
        viewWidgetSetContent(node.widget, parts->picture);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& layer = static_cast<VideoPlayerLayer&>(view);
        auto& parts = partsOf<VideoParts>(node);
        GtkContentFit fit = GTK_CONTENT_FIT_CONTAIN;
        if (layer.videoGravity() == VideoGravity::resizeAspectFill) fit = GTK_CONTENT_FIT_COVER;
        if (layer.videoGravity() == VideoGravity::resize) fit = GTK_CONTENT_FIT_FILL;
        gtk_picture_set_content_fit(GTK_PICTURE(parts.picture), fit);
        if (layer.surface() != parts.surface) layer.setSurface(parts.surface);
    }
};

struct DragState {
    std::weak_ptr<View> view;
    double x = 0, y = 0;
};

void onDragBegin(GtkGestureDrag*, double, double, gpointer data) {
    auto* state = static_cast<DragState*>(data);
    state->x = state->y = 0;
}

void onDragUpdate(GtkGestureDrag* gesture, double x, double y, gpointer data) {
    auto* state = static_cast<DragState*>(data);
    auto panorama = std::dynamic_pointer_cast<PanoramaView>(state->view.lock());
    // A picture that follows the pointer keeps the drag: the screen around it does not swipe.
    if (panorama && panorama->drag(x - state->x, y - state->y)) {
        gtk_gesture_set_state(GTK_GESTURE(gesture), GTK_EVENT_SEQUENCE_CLAIMED);
    }
    state->x = x;
    state->y = y;
}

void deleteDragState(gpointer data, GClosure*) { delete static_cast<DragState*>(data); }

// What a panorama shows, drawn by the view's own projection at half the widget's resolution.
void drawPanorama(GtkDrawingArea*, cairo_t* cr, int width, int height, gpointer data) {
    auto panorama = std::dynamic_pointer_cast<PanoramaView>(static_cast<std::weak_ptr<View>*>(data)->lock());
    if (!panorama || !panorama->hasPicture() || width < 2 || height < 2) return;
    const int w = width / 2, h = height / 2;
    auto rgb = panorama->render(w, h);
    if (rgb.size() < std::size_t(w) * h * 3) return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + y * stride);
        for (int x = 0; x < w; ++x) {
            const auto* p = &rgb[(std::size_t(y) * w + x) * 3];
            row[x] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    }
    cairo_surface_mark_dirty(surface);
    cairo_scale(cr, double(width) / w, double(height) / h);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(surface);
}

// The view a person looks round in: its own projection of the picture, dragged with the pointer
// under touch control.
class PanoramaRenderer : public Renderer {
public:
    const char* kind() const override { return "PanoramaView"; }
    void create(Node& node, View& view, Mirror&) const override {
        GtkWidget* area = gtk_drawing_area_new();
        gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(area), drawPanorama, new std::weak_ptr<View>(view.weak_from_this()),
                                       +[](gpointer data) { delete static_cast<std::weak_ptr<View>*>(data); });
        GtkGesture* drag = gtk_gesture_drag_new();
        auto* state = new DragState{view.weak_from_this()};
        g_signal_connect(drag, "drag-begin", G_CALLBACK(onDragBegin), state);
        g_signal_connect_data(drag, "drag-update", G_CALLBACK(onDragUpdate), state, deleteDragState, GConnectFlags(0));
        gtk_widget_add_controller(area, GTK_EVENT_CONTROLLER(drag));
        viewWidgetSetContent(node.widget, area);
    }
    void sync(Node& node, View&, Mirror&) const override { gtk_widget_queue_draw(viewWidgetState(node.widget).content); }
};

}  // namespace

const Renderer& webViewRenderer() {
    static const WebViewRenderer r;
    return r;
}
const Renderer& videoLayerRenderer() {
    static const VideoLayerRenderer r;
    return r;
}
const Renderer& panoramaRenderer() {
    static const PanoramaRenderer r;
    return r;
}

}  // namespace tq::desktop
