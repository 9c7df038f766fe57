#include <gtest/gtest.h>

#include <fstream>

#include "product/NotificationNames.h"
#include "DownloadTestSupport.h"
#include "service/Network.h"

namespace tq {
namespace {

using namespace test;

// The stored tour 418 as a first download left it, marked as having an update; the web service
// offers its new version, whose title changed.
class TourUpdateTest : public DownloadFixture {
public:
    const std::string oldText = fixtureText("full-tour.json");
    const std::string newText = [] {
        auto text = fixtureText("full-tour.json");
        const std::string oldTitle = "Le Vieux-Québec à pied";
        text.replace(text.find(oldTitle), oldTitle.size(), "Québec, nouvelle édition");
        return text;
    }();

    struct OrderScreen : UpdateRequester {
        std::vector<std::string>* order = nullptr;
        int unlocks = 0;
        void unlockAfterUpdate() override {
            ++unlocks;
            if (order) order->push_back("unlock");
        }
    };

    TourUpdateTest() {
        bool added = false;
        db().addTour("418", oldText, [&](bool s) { added = s; });
        EXPECT_TRUE(added);
        db().setTourNeedUpdate("418");
        fs::create_directories(tourFolder / "tiles");
        std::ofstream(tourFolder / "main_418.jpg") << "old image";
        std::ofstream(tourFolder / "only-in-old.jpg") << "old";
        service.reply(kFullTourPath, ScriptedReply::json(newText));
        env->console().clear();
    }

    void expectOldTourKept() {
        auto rows = db().readAllRows().rows;
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].tourJson, oldText);
        EXPECT_EQ(rows[0].isUptodate, "1");
        EXPECT_EQ(readFile(tourFolder / "main_418.jpg"), "old image");
        EXPECT_EQ(readFile(tourFolder / "only-in-old.jpg"), "old");
    }
};

TEST_F(TourUpdateTest, TheNewVersionReplacesTheOldOnlyOnceItIsComplete) {
    auto held = ScriptedReply::bytes("video");
    held.gate = "video";
    service.reply("/public/media/video/21_escaliers.mp4", held);
    std::vector<std::string> order;
    auto screen = std::make_shared<OrderScreen>();
    screen->order = &order;
    auto token = env->notifications().addObserver(Notifications::updateComplete, [&] { order.push_back("notified"); });

    db().deleteTourForUpdate("418", 418, screen);
    EXPECT_TRUE(manager().isUpdating);
    ASSERT_TRUE(env.runUntil([&] { return manager().isPolling(); }));
    // While the new version arrives the stored one is whole, and readers find it as it was.
    expectOldTourKept();
    EXPECT_TRUE(fs::exists(cache / "circuit/update-circuit418/main_418.jpg"));

    service.release("video");
    env.settle();
    env.advance(5.0);

    EXPECT_EQ(order, (std::vector<std::string>{"notified", "unlock"}));
    EXPECT_FALSE(manager().isUpdating);
    EXPECT_EQ(manager().tour, env->shared<Network>().updateTour);
    auto rows = db().readAllRows().rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].tourJson, newText);
    EXPECT_EQ(rows[0].isUptodate, "0");
    EXPECT_EQ(readFile(tourFolder / "main_418.jpg"), picture);
    EXPECT_FALSE(fs::exists(tourFolder / "only-in-old.jpg"));
    EXPECT_TRUE(fs::exists(tourFolder / "360_12360_12.jpg"));
    std::vector<std::string> tourFolders;
    for (const auto& entry : fs::directory_iterator(cache / "circuit")) tourFolders.push_back(entry.path().filename());
    EXPECT_EQ(tourFolders, std::vector<std::string>{"circuit418"});
    EXPECT_EQ(posted(Notifications::downloadError), 0);
}

TEST_F(TourUpdateTest, ATourWithoutFolderIsUpdatedAllTheSame) {
    fs::remove_all(tourFolder);
    auto screen = std::make_shared<RecordingScreen>();
    db().deleteTourForUpdate("418", 418, screen);
    env.settle();
    env.advance(5.0);
    EXPECT_EQ(screen->unlocks, 1);
    EXPECT_EQ(posted(Notifications::updateComplete), 1);
    EXPECT_TRUE(fs::exists(tourFolder / "main_418.jpg"));
}

TEST_F(TourUpdateTest, AnUpdateOfATourNotStoredStartsNothing) {
    auto screen = std::make_shared<RecordingScreen>();
    db().deleteTourForUpdate("500", 500, screen);
    EXPECT_EQ(screen->unlocks, 1);
    EXPECT_FALSE(manager().isUpdating);
    env.settle();
    EXPECT_EQ(service.requestCount(), 0u);
}

struct UpdateFailure {
    const char* name;
    std::function<void(TourUpdateTest&)> arrange;
    const char* line;
};

class TourUpdateFailureTest : public TourUpdateTest, public ::testing::WithParamInterface<UpdateFailure> {};

// Whatever goes wrong, the stored tour stays whole and marked, and the screen is unlocked once.
TEST_P(TourUpdateFailureTest, KeepsTheStoredTourAndUnlocksOnce) {
    GetParam().arrange(*this);
    auto screen = std::make_shared<RecordingScreen>();
    db().deleteTourForUpdate("418", 418, screen);
    env.settle();
    env.advance(5.0);
    env.settle();
    env.advance(5.0);

    EXPECT_TRUE(env->console().containsPrefix(GetParam().line)) << GetParam().name;
    EXPECT_EQ(screen->unlocks, 1);
    EXPECT_FALSE(manager().isUpdating);
    EXPECT_FALSE(manager().isPolling());
    expectOldTourKept();
    EXPECT_FALSE(fs::exists(cache / "circuit/update-circuit418"));
    EXPECT_EQ(posted(Notifications::updateComplete), 0);
    EXPECT_EQ(posted(Notifications::downloadError), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TourUpdateFailureTest,
    ::testing::Values(
        UpdateFailure{"new version unavailable",
                      [](TourUpdateTest& t) { t.service.reply(kFullTourPath, ScriptedReply::text("down", 503)); },
                      "Response status code was unacceptable: 503."},
        UpdateFailure{"new version of another tour",
                      [](TourUpdateTest& t) {
                          auto text = t.newText;
                          text.replace(text.find(R"("circuit_id": "418")"), 19, R"("circuit_id": "419")");
                          t.service.reply(kFullTourPath, ScriptedReply::json(text));
                      }, "The updated tour is not the stored tour 418"},
        UpdateFailure{"no room", [](TourUpdateTest& t) { t.env->freeSpaceOverride() = 1000; }, "Tour does not fit"},
        UpdateFailure{"main image missing",
                      [](TourUpdateTest& t) { t.service.reply(kMainImagePath, ScriptedReply::text("", 404)); }, "no main image"},
        UpdateFailure{"media file missing",
                      [](TourUpdateTest& t) {
                          t.service.reply("/public/media/audio/14_recit.mp3", ScriptedReply::text("", 404));
                      }, "Contents missing: 1 of 6"},
        UpdateFailure{"tile request failed",
                      [](TourUpdateTest& t) { t.service.reply(kTilePath, ScriptedReply::text("", 404)); }, "response error "},
        UpdateFailure{"hostile tile archive",
                      [](TourUpdateTest& t) { t.serveTiles([](TestZip& z) { z.add("../only-in-old.jpg", "x"); }); }, "error zip tiles"},
        UpdateFailure{"row not stored", [](TourUpdateTest& t) { t.refuseInserts(); }, "add tour DB error disk full"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// Every way an update can end, and how often the requesting screen's callback is called. The
// update owns the callback until it ends and lets it go then.
class TourUpdateEndTest;
struct UpdateEnd {
    const char* name;
    // Starts the update with `screen` and brings it to its end.
    std::function<void(TourUpdateEndTest&, std::shared_ptr<UpdateRequester>)> run;
    int unlocks;
};

class TourUpdateEndTest : public TourUpdateTest, public ::testing::WithParamInterface<UpdateEnd> {
public:
    struct CountingScreen : UpdateRequester {
        int* unlocks;
        explicit CountingScreen(int* count) : unlocks(count) {}
        void unlockAfterUpdate() override { ++*unlocks; }
    };

    void runToTheEnd() {
        env.settle();
        env.advance(5.0);
        env.settle();
    }
    // Holds the tile archive until the test lets it through.
    void holdTiles() {
        auto held = ScriptedReply::fromFile(files.path() / "tiles1.zip", "application/zip");
        held.gate = "tiles";
        service.reply(kTilePath, held);
    }
    bool tilesAsked() { return !service.requestsTo(kTilePath).empty(); }
};

TEST_P(TourUpdateEndTest, CallsTheScreenBackExactlyOnceAndLetsItGo) {
    int unlocks = 0;
    auto screen = std::make_shared<TourUpdateEndTest::CountingScreen>(&unlocks);
    std::weak_ptr<UpdateRequester> kept = screen;
    GetParam().run(*this, std::move(screen));
    EXPECT_EQ(unlocks, GetParam().unlocks);
    EXPECT_TRUE(kept.expired()) << "the callback outlived its update";
    EXPECT_FALSE(manager().isUpdating);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, TourUpdateEndTest,
    ::testing::Values(
        UpdateEnd{"stored",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      t.db().deleteTourForUpdate("418", 418, std::move(s));
                      t.runToTheEnd();
                  }, 1},
        UpdateEnd{"failed",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      t.service.reply(kTilePath, ScriptedReply::text("", 404));
                      t.db().deleteTourForUpdate("418", 418, std::move(s));
                      t.runToTheEnd();
                  }, 1},
        UpdateEnd{"no room",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      t.env->freeSpaceOverride() = 1000;
                      t.db().deleteTourForUpdate("418", 418, std::move(s));
                      t.runToTheEnd();
                  }, 1},
        UpdateEnd{"tour no longer stored",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      t.db().deleteTourForUpdate("500", 500, std::move(s));
                      t.runToTheEnd();
                  }, 1},
        UpdateEnd{"refused while another runs",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      t.holdTiles();
                      auto first = std::make_shared<RecordingScreen>();
                      t.db().deleteTourForUpdate("418", 418, first);
                      ASSERT_TRUE(t.env.runUntil([&] { return t.tilesAsked(); }));
                      t.db().deleteTourForUpdate("418", 418, std::move(s));
                      t.service.release("tiles");
                      t.runToTheEnd();
                      EXPECT_EQ(first->unlocks, 1) << "the running update ends as usual";
                  }, 1},
        UpdateEnd{"application quits",
                  [](TourUpdateEndTest& t, std::shared_ptr<UpdateRequester> s) {
                      // A manager of its own, so that it can go while its update runs.
                      t.holdTiles();
                      auto manager = std::make_unique<DownloadTourManager>(t.env.env());
                      manager->connect(t.env->shared<Network>(), t.db());
                      manager->updateStoredTour("418", 418, std::move(s));
                      ASSERT_TRUE(t.env.runUntil([&] { return t.tilesAsked(); }));
                      manager.reset();
                      t.service.release("tiles");
                      t.env.settle();
                  }, 0}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace
}  // namespace tq
