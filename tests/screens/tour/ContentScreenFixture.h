#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "TourScreenFixture.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/ImageLoader.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/MediaPlayers.h"
#include "storage/TourFiles.h"
#include "support/MediaFixtures.h"

namespace tq::test {

// Where the fixtures' media live on the test web service.
inline std::string mediaAddress(const std::string& path) { return std::string("https://") + kFixtureMediaHost + path; }
inline std::string plainMediaAddress(const std::string& path) {
    return std::string("http://") + kFixtureMediaHost + path;
}

// A content as the web service describes it; its metadata is read as the client reads it.
inline PoiContentRef makeContent(const std::string& id, const std::string& type, const std::string& title,
                                 std::optional<std::string> description, const nlohmann::json& metadata = {}) {
    auto content = std::make_shared<PoiContent>();
    content->content_id = id;
    content->type = type;
    content->title = title;
    content->description = std::move(description);
    content->metadata = metadata.is_null() ? std::string("{}") : metadata.dump();
    content->parseMetadata();
    return content;
}

// A person at the content screen of a point: the map (a plain screen here) has opened it on top of
// the home screen, with the web service on loopback.
class ContentScreenTest : public TourScreenTest {
protected:
    explicit ContentScreenTest(TestEnvironmentOptions options = {}) : TourScreenTest(std::move(options)) {
        map = std::make_shared<ViewController>();
        nav->pushViewController(map, false);
        env.settle();
    }
    MediaPlayers& players() { return MediaPlayers::shared(); }
    std::shared_ptr<AudioPlayer> player() { return players().player; }
    std::vector<std::string> console() { return env->console().lines(); }
    bool consoleHas(const std::string& line) {
        auto lines = console();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // Opens the content screen as the map does, and waits for its first content.
    std::shared_ptr<ContentController> open(std::vector<PoiContentRef> contents, const std::string& board = "Main") {
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<ContentController>("ContentController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        screen->contents = std::move(contents);
        nav->pushViewController(screen, true);
        env.advance(0.2);
        return screen;
    }

    // A tap, then the time the screen's step takes.
    void tapAndWait(const std::shared_ptr<Button>& button, double seconds = 0.0) {
        EXPECT_TRUE(button->tap());
        env.advance(seconds);
    }

    void serveAudio(const std::string& path, double seconds, const std::string& gate = {}) {
        auto reply = ScriptedReply::bytes(wavBytes(seconds), "audio/wav");
        reply.gate = gate;
        service.reply(path, reply);
    }
    void servePicture(const std::string& path, int width = 8, int height = 4) {
        service.reply(path, ScriptedReply::bytes(pngBytes(width, height), "image/png"));
    }

    // Makes tour 418 the stored tour being shown, with its folder in the cache directory.
    std::filesystem::path storeTour() {
        auto tour = std::make_shared<Tour>();
        tour->circuit_id = "418";
        network().currentTour = tour;
        app().isMyTour = true;
        auto folder = *files().tourFolder("418");
        std::filesystem::create_directories(folder);
        return folder;
    }
    TourFiles files() { return TourFiles(env->cacheDir()); }
    static void writeFile(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::shared_ptr<ViewController> map;
};

}  // namespace tq::test
