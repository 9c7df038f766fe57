#include "platform/map/MapAnnotation.h"

namespace tq {

void MarkerAnnotationView::setAnnotation(std::shared_ptr<MapAnnotation> annotation) {
    annotation_ = std::move(annotation);
    changed("annotation");
}

void MarkerAnnotationView::setCanShowCallout(bool can) {
    canShowCallout_ = can;
    changed("canShowCallout");
}

void MarkerAnnotationView::setGlyphImage(std::optional<Image> image) {
    glyphImage_ = std::move(image);
    changed("glyphImage");
}

void MarkerAnnotationView::setMarkerTintColor(std::optional<Color> color) {
    markerTint_ = color;
    changed("markerTintColor");
}

void MarkerAnnotationView::setDetailCalloutAccessoryView(std::shared_ptr<View> view) {
    attach(detailAccessory_, std::move(view), "detailCalloutAccessoryView");
}

void MarkerAnnotationView::setLeftCalloutAccessoryView(std::shared_ptr<View> view) {
    attach(leftAccessory_, std::move(view), "leftCalloutAccessoryView");
}

void MarkerAnnotationView::setRightCalloutAccessoryView(std::shared_ptr<View> view) {
    attach(rightAccessory_, std::move(view), "rightCalloutAccessoryView");
}

void MarkerAnnotationView::setSelected(bool selected) {
    selected_ = selected;
    changed("selected");
}

}  // namespace tq
