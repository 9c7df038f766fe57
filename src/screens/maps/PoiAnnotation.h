#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/PointOfInterest.h"
#include "platform/map/MapAnnotation.h"

namespace tq {

// The pin of one point of a tour on the native map, numbered as the point's place in the tour.
class PoiAnnotation : public MapAnnotation {
public:
    PoiAnnotation(PointOfInterestRef point, std::int64_t pinNumber, LocationCoordinate coordinate);

    LocationCoordinate coordinate() const override { return coordinate_; }
    void setCoordinate(LocationCoordinate coordinate) { coordinate_ = coordinate; }
    // "3 - Name of the point".
    std::optional<std::string> title() const override;
    // "3".
    std::optional<std::string> subtitle() const override;

    // The callout picture: the thumbnail of the first content that has one.
    std::optional<std::string> image;
    std::optional<std::string> name;
    std::optional<std::int64_t> index;
    PointOfInterestRef poi;

private:
    LocationCoordinate coordinate_;
};

}  // namespace tq
