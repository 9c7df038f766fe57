#include "desktop/engines/SimulatedLocationBackend.h"

#include <fstream>
#include <sstream>

#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"

namespace tq::desktop {

namespace {

bool inRange(const LocationCoordinate& c) {
    return c.latitude >= -90 && c.latitude <= 90 && c.longitude >= -180 && c.longitude <= 180;
}

}  // namespace

std::optional<LocationCoordinate> parseCoordinatePair(const std::string& text) {
    auto comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    auto latitude = parseDouble(std::string_view(text).substr(0, comma));
    auto longitude = parseDouble(std::string_view(text).substr(comma + 1));
    if (!latitude || !longitude) return std::nullopt;
    LocationCoordinate coordinate{*latitude, *longitude};
    if (!inRange(coordinate)) return std::nullopt;
    return coordinate;
}

std::variant<std::vector<TimedPosition>, std::string> readRoute(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return "cannot read the route file " + file.string();
    std::vector<TimedPosition> route;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) fields.push_back(word);
        auto fault = [&](const std::string& what) {
            return "route file " + file.string() + ", line " + std::to_string(number) + ": " + what;
        };
        if (fields.size() < 3 || fields.size() > 4) return fault("expected SECONDS LATITUDE LONGITUDE [ACCURACY]");
        auto at = parseDouble(fields[0]);
        auto latitude = parseDouble(fields[1]);
        auto longitude = parseDouble(fields[2]);
        auto accuracy = fields.size() == 4 ? parseDouble(fields[3]) : std::optional<double>(5.0);
        if (!at || *at < 0) return fault("the time is not a number of seconds");
        if (!latitude || !longitude || !inRange({*latitude, *longitude})) return fault("the position is not a coordinate");
        if (!accuracy || *accuracy < 0) return fault("the accuracy is not a number of metres");
        if (!route.empty() && *at < route.back().at) return fault("the times go backwards");
        route.push_back({*at, Location{{*latitude, *longitude}, *accuracy}});
    }
    if (route.empty()) return "route file " + file.string() + " holds no position";
    return route;
}

SimulatedLocationBackend::SimulatedLocationBackend(Environment& env, std::vector<TimedPosition> route)
    : env_(env), route_(std::move(route)),
      repeater_(env.loop(), [this](const Location& location) { deliver({location}); }) {}

SimulatedLocationBackend::~SimulatedLocationBackend() {
    if (timer_) timer_->invalidate();
}

void SimulatedLocationBackend::requestWhenInUseAuthorization() {
    if (status_ != LocationAuthorizationStatus::notDetermined) return;
    status_ = LocationAuthorizationStatus::authorizedWhenInUse;
    if (listener_) listener_->authorizationChanged();
    if (wanted_) scheduleNext();
}

void SimulatedLocationBackend::setUpdatesWanted(bool locations, bool) {
    wanted_ = locations;
    if (!wanted_) {
        if (timer_) timer_->invalidate();
        timer_.reset();
        repeater_.stop();
        return;
    }
    // Each start of the updates gives the present position again, as a real source would.
    if (next_ > 0) --next_;
    scheduleNext();
}

void SimulatedLocationBackend::scheduleNext() {
    if (!wanted_ || !isAuthorized(status_)) return;
    if (next_ >= route_.size()) return;
    repeater_.stop();
    if (!startedAt_) startedAt_ = env_.loop().now() - route_.front().at;
    double due = *startedAt_ + route_[next_].at - env_.loop().now();
    if (timer_) timer_->invalidate();
    timer_ = env_.loop().scheduledTimer(std::max(due, 0.0), false, [this](Timer&) { deliverDue(); });
}

void SimulatedLocationBackend::deliver(const std::vector<Location>& locations) {
    if (!wanted_ || !isAuthorized(status_) || !listener_) return;
    listener_->locationsArrived(locations);
}

void SimulatedLocationBackend::deliverDue() {
    timer_.reset();
    if (!wanted_ || !isAuthorized(status_) || !listener_) return;
    std::vector<Location> due;
    double elapsed = env_.loop().now() - *startedAt_;
    while (next_ < route_.size() && route_[next_].at <= elapsed + 1e-9) due.push_back(route_[next_++].location);
    // A fixed position stands, and is reported again; told before the listener, which may stop
    // the updates.
    if (route_.size() == 1 && next_ == 1) repeater_.reported(route_.front().location);
    if (!due.empty()) listener_->locationsArrived(due);
    scheduleNext();
}

}  // namespace tq::desktop
