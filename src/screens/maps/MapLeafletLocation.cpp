// The visitor's position on the web map: follow-me, panning to the visitor, the compass mode and
// the points of other tours around the tour.
#include "app/AppDelegate.h"
#include "model/Json.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/UiApplication.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"
#include "service/Network.h"

namespace tq {

bool MapLeafletController::locationIsEnable() {
    if (!locationIsEnable_) locationIsEnable_ = app.followMe;
    return *locationIsEnable_;
}

void MapLeafletController::storeFollowMe() {
    auto& settings = Environment::current().settings();
    settings.setBool("followMe", app.followMe);
    settings.synchronize();
}

void MapLeafletController::toggleFollowMe() {
    const bool wasFollowing = app.followMe;
    app.followMe = !app.followMe;
    if (wasFollowing) {
        locationManager->stopUpdatingLocation();
        evaluate(std::string(mapPage::removeCurrentLocation));
        tableViewOptions->reloadData();
        storeFollowMe();
    } else {
        startLocationByAuthorization();
    }
    closeMapOptions();
}

void MapLeafletController::startLocationByAuthorization() {
    switch (locationManager->authorizationStatus()) {
        case LocationAuthorizationStatus::notDetermined:
            locationManager->requestWhenInUseAuthorization();
            app.followMe = false;
            setLocationIsEnable(false);
            break;
        case LocationAuthorizationStatus::restricted:
        case LocationAuthorizationStatus::denied:
            showLocationAlert(LocationAlert::locationUnavailable);
            app.followMe = false;
            setLocationIsEnable(false);
            break;
        case LocationAuthorizationStatus::authorizedAlways:
        case LocationAuthorizationStatus::authorizedWhenInUse:
            locationManager->startUpdatingLocation();
            tableViewOptions->reloadData();
            app.followMe = true;
            setLocationIsEnable(true);
            break;
    }
    tableViewOptions->reloadData();
    storeFollowMe();
}

void MapLeafletController::centerOnUserPosition() {
    if (locationIsEnable() && currentLocation && !currentLocation->empty()) {
        const auto& where = currentLocation->front().coordinate;
        evaluate(mapPage::panToLocation(where.latitude, where.longitude));
        return;
    }
    showLocationAlert(LocationAlert::activateFollowMe);
}

void MapLeafletController::showLocationAlert(LocationAlert kind) {
    const bool unavailable = kind == LocationAlert::locationUnavailable;
    // The dictionary has no text of its own for a target without a position: the location one is
    // the nearest. The settings cannot help there, so they are not offered.
    const bool known = kind == LocationAlert::activateFollowMe;
    auto alert = std::make_shared<AlertController>(app.text("Notice"),
                                                   app.text(known ? "ActivateFollowMe" : "LocationUnavailable"));
    if (unavailable) {
        alert->addAction({app.text("OpenSettings"), AlertActionStyle::defaultStyle,
                          [] { UiApplication::shared().open(UiApplication::openSettingsURLString); }});
    }
    alert->addAction({"OK", AlertActionStyle::cancel, {}});
    present(alert, true);
}

void MapLeafletController::toggleGyroscope() {
    gyroIsEnable = !gyroIsEnable;
    evaluate(mapPage::mapFollowsDirection(gyroIsEnable));
    if (gyroIsEnable) {
        locationManager->startUpdatingHeading();
    } else {
        locationManager->stopUpdatingHeading();
    }
    tableViewOptions->reloadData();
}

void MapLeafletController::didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) {
    setLocationIsEnable(true);
    currentLocation = locations;
    if (manager.location() && tour && tour->use_custom_map == "0") {
        const auto& where = manager.location()->coordinate;
        evaluate(mapPage::currentLocation(where.latitude, where.longitude));
    }
    app.followMe = true;
    tableViewOptions->reloadData();
}

void MapLeafletController::didUpdateHeading(LocationManager& manager, const Heading& heading) {
    (void)manager;
    evaluate(mapPage::deviceRotation(heading.magneticHeading));
}

void MapLeafletController::didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) {
    if (isAuthorized(status)) {
        manager.startUpdatingLocation();
    } else {
        app.followMe = false;
    }
    tableViewOptions->reloadData();
}

void MapLeafletController::didChangeAuthorization(LocationManager& manager) {
    if (LocationManager::locationServicesEnabled()) {
        manager.startUpdatingLocation();
    } else {
        app.followMe = false;
    }
    tableViewOptions->reloadData();
}

void MapLeafletController::toggleSeeAround() {
    const auto language = mapPage::pageLanguage(app.tempLang);
    seeAround = !seeAround;
    const auto first = pointCount() > 0 ? (*tour->poi)[0] : nullptr;
    if (!first || !first->lat || !first->long_) {
        // Points around are looked up near the tour's first point; without it nothing is asked.
        seeAround = !seeAround;
        return;
    }
    auto weak = weakSelf();
    Network::shared().getPoiAround(language, *first->lat, *first->long_, tour->circuit_id.value_or(""),
                                   [weak, language](bool success) {
                                       if (auto self = weak.lock()) self->showPoisAround(success, language);
                                   });
}

void MapLeafletController::showPoisAround(bool success, const std::string& language) {
    if (!success) {
        // The row must not claim points that are not shown.
        seeAround = !seeAround;
        tableViewOptions->reloadData();
        return;
    }
    auto json = encodeJson(Network::shared().poiAround.value_or(std::vector<PointOfInterestRef>{}));
    if (!json) {
        seeAround = !seeAround;
    } else {
        evaluate(mapPage::showAround(seeAround, language, *json, isPad()));
    }
    tableViewOptions->reloadData();
}

}  // namespace tq
