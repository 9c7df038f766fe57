// The home screen's background videos: one for portrait, one for landscape, both in place from
// the start; appearing and rotating choose which one shows and plays.
#include <algorithm>
#include <fstream>

#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "screens/browse/HomeController.h"

namespace tq {
namespace {

// A bundle video the player can take: present, readable, and an MP4 file (its first box is "ftyp").
std::optional<std::filesystem::path> readableVideo(const std::string& name) {
    auto& env = Environment::current();
    auto path = env.bundle().pathForResource(name, "mp4");
    char header[8] = {};
    if (path) {
        std::ifstream file(*path, std::ios::binary);
        if (file.read(header, sizeof header) && std::string(header + 4, 4) == "ftyp") return path;
    }
    env.console().log("Home video " + name + ".mp4 is missing or unreadable; the home screen shows no video");
    return std::nullopt;
}

// A player for the video, on a layer of the given size on top of `host`; null without a video.
std::shared_ptr<VideoPlayer> makeBackgroundPlayer(const std::string& name, View& host, Size size,
                                                  std::shared_ptr<VideoPlayerLayer>& layer) {
    auto video = readableVideo(name);
    if (!video) return nullptr;
    auto player = VideoPlayer::withURL(fileURL(*video));
    layer = std::make_shared<VideoPlayerLayer>(player);
    layer->setIdentifier(name == "vertical" ? "playerLayer" : "playerLayerLand");
    layer->setVideoGravity(VideoGravity::resizeAspectFill);
    layer->setFrame(Rect(0, 0, size.width, size.height));
    // The video plays once and stays on its last frame.
    player->setActionAtItemEnd(VideoPlayerActionAtItemEnd::pause);
    host.addSubview(layer);
    return player;
}

}  // namespace

void HomeController::setupPortraitVideo() {
    const Size screen = Environment::current().device().screenBounds;
    const Size portrait{std::min(screen.width, screen.height), std::max(screen.width, screen.height)};
    player = makeBackgroundPlayer("vertical", *blackOverlay, portrait, playerLayer);
}

void HomeController::setupLandscapeVideo() {
    const Size screen = Environment::current().device().screenBounds;
    const Size landscape{std::max(screen.width, screen.height), std::min(screen.width, screen.height)};
    playerLand = makeBackgroundPlayer("horrizontal", *blackOverlay, landscape, playerLayerLand);
}

void HomeController::showVideo(bool landscape, double delay) {
    if (playerLayer) playerLayer->setHidden(landscape);
    if (playerLayerLand) playerLayerLand->setHidden(!landscape);
    auto video = landscape ? playerLand : player;
    if (!video) return;
    if (delay <= 0) {
        video->play();
        return;
    }
    // The start is not cancelled when the screen leaves first; the next disappearance pauses it.
    std::weak_ptr<VideoPlayer> weak = video;
    Environment::current().loop().postAfter(delay, [weak] {
        if (auto started = weak.lock()) started->play();
    });
}

void HomeController::rewindVideos() {
    for (const auto& video : {player, playerLand}) {
        if (video) video->seek(0);
    }
}

}  // namespace tq
