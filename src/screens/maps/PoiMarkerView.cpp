#include "screens/maps/PoiMarkerView.h"

#include "platform/ui/LayoutConstraint.h"

namespace tq {

PoiMarkerView::PoiMarkerView(std::string reuse)
    : MarkerAnnotationView(std::move(reuse)),
      imageView(std::make_shared<ImageView>(Rect())),
      btnShowContent(std::make_shared<Button>(Rect())) {
    imageView->setIdentifier("imageView");
}

void PoiMarkerView::setAnnotation(std::shared_ptr<MapAnnotation> annotation) {
    setCanShowCallout(true);
    setGlyphImage(Image::named("pin"));
    setMarkerTintColor(Color::black());
    imageView->setContentMode(ContentMode::scaleAspectFit);
    imageView->addConstraint(LayoutConstraint::size(imageView, LayoutAttribute::height, 150));
    setDetailCalloutAccessoryView(imageView);
    MarkerAnnotationView::setAnnotation(std::move(annotation));
}

}  // namespace tq
