#include "platform/location/LocationManager.h"

#include "platform/foundation/Environment.h"
#include "platform/location/LocationService.h"

namespace tq {

LocationManager::LocationManager() : LocationManager(Environment::current()) {}

LocationManager::LocationManager(Environment& env)
    : service_(LocationService::of(env)), serviceAlive_(service_.lifetime()) {
    service_.add(*this);
}

LocationManager::~LocationManager() {
    updatingLocation_ = false;
    updatingHeading_ = false;
    if (auto* service = this->service()) service->remove(*this);
}

LocationService* LocationManager::service() const {
    auto alive = serviceAlive_.lock();
    return alive && *alive ? &service_ : nullptr;
}

bool LocationManager::locationServicesEnabled() { return LocationService::of(Environment::current()).servicesEnabled(); }

void LocationManager::setDelegate(LocationManagerDelegate* delegate) {
    bool changed = delegate != delegate_.get();
    delegate_ = delegate;
    // The system tells a new delegate where the authorisation stands.
    if (changed && delegate && service()) {
        service_.post(*this, [](LocationManager& manager) {
            if (auto* d = manager.delegate()) d->didChangeAuthorization(manager);
        });
    }
}

LocationAuthorizationStatus LocationManager::authorizationStatus() const {
    auto* service = this->service();
    return service ? service->authorizationStatus() : LocationAuthorizationStatus::denied;
}

void LocationManager::requestWhenInUseAuthorization() {
    if (auto* service = this->service()) service->requestWhenInUseAuthorization();
}

void LocationManager::startUpdatingLocation() {
    updatingLocation_ = true;
    if (auto* service = this->service()) service->updatesChanged();
}

void LocationManager::stopUpdatingLocation() {
    updatingLocation_ = false;
    if (auto* service = this->service()) service->updatesChanged();
}

void LocationManager::startUpdatingHeading() {
    updatingHeading_ = true;
    if (auto* service = this->service()) service->updatesChanged();
}

void LocationManager::stopUpdatingHeading() {
    updatingHeading_ = false;
    if (auto* service = this->service()) service->updatesChanged();
}

void LocationManager::receiveLocations(const std::vector<Location>& locations) {
    if (!locations.empty()) location_ = locations.back();
    if (auto* d = delegate()) d->didUpdateLocations(*this, locations);
}

void LocationManager::receiveHeading(const Heading& heading) {
    heading_ = heading;
    if (auto* d = delegate()) d->didUpdateHeading(*this, heading);
}

void LocationManager::receiveFailure(const LocationError& error) {
    if (auto* d = delegate()) d->didFailWithError(*this, error);
}

void LocationManager::receiveAuthorizationChange(LocationAuthorizationStatus status) {
    auto alive = lifetime();
    if (auto* d = delegate()) d->didChangeAuthorizationStatus(*this, status);
    if (!*alive) return;
    if (auto* d = delegate()) d->didChangeAuthorization(*this);
}

}  // namespace tq
