#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "desktop/engines/StandingPositionRepeater.h"
#include "platform/location/LocationBackend.h"

namespace tq {
class Environment;
class Timer;
}  // namespace tq

namespace tq::desktop {

// One position of a route, at its time in seconds from the start of the updates.
struct TimedPosition {
    double at = 0;
    Location location;
};

// Reads a route file: one position a line, "SECONDS LATITUDE LONGITUDE [ACCURACY]", seconds from
// the start, in order; blank lines and lines starting with "#" are skipped. Gives the positions, or
// the first fault with its line number.
std::variant<std::vector<TimedPosition>, std::string> readRoute(const std::filesystem::path& file);
// "LAT,LON" as given on the command line; none when it is not two coordinates in range.
std::optional<LocationCoordinate> parseCoordinatePair(const std::string& text);

// Positions given on the command line, for desktops without a positioning source: one fixed
// position, or a route played on the main loop's clock from when updates are first wanted. A fixed
// position is reported again every second while updates are wanted (`StandingPositionRepeater`). The
// person who passed them has said yes already: asking for authorisation grants it. There is no
// compass: no heading is ever reported.
class SimulatedLocationBackend : public LocationBackend {
public:
    SimulatedLocationBackend(Environment& env, std::vector<TimedPosition> route);
    ~SimulatedLocationBackend() override;

    void setListener(Listener* listener) override { listener_ = listener; }
    bool servicesEnabled() const override { return true; }
    LocationAuthorizationStatus authorizationStatus() const override { return status_; }
    void requestWhenInUseAuthorization() override;
    void setUpdatesWanted(bool locations, bool heading) override;

private:
    void deliverDue();
    void scheduleNext();
    void deliver(const std::vector<Location>& locations);

    Environment& env_;
    std::vector<TimedPosition> route_;
    Listener* listener_ = nullptr;
    LocationAuthorizationStatus status_ = LocationAuthorizationStatus::notDetermined;
    bool wanted_ = false;
    std::optional<double> startedAt_;
    std::size_t next_ = 0;
    std::shared_ptr<Timer> timer_;
    StandingPositionRepeater repeater_;
};

}  // namespace tq::desktop
