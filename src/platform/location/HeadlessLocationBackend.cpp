#include "platform/location/HeadlessLocationBackend.h"

namespace tq {

void HeadlessLocationBackend::requestWhenInUseAuthorization() {
    // The system prompts only while nothing is decided, and not at all with services off.
    if (status_ != LocationAuthorizationStatus::notDetermined || !servicesEnabled_ || pendingRequest_) return;
    pendingRequest_ = true;
    ++requestCount_;
}

void HeadlessLocationBackend::setUpdatesWanted(bool locations, bool heading) {
    wantsLocations_ = locations;
    wantsHeading_ = heading;
}

void HeadlessLocationBackend::setServicesEnabled(bool enabled) {
    if (servicesEnabled_ == enabled) return;
    servicesEnabled_ = enabled;
    if (!enabled) pendingRequest_ = false;
    if (listener_) listener_->authorizationChanged();
}

void HeadlessLocationBackend::setAuthorizationStatus(LocationAuthorizationStatus status) {
    pendingRequest_ = false;
    if (status_ == status) return;
    status_ = status;
    if (listener_) listener_->authorizationChanged();
}

bool HeadlessLocationBackend::grant(LocationAuthorizationStatus status) {
    if (!pendingRequest_ || !isAuthorized(status)) return false;
    setAuthorizationStatus(status);
    return true;
}

bool HeadlessLocationBackend::deny() {
    if (!pendingRequest_) return false;
    setAuthorizationStatus(LocationAuthorizationStatus::denied);
    return true;
}

bool HeadlessLocationBackend::deliverLocations(const std::vector<Location>& locations) {
    if (!wantsLocations_ || !mayLocate() || !listener_) return false;
    listener_->locationsArrived(locations);
    return true;
}

bool HeadlessLocationBackend::deliverHeading(const Heading& heading) {
    if (!wantsHeading_ || !mayLocate() || !listener_) return false;
    listener_->headingArrived(heading);
    return true;
}

void HeadlessLocationBackend::fail(const LocationError& error) {
    if (listener_) listener_->failed(error);
}

}  // namespace tq
