// The search screen's use of the visitor's position: the search around it, and the position shown
// on the world map.
#include "app/AppDelegate.h"
#include "platform/ui/ProgressOverlay.h"
#include "screens/browse/SearchController.h"
#include "service/Network.h"

namespace tq {

void SearchController::searchAround() {
    clearSearchResults();
    loadingAround = true;
    startLocating();
}

void SearchController::startLocating() {}

void SearchController::showLocationUnavailableAlert() {}

void SearchController::locateMe() {}

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
