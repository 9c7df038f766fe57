// The visitor's position on the web map: follow-me, panning to the visitor, the compass mode and
// the points of other tours around the tour.
#include "app/AppDelegate.h"
#include "model/Json.h"
#include "platform/foundation/Environment.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"
#include "service/Network.h"

namespace tq {

void MapLeafletController::startLocationUpdatesIfFollowing() {}

void MapLeafletController::stopLocationUpdates() {}

void MapLeafletController::toggleFollowMe() { closeMapOptions(); }

void MapLeafletController::centerOnUserPosition() {}

void MapLeafletController::toggleGyroscope() {
    gyroIsEnable = !gyroIsEnable;
    evaluate(mapPage::mapFollowsDirection(gyroIsEnable));
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
