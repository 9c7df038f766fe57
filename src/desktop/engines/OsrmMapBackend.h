#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>

#include "platform/map/MapBackend.h"

typedef struct _SoupSession SoupSession;

namespace tq {
class Environment;
}

namespace tq::desktop {

// Routes from a routing service that speaks the OSRM HTTP API, at the address given on the
// command line (no public service is built in): GET <base>/route/v1/<profile>/<lon>,<lat>;<lon>,<lat>
// with the full GeoJSON line of each route. Walking asks the "foot" profile, everything else
// "driving". A failed request or a reply that cannot be read answers an error: the map's "no
// route" path. The service is often a local one on plain http, which the application's own HTTP
// client (https only) does not speak: libsoup asks it, on GLib's main context.
class OsrmMapBackend : public MapBackend {
public:
    OsrmMapBackend(Environment& env, std::string serviceAddress);
    ~OsrmMapBackend() override;
    OsrmMapBackend(const OsrmMapBackend&) = delete;
    OsrmMapBackend& operator=(const OsrmMapBackend&) = delete;
    void calculateDirections(const DirectionsRequest& request, std::function<void(DirectionsOutcome)> reply) override;

    // The request's address, or none when it lacks a source or destination.
    std::optional<std::string> addressFor(const DirectionsRequest& request) const;

private:
    Environment& env_;
    std::string base_;
    SoupSession* session_ = nullptr;
    GCancellable* cancellable_ = nullptr;
};

// Reads an OSRM route reply into routes; an error when it is not a reply with code "Ok" and
// well-formed routes.
DirectionsOutcome readOsrmReply(const std::string& body);

}  // namespace tq::desktop
