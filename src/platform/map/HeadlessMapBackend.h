#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/map/MapAnnotation.h"
#include "platform/map/MapBackend.h"

namespace tq {

class Control;
class MapView;

// The backend used when no routing service is plugged in: every directions request is answered
// at once with no routes, unless a test holds the requests to answer them itself. It is also the
// test side of the map views: the person taps pins and callouts, the device moves.
class HeadlessMapBackend : public MapBackend {
public:
    void calculateDirections(const DirectionsRequest& request, std::function<void(DirectionsOutcome)> reply) override;

    // --- the routing service's side ---

    // Held requests wait until a test answers them.
    void setHoldsRequests(bool holds) { holds_ = holds; }
    // Every request made, answered or not, in order.
    std::vector<DirectionsRequest> requests() const;
    std::size_t pendingCount() const;
    // Answers the index-th request (counted over all requests); false when it was answered already.
    bool answer(std::size_t index, std::vector<Route> routes);
    bool answerEmpty(std::size_t index) { return answer(index, {}); }
    bool fail(std::size_t index, const std::string& message);

    // --- the person's and the device's side ---

    // The person taps a pin: the map selects it. False when the map has no such annotation.
    static bool tapAnnotation(MapView& map, const std::shared_ptr<MapAnnotation>& annotation);
    // The person taps the left (or right) accessory of the callout that is up for the annotation.
    // False when no callout is up for it or it has no such accessory that takes touches.
    static bool tapCalloutAccessory(MapView& map, const std::shared_ptr<MapAnnotation>& annotation, bool left = true);
    // The device's position as the map's user location shows it.
    static void moveUser(MapView& map, LocationCoordinate coordinate);

private:
    struct Request {
        DirectionsRequest request;
        std::function<void(DirectionsOutcome)> reply;
        bool answered = false;
    };
    bool reply(std::size_t index, DirectionsOutcome outcome);
    std::vector<Request> requests_;
    bool holds_ = false;
};

}  // namespace tq
