#include "screens/maps/MapLeafletController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/MediaPlayers.h"
#include "service/Network.h"

namespace tq {

MapLeafletController::MapLeafletController() : app(AppDelegate::shared()), audioPlayer(MediaPlayers::shared()) {}

void MapLeafletController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("MapLeafletController", [] { return std::make_shared<MapLeafletController>(); });
    }
}

void MapLeafletController::viewDidLoad() {
    ViewController::viewDidLoad();
    tour = Network::shared().currentTour;
    currentPOI = nullptr;
    if (tour && tour->poi && currentPoiIndex >= 0 && currentPoiIndex < static_cast<std::int64_t>(tour->poi->size())) {
        currentPOI = (*tour->poi)[static_cast<std::size_t>(currentPoiIndex)];
    }
}

void MapLeafletController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (!isMovingFromParent() || !audioPlayer.audioStillRunning || !audioPlayer.player) return;
    // Leaving the map ends the audio a content started: faded out, then stopped.
    audioPlayer.player->setVolume(0.0, 1.0);
    // The stop acts on whatever player is current by then.
    auto* players = &audioPlayer;
    Environment::current().loop().postAfter(1.3, [players] {
        if (auto player = players->player) player->stop();
        players->audioStillRunning = false;
    });
}

}  // namespace tq
