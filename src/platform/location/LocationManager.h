#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/location/LocationTypes.h"
#include "platform/ui/WeakDelegate.h"

namespace tq {

class Environment;
class LocationManager;
class LocationService;

// What a location manager tells the screen that owns it. Every callback runs on the main loop.
class LocationManagerDelegate : public WeaklyReferenced {
public:
    virtual void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) {
        (void)manager;
        (void)locations;
    }
    virtual void didUpdateHeading(LocationManager& manager, const Heading& heading) {
        (void)manager;
        (void)heading;
    }
    virtual void didFailWithError(LocationManager& manager, const LocationError& error) {
        (void)manager;
        (void)error;
    }
    // The authorisation changed; this form carries the new status. A change reaches a delegate
    // through both forms, this one first.
    virtual void didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) {
        (void)manager;
        (void)status;
    }
    // The form without a status: the delegate asks the manager. It also arrives once whenever a
    // manager gets a new delegate.
    virtual void didChangeAuthorization(LocationManager& manager) { (void)manager; }
};

// One screen's access to the device position and heading. Each screen owns its own; all of them
// share the device's authorisation, and every running one receives what the device delivers.
// The delegate is held weakly.
class LocationManager : public WeaklyReferenced {
public:
    LocationManager();
    explicit LocationManager(Environment& env);
    ~LocationManager() override;
    LocationManager(const LocationManager&) = delete;
    LocationManager& operator=(const LocationManager&) = delete;

    // Whether location services are on on the device (the same for every manager).
    static bool locationServicesEnabled();

    LocationManagerDelegate* delegate() const { return delegate_.get(); }
    void setDelegate(LocationManagerDelegate* delegate);
    double desiredAccuracy() const { return desiredAccuracy_; }
    void setDesiredAccuracy(double metres) { desiredAccuracy_ = metres; }

    LocationAuthorizationStatus authorizationStatus() const;
    void requestWhenInUseAuthorization();

    void startUpdatingLocation();
    void stopUpdatingLocation();
    void startUpdatingHeading();
    void stopUpdatingHeading();
    bool isUpdatingLocation() const { return updatingLocation_; }
    bool isUpdatingHeading() const { return updatingHeading_; }

    // The newest position this manager received, if any.
    const std::optional<Location>& location() const { return location_; }
    const std::optional<Heading>& heading() const { return heading_; }

private:
    friend class LocationService;
    void receiveLocations(const std::vector<Location>& locations);
    void receiveHeading(const Heading& heading);
    void receiveFailure(const LocationError& error);
    void receiveAuthorizationChange(LocationAuthorizationStatus status);

    // Null once the environment is gone.
    LocationService* service() const;
    LocationService& service_;
    std::weak_ptr<const bool> serviceAlive_;
    WeakDelegate<LocationManagerDelegate> delegate_;
    double desiredAccuracy_ = LocationAccuracy::best;
    bool updatingLocation_ = false;
    bool updatingHeading_ = false;
    std::optional<Location> location_;
    std::optional<Heading> heading_;
};

}  // namespace tq
