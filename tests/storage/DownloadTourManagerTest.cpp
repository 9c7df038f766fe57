#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "product/NotificationNames.h"
#include "DownloadTestSupport.h"

namespace tq {
namespace {

using namespace test;

const std::vector<std::string> fixtureTourFiles{
    "12thumb_12.jpg",          // panorama thumbnail
    "1414_recit.mp3",          // audio: <cid> + last component of its file
    "2121_escaliers.mp4",      // video
    "21thumb_21.jpg",          // video thumbnail
    "22thumb_22_fresque.jpg",  // image content: the full picture under its thumbnail's name
    "360_12360_12.jpg",        // panorama picture, whatever its address names
    "main_418.jpg",
    "tiles",
    "tiles/14",
    "tiles/14/4823",
    "tiles/14/4823/5812.png",
    "tiles/14/4823/5813.png",
    "tiles/418.zip",
};

class DownloadTourManagerTest : public DownloadFixture {};

TEST_F(DownloadTourManagerTest, AFullDownloadStoresEveryFileThenTheRowAtTheNextTick) {
    service.reply(kMainImagePath, [&] {
        auto reply = ScriptedReply::bytes(picture, "image/png");
        reply.gate = "main image";
        return reply;
    }());
    const std::string text = fixtureText("full-tour.json");
    startDownload(tourFrom(text));
    EXPECT_TRUE(manager().isDownloading);

    // The main image comes first: nothing else is asked for until it has arrived.
    ASSERT_TRUE(service.waitUntilHeld("main image"));
    EXPECT_EQ(requestedPaths(), std::vector<std::string>{kMainImagePath});
    service.release("main image");
    env.settle();

    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 9u);
    EXPECT_EQ(requests.front().path, kMainImagePath);
    // The tour's text is asked for only once the tiles are extracted; the media files run beside
    // both, so a slow connection may bring one of them to the service after the text's request.
    auto positionOf = [&](const std::string& path) {
        return std::find_if(requests.begin(), requests.end(), [&](const auto& r) { return r.path == path; }) -
               requests.begin();
    };
    EXPECT_LT(positionOf(kTilePath), positionOf(kFullTourPath));
    std::set<std::string> afterImage;
    for (std::size_t i = 1; i < requests.size(); ++i) afterImage.insert(requests[i].path);
    EXPECT_EQ(afterImage, (std::set<std::string>{
                              "/public/media/panorama/360_12.jpg", "/public/media/panorama/thumb_12.jpg",
                              "/public/media/audio/14_recit.mp3", "/public/media/video/21_escaliers.mp4",
                              "/public/media/video/thumb_21.jpg", "/public/media/img/22_fresque.jpg", kTilePath,
                              kFullTourPath}));
    for (const auto& request : requests) {
        bool media = request.path.starts_with("/public/media/");
        if (media) {
            EXPECT_EQ(request.host, kFixtureMediaHost) << request.path;
        }
        // The version header goes with media files and the tile archive, never with pictures.
        bool withHeader = request.path == kTilePath || (media && !request.path.ends_with(".jpg")) ||
                          request.path == "/public/media/panorama/360_12.jpg";
        if (request.path != kFullTourPath) {
            EXPECT_EQ(request.header("api-version").has_value(), withHeader) << request.path;
        }
    }

    EXPECT_EQ(manager().contentCount(), 6);
    EXPECT_EQ(manager().downloadedContentCount(), 6);
    EXPECT_TRUE(manager().isPolling());
    EXPECT_EQ(namesIn(tourFolder), fixtureTourFiles);
    EXPECT_EQ(readFile(tourFolder / "1414_recit.mp3"), "media /public/media/audio/14_recit.mp3");
    EXPECT_EQ(readFile(tourFolder / "22thumb_22_fresque.jpg"), picture);
    EXPECT_EQ(readFile(tourFolder / "tiles/14/4823/5813.png"), "tile 2");

    // Stored at the first tick of the poll, 5.0 s after the tour text arrived.
    env.advance(4.9);
    EXPECT_FALSE(stored("418"));
    env.advance(0.1);
    ASSERT_TRUE(stored("418"));
    auto rows = db().readAllRows().rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].tourJson, text);
    EXPECT_EQ(rows[0].isUptodate, "0");
    EXPECT_EQ(env->notifications().posted(), std::vector<std::string>{Notifications::downloadComplete});
    EXPECT_FALSE(manager().isDownloading);
    EXPECT_FALSE(manager().isPolling());
    EXPECT_EQ(manager().contentCount(), 0);
    // The texts carry empty metadata, which gives them no kind.
    auto printed = env->console().lines();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "getContents no type"), 3);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "no image name"), 1);  // the audio
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "createTourFolder"), 1);
    EXPECT_TRUE(fs::is_regular_file(cache / "offline.html"));
}

TEST_F(DownloadTourManagerTest, EachTickCountsTheFilesInPlaceUntilAllHaveArrived) {
    auto held = ScriptedReply::bytes("video");
    held.gate = "video";
    service.reply("/public/media/video/21_escaliers.mp4", held);
    startDownload(tourFrom(fixtureText("full-tour.json")));
    // Every file but the held one arrives in its own time; the ticks are counted once they have.
    ASSERT_TRUE(env.runUntil([&] { return manager().isPolling() && manager().downloadedContentCount() == 5; }));

    env.advance(5.0);
    env.advance(5.0);
    auto printed = env->console().lines();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "down 5  count 6"), 2);
    EXPECT_FALSE(stored("418"));

    service.release("video");
    env.settle();
    env.advance(5.0);
    EXPECT_TRUE(stored("418"));
    EXPECT_EQ(posted(Notifications::downloadComplete), 1);
}

TEST_F(DownloadTourManagerTest, ATourOfTextsOnlyStartsNoContentRequest) {
    auto text = fixtureText("full-tour.json");
    auto tour = tourFrom(text);
    for (auto& point : *tour->poi) point->content->clear();
    startDownload(tour);
    env.settle();
    EXPECT_EQ(manager().contentCount(), 0);
    EXPECT_EQ(service.requestCount(), 3u);  // main image, tiles, tour text
    env.advance(5.0);
    EXPECT_TRUE(stored("418"));
}

// Every way a download can fail ends it once: flag cleared, folder gone, "DownloadError", no row.
struct FailureCase {
    const char* name;
    std::function<void(DownloadFixture&, TestWebService&)> arrange;
    const char* line;
};

class DownloadFailureTest : public DownloadFixture, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DownloadFailureTest, EndsOnceWithNothingStored) {
    GetParam().arrange(*this, service);
    startDownload(tourFrom(fixtureText("full-tour.json")));
    env.settle();
    env.advance(5.0);
    env.settle();
    env.advance(5.0);

    EXPECT_TRUE(env->console().containsPrefix(GetParam().line)) << GetParam().name;
    EXPECT_FALSE(manager().isDownloading);
    EXPECT_FALSE(manager().isPolling());
    EXPECT_EQ(manager().contentCount(), 0);
    EXPECT_FALSE(fs::exists(tourFolder));
    EXPECT_FALSE(stored("418"));
    EXPECT_EQ(env->notifications().posted(), std::vector<std::string>{Notifications::downloadError});
}

ScriptedReply notFound() { return ScriptedReply::text("missing", 404); }

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadFailureTest,
    ::testing::Values(
        FailureCase{"main image missing", [](auto&, auto& s) { s.reply(kMainImagePath, notFound()); }, "no main image"},
        FailureCase{"main image not a picture",
                    [](auto&, auto& s) { s.reply(kMainImagePath, ScriptedReply::bytes("<html>")); }, "no main image"},
        FailureCase{"media file missing",
                    [](auto&, auto& s) { s.reply("/public/media/audio/14_recit.mp3", notFound()); },
                    "Contents missing: 1 of 6"},
        FailureCase{"content image not a picture",
                    [](auto&, auto& s) { s.reply("/public/media/img/22_fresque.jpg", ScriptedReply::bytes("no")); },
                    "Contents missing: 1 of 6"},
        FailureCase{"media file empty",
                    [](auto&, auto& s) { s.reply("/public/media/video/21_escaliers.mp4", ScriptedReply::bytes("")); },
                    "No Data"},
        FailureCase{"tile request failed", [](auto&, auto& s) { s.reply(kTilePath, notFound()); }, "response error "},
        FailureCase{"tile archive empty", [](auto&, auto& s) { s.reply(kTilePath, ScriptedReply::bytes("")); },
                    "No Data"},
        FailureCase{"tile archive broken",
                    [](auto&, auto& s) { s.reply(kTilePath, ScriptedReply::bytes("PK not a zip")); }, "error zip tiles"},
        FailureCase{"tour text failed", [](auto&, auto& s) { s.reply(kFullTourPath, notFound()); }, "No tour text"},
        FailureCase{"tour text of another tour",
                    [](auto&, auto& s) {
                        auto text = fixtureText("full-tour.json");
                        text.replace(text.find(R"("circuit_id": "418")"), 19, R"("circuit_id": "419")");
                        s.reply(kFullTourPath, ScriptedReply::json(text));
                    },
                    "The tour text does not hold the tour 418"},
        FailureCase{"row not stored",
                    [](auto& f, auto&) {
                        f.db();
                        f.refuseInserts();
                    },
                    "add tour DB error disk full"},
        FailureCase{"no room",
                    [](auto& f, auto&) { f.env->freeSpaceOverride() = 48'500'000; },  // need equals free
                    "Tour does not fit"},
        FailureCase{"no circuit folder",
                    [](auto& f, auto&) {
                        fs::create_directories(f.cache);
                        std::ofstream(f.cache / "circuit") << "a file";
                    },
                    "not enough space"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// A hostile tile archive fails the download inside its extraction and writes nothing outside.
TEST_F(DownloadTourManagerTest, AMaliciousTileArchiveFailsTheDownloadAndWritesNothingOutside) {
    std::vector<std::function<void(TestZip&)>> archives{
        [](TestZip& z) { z.add("14/1.png", "tile").add("../../../escaped.txt", "x"); },
        [](TestZip& z) { z.add("/tmp/absolute-escape.txt", "x"); },
        [](TestZip& z) { z.link("14", "../../..").add("14/escaped.txt", "x"); },
        [](TestZip& z) { z.add("..\\..\\escaped.txt", "x"); },
    };
    for (std::size_t i = 0; i < archives.size(); ++i) {
        serveTiles(archives[i]);
        startDownload(tourFrom(fixtureText("full-tour.json")));
        env.settle();
        EXPECT_TRUE(env->console().contains("error zip tiles")) << i;
        EXPECT_FALSE(manager().isDownloading) << i;
        EXPECT_FALSE(fs::exists(tourFolder)) << i;
        EXPECT_FALSE(fs::exists(cache / "escaped.txt")) << i;
        EXPECT_FALSE(fs::exists(cache / "circuit/escaped.txt")) << i;
        EXPECT_FALSE(fs::exists("/tmp/absolute-escape.txt")) << i;
        EXPECT_EQ(posted(Notifications::downloadError), static_cast<int>(i + 1)) << i;
        env->console().clear();
    }
    EXPECT_FALSE(stored("418"));
}

TEST_F(DownloadTourManagerTest, IdentifiersThatWouldEscapeTheFolderNeverReachAPath) {
    fs::create_directories(cache / "circuit");
    std::ofstream(cache / "keep.txt") << "keep";
    for (const auto& id : std::vector<std::string>{"", ".", "..", "../..", "a/b", std::string("a\0b", 3)}) {
        auto tour = tourFrom(fixtureText("full-tour.json"));
        tour->circuit_id = id;
        startDownload(tour);
        EXPECT_FALSE(manager().isDownloading) << id;
    }
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(posted(Notifications::downloadError), 6);

    for (std::string cid : {"", "..", "../../../../keep.txt", "x/y"}) {
        auto tour = tourFrom(fixtureText("full-tour.json"));
        (*(*tour->poi)[1]->content)[0]->content_id = cid;  // the video
        startDownload(tour);
        env.settle();
        EXPECT_TRUE(env->console().containsPrefix("Invalid content identifier")) << cid;
        EXPECT_FALSE(manager().isDownloading) << cid;
        EXPECT_FALSE(fs::exists(tourFolder)) << cid;
        env->console().clear();
    }
    EXPECT_EQ(readFile(cache / "keep.txt"), "keep");
    EXPECT_EQ(namesIn(cache / "circuit"), std::vector<std::string>{});
}

TEST_F(DownloadTourManagerTest, AStoredTourIsNeitherDownloadedAgainNorTouched) {
    ASSERT_TRUE([&] {
        bool ok = false;
        db().addTour("418", fixtureText("full-tour.json"), [&](bool s) { ok = s; });
        return ok;
    }());
    fs::create_directories(tourFolder);
    std::ofstream(tourFolder / "main_418.jpg") << "stored";
    startDownload(tourFrom(fixtureText("full-tour.json")));
    EXPECT_FALSE(manager().isDownloading);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(readFile(tourFolder / "main_418.jpg"), "stored");
    EXPECT_EQ(posted(Notifications::downloadError), 1);
}

TEST_F(DownloadTourManagerTest, OneDownloadAtATimeAndLateRepliesOfAnEndedOneAreIgnored) {
    auto held = ScriptedReply::bytes("audio");
    held.gate = "audio";
    service.reply("/public/media/audio/14_recit.mp3", held);
    service.reply(kTilePath, notFound());
    startDownload(tourFrom(fixtureText("full-tour.json")));

    // A second start while the first runs is refused, on either road, and the first goes on.
    auto other = tourFrom(fixtureText("full-tour.json"));
    other->circuit_id = "500";
    startDownload(other);
    EXPECT_TRUE(manager().isDownloading);
    auto screen = std::make_shared<RecordingScreen>();
    manager().updateStoredTour("611", 611, screen);
    EXPECT_EQ(screen->unlocks, 1);
    EXPECT_FALSE(manager().isUpdating);
    EXPECT_TRUE(env->console().containsPrefix("A download is already running"));

    // The tile request fails while the audio is still on its way: the download ends at once.
    ASSERT_TRUE(env.runUntil([&] { return !manager().isDownloading; }));
    EXPECT_FALSE(fs::exists(tourFolder));
    service.release("audio");
    env.settle();
    EXPECT_FALSE(fs::exists(tourFolder));  // the late reply wrote nothing
    EXPECT_EQ(manager().contentCount(), 0);
    EXPECT_EQ(posted(Notifications::downloadError), 1);

    // A new download starts from zero and completes.
    serveTiles([](TestZip& zip) { zip.add("1.png", "tile"); });
    startDownload(tourFrom(fixtureText("full-tour.json")));
    env.settle();
    EXPECT_EQ(manager().contentCount(), 6);
    env.advance(5.0);
    EXPECT_TRUE(stored("418"));
    EXPECT_EQ(posted(Notifications::downloadComplete), 1);
    EXPECT_EQ(posted(Notifications::downloadError), 1);
}

}  // namespace
}  // namespace tq
