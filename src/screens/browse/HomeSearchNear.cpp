// Search near me: a compass button locates the visitor once and shows the tours around.
#include <numbers>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/services/Analytics.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Animation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "screens/browse/HomeController.h"
#include "screens/browse/SearchResultsController.h"
#include "screens/browse/TourSelection.h"
#include "service/Network.h"

namespace tq {
namespace {

constexpr double kCompassSpin = 2.0;
constexpr double kResultsDelay = 1.0;

// The results screen adds its status-bar strip when the home screen shows it.
void markShownFromHome(ViewController& screen) {
    if (auto* results = dynamic_cast<SearchResultsController*>(&screen)) results->isShowFromHome = true;
}

}  // namespace

void HomeController::searchNear() { startLocationForSearch(); }

void HomeController::startLocationForSearch() {
    locationManager->setDelegate(this);
    locationManager->setDesiredAccuracy(LocationAccuracy::best);
    switch (locationManager->authorizationStatus()) {
        case LocationAuthorizationStatus::notDetermined:
            // The visitor answers the system's question; the next tap searches.
            locationManager->requestWhenInUseAuthorization();
            app.followMe = false;
            break;
        case LocationAuthorizationStatus::restricted:
        case LocationAuthorizationStatus::denied:
            showLocationDeniedAlert();
            app.followMe = false;
            break;
        case LocationAuthorizationStatus::authorizedAlways:
        case LocationAuthorizationStatus::authorizedWhenInUse:
            locatingForSearch_ = true;
            locationManager->startUpdatingLocation();
            app.followMe = true;
            break;
    }
}

void HomeController::didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) {
    if (locations.empty()) return;
    manager.stopUpdatingLocation();
    locatingForSearch_ = false;
    userPosition = locations.back().coordinate;
    if (!isSearchingNear && isViewVisible) searchToursAround();
}

void HomeController::didChangeAuthorizationStatus(LocationManager&, LocationAuthorizationStatus status) {
    if (!isAuthorized(status)) app.followMe = false;
}

void HomeController::didFailWithError(LocationManager& manager, const LocationError&) {
    if (!locatingForSearch_) {
        manager.requestWhenInUseAuthorization();
        return;
    }
    // The position the visitor asked for cannot be had: they hear so rather than wait for ever.
    locatingForSearch_ = false;
    manager.stopUpdatingLocation();
    app.followMe = false;
    showLocationDeniedAlert();
}

void HomeController::searchToursAround() {
    AnimationOptions linear;
    linear.curve = AnimationCurve::linear;
    animate(kCompassSpin, 0, linear, [this] {
        for (const auto& compass : {btnCompass, btnCompassLand}) {
            compass->setTransform(Transform::rotation(std::numbers::pi));
            compass->setTransform(Transform::rotation(2 * std::numbers::pi));
        }
    });
    if (!isServiceReachable()) {
        presentNotice("ServerNotFound", "ServerNotFoundMessage");
        return;
    }
    isSearchingNear = true;
    Analytics::shared().logEvent("Recherche_alentour_boussole", {});
    app.followMe = true;
    auto& network = Network::shared();
    // The results screen lists a keyword search's city results first: none may be left over.
    network.searchCatalogueCity.clear();
    network.searchCatalogue.clear();
    auto weak = weakSelf();
    network.getToursNearby(userPosition->latitude, userPosition->longitude, [weak](bool success) {
        if (auto self = weak.lock()) self->toursNearbyLoaded(success);
    });
}

void HomeController::toursNearbyLoaded(bool success) {
    isSearchingNear = false;
    if (!success) {
        presentNotice("Search", "SearchNoResultNear");
        return;
    }
    const bool pad = Environment::current().device().idiom == DeviceIdiom::pad;
    auto board = pad ? StoryboardRegistry::shared().named("Search-ipad") : storyboard();
    auto results = board ? board->instantiateViewController("SearchResultsController") : nullptr;
    if (!results) return;
    results->setTitle(app.text("Nearby"));
    markShownFromHome(*results);
    // The wait is not cancelled: results that come after the visitor left are shown all the same.
    auto weak = weakSelf();
    Environment::current().loop().postAfter(kResultsDelay, [weak, results] {
        if (auto self = weak.lock()) self->show(results, std::shared_ptr<ViewController>(self));
    });
}

void HomeController::showLocationDeniedAlert() {
    auto alert = std::make_shared<AlertController>(app.text("Notice"), app.text("LocationUnavailable"));
    alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
    alert->addAction({app.text("OpenSettings"), AlertActionStyle::defaultStyle, [] {
                          const auto& identifier = Environment::current().bundle().bundleIdentifier();
                          UiApplication::shared().open(std::string(UiApplication::openSettingsURLString) +
                                                       "&path=LOCATION/" + identifier.value_or(""));
                      }});
    if (auto nav = navigationController()) nav->present(alert, true);
}

void HomeController::presentNotice(const std::string& titleKey, const std::string& messageKey) {
    auto alert = std::make_shared<AlertController>(app.text(titleKey), app.text(messageKey));
    alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
    if (auto nav = navigationController()) nav->present(alert, true);
}

}  // namespace tq
