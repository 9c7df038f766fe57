#include "platform/map/MapOverlay.h"

#include <algorithm>

namespace tq {

MapRect Polyline::boundingMapRect() const {
    if (coordinates_.empty()) return {};
    auto first = mapPointForCoordinate(coordinates_.front());
    double minX = first.x, maxX = first.x, minY = first.y, maxY = first.y;
    for (const auto& coordinate : coordinates_) {
        auto point = mapPointForCoordinate(coordinate);
        minX = std::min(minX, point.x);
        maxX = std::max(maxX, point.x);
        minY = std::min(minY, point.y);
        maxY = std::max(maxY, point.y);
    }
    return {{minX, minY}, maxX - minX, maxY - minY};
}

}  // namespace tq
