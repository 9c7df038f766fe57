// The search screen's use of the visitor's position: the search around it, and the position shown
// on the world map.
#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/foundation/SettingsStore.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/UiApplication.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/WorldMapBridge.h"
#include "service/Network.h"

namespace tq {

void SearchController::searchAround() {
    clearSearchResults();
    loadingAround = true;
    startLocating();
}

void SearchController::startLocating() {
    locationManager->setDelegate(this);
    locationManager->setDesiredAccuracy(LocationAccuracy::best);
    switch (locationManager->authorizationStatus()) {
        case LocationAuthorizationStatus::restricted:
        case LocationAuthorizationStatus::denied:
            showLocationUnavailableAlert();
            app.followMe = false;
            btnLocateMe->setTitle(app.text("Locate"));
            isLocateMe = false;
            break;
        case LocationAuthorizationStatus::authorizedAlways:
        case LocationAuthorizationStatus::authorizedWhenInUse:
            locationManager->startUpdatingLocation();
            app.followMe = true;
            btnLocateMe->setTitle(app.text("LocationStop"));
            break;
        case LocationAuthorizationStatus::notDetermined:
            locationManager->requestWhenInUseAuthorization();
            break;
    }
    auto& settings = Environment::current().settings();
    settings.setBool("followMe", app.followMe);
    settings.synchronize();
}

void SearchController::showLocationUnavailableAlert() {
    ProgressOverlay::shared().dismiss();
    auto alert = std::make_shared<AlertController>(app.text("Notice"), app.text("LocationUnavailable"));
    alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
    alert->addAction({app.text("OpenSettings"), AlertActionStyle::defaultStyle, [] {
                          auto& env = Environment::current();
                          UiApplication::shared().open(std::string(UiApplication::openSettingsURLString) +
                                                       env.bundle().bundleIdentifier().value_or(""));
                      }});
    if (auto nav = navigationController()) nav->present(alert, true);
}

void SearchController::locateMe() {
    if (isLocateMe) {
        locationManager->stopUpdatingLocation();
        webView->evaluateJavaScript("removeCurrentLocation();");
        btnLocateMe->setTitle(app.text("Locate"));
        isLocateMe = false;
        return;
    }
    isLocateMe = true;
    startLocating();
}

// ---- Location callbacks

void SearchController::didFailWithError(LocationManager& manager, const LocationError&) {
    manager.requestWhenInUseAuthorization();
}

void SearchController::didChangeAuthorizationStatus(LocationManager&, LocationAuthorizationStatus status) {
    if (isAuthorized(status)) locationManager->startUpdatingLocation();
}

void SearchController::didChangeAuthorization(LocationManager&) {
    // The status form above starts the updates once authorised; this form only knows whether the
    // device has location services at all, and starting then is harmless: nothing comes unless
    // the person allowed it.
    if (LocationManager::locationServicesEnabled() && isAuthorized(locationManager->authorizationStatus())) {
        locationManager->startUpdatingLocation();
    }
}

void SearchController::didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) {
    handleLocationUpdate(manager, locations);
}

void SearchController::handleLocationUpdate(LocationManager& manager, const std::vector<Location>& locations) {
    if (!locations.empty()) {
        if (loadingAround) {
            // A search around waits: it takes the first position, whether or not the map is ready.
            const auto& coordinate = locations.back().coordinate;
            auto weak = weakSelf();
            const int request = ++searchRequest;
            network.searchByProximity(coordinateText(coordinate.latitude), coordinateText(coordinate.longitude), "all",
                                      [weak, request](bool success) {
                                          auto self = weak.lock();
                                          if (self && request == self->searchRequest) self->showAroundResults(success);
                                      });
        } else {
            ProgressOverlay::shared().dismiss();
            const auto coordinate = manager.location().value_or(locations.back()).coordinate;
            showPositionOnMap(coordinate.latitude, coordinate.longitude);
        }
    }
    manager.stopUpdatingLocation();
}

void SearchController::showAroundResults(bool success) {
    if (!success) {
        presentCloseAlert("Search", "SearchNoResultNear");
        ProgressOverlay::shared().dismiss();
        return;
    }
    if (!network.searchCatalogue.empty() && !resultPresented) showResults(app.text("Nearby"));
    ProgressOverlay::shared().dismiss();
}

}  // namespace tq
