#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Json.h"
#include "platform/location/LocationService.h"
#include "platform/media/AudioPlayer.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/MediaPlayers.h"
#include "storage/TourFiles.h"
#include "storage/TourFolders.h"
#include "screens/tour/TourScreenFixture.h"

namespace tq::test {

enum class MapMode { online, downloaded };

// A short silent WAV file the shared player accepts.
inline std::string silentWav(double seconds = 30) {
    const std::uint32_t rate = 8000;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = frames * 2;
    std::string wav;
    auto put32 = [&wav](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    auto put16 = [&wav](std::uint16_t v) {
        wav += static_cast<char>(v & 0xff);
        wav += static_cast<char>(v >> 8);
    };
    wav += "RIFF";
    put32(36 + dataBytes);
    wav += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    wav += "data";
    put32(dataBytes);
    wav.append(dataBytes, '\0');
    return wav;
}

// A visitor on the way to the web map: the application launched in English, every screen
// registered, a home screen at the root and the fixture tour 418 (three points whose orders arrive
// as 2, 10, 1) as the web-service client's current tour.
class MapScreenTest : public TourScreenTest {
protected:
    explicit MapScreenTest(TestEnvironmentOptions options = {}) : TourScreenTest(std::move(options)) {}

    static TourRef tourFrom(const nlohmann::json& json) {
        auto decoded = decodeJson<TourRef>(json.dump());
        EXPECT_TRUE(decoded.ok()) << decoded.error();
        return decoded.ok() ? *decoded : nullptr;
    }
    TourRef fixture(const std::function<void(nlohmann::json&)>& edit = {}) { return tourFrom(fixtureTour(edit)); }

    // The offline page and its assets in the cache directory, and the tour's tile folder.
    void storeOfflineFiles(const std::string& circuitId = "418") {
        TourFolders(env.env()).copyOfflineMapAssets();
        auto tiles = TourFiles(env->cacheDir()).tilesFolder(circuitId);
        ASSERT_TRUE(tiles);
        std::filesystem::create_directories(*tiles / "15" / "9667");
    }

    // Pushes the web map the way the tour screen does and lets its page load; the page's drawing
    // call stays unanswered until the test answers it.
    std::shared_ptr<MapLeafletController> openMap(MapMode mode, TourRef tour, std::int64_t startIndex = 0,
                                                  const std::string& board = "Main") {
        network().currentTour = tour;
        app().isMyTour = mode == MapMode::downloaded;
        if (mode == MapMode::downloaded) storeOfflineFiles(tour && tour->circuit_id ? *tour->circuit_id : "418");
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<MapLeafletController>("MapLeafletController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        screen->setCurrentPoiIndex(startIndex);
        nav->pushViewController(screen, true);
        env.settle();
        return screen;
    }

    // The page's drawing call (showMap or initializeMap), answered without error.
    void pageDrawsTheTour(MapLeafletController& screen) {
        auto sources = screen.map->evaluatedSources();
        for (const auto& source : sources) {
            if (source.starts_with("showMap(") || source.starts_with("initializeMap(")) {
                ASSERT_TRUE(screen.map->driver().answerScript(source, ScriptValue{}));
                return;
            }
        }
        FAIL() << "the page was never asked to draw the tour";
    }

    std::vector<std::string> scriptsSince(MapLeafletController& screen, std::size_t from) {
        auto all = screen.map->evaluatedSources();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
    }

    // Audio a content screen left playing.
    std::shared_ptr<AudioPlayer> playingAudio() {
        auto made = AudioPlayer::withData(env.env(), silentWav());
        EXPECT_TRUE(made) << "the test audio was refused";
        auto& players = env->shared<MediaPlayers>();
        players.player = made.player;
        if (made.player) {
            made.player->prepareToPlay();
            made.player->play();
        }
        players.audioStillRunning = true;
        return made.player;
    }

    MediaPlayers& players() { return env->shared<MediaPlayers>(); }
    Console& console() { return env->console(); }
    HeadlessLocationBackend& device() { return LocationService::of(env.env()).driver(); }

    bool consoleHas(const std::string& line) {
        for (const auto& l : env->console().lines()) {
            if (l == line) return true;
        }
        return false;
    }
};

}  // namespace tq::test
