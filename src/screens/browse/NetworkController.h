#pragma once

#include <memory>
#include <vector>

#include "model/Tour.h"
#include "platform/ui/ViewController.h"
#include "screens/tour/TourNeighbours.h"

namespace tq {

class StoryboardRegistry;

// The tours of an organisation, or the sub-tours of a network tour. For now it fetches the list
// the tour screen names in the web-service client and keeps it.
class NetworkController : public ViewController, public TourListScreen {
public:
    // True when created: the sub-tours of a network tour.
    bool forNetwork = true;
    TourRef networkTour;
    std::vector<TourRef> tours;

    void setForNetwork(bool value) override { forNetwork = value; }

    // Registers the screen under "NetworkController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

protected:
    void viewDidLoad() override;
};

}  // namespace tq
