// The tours around the visitor: the device's position, then the web service's tours nearby.
#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/UiApplication.h"
#include "screens/browse/CatalogController.h"
#include "service/Network.h"

namespace tq {

void CatalogController::startAroundLocating() {
    locationManager->setDelegate(this);
    locationManager->setDesiredAccuracy(LocationAccuracy::best);
    awaitingPosition_ = true;
    auto& console = Environment::current().console();
    switch (locationManager->authorizationStatus()) {
        case LocationAuthorizationStatus::restricted:
        case LocationAuthorizationStatus::denied: {
            const bool restricted = locationManager->authorizationStatus() == LocationAuthorizationStatus::restricted;
            showAroundLocationAlert();
            console.log(restricted ? "restricted location" : "denied location");
            // Shown only: the order stays "around" and the list as it was.
            segmentBar->setSelectedSegmentIndex(1);
            app.followMe = false;
            break;
        }
        case LocationAuthorizationStatus::authorizedAlways:
        case LocationAuthorizationStatus::authorizedWhenInUse:
            locationManager->startUpdatingLocation();
            app.followMe = true;
            break;
        case LocationAuthorizationStatus::notDetermined:
            locationManager->requestWhenInUseAuthorization();
            break;
    }
}

void CatalogController::didChangeAuthorization(LocationManager& manager) {
    aroundAuthorizationChanged(manager.authorizationStatus());
}

void CatalogController::didChangeAuthorizationStatus(LocationManager&, LocationAuthorizationStatus status) {
    aroundAuthorizationChanged(status);
}

void CatalogController::aroundAuthorizationChanged(LocationAuthorizationStatus status) {
    if (!awaitingPosition_) return;
    if (isAuthorized(status)) {
        locationManager->startUpdatingLocation();
        return;
    }
    // Still waiting for the visitor's answer to the system's question.
    if (status == LocationAuthorizationStatus::notDetermined) return;
    showAroundLocationAlert();
    app.followMe = false;
}

void CatalogController::didFailWithError(LocationManager&, const LocationError&) {
    if (!awaitingPosition_) return;
    showAroundLocationAlert();
}

void CatalogController::didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) {
    if (locations.empty() || !awaitingPosition_) return;
    awaitingPosition_ = false;
    const auto& last = locations.back();
    app.followMe = true;
    userPosition = last.coordinate;
    manager.stopUpdatingLocation();
    const int request = ++aroundRequest_;
    aroundReplyPending_ = true;
    auto weak = weakSelf();
    Network::shared().getToursNearby(last.coordinate.latitude, last.coordinate.longitude, [weak, request](bool success) {
        // A reply for a screen or an order the visitor has left changes nothing: leaving ended the wait.
        auto self = weak.lock();
        if (!self || request != self->aroundRequest_ || self->sort != Sort::around) return;
        self->aroundReplyPending_ = false;
        self->toursAroundLoaded(success);
    });
}

void CatalogController::toursAroundLoaded(bool success) {
    if (success) {
        catalogue = Network::shared().searchCatalogue;
        tableView->reloadData();
        ProgressOverlay::shared().dismiss();
        animateTable();
    } else {
        presentAlert("Search", "SearchNoResultNear", "OK");
    }
    ProgressOverlay::shared().dismiss();
}

void CatalogController::showAroundLocationAlert() {
    abandonAround();
    ProgressOverlay::shared().dismiss();
    auto alert = std::make_shared<AlertController>(app.text("Notice"), app.text("LocationUnavailable"));
    alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
    alert->addAction({app.text("OpenSettings"), AlertActionStyle::defaultStyle,
                      [] { UiApplication::shared().open(UiApplication::openSettingsURLString); }});
    if (auto nav = navigationController()) nav->present(alert, true);
}

void CatalogController::abandonAround() {
    if (awaitingPosition_) locationManager->stopUpdatingLocation();
    // The wait for the tours around ends with it.
    if (awaitingPosition_ || aroundReplyPending_) ProgressOverlay::shared().dismiss();
    awaitingPosition_ = false;
    aroundReplyPending_ = false;
    ++aroundRequest_;
}

void CatalogController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (!isMovingFromParent()) return;
    abandonAround();
    if (catalogueLoadPending_) {
        catalogueLoadPending_ = false;
        ProgressOverlay::shared().dismiss();
    }
}

}  // namespace tq
