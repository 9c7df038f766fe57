#include "CatalogScreenFixture.h"
#include "platform/foundation/FileSystem.h"
#include "storage/DownloadTourManager.h"
#include "storage/TestZip.h"

namespace tq {
namespace {

using namespace test;
namespace fs = std::filesystem;

using CatalogDeletionTest = CatalogScreenTest;

TEST_F(CatalogDeletionTest, TheDeleteButtonSwitchesTheEditingModeAndKeepsItsTitle) {
    storeTour("1");
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    auto button = screen->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(button);
    for (bool editing : {true, false, true}) {
        ASSERT_TRUE(button->tap());
        EXPECT_EQ(screen->isEditingTour, editing);
        EXPECT_EQ(screen->tableView->isEditing(), editing);
        EXPECT_EQ(button->title(), app().text("Delete"));
    }
}

TEST_F(CatalogDeletionTest, DeletingATourRebuildsTheListFromTheDatabase) {
    storeTour("1");
    storeTour("2");
    storeTour("3");
    std::error_code ec;
    fs::create_directories(env->cacheDir() / "circuit/circuit2", ec);
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->navigationItem().rightBarButtonItem()->tap());
    ASSERT_TRUE(screen->tableView->tapDeleteConfirmation({0, 1}));
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(rowTitles(*screen), (std::vector<std::string>{"Tour 1", "Tour 3"}));
    EXPECT_EQ(db().readAllRows().rows.size(), 2u);
    EXPECT_FALSE(fs::exists(env->cacheDir() / "circuit/circuit2"));
    EXPECT_EQ(overlay().showCount(), 1);
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(CatalogDeletionTest, DeletingTheLastTourSendsTheVisitorHome) {
    storeTour("1");
    fs::create_directories(env->cacheDir() / "circuit/circuit1");
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->navigationItem().rightBarButtonItem()->tap());
    ASSERT_TRUE(screen->tableView->tapDeleteConfirmation({0, 0}));
    EXPECT_TRUE(screen->catalogue.empty());
    EXPECT_FALSE(overlay().isVisible());
    ASSERT_TRUE(topAlert());
    EXPECT_EQ(topAlert()->alertTitle(), app().text("NoTours"));
    ASSERT_TRUE(tapAlertButton(app().text("backButton")));
    EXPECT_EQ(nav->topViewController(), root);
}

TEST_F(CatalogDeletionTest, AFailedDeletionKeepsTheList) {
    storeTour("1");
    storeTour("2");
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    // The row went behind the screen's back: nothing is deleted.
    db().deleteTour("2", {});
    ASSERT_TRUE(screen->navigationItem().rightBarButtonItem()->tap());
    ASSERT_TRUE(screen->tableView->tapDeleteConfirmation({0, 1}));
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(CatalogDeletionTest, TheOnlineCatalogueOffersNoDeletion) {
    serveCatalogue({listedTour("1")});
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    screen->tableView->setEditing(true);
    EXPECT_FALSE(screen->tableView->tapDeleteConfirmation({0, 0}));
    EXPECT_EQ(screen->catalogue.size(), 1u);
}

// The stored tour 418, marked as having a newer version that the web service offers with its
// media and tile archive.
class CatalogUpdateTest : public CatalogScreenTest {
protected:
    const std::string newTitle = "Québec, nouvelle édition";
    TempDir files;

    CatalogUpdateTest() {
        env->freeSpaceOverride() = 1'000'000'000'000ull;
        auto stored = fixtureText("full-tour.json");
        bool added = false;
        db().addTour("418", stored, [&](bool success) { added = success; });
        EXPECT_TRUE(added);
        db().setTourNeedUpdate("418");
        fs::create_directories(env->cacheDir() / "circuit/circuit418");

        auto updated = stored;
        const std::string oldTitle = "Le Vieux-Québec à pied";
        updated.replace(updated.find(oldTitle), oldTitle.size(), newTitle);
        service.replyToPrefix("/public/webservice/getFullCircuit/", ScriptedReply::json(updated));
        const std::string picture = readFile(*env->bundle().pathForResource("position", "png")).value_or("");
        service.reply("/public/assets/circuits/418/main_418.jpg", ScriptedReply::bytes(picture, "image/png"));
        service.handle("/public/media/", [picture](const RecordedRequest& request) {
            if (request.path.ends_with(".jpg")) return ScriptedReply::bytes(picture, "image/jpeg");
            return ScriptedReply::bytes("media " + request.path);
        });
        auto archive = files.path() / "tiles.zip";
        {
            TestZip zip(archive);
            zip.folder("14/").add("14/4823/5812.png", "tile");
        }
        service.reply("/public/assets/map_tiles/circuit418/418.zip", ScriptedReply::fromFile(archive, "application/zip"));
    }

    // The table and the navigation bar are locked and unlocked together; each is checked on its
    // own, so that one left locked is caught.
    void expectLocked(CatalogController& screen, bool locked) {
        EXPECT_EQ(screen.tableView->isUserInteractionEnabled(), !locked) << "the table";
        EXPECT_EQ(nav->navigationBar().isUserInteractionEnabled(), !locked) << "the navigation bar";
    }

    // The visitor presses the row's update button and answers the question with `answer`.
    void pressUpdate(CatalogController& screen, const std::string& answer) {
        auto* cell = cellAt(screen, 0);
        ASSERT_TRUE(cell);
        ASSERT_FALSE(cell->btnUpdate->isHidden());
        ASSERT_TRUE(cell->btnUpdate->tap());
        auto alert = topAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->alertTitle(), app().text("UpdateTitle"));
        EXPECT_EQ(alert->actionTitles(), (std::vector<std::string>{app().text("No"), app().text("Update")}));
        ASSERT_TRUE(tapAlertButton(app().text(answer)));
    }
};

TEST_F(CatalogUpdateTest, AnsweringNoChangesNothing) {
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    pressUpdate(*screen, "No");
    EXPECT_FALSE(screen->isUpdatingTour);
    expectLocked(*screen, false);
    EXPECT_FALSE(overlay().isVisible());
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(CatalogUpdateTest, AnUpdateLocksTheListUntilTheNewVersionIsListed) {
    auto held = ScriptedReply::bytes("video");
    held.gate = "video";
    service.reply("/public/media/video/21_escaliers.mp4", held);
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    pressUpdate(*screen, "Update");
    EXPECT_TRUE(screen->isUpdatingTour);
    expectLocked(*screen, true);
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_EQ(overlay().text(), app().text("Updating"));

    ASSERT_TRUE(env.runUntil([&] { return env->shared<TourStore>().downloads.isPolling(); }));
    // The locked list takes no second press; asked in code, the screen only says an update runs.
    EXPECT_FALSE(cellAt(*screen, 0)->btnUpdate->tap());
    EXPECT_FALSE(nav->tapBackButton());
    screen->confirmTourUpdate(*cellAt(*screen, 0)->btnUpdate);
    ASSERT_TRUE(topAlert());
    EXPECT_EQ(topAlert()->message(), app().text("downloadInProgress"));
    ASSERT_TRUE(tapAlertButton("OK"));

    service.release("video");
    env.settle();
    env.advance(5.0);
    EXPECT_FALSE(screen->isUpdatingTour);
    expectLocked(*screen, false);
    EXPECT_FALSE(overlay().isVisible());
    EXPECT_FALSE(topAlert());
    EXPECT_EQ(rowTitles(*screen).size(), 1u);
    EXPECT_EQ(rowTitles(*screen)[0].rfind(newTitle, 0), 0u) << rowTitles(*screen)[0];
    EXPECT_TRUE(cellAt(*screen, 0)->btnUpdate->isHidden());
}

TEST_F(CatalogUpdateTest, AFailedUpdateEndsTheWaitAndUnlocks) {
    service.reply("/public/assets/map_tiles/circuit418/418.zip", ScriptedReply::text("gone", 404));
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    pressUpdate(*screen, "Update");
    env.settle();
    env.advance(5.0);
    env.settle();
    EXPECT_FALSE(screen->isUpdatingTour);
    expectLocked(*screen, false);
    EXPECT_FALSE(overlay().isVisible());
    // The download manager announced the failure; the home screen tells the visitor.
    EXPECT_FALSE(topAlert());
    EXPECT_EQ(ids(screen->catalogue), std::vector<std::string>{"418"});
}

TEST_F(CatalogUpdateTest, AnUpdateThatEndsWithoutAWordIsToldOnce) {
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    // The tour left the database before the visitor confirmed: the library ends the update at once.
    db().deleteTour("418", {});
    pressUpdate(*screen, "Update");
    EXPECT_FALSE(screen->isUpdatingTour);
    expectLocked(*screen, false);
    EXPECT_FALSE(overlay().isVisible());
    ASSERT_TRUE(topAlert());
    EXPECT_EQ(topAlert()->message(), app().text("NotDownloadedMessage"));
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(CatalogUpdateTest, AListClosedDuringAnUpdateIsNotCalledBack) {
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    pressUpdate(*screen, "Update");
    std::weak_ptr<CatalogController> weak = screen;
    nav->popToRootViewController(false);
    screen.reset();
    EXPECT_TRUE(weak.expired());
    env.settle();
    env.advance(5.0);
    env.settle();
    EXPECT_FALSE(env->shared<TourStore>().downloads.isUpdating);
}

TEST_F(CatalogUpdateTest, TheUpdateCheckLeavesTheListAsItIs) {
    service.reply("/public/webservice/isUpdatesAvailableIos", ScriptedReply::json(R"({"results":[],"status":"success"})"));
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    int reloads = screen->tableView->reloadCount();
    ASSERT_TRUE(screen->btnCheckForUpdate->tap());
    env.settle();
    EXPECT_EQ(screen->tableView->reloadCount(), reloads);
    EXPECT_EQ(ids(screen->catalogue), std::vector<std::string>{"418"});
}

}  // namespace
}  // namespace tq
