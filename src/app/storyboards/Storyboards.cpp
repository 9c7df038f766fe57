#include "app/storyboards/Storyboards.h"

#include "screens/browse/NetworkController.h"
#include "screens/browse/ParameterDetailViewController.h"
#include "screens/browse/ParametersController.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/SearchResultsController.h"
#include "screens/browse/SelectRegionController.h"
#include "screens/browse/SelectSearchLanguageController.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/RateTourController.h"
#include "screens/tour/TourDetailController.h"

namespace tq {

void registerStoryboards(StoryboardRegistry& registry) {
    TourDetailController::registerIn(registry);
    ContentController::registerIn(registry);
    MapLeafletController::registerIn(registry);
    NetworkController::registerIn(registry);
    RateTourController::registerIn(registry);
    ParametersController::registerIn(registry);
    ParameterDetailViewController::registerIn(registry);
    SearchController::registerIn(registry);
    SearchResultsController::registerIn(registry);
    SelectRegionController::registerIn(registry);
    SelectSearchLanguageController::registerIn(registry);
}

}  // namespace tq
