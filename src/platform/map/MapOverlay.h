#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/map/MapTypes.h"
#include "platform/ui/Style.h"
#include "platform/ui/View.h"

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

// How an overlay is drawn; the screen answers one for each overlay it adds. It is no view: a
// change to it is reported by the map that draws it.
class OverlayRenderer {
public:
    virtual ~OverlayRenderer() = default;
    // The map draws with this renderer from now on.
    void setMap(const std::weak_ptr<View>& map) { map_ = map; }

protected:
    void changed() {
        if (auto map = map_.lock()) map->changed("overlays");
    }

private:
    std::weak_ptr<View> map_;
};

class PolylineRenderer : public OverlayRenderer {
public:
    const std::optional<Color>& strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<Color> color) {
        strokeColor_ = color;
        changed();
    }
    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) {
        lineWidth_ = width;
        changed();
    }

private:
    std::optional<Color> strokeColor_;
    double lineWidth_ = 0;
};

}  // namespace tq
