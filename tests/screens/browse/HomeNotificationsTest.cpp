#include "HomeScreenFixture.h"
#include "platform/services/StoreReview.h"
#include "product/NotificationNames.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/TourDetailController.h"

namespace tq {
namespace {

using namespace test;

using HomeNotificationsTest = HomeScreenTest;

TEST_F(HomeNotificationsTest, AFinishedDownloadClosesWhatIsOpenAndOffersTheStoredTours) {
    bool added = false;
    launch();
    db().addTour("7", storedTourText("7"), [&](bool success) { added = success; });
    ASSERT_TRUE(added);
    auto deep = pushPlainScreen();
    auto sheet = std::make_shared<ViewController>();
    ASSERT_TRUE(deep->present(sheet, true));

    env->notifications().post(Notifications::downloadComplete);
    env.settle();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_FALSE(sheet->presentingViewController());
    EXPECT_EQ(alert->shownTitle(), app().text("Preloading"));
    EXPECT_EQ(alert->shownMessage(), "\n" + app().text("DownloadDoneMessage"));
    ASSERT_TRUE(alert->attributedTitle());
    EXPECT_EQ(alert->actionTitles(), (std::vector<std::string>{app().text("ShowMyTours"), "OK"}));

    ASSERT_TRUE(tapAlertButton(app().text("ShowMyTours")));
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    auto stored = std::dynamic_pointer_cast<CatalogController>(nav->topViewController());
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->isFavorites);
    EXPECT_EQ(ids(stored->catalogue), std::vector<std::string>{"7"});
}

TEST_F(HomeNotificationsTest, OkLeavesTheVisitorWhereTheyWere) {
    launch();
    auto deep = pushPlainScreen();
    env->notifications().post(Notifications::downloadComplete);
    env.settle();
    ASSERT_TRUE(tapAlertButton("OK"));
    EXPECT_EQ(nav->topViewController(), deep);
}

TEST_F(HomeNotificationsTest, ShowMyToursFadesOutTheAudioAndStopsItHalfASecondLater) {
    launch();
    auto& audio = MediaPlayers::shared();
    audio.audioStillRunning = true;
    env->notifications().post(Notifications::downloadComplete);
    env.settle();
    ASSERT_TRUE(tapAlertButton(app().text("ShowMyTours")));
    EXPECT_TRUE(audio.audioStillRunning);
    env.advance(0.5);
    EXPECT_FALSE(audio.audioStillRunning);
}

TEST_F(HomeNotificationsTest, AFailedDownloadIsToldOnce) {
    launch();
    auto deep = pushPlainScreen();
    auto sheet = std::make_shared<ViewController>();
    ASSERT_TRUE(deep->present(sheet, true));
    env->notifications().post(Notifications::downloadError);
    env.settle();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("Preloading"));
    EXPECT_EQ(alert->message(), app().text("NotDownloadedMessage"));
    EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
    ASSERT_TRUE(tapAlertButton("OK"));
    env.settle();
    EXPECT_FALSE(topPresented());
    EXPECT_EQ(nav->topViewController(), deep);
}

// The tour screen refuses a download for lack of room and says so; the failure the download
// manager announces must not bring a second alert.
TEST_F(HomeNotificationsTest, ADownloadRefusedAtItsStartIsToldByTheTourScreenOnly) {
    service.serveFixtureTours();
    launch();
    env->freeSpaceOverride() = 0;
    app().tourId = "418";
    app().isMyTour = false;
    auto tour = StoryboardRegistry::shared().named("Main")->instantiate<TourDetailController>("TourDetailController");
    ASSERT_TRUE(tour);
    nav->pushViewController(tour, false);
    env.settle();
    ASSERT_TRUE(tour->btnPreload->tap());
    ASSERT_TRUE(tapAlertButton(app().text("Yes")));
    EXPECT_EQ(posted(Notifications::downloadError), 1);
    env.settle();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->shownMessage(), "\n" + app().text("NotDownloadedMessage"));
    ASSERT_TRUE(tapAlertButton("OK"));
    env.settle();
    EXPECT_FALSE(topPresented());
}

// ---- Tour links

TEST_F(HomeNotificationsTest, ALinkOpensItsTourFromWhereverTheVisitorIs) {
    service.serveFixtureTours();
    launch();
    pushPlainScreen();
    pushPlainScreen();
    app().isMyTour = true;
    ASSERT_TRUE(app().openURL("https://www.trelvoquest.com/circuit/418/slug"));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_FALSE(app().isMyTour);
    EXPECT_EQ(app().tourId, "418");
    EXPECT_FALSE(app().idTourToPush);
    env.advance(0.79);
    EXPECT_EQ(nav->topViewController(), home);
    env.advance(0.01);
    auto tour = std::dynamic_pointer_cast<TourDetailController>(nav->topViewController());
    ASSERT_TRUE(tour);
    env.settle();
    ASSERT_TRUE(tour->tour);
    EXPECT_EQ(tour->tour->circuit_id, "418");
}

TEST_F(HomeNotificationsTest, ASecondLinkWithinTheWaitReplacesTheFirst) {
    service.serveFixtureTours();
    launch();
    ASSERT_TRUE(app().openURL("https://www.trelvoquest.com/circuit/417/a"));
    env.advance(0.5);
    ASSERT_TRUE(app().openURL("https://www.trelvoquest.com/circuit/418/b"));
    env.advance(0.5);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    env.advance(0.3);
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_EQ(app().tourId, "418");
    env.advance(2.0);
    EXPECT_EQ(nav->viewControllers().size(), 2u);
}

TEST_F(HomeNotificationsTest, ALinkWhileOfflineIsToldAndKeptForLater) {
    launch();
    pushPlainScreen();
    overlay().show();
    env->reachabilityOverride() = false;
    ASSERT_TRUE(app().openURL("https://www.trelvoquest.com/circuit/418/slug"));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    env.settle();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("ServerNotFound"));
    EXPECT_EQ(alert->message(), app().text("ServerNotFoundMessage"));
    EXPECT_EQ(app().idTourToPush, "418");
    EXPECT_FALSE(overlay().isVisible());
    env.advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(HomeNotificationsTest, ALinkWithoutTourGoesHomeAndOpensNothing) {
    launch();
    pushPlainScreen();
    overlay().show();
    app().idTourToPush = "";
    env->notifications().post(Notifications::openTourFromScan);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_FALSE(overlay().isVisible());
    env.advance(1.0);
    env.settle();
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_FALSE(topPresented());
}

TEST_F(HomeNotificationsTest, TheRatingScreenAsksForAStoreReview) {
    launch();
    env->notifications().post(Notifications::showAppStoreReview);
    env.settle();
    EXPECT_EQ(env->shared<StoreReview>().requests().size(), 1u);
}

}  // namespace
}  // namespace tq
