#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/map/MapOverlay.h"

namespace tq {

// A place to go from or to.
struct MapItem {
    LocationCoordinate coordinate;
    std::optional<std::string> name{};
};

enum class DirectionsTransportType { automobile, walking, transit, any };

struct DirectionsRequest {
    std::optional<MapItem> source{};
    std::optional<MapItem> destination{};
    bool requestsAlternateRoutes = false;
    DirectionsTransportType transportType = DirectionsTransportType::any;
};

// One way from the source to the destination, with the line that draws it.
struct Route {
    std::shared_ptr<Polyline> polyline;
    std::string name{};
    double distance = 0;            // metres
    double expectedTravelTime = 0;  // seconds
};

struct DirectionsError {
    std::string message;
};

// What a directions request came back with: routes, or an error.
struct DirectionsOutcome {
    std::vector<Route> routes{};
    std::optional<DirectionsError> error{};
};

using DirectionsCompletion = std::function<void(const DirectionsOutcome& outcome)>;

// Asks the map service for routes. The completion runs once, on the main loop, whether or not the
// Directions object is still kept.
class Directions {
public:
    explicit Directions(DirectionsRequest request) : request_(std::move(request)) {}
    const DirectionsRequest& request() const { return request_; }
    void calculate(DirectionsCompletion completion);

private:
    DirectionsRequest request_;
};

}  // namespace tq
