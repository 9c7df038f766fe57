#include "platform/location/LocationService.h"

#include <algorithm>
#include <stdexcept>

#include "platform/foundation/Environment.h"
#include "platform/location/LocationManager.h"

namespace tq {

LocationService::LocationService(Environment& env)
    : env_(env), backend_(std::make_unique<HeadlessLocationBackend>(env.device().locationServicesEnabled)) {
    backend_->setListener(this);
}

LocationService::~LocationService() {
    *alive_ = false;
    backend_->setListener(nullptr);
}

LocationService& LocationService::of(Environment& env) { return env.shared<LocationService>(); }

void LocationService::setBackend(std::unique_ptr<LocationBackend> backend) {
    backend_->setListener(nullptr);
    backend_ = std::move(backend);
    backend_->setListener(this);
    updatesChanged();
}

HeadlessLocationBackend& LocationService::driver() {
    auto* headless = dynamic_cast<HeadlessLocationBackend*>(backend_.get());
    if (!headless) throw std::logic_error("the location backend is not the headless one");
    return *headless;
}

LocationAuthorizationStatus LocationService::authorizationStatus() const {
    return backend_->servicesEnabled() ? backend_->authorizationStatus() : LocationAuthorizationStatus::denied;
}

void LocationService::add(LocationManager& manager) { managers_.push_back(&manager); }

void LocationService::remove(LocationManager& manager) {
    managers_.erase(std::remove(managers_.begin(), managers_.end(), &manager), managers_.end());
    updatesChanged();
}

void LocationService::updatesChanged() {
    bool locations = std::any_of(managers_.begin(), managers_.end(), [](auto* m) { return m->isUpdatingLocation(); });
    bool heading = std::any_of(managers_.begin(), managers_.end(), [](auto* m) { return m->isUpdatingHeading(); });
    backend_->setUpdatesWanted(locations, heading);
}

void LocationService::post(LocationManager& manager, std::function<void(LocationManager&)> deliver) {
    std::weak_ptr<const bool> alive = manager.lifetime();
    env_.loop().post([&manager, alive, deliver = std::move(deliver)] {
        auto token = alive.lock();
        if (token && *token) deliver(manager);
    });
}

// The managers are picked when the report is handled on the main loop, so a manager that stopped
// meanwhile hears nothing.
template <class Wants>
void LocationService::postToManagers(Wants wants, const std::function<void(LocationManager&)>& deliver) {
    env_.loop().post([this, wants, deliver] {
        std::vector<std::pair<LocationManager*, std::weak_ptr<const bool>>> chosen;
        for (auto* manager : managers_) {
            if (wants(*manager)) chosen.emplace_back(manager, manager->lifetime());
        }
        for (auto& [manager, alive] : chosen) {
            auto token = alive.lock();
            if (token && *token) deliver(*manager);
        }
    });
}

void LocationService::authorizationChanged() {
    postToManagers([](LocationManager&) { return true; },
                   [this](LocationManager& m) { m.receiveAuthorizationChange(authorizationStatus()); });
}

void LocationService::locationsArrived(const std::vector<Location>& locations) {
    postToManagers([](LocationManager& m) { return m.isUpdatingLocation(); },
                   [locations](LocationManager& m) { m.receiveLocations(locations); });
}

void LocationService::headingArrived(const Heading& heading) {
    postToManagers([](LocationManager& m) { return m.isUpdatingHeading(); },
                   [heading](LocationManager& m) { m.receiveHeading(heading); });
}

void LocationService::failed(const LocationError& error) {
    postToManagers([](LocationManager& m) { return m.isUpdatingLocation() || m.isUpdatingHeading(); },
                   [error](LocationManager& m) { m.receiveFailure(error); });
}

}  // namespace tq
