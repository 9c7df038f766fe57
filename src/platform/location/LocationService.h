#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/location/HeadlessLocationBackend.h"
#include "platform/location/LocationBackend.h"

namespace tq {

class Environment;
class LocationManager;

// The device's location, once per environment: it owns the backend and knows every location
// manager, and hands what the backend reports to the managers on the main loop.
// Reached as `env.shared<LocationService>()`.
class LocationService : private LocationBackend::Listener {
public:
    explicit LocationService(Environment& env);
    ~LocationService() override;
    LocationService(const LocationService&) = delete;
    LocationService& operator=(const LocationService&) = delete;

    static LocationService& of(Environment& env);

    // The headless backend, starting with the device's services switch, until another is plugged in.
    void setBackend(std::unique_ptr<LocationBackend> backend);
    LocationBackend& backend() { return *backend_; }
    // The test side: the headless backend. Throws when another backend is plugged in.
    HeadlessLocationBackend& driver();

    bool servicesEnabled() const { return backend_->servicesEnabled(); }
    // Denied while services are off, as the system reports it.
    LocationAuthorizationStatus authorizationStatus() const;
    void requestWhenInUseAuthorization() { backend_->requestWhenInUseAuthorization(); }

    // Managers come and go with their screens.
    void add(LocationManager& manager);
    void remove(LocationManager& manager);
    void updatesChanged();
    // Posts `deliver` for `manager` on the main loop, skipped if the manager is gone by then.
    void post(LocationManager& manager, std::function<void(LocationManager&)> deliver);
    // Managers may outlive the environment (a screen kept by a test): they check this first.
    std::weak_ptr<const bool> lifetime() const { return alive_; }

private:
    void authorizationChanged() override;
    void locationsArrived(const std::vector<Location>& locations) override;
    void headingArrived(const Heading& heading) override;
    void failed(const LocationError& error) override;
    template <class Wants>
    void postToManagers(Wants wants, const std::function<void(LocationManager&)>& deliver);

    Environment& env_;
    std::unique_ptr<LocationBackend> backend_;
    std::vector<LocationManager*> managers_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq
