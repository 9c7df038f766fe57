#include "screens/browse/NetworkController.h"

#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "service/Network.h"

namespace tq {

void NetworkController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("NetworkController", [] { return std::make_shared<NetworkController>(); });
    }
}

void NetworkController::viewDidLoad() {
    ViewController::viewDidLoad();
    auto& network = Network::shared();
    networkTour = network.currentTour;
    ProgressOverlay::shared().show();
    std::weak_ptr<NetworkController> weak = std::static_pointer_cast<NetworkController>(shared_from_this());
    network.getNetworkCatalogue(network.lastNetworkId.value_or(""), forNetwork, [weak](bool) {
        ProgressOverlay::shared().dismiss();
        if (auto self = weak.lock()) self->tours = Network::shared().networkCatalogue;
    });
}

}  // namespace tq
