// The map on libshumate: the region the view looks at, its annotations as markers with the
// selected one's callout, its overlays' lines and the user location. No tile layer is drawn: the
// map shows a plain background.
#include <gtk/gtk.h>
#include <shumate/shumate.h>

#include <algorithm>
#include <cstdint>
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
#include "platform/ui/Button.h"
#include "platform/ui/LayoutRules.h"

namespace tq::desktop {

namespace {

constexpr double kTileSize = 256;
constexpr double kMaxZoom = 19;
constexpr int kCalloutLift = 18;  // between a callout and its pin's place: the balloon's half and a gap

struct MapParts {
    ShumateMap* map = nullptr;
    ShumateViewport* viewport = nullptr;
    ShumateMarkerLayer* markers = nullptr;
    std::vector<ShumatePathLayer*> lines;
    // What the map was last moved to: a person's panning stays until the view's region changes.
    std::optional<CoordinateRegion> shownRegion;
    Size shownSize;
    // What the markers were last drawn from: they are built again only when it changes, so that a
    // change elsewhere in the map does not take a marker away from under a person's click.
    std::string shownMarkers;
    // The map with the selected pin's callout over it.
    GtkWidget* stack = nullptr;
    GtkWidget* callout = nullptr;
    std::optional<LocationCoordinate> calloutAt;
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

std::string partText(const std::string& text) { return text; }
std::string partText(const char* text) { return text; }
std::string partText(const void* pointer) { return std::to_string(reinterpret_cast<std::uintptr_t>(pointer)); }
std::string partText(bool flag) { return flag ? "1" : "0"; }
std::string partText(double number) { return std::to_string(number); }

// A balloon in the marker's tint, its glyph and its number (the subtitle, else the title).
GtkWidget* markerContent(const MarkerAnnotationView* marker, const MapAnnotation& annotation, Images& images) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    if (marker && marker->glyphImage()) {
        if (GdkTexture* texture = images.texture(*marker->glyphImage())) {
            GtkWidget* glyph = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
            gtk_widget_set_size_request(glyph, 16, 16);
            gtk_box_append(GTK_BOX(box), glyph);
        }
    }
    std::optional<std::string> text = annotation.subtitle();
    if (!text) text = annotation.title();
    if (text) gtk_box_append(GTK_BOX(box), gtk_label_new(text->c_str()));
    return box;
}

// A callout accessory: a picture as itself; a button as a button whose click is the person tapping
// that accessory through the map view. A button with neither title nor picture (a clear area on
// the device) shows the disclosure sign, so that a person sees where to click.
GtkWidget* calloutAccessory(MapView& view, const std::shared_ptr<MapAnnotation>& annotation, const std::shared_ptr<View>& accessory,
                            bool left, Images& images) {
    if (!accessory || accessory->isHidden()) return nullptr;
    if (auto* button = dynamic_cast<Button*>(accessory.get())) {
        GtkWidget* widget = gtk_button_new();
        gtk_widget_set_name(widget, left ? "tq-callout-left" : "tq-callout-right");
        gtk_widget_set_valign(widget, GTK_ALIGN_CENTER);
        GdkTexture* texture = button->currentImage() ? images.texture(*button->currentImage()) : nullptr;
        if (texture) {
            GtkWidget* picture = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
            gtk_widget_set_size_request(picture, 32, 32);
            gtk_button_set_child(GTK_BUTTON(widget), picture);
        } else if (!button->currentTitle().empty()) {
            gtk_button_set_label(GTK_BUTTON(widget), button->currentTitle().c_str());
        } else {
            gtk_button_set_icon_name(GTK_BUTTON(widget), "go-next-symbolic");
        }
        gtk_widget_set_sensitive(widget, button->isEnabled());
        std::weak_ptr<View> weakMap = view.weak_from_this();
        std::weak_ptr<MapAnnotation> weakAnnotation = annotation;
        onSignal(widget, "clicked", [weakMap, weakAnnotation, left] {
            auto map = std::dynamic_pointer_cast<MapView>(weakMap.lock());
            auto pin = weakAnnotation.lock();
            if (map && pin) HeadlessMapBackend::tapCalloutAccessory(*map, pin, left);
        });
        return widget;
    }
    if (auto* imageView = dynamic_cast<ImageView*>(accessory.get())) {
        GdkTexture* texture = imageView->image() ? images.texture(*imageView->image()) : nullptr;
        if (!texture) return nullptr;
        GtkWidget* picture = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
        gtk_widget_set_name(picture, "tq-callout-picture");
        gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
        gtk_picture_set_content_fit(GTK_PICTURE(picture), GTK_CONTENT_FIT_CONTAIN);
        // At its own size, or the size its constraint asks for, within the callout's bounds.
        const Size natural = naturalSizeOf(*imageView);
        const double height = std::clamp(natural.height > 0 ? natural.height : 150.0, 24.0, 150.0);
        const double width = natural.width > 0 ? std::clamp(natural.width, 24.0, 220.0)
                                               : std::min(220.0, height * gdk_texture_get_width(texture) /
                                                                     std::max(1, gdk_texture_get_height(texture)));
        gtk_widget_set_size_request(picture, int(width), int(height));
        return picture;
    }
    return nullptr;
}

// The callout of a selected pin: its title and subtitle with its detail (the picture) below, and
// its left and right accessories on either side, in a card over the map.
GtkWidget* calloutCard(MapView& view, const MarkerAnnotationView& marker, const std::shared_ptr<MapAnnotation>& annotation,
                       Images& images) {
    GtkWidget* card = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_name(card, "tq-callout");
    gtk_widget_add_css_class(card, "tq-callout");
    if (GtkWidget* left = calloutAccessory(view, annotation, marker.leftCalloutAccessoryView(), true, images)) {
        gtk_box_append(GTK_BOX(card), left);
    }
    GtkWidget* middle = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    gtk_widget_set_hexpand(middle, TRUE);
    const std::pair<std::optional<std::string>, const char*> lines[] = {{annotation->title(), "tq-callout-title"},
                                                                        {annotation->subtitle(), "tq-callout-subtitle"}};
    for (const auto& [text, name] : lines) {
        if (!text || text->empty()) continue;
        GtkWidget* label = gtk_label_new(text->c_str());
        gtk_widget_set_name(label, name);
        gtk_widget_add_css_class(label, name);
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(label), 30);
        gtk_box_append(GTK_BOX(middle), label);
    }
    // The detail view is shown, not tapped: only a picture is drawn there.
    const auto& detailView = marker.detailCalloutAccessoryView();
    GtkWidget* detail = std::dynamic_pointer_cast<ImageView>(detailView) && !std::dynamic_pointer_cast<Button>(detailView)
                            ? calloutAccessory(view, annotation, detailView, true, images)
                            : nullptr;
    if (detail) gtk_box_append(GTK_BOX(middle), detail);
    gtk_box_append(GTK_BOX(card), middle);
    if (GtkWidget* right = calloutAccessory(view, annotation, marker.rightCalloutAccessoryView(), false, images)) {
        gtk_box_append(GTK_BOX(card), right);
    }
    return card;
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

// The callout of the selected pin, if it shows one, as a card over the map (or nothing).
void syncCallout(MapParts& parts, MapView& view, Images& images) {
    if (parts.callout) gtk_overlay_remove_overlay(GTK_OVERLAY(parts.stack), parts.callout);
    parts.callout = nullptr;
    parts.calloutAt.reset();
    for (const auto& annotation : view.selectedAnnotations()) {
        auto marker = view.viewForAnnotation(annotation);
        if (!marker || !marker->isCalloutShown() || annotation == view.userLocation()) continue;
        parts.callout = calloutCard(view, *marker, annotation, images);
        gtk_widget_set_name(parts.callout, "tq-map-callout");
        gtk_widget_set_halign(parts.callout, GTK_ALIGN_START);
        gtk_widget_set_valign(parts.callout, GTK_ALIGN_START);
        parts.calloutAt = annotation->coordinate();
        gtk_overlay_add_overlay(GTK_OVERLAY(parts.stack), parts.callout);
        return;
    }
}

// The callout stands above its pin, centred on it, and follows it as the map moves.
gboolean placeCallout(GtkOverlay*, GtkWidget* child, GdkRectangle* place, gpointer data) {
    auto held = static_cast<std::weak_ptr<MapParts>*>(data)->lock();
    if (!held) return FALSE;
    auto& parts = *held;
    if (child != parts.callout || !parts.calloutAt) return FALSE;
    double x = 0, y = 0;
    shumate_viewport_location_to_widget_coords(parts.viewport, GTK_WIDGET(parts.map), parts.calloutAt->latitude,
                                               parts.calloutAt->longitude, &x, &y);
    GtkRequisition size;
    gtk_widget_get_preferred_size(child, nullptr, &size);
    place->width = size.width;
    place->height = size.height;
    place->x = int(std::lround(x - size.width / 2.0));
    place->y = int(std::lround(y - kCalloutLift - size.height));
    return TRUE;
}

// Everything the markers and callouts show, as one key.
std::string markersKey(MapView& view, Images& images) {
    std::string key;
    auto add = [&key](const auto&... parts) { ((key += partText(parts), key += '\x1f'), ...); };
    auto addAccessory = [&](const std::shared_ptr<View>& accessory) {
        if (!accessory || accessory->isHidden()) return add("none");
        if (auto* button = dynamic_cast<Button*>(accessory.get())) {
            return add(button->currentTitle(), button->isEnabled(),
                       button->currentImage() ? static_cast<const void*>(images.texture(*button->currentImage())) : nullptr);
        }
        if (auto* picture = dynamic_cast<ImageView*>(accessory.get())) {
            return add(picture->image() ? static_cast<const void*>(images.texture(*picture->image())) : nullptr);
        }
    };
    auto user = view.userLocation();
    for (const auto& annotation : view.annotations()) {
        const LocationCoordinate at = annotation->coordinate();
        add(static_cast<const void*>(annotation.get()), at.latitude, at.longitude, annotation->title().value_or(""),
            annotation->subtitle().value_or(""));
        if (annotation == user) continue;
        auto marker = view.viewForAnnotation(annotation);
        if (!marker) continue;
        const auto tint = marker->markerTintColor().value_or(Color{});
        add(marker->isSelected(), marker->isCalloutShown(), tint.red, tint.green, tint.blue, tint.alpha,
            marker->glyphImage() ? static_cast<const void*>(images.texture(*marker->glyphImage())) : nullptr);
        if (!marker->isCalloutShown()) continue;
        addAccessory(marker->leftCalloutAccessoryView());
        addAccessory(marker->detailCalloutAccessoryView());
        addAccessory(marker->rightCalloutAccessoryView());
    }
    add(view.showsUserLocation());
    return key;
}

void syncMarkers(MapParts& parts, MapView& view, Images& images) {
    std::string key = markersKey(view, images);
    if (key == parts.shownMarkers) return;
    parts.shownMarkers = std::move(key);
    shumate_marker_layer_remove_all(parts.markers);
    auto user = view.userLocation();
    for (const auto& annotation : view.annotations()) {
        if (annotation == user) continue;
        shumate_marker_layer_add_marker(parts.markers, annotationMarker(view, annotation, images));
    }
    syncCallout(parts, view, images);
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

// The markers and the callout are drawn by the map itself, so the marker views are not mirrored
// as widgets.
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
        parts->stack = gtk_overlay_new();
        gtk_overlay_set_child(GTK_OVERLAY(parts->stack), GTK_WIDGET(parts->map));
        g_signal_connect_data(parts->stack, "get-child-position", G_CALLBACK(placeCallout),
                              new std::weak_ptr<MapParts>(parts),
                              +[](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<MapParts>*>(data); },
                              GConnectFlags(0));
        // The callout moves with the map.
        for (const char* property : {"notify::latitude", "notify::longitude", "notify::zoom-level"}) {
            g_signal_connect_swapped(parts->viewport, property, G_CALLBACK(gtk_widget_queue_allocate), parts->stack);
        }
        viewWidgetSetContent(node.widget, parts->stack);
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
