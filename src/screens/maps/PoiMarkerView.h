#pragma once

#include <memory>
#include <string>

#include "platform/map/MapAnnotation.h"
#include "platform/ui/Button.h"

namespace tq {

// The marker of a point's pin: a black balloon with the "pin" glyph, whose callout shows the
// point's picture.
class PoiMarkerView : public MarkerAnnotationView {
public:
    static constexpr const char* kReuseIdentifier = "poi";

    explicit PoiMarkerView(std::string reuse = kReuseIdentifier);

    // The callout's picture.
    std::shared_ptr<ImageView> imageView;
    // Made with the marker but never placed on screen.
    std::shared_ptr<Button> btnShowContent;

    // Sets the marker up for the annotation, then takes it.
    void setAnnotation(std::shared_ptr<MapAnnotation> annotation) override;
};

}  // namespace tq
