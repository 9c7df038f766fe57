#pragma once

#include <optional>
#include <vector>

#include "platform/map/MapTypes.h"
#include "platform/ui/Style.h"

namespace tq {

// Something drawn over the map along its surface.
class MapOverlay {
public:
    virtual ~MapOverlay() = default;
    // The part of the flat map the overlay covers.
    virtual MapRect boundingMapRect() const = 0;
};

// A line through coordinates, as a route is drawn.
class Polyline : public MapOverlay {
public:
    explicit Polyline(std::vector<LocationCoordinate> coordinates) : coordinates_(std::move(coordinates)) {}
    const std::vector<LocationCoordinate>& coordinates() const { return coordinates_; }
    MapRect boundingMapRect() const override;

private:
    std::vector<LocationCoordinate> coordinates_;
};

// How an overlay is drawn; the screen answers one for each overlay it adds.
class OverlayRenderer {
public:
    virtual ~OverlayRenderer() = default;
};

class PolylineRenderer : public OverlayRenderer {
public:
    std::optional<Color> strokeColor;
    double lineWidth = 0;
};

}  // namespace tq
