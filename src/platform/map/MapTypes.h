#pragma once

#include "platform/location/LocationTypes.h"

namespace tq {

// Degrees of latitude and longitude a map shows across.
struct CoordinateSpan {
    double latitudeDelta = 0;
    double longitudeDelta = 0;
    bool operator==(const CoordinateSpan&) const = default;
};

// The part of the earth a map shows: a centre and a span around it.
struct CoordinateRegion {
    LocationCoordinate center;
    CoordinateSpan span;
    bool operator==(const CoordinateRegion&) const = default;
};

// A region `latitudeMetres` tall and `longitudeMetres` wide around `center`.
CoordinateRegion regionWithDistance(LocationCoordinate center, double latitudeMetres, double longitudeMetres);

// A point on the flat (Mercator) map of the whole earth, which is `kMapWorldWidth` points wide and
// tall: x grows eastwards from the 180th meridian, y southwards from the top edge.
inline constexpr double kMapWorldWidth = 268435456.0;

struct MapPoint {
    double x = 0;
    double y = 0;
    bool operator==(const MapPoint&) const = default;
};

struct MapRect {
    MapPoint origin;
    double width = 0;
    double height = 0;
    bool operator==(const MapRect&) const = default;
};

MapPoint mapPointForCoordinate(LocationCoordinate coordinate);
LocationCoordinate coordinateForMapPoint(MapPoint point);
// The smallest rectangle of the flat map holding the region, and the region a rectangle shows.
MapRect mapRectForRegion(const CoordinateRegion& region);
CoordinateRegion regionForMapRect(const MapRect& rect);

// What the map draws: streets, pictures from above, both, or the same in three dimensions.
enum class MapType { standard, satellite, hybrid, satelliteFlyover, hybridFlyover, mutedStandard };

// How the map follows the device's position: not at all, keeping it centred, or also turning with
// the device's heading.
enum class UserTrackingMode { none, follow, followWithHeading };

}  // namespace tq
