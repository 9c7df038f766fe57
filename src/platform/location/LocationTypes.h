#pragma once

#include <string>

namespace tq {

// What the person allowed this application, as the system reports it. With location services
// switched off on the device, the status reads `denied` whatever was chosen before.
enum class LocationAuthorizationStatus { notDetermined, restricted, denied, authorizedAlways, authorizedWhenInUse };

inline bool isAuthorized(LocationAuthorizationStatus status) {
    return status == LocationAuthorizationStatus::authorizedAlways ||
           status == LocationAuthorizationStatus::authorizedWhenInUse;
}

struct LocationCoordinate {
    double latitude = 0;
    double longitude = 0;
    bool operator==(const LocationCoordinate&) const = default;
};

struct Location {
    LocationCoordinate coordinate;
    double horizontalAccuracy = 5;  // metres
    bool operator==(const Location&) const = default;
};

struct Heading {
    double magneticHeading = 0;  // degrees from magnetic north
    double trueHeading = 0;      // degrees from true north
    bool operator==(const Heading&) const = default;
};

struct LocationError {
    enum class Code { locationUnknown, denied, network, headingFailure };
    Code code = Code::locationUnknown;
    std::string message;
};

// Desired accuracies in metres; the negative values are the system's "as good as it gets".
namespace LocationAccuracy {
inline constexpr double bestForNavigation = -2;
inline constexpr double best = -1;
inline constexpr double nearestTenMeters = 10;
inline constexpr double hundredMeters = 100;
inline constexpr double kilometer = 1000;
inline constexpr double threeKilometers = 3000;
}  // namespace LocationAccuracy

}  // namespace tq
