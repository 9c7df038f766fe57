#pragma once

#include <vector>

#include "platform/location/LocationTypes.h"

namespace tq {

// The device's source of positions, behind the location managers. The program runs the headless
// one with location services off; a desktop front end can plug the system's location service in
// here. A backend may report from any thread: the service hands everything to the main loop.
class LocationBackend {
public:
    // What a backend reports. The location service is the only listener.
    class Listener {
    public:
        virtual ~Listener() = default;
        // The services switch or this application's authorisation changed.
        virtual void authorizationChanged() = 0;
        virtual void locationsArrived(const std::vector<Location>& locations) = 0;
        virtual void headingArrived(const Heading& heading) = 0;
        virtual void failed(const LocationError& error) = 0;
    };

    virtual ~LocationBackend() = default;
    virtual void setListener(Listener* listener) = 0;

    virtual bool servicesEnabled() const = 0;
    // The application's own authorisation, before the services switch is taken into account.
    virtual LocationAuthorizationStatus authorizationStatus() const = 0;
    // Asks the person, when nothing is decided yet; otherwise does nothing.
    virtual void requestWhenInUseAuthorization() = 0;
    // Whether any manager wants positions, or headings. The backend need only run while one does.
    virtual void setUpdatesWanted(bool locations, bool heading) = 0;
};

}  // namespace tq
