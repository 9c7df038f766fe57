// The two ways out of the web map: directions to the tour's target in a maps application, and the
// share sheet with a link to the current point.
#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/services/SystemURLOpener.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/ShareController.h"
#include "screens/tour/TourDetailController.h"
#include "service/Network.h"

namespace tq {
namespace {

// The maps application's address for a target: the system hands it to whichever application
// plans routes.
std::string mapsAddress(double latitude, double longitude) {
    auto lat = coordinateText(latitude);
    auto lon = coordinateText(longitude);
    return "geo:" + lat + "," + lon + "?q=" + lat + "," + lon + "(Target%20location)";
}

}  // namespace

void MapLeafletController::getDirections() {
    std::optional<std::string> latitude, longitude;
    if (isCustomMap()) {
        latitude = tour->customMapLat;
        longitude = tour->customMapLong;
    } else if (currentPOI) {
        latitude = currentPOI->lat;
        longitude = currentPOI->long_;
    }
    auto lat = parseDouble(latitude.value_or(""));
    auto lon = parseDouble(longitude.value_or(""));
    auto& env = Environment::current();
    if (!lat || !lon) {
        // Without a real target the maps application would plan a route to the middle of the
        // ocean: nothing is handed over, and the visitor is told rather than left with a dead tap.
        env.console().log("no directions: the target has no coordinates");
        showLocationAlert(LocationAlert::targetUnavailable);
        return;
    }
    auto address = mapsAddress(*lat, *lon);
    env.console().log("open in maps " + address);
    env.shared<SystemURLOpener>().open(address);
}

void MapLeafletController::share() {
    if (!tour) return;
    auto sheet = std::make_shared<ActivityViewController>(
        std::vector<ActivityItem>{std::static_pointer_cast<ActivityItemSource>(weakSelf().lock())});
    sheet->setExcludedActivityTypes(excludedShareActivityTypes());
    if (isPad()) {
        sheet->setModalTransitionStyle(ModalTransitionStyle::coverVertical);
        sheet->setModalPresentationStyle(ModalPresentationStyle::formSheet);
        if (auto* popover = sheet->popoverPresentationController()) popover->setBarButtonItem(rightBarButton);
    }
    present(sheet, true);
}

std::string MapLeafletController::activityViewControllerPlaceholderItem(ActivityViewController& controller) {
    (void)controller;
    auto position = pointPosition(currentPoiIndex);
    if (!position) return {};
    return (*tour->poi)[*position]->poi_name.value_or("");
}

std::optional<std::string> MapLeafletController::activityViewControllerItemForActivityType(
    ActivityViewController& controller, const std::optional<std::string>& activityType) {
    (void)controller;
    (void)activityType;
    const auto& current = tour;
    if (!current || !current->poi || currentPoiIndex < 0 ||
        static_cast<std::uint64_t>(currentPoiIndex) >= current->poi->size()) {
        return std::nullopt;
    }
    const auto& point = (*current->poi)[static_cast<std::size_t>(currentPoiIndex)];
    return tourShareLink(app.text("LinkCircuit"),
                         current->circuit_id.value_or("") + "/poi/" + point->poi_id.value_or(""),
                         point->slug.value_or(""));
}

std::string MapLeafletController::activityViewControllerSubjectForActivityType(
    ActivityViewController& controller, const std::optional<std::string>& activityType) {
    (void)controller;
    (void)activityType;
    return tour ? tour->title.value_or("") : std::string();
}

}  // namespace tq
