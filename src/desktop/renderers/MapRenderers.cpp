// The map on libshumate: the region the view looks at, its annotations as markers, its overlays'
// lines and the user location. No tile layer is drawn: the map shows a plain background.
#include <gtk/gtk.h>
#include <shumate/shumate.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/Signals.h"
#include "desktop/Text.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/map/HeadlessMapBackend.h"
#include "platform/map/MapView.h"

namespace tq::desktop {

namespace {

constexpr double kTileSize = 256;
constexpr double kMaxZoom = 19;

struct MapParts {
    ShumateMap* map = nullptr;
    ShumateViewport* viewport = nullptr;
    ShumateMarkerLayer* markers = nullptr;
    std::vector<ShumatePathLayer*> lines;
    // What the map was last moved to: a person's panning stays until the view's region changes.
    std::optional<CoordinateRegion> shownRegion;
    Size shownSize;
};

// The projection and zoom range the viewport needs to place markers and lines. It is never added
// as a layer, so no tile is ever asked for.
ShumateMapSource* projectionOnlySource() {
    return SHUMATE_MAP_SOURCE(shumate_raster_renderer_new_full_from_url(
        "tq-plain", "Plain", "", "", 0, guint(kMaxZoom), guint(kTileSize), SHUMATE_MAP_PROJECTION_MERCATOR, ""));
}

// The zoom at which the region's span fills the view's width or height, whichever comes first.
double zoomForRegion(const CoordinateRegion& region, Size size) {
    const MapRect rect = mapRectForRegion(region);
    double zoom = kMaxZoom;
    if (rect.width > 0 && size.width > 0) zoom = std::min(zoom, std::log2(size.width * kMapWorldWidth / (kTileSize * rect.width)));
    if (rect.height > 0 && size.height > 0) zoom = std::min(zoom, std::log2(size.height * kMapWorldWidth / (kTileSize * rect.height)));
    return std::clamp(zoom, 0.0, kMaxZoom);
}

void applyRegion(MapParts& parts, const MapView& view) {
    const Size size = view.frame().size;
    if (parts.shownRegion == view.region() && parts.shownSize == size) return;
    parts.shownRegion = view.region();
    parts.shownSize = size;
    shumate_viewport_set_zoom_level(parts.viewport, zoomForRegion(view.region(), size));
    shumate_location_set_location(SHUMATE_LOCATION(parts.viewport), view.region().center.latitude,
                                  view.region().center.longitude);
}

// A balloon in the marker's tint, its glyph and its number; while its callout is up, the title.
GtkWidget* markerContent(const MarkerAnnotationView* marker, const MapAnnotation& annotation, Images& images) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    if (marker && marker->glyphImage()) {
        if (GdkTexture* texture = images.texture(*marker->glyphImage())) {
            GtkWidget* glyph = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
            gtk_widget_set_size_request(glyph, 16, 16);
            gtk_box_append(GTK_BOX(box), glyph);
        }
    }
    const bool callout = marker && marker->isCalloutShown();
    std::optional<std::string> text = callout ? annotation.title() : annotation.subtitle();
    if (!text) text = annotation.title();
    if (text) gtk_box_append(GTK_BOX(box), gtk_label_new(text->c_str()));
    return box;
}

void tint(GtkWidget* button, const Color& color, bool selected) {
    const GdkRGBA rgba = toRgba(color);
    char* colour = gdk_rgba_to_string(&rgba);
    const std::string css = std::string("button { background: ") + colour +
                            "; color: white; border-radius: 14px; min-height: 20px; padding: 2px 8px; border: " +
                            (selected ? "3px solid white" : "1px solid white") + "; box-shadow: 0 1px 3px rgba(0,0,0,0.5); }";
    g_free(colour);
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_style_context_add_provider(gtk_widget_get_style_context(button), GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_object_unref(provider);
}

// The picture of a callout's detail view, when it shows one.
GtkWidget* calloutPicture(const MarkerAnnotationView& marker, Images& images) {
    auto* picture = dynamic_cast<ImageView*>(marker.detailCalloutAccessoryView().get());
    GdkTexture* texture = picture && picture->image() ? images.texture(*picture->image()) : nullptr;
    if (!texture) return nullptr;
    GtkWidget* shown = gtk_image_new_from_paintable(GDK_PAINTABLE(texture));
    gtk_image_set_pixel_size(GTK_IMAGE(shown), 64);
    return shown;
}

// While a pin's callout is up, its accessory: a button with the callout's picture (or an arrow)
// that a click taps as the person's finger would.
GtkWidget* calloutButton(MapView& view, const MarkerAnnotationView& marker,
                         const std::shared_ptr<MapAnnotation>& annotation, Images& images) {
    if (!marker.isCalloutShown() || !marker.leftCalloutAccessoryView()) return nullptr;
    GtkWidget* button = gtk_button_new();
    gtk_widget_set_name(button, "tq-map-callout");
    GtkWidget* content = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    if (GtkWidget* picture = calloutPicture(marker, images)) gtk_box_append(GTK_BOX(content), picture);
    gtk_box_append(GTK_BOX(content), gtk_label_new("\u203A"));
    gtk_button_set_child(GTK_BUTTON(button), content);
    std::weak_ptr<View> weakMap = view.weak_from_this();
    std::weak_ptr<MapAnnotation> weakAnnotation = annotation;
    onSignal(button, "clicked", [weakMap, weakAnnotation] {
        auto map = std::dynamic_pointer_cast<MapView>(weakMap.lock());
        auto pin = weakAnnotation.lock();
        if (map && pin) HeadlessMapBackend::tapCalloutAccessory(*map, pin, true);
    });
    return button;
}

// A click on a marker is the person tapping the pin: the map view selects the annotation. The
// callout's accessory, while it is up, stands beside the pin.
ShumateMarker* annotationMarker(MapView& view, const std::shared_ptr<MapAnnotation>& annotation, Images& images) {
    auto marker = view.viewForAnnotation(annotation);
    GtkWidget* button = gtk_button_new();
    gtk_widget_set_name(button, "tq-map-marker");
    gtk_button_set_child(GTK_BUTTON(button), markerContent(marker.get(), *annotation, images));
    const bool selected = marker && marker->isSelected();
    tint(button, marker && marker->markerTintColor() ? *marker->markerTintColor() : Color{0.85, 0.2, 0.2, 1}, selected);
    if (auto title = annotation->title()) gtk_widget_set_tooltip_text(button, title->c_str());
    std::weak_ptr<View> weakMap = view.weak_from_this();
    std::weak_ptr<MapAnnotation> weakAnnotation = annotation;
    onSignal(button, "clicked", [weakMap, weakAnnotation] {
        auto map = std::dynamic_pointer_cast<MapView>(weakMap.lock());
        auto pin = weakAnnotation.lock();
        if (map && pin) HeadlessMapBackend::tapAnnotation(*map, pin);
    });
    ShumateMarker* shumateMarker = shumate_marker_new();
    GtkWidget* callout = marker ? calloutButton(view, *marker, annotation, images) : nullptr;
    if (callout) {
        GtkWidget* pair = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
        gtk_widget_set_valign(button, GTK_ALIGN_CENTER);
        gtk_box_append(GTK_BOX(pair), button);
        gtk_box_append(GTK_BOX(pair), callout);
        shumate_marker_set_child(shumateMarker, pair);
    } else {
        shumate_marker_set_child(shumateMarker, button);
    }
    const LocationCoordinate at = annotation->coordinate();
    shumate_location_set_location(SHUMATE_LOCATION(shumateMarker), at.latitude, at.longitude);
    return shumateMarker;
}

void syncMarkers(MapParts& parts, MapView& view, Images& images) {
    shumate_marker_layer_remove_all(parts.markers);
    auto user = view.userLocation();
    for (const auto& annotation : view.annotations()) {
        if (annotation == user) continue;
        shumate_marker_layer_add_marker(parts.markers, annotationMarker(view, annotation, images));
    }
    if (view.showsUserLocation() && user) {
        ShumateMarker* dot = shumate_point_new();
        gtk_widget_set_name(GTK_WIDGET(dot), "tq-map-user-location");
        shumate_location_set_location(SHUMATE_LOCATION(dot), user->coordinate().latitude, user->coordinate().longitude);
        shumate_marker_layer_add_marker(parts.markers, dot);
    }
}

// Each polyline overlay with the stroke its renderer gives; one without a renderer stays undrawn.
void syncLines(MapParts& parts, MapView& view) {
    for (ShumatePathLayer* line : parts.lines) shumate_map_remove_layer(parts.map, SHUMATE_LAYER(line));
    parts.lines.clear();
    for (const auto& overlay : view.overlays()) {
        auto polyline = std::dynamic_pointer_cast<Polyline>(overlay);
        auto style = std::dynamic_pointer_cast<PolylineRenderer>(view.rendererForOverlay(overlay));
        if (!polyline || !style) continue;
        ShumatePathLayer* line = shumate_path_layer_new(parts.viewport);
        const GdkRGBA colour = toRgba(style->strokeColor().value_or(Color{0, 0.45, 1, 1}));
        shumate_path_layer_set_stroke_color(line, &colour);
        shumate_path_layer_set_stroke_width(line, style->lineWidth() > 0 ? style->lineWidth() : 3);
        for (const auto& point : polyline->coordinates()) {
            shumate_path_layer_add_node(line, SHUMATE_LOCATION(shumate_coordinate_new_full(point.latitude, point.longitude)));
        }
        shumate_map_insert_layer_behind(parts.map, SHUMATE_LAYER(line), SHUMATE_LAYER(parts.markers));
        parts.lines.push_back(line);
    }
}

// The markers are drawn by the map itself, so the marker views are not mirrored as widgets.
class MapViewRenderer : public Renderer {
public:
    const char* kind() const override { return "MapView"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View&, Mirror&) const override {
        auto parts = std::make_shared<MapParts>();
        parts->map = shumate_map_new();
        parts->viewport = shumate_map_get_viewport(parts->map);
        ShumateMapSource* source = projectionOnlySource();
        shumate_viewport_set_reference_map_source(parts->viewport, source);
        g_object_unref(source);
        shumate_viewport_set_min_zoom_level(parts->viewport, 0);
        shumate_viewport_set_max_zoom_level(parts->viewport, guint(kMaxZoom));
        parts->markers = shumate_marker_layer_new_full(parts->viewport, GTK_SELECTION_NONE);
        shumate_map_add_layer(parts->map, SHUMATE_LAYER(parts->markers));
        gtk_widget_set_name(GTK_WIDGET(parts->map), "tq-map");
        viewWidgetSetContent(node.widget, GTK_WIDGET(parts->map));
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& map = static_cast<MapView&>(view);
        auto& parts = partsOf<MapParts>(node);
        applyRegion(parts, map);
        syncLines(parts, map);
        syncMarkers(parts, map, mirror.images());
    }
};

}  // namespace

const Renderer& mapViewRenderer() {
    static const MapViewRenderer r;
    return r;
}

}  // namespace tq::desktop
