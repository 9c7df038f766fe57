#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>

#include "desktop/engines/StandingPositionRepeater.h"
#include "platform/location/LocationBackend.h"

typedef struct _GClueSimple GClueSimple;

namespace tq {
class Environment;
}

namespace tq::desktop {

// The desktop's location service, GeoClue 2, on the system bus. Services are off when the bus or
// GeoClue is not there (or goes away while the program runs); asking for authorisation starts a
// GeoClue client, which GeoClue's agent grants ("when in use") or refuses ("denied"). Positions
// come with their accuracy; GeoClue reports again only when the machine moves, so the last one is
// reported again every second while updates are wanted (`StandingPositionRepeater`). There is no compass: no heading is ever reported.
class GeoClueLocationBackend : public LocationBackend {
public:
    // `busAddress`: another bus than the system's (tests give one where GeoClue is absent).
    explicit GeoClueLocationBackend(Environment& env, std::optional<std::string> busAddress = std::nullopt);
    ~GeoClueLocationBackend() override;
    GeoClueLocationBackend(const GeoClueLocationBackend&) = delete;
    GeoClueLocationBackend& operator=(const GeoClueLocationBackend&) = delete;

    void setListener(Listener* listener) override { listener_ = listener; }
    bool servicesEnabled() const override;
    LocationAuthorizationStatus authorizationStatus() const override { return status_; }
    void requestWhenInUseAuthorization() override;
    void setUpdatesWanted(bool locations, bool heading) override;

private:
    void probe() const;
    void startClient();
    void clientStarted(GClueSimple* simple, GError* error);
    void deliverPresentLocation();
    void servicesGone();
    void dropClient();

    Environment& env_;
    std::optional<std::string> busAddress_;
    Listener* listener_ = nullptr;
    mutable std::optional<bool> available_;
    mutable GDBusConnection* bus_ = nullptr;
    mutable guint watch_ = 0;
    LocationAuthorizationStatus status_ = LocationAuthorizationStatus::notDetermined;
    bool wanted_ = false;
    bool starting_ = false;
    GClueSimple* simple_ = nullptr;
    gulong locationHandler_ = 0;
    GCancellable* cancellable_ = nullptr;
    std::shared_ptr<GeoClueLocationBackend*> self_;
    StandingPositionRepeater repeater_;
};

}  // namespace tq::desktop
