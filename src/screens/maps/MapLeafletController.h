#pragma once

#include <cstdint>
#include <memory>

#include "model/Tour.h"
#include "platform/ui/ViewController.h"
#include "screens/tour/TourNeighbours.h"

namespace tq {

class AppDelegate;
class MediaPlayers;
class StoryboardRegistry;

// The web map on which a visitor follows a tour point by point. For now it holds what the tour
// screen hands it: the tour of the web-service client and the point to show first.
class MapLeafletController : public ViewController, public PointMapScreen {
public:
    MapLeafletController();

    AppDelegate& app;
    TourRef tour;
    // The point shown, as an index in the tour's point list.
    std::int64_t currentPoiIndex = 0;
    PointOfInterestRef currentPOI;
    MediaPlayers& audioPlayer;

    void setCurrentPoiIndex(std::int64_t index) override { currentPoiIndex = index; }

    // Registers the screen under "MapLeafletController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void viewWillDisappear(bool animated) override;

protected:
    void viewDidLoad() override;
};

}  // namespace tq
