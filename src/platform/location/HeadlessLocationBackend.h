#pragma once

#include <vector>

#include "platform/location/LocationBackend.h"

namespace tq {

// The backend used when no system location service is plugged in: it holds the device's switch and
// the application's authorisation and delivers nothing by itself. Tests drive it as the device and
// the person would: switch services, answer the system's prompt, deliver positions and headings.
class HeadlessLocationBackend : public LocationBackend {
public:
    explicit HeadlessLocationBackend(bool servicesEnabled) : servicesEnabled_(servicesEnabled) {}

    void setListener(Listener* listener) override { listener_ = listener; }
    bool servicesEnabled() const override { return servicesEnabled_; }
    LocationAuthorizationStatus authorizationStatus() const override { return status_; }
    void requestWhenInUseAuthorization() override;
    void setUpdatesWanted(bool locations, bool heading) override;

    // --- the device's and the person's side ---

    void setServicesEnabled(bool enabled);
    // The person changes the application's authorisation in the system settings.
    void setAuthorizationStatus(LocationAuthorizationStatus status);
    // The system's prompt is showing, waiting for an answer.
    bool hasPendingRequest() const { return pendingRequest_; }
    int requestCount() const { return requestCount_; }
    // The person answers the prompt. False when no prompt is showing.
    bool grant(LocationAuthorizationStatus status = LocationAuthorizationStatus::authorizedWhenInUse);
    bool deny();
    // Delivered to every manager whose updates run, while the application may locate; returns
    // whether anyone wanted them.
    bool deliverLocations(const std::vector<Location>& locations);
    bool deliverLocation(double latitude, double longitude) { return deliverLocations({{{latitude, longitude}}}); }
    bool deliverHeading(const Heading& heading);
    void fail(const LocationError& error);
    bool locationUpdatesWanted() const { return wantsLocations_; }
    bool headingUpdatesWanted() const { return wantsHeading_; }

private:
    bool mayLocate() const { return servicesEnabled_ && isAuthorized(status_); }
    Listener* listener_ = nullptr;
    bool servicesEnabled_;
    LocationAuthorizationStatus status_ = LocationAuthorizationStatus::notDetermined;
    bool pendingRequest_ = false;
    int requestCount_ = 0;
    bool wantsLocations_ = false;
    bool wantsHeading_ = false;
};

}  // namespace tq
