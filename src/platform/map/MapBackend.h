#pragma once

#include <functional>

#include "platform/map/Directions.h"

namespace tq {

// The source of routes behind the map. The program runs the headless one, which finds none; a
// desktop front end can plug a routing service in here. A backend may answer from any thread, once
// per request: the map service hands the answer to the main loop.
class MapBackend {
public:
    virtual ~MapBackend() = default;
    virtual void calculateDirections(const DirectionsRequest& request, std::function<void(DirectionsOutcome)> reply) = 0;
};

}  // namespace tq
