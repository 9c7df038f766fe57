#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/map/MapTypes.h"
#include "platform/ui/View.h"

namespace tq {

// Something the map marks at a place: a position, and a title and subtitle for its callout.
class MapAnnotation {
public:
    virtual ~MapAnnotation() = default;
    virtual LocationCoordinate coordinate() const = 0;
    virtual std::optional<std::string> title() const { return std::nullopt; }
    virtual std::optional<std::string> subtitle() const { return std::nullopt; }
};

// The device's own position, which the map marks while it shows the user location.
class UserLocationAnnotation : public MapAnnotation {
public:
    LocationCoordinate coordinate() const override { return coordinate_; }
    std::optional<std::string> title() const override { return std::string("My Location"); }
    void setCoordinate(LocationCoordinate coordinate) { coordinate_ = coordinate; }

private:
    LocationCoordinate coordinate_;
};

// The marker the map draws for an annotation: a balloon with a glyph and a tint, and the callout
// shown while the annotation is selected, with its detail view and its side accessory views.
class MarkerAnnotationView : public View {
public:
    explicit MarkerAnnotationView(std::string reuseIdentifier = {}) : reuseIdentifier_(std::move(reuseIdentifier)) {}

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    const std::shared_ptr<MapAnnotation>& annotation() const { return annotation_; }
    // Virtual so that a marker kind can set itself up for each annotation it is given.
    virtual void setAnnotation(std::shared_ptr<MapAnnotation> annotation);

    bool canShowCallout() const { return canShowCallout_; }
    void setCanShowCallout(bool can);
    const std::optional<Image>& glyphImage() const { return glyphImage_; }
    void setGlyphImage(std::optional<Image> image);
    const std::optional<Color>& markerTintColor() const { return markerTint_; }
    void setMarkerTintColor(std::optional<Color> color);
    const std::shared_ptr<View>& detailCalloutAccessoryView() const { return detailAccessory_; }
    void setDetailCalloutAccessoryView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& leftCalloutAccessoryView() const { return leftAccessory_; }
    void setLeftCalloutAccessoryView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& rightCalloutAccessoryView() const { return rightAccessory_; }
    void setRightCalloutAccessoryView(std::shared_ptr<View> view);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // The callout is up: the annotation is selected and its marker may show one.
    bool isCalloutShown() const { return selected_ && canShowCallout_; }

    // The map hands the view out again for another annotation.
    virtual void prepareForReuse() {}

protected:
    // Whatever a marker holds sits at a frame of its own.
    Arrangement defaultArrangement() const override { return Arrangement::fixed(); }

private:
    std::string reuseIdentifier_;
    std::shared_ptr<MapAnnotation> annotation_;
    bool canShowCallout_ = false;
    std::optional<Image> glyphImage_;
    std::optional<Color> markerTint_;
    std::shared_ptr<View> detailAccessory_;
    std::shared_ptr<View> leftAccessory_;
    std::shared_ptr<View> rightAccessory_;
    bool selected_ = false;
};

}  // namespace tq
