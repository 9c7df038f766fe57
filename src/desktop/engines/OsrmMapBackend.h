#pragma once

#include <string>

#include "platform/map/MapBackend.h"

namespace tq {
class Environment;
}

namespace tq::desktop {

// Routes from a routing service that speaks the OSRM HTTP API, at the address given on the
// command line (no public service is built in): GET <base>/route/v1/<profile>/<lon>,<lat>;<lon>,<lat>
// with the full GeoJSON line of each route. Walking asks the "foot" profile, everything else
// "driving". A failed request or a reply that cannot be read answers an error: the map's "no
// route" path.
class OsrmMapBackend : public MapBackend {
public:
    OsrmMapBackend(Environment& env, std::string serviceAddress);
    void calculateDirections(const DirectionsRequest& request, std::function<void(DirectionsOutcome)> reply) override;

    // The request's address, or none when it lacks a source or destination.
    std::optional<std::string> addressFor(const DirectionsRequest& request) const;

private:
    Environment& env_;
    std::string base_;
};

// Reads an OSRM route reply into routes; an error when it is not a reply with code "Ok" and
// well-formed routes.
DirectionsOutcome readOsrmReply(const std::string& body);

}  // namespace tq::desktop
