#include "platform/map/MapTypes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tq {
namespace {

// Metres along one degree of a great circle of the earth's equatorial radius.
constexpr double kMetresPerDegree = 2 * std::numbers::pi * 6378137.0 / 360.0;
constexpr double kMaxLatitude = 85.05112878;

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

}  // namespace

CoordinateRegion regionWithDistance(LocationCoordinate center, double latitudeMetres, double longitudeMetres) {
    double metresAcross = kMetresPerDegree * std::cos(radians(center.latitude));
    double longitudeDelta = metresAcross > 1e-9 ? longitudeMetres / metresAcross : 360.0;
    return {center, {latitudeMetres / kMetresPerDegree, std::min(longitudeDelta, 360.0)}};
}

MapPoint mapPointForCoordinate(LocationCoordinate coordinate) {
    double latitude = std::clamp(coordinate.latitude, -kMaxLatitude, kMaxLatitude);
    double x = (coordinate.longitude + 180.0) / 360.0 * kMapWorldWidth;
    double sine = std::sin(radians(latitude));
    double y = (0.5 - std::log((1 + sine) / (1 - sine)) / (4 * std::numbers::pi)) * kMapWorldWidth;
    return {x, y};
}

LocationCoordinate coordinateForMapPoint(MapPoint point) {
    double longitude = point.x / kMapWorldWidth * 360.0 - 180.0;
    double n = std::numbers::pi * (1 - 2 * point.y / kMapWorldWidth);
    return {degrees(std::atan(std::sinh(n))), longitude};
}

MapRect mapRectForRegion(const CoordinateRegion& region) {
    auto topLeft = mapPointForCoordinate({region.center.latitude + region.span.latitudeDelta / 2,
                                          region.center.longitude - region.span.longitudeDelta / 2});
    auto bottomRight = mapPointForCoordinate({region.center.latitude - region.span.latitudeDelta / 2,
                                              region.center.longitude + region.span.longitudeDelta / 2});
    return {topLeft, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y};
}

CoordinateRegion regionForMapRect(const MapRect& rect) {
    auto topLeft = coordinateForMapPoint(rect.origin);
    auto bottomRight = coordinateForMapPoint({rect.origin.x + rect.width, rect.origin.y + rect.height});
    auto center = coordinateForMapPoint({rect.origin.x + rect.width / 2, rect.origin.y + rect.height / 2});
    return {center, {topLeft.latitude - bottomRight.latitude, bottomRight.longitude - topLeft.longitude}};
}

}  // namespace tq
