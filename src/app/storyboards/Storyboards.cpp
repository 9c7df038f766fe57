#include "app/storyboards/Storyboards.h"

#include "screens/browse/CatalogController.h"
#include "screens/browse/HomeController.h"
#include "screens/browse/NetworkController.h"
#include "screens/browse/ParameterDetailViewController.h"
#include "screens/browse/ParametersController.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/SearchResultsController.h"
#include "screens/browse/SelectRegionController.h"
#include "screens/browse/SelectSearchLanguageController.h"
#include "screens/maps/MapController.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/PoiSelectController.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/ContentSelectController.h"
#include "screens/tour/PanoramaViewController.h"
#include "screens/tour/RateTourController.h"
#include "screens/tour/TourDetailController.h"
#include "screens/tour/ZoomImageController.h"
#include "platform/ui/Storyboard.h"
#include "ui/common/MainStoryboards.h"

namespace tq {

void registerStoryboards(StoryboardRegistry& registry) {
    TourDetailController::registerIn(registry);
    ContentController::registerIn(registry);
    ContentSelectController::registerIn(registry);
    ZoomImageController::registerIn(registry);
    PanoramaViewController::registerIn(registry);
    MapLeafletController::registerIn(registry);
    PoiSelectController::registerIn(registry);
    MapController::registerIn(registry);
    NetworkController::registerIn(registry);
    RateTourController::registerIn(registry);
    CatalogController::registerIn(registry);
    HomeController::registerIn(registry);
    ParametersController::registerIn(registry);
    ParameterDetailViewController::registerIn(registry);
    SearchController::registerIn(registry);
    SearchResultsController::registerIn(registry);
    SelectRegionController::registerIn(registry);
    SelectSearchLanguageController::registerIn(registry);
}

void openToursOnNativeMap(StoryboardRegistry& registry) {
    for (const MainStoryboard& board : kMainStoryboards) {
        registry.storyboard(board.name)
            .addSegue({.identifier = "showMap", .destination = "MapController", .source = "TourDetailController"});
    }
}

}  // namespace tq
