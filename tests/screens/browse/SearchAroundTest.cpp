// Search around the visitor, and the visitor's position on the world map, with the location
// driver playing the device.
#include "SearchScreenFixture.h"
#include "platform/location/LocationService.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/UiApplication.h"

namespace tq::test {
namespace {

class SearchAroundTest : public SearchScreenTest {
protected:
    SearchAroundTest() { service.replyToPrefix(api("searchByProximity/"), ScriptedReply::json(toursReply({{"21", "fr", "0.4"}}))); }

    HeadlessLocationBackend& device() { return LocationService::of(env.env()).driver(); }

    // Opens the screen with its page initialised, as a person finds it after a moment.
    std::shared_ptr<SearchController> openReadyMap() {
        auto screen = openSearch();
        env.settle();
        for (const auto& script : screen->webView->evaluatedScripts()) {
            if (script.source.rfind("initializeMap(", 0) == 0) screen->webView->answerScript(script.source, true);
        }
        EXPECT_FALSE(screen->loadingMap);
        return screen;
    }

    std::vector<std::string> proximityRequests() {
        std::vector<std::string> paths;
        for (const auto& path : requestedPaths()) {
            if (path.rfind(api("searchByProximity/"), 0) == 0) paths.push_back(path);
        }
        return paths;
    }
};

TEST_F(SearchAroundTest, FirstPositionAfterTheAuthorisationSearchesAroundIt) {
    auto screen = openReadyMap();
    ASSERT_TRUE(screen->btnSearchAround->tap());
    ASSERT_TRUE(device().hasPendingRequest()) << "the person is asked";
    ASSERT_TRUE(device().grant());
    env.settle();
    ASSERT_TRUE(device().deliverLocations({{{47.0, 1.0}}, {{48.0, 5e-05}}}));
    env.settle();

    EXPECT_EQ(proximityRequests(), std::vector<std::string>{api("searchByProximity/48.0/5e-05/all/")});
    auto results = topAs<SearchResultsController>();
    ASSERT_TRUE(results);
    EXPECT_EQ(results->title(), app().text("Nearby"));
    EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "21");
    EXPECT_FALSE(device().locationUpdatesWanted()) << "one position per start";
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
}

TEST_F(SearchAroundTest, AuthorisedLocationTurnsFollowMeOnAndStoresIt) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openReadyMap();
    ASSERT_TRUE(screen->btnSearchAround->tap());
    EXPECT_TRUE(app().followMe);
    EXPECT_TRUE(env->settings().boolForKey("followMe"));
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("LocationStop"));
    ASSERT_TRUE(device().deliverLocation(45.5, -73.25));
    env.settle();
    EXPECT_EQ(proximityRequests(), std::vector<std::string>{api("searchByProximity/45.5/-73.25/all/")});

    // Later positions in the same visit push no second results screen.
    nav->popToViewController(*screen, false);
    screen->resultPresented = true;
    screen->loadingAround = true;
    screen->startLocating();
    ASSERT_TRUE(device().deliverLocation(45.5, -73.25));
    env.settle();
    EXPECT_EQ(top(), screen);
}

TEST_F(SearchAroundTest, RefusedLocationExplainsAndTurnsFollowMeOff) {
    app().followMe = true;
    device().setAuthorizationStatus(LocationAuthorizationStatus::denied);
    auto screen = openReadyMap();
    ASSERT_TRUE(screen->btnSearchAround->tap());
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("Notice"));
    EXPECT_EQ(alert->message(), app().text("LocationUnavailable"));
    EXPECT_EQ(alert->actionTitles(), (std::vector<std::string>{"OK", app().text("OpenSettings")}));
    EXPECT_FALSE(app().followMe);
    EXPECT_TRUE(env->settings().holdsValue("followMe"));
    EXPECT_FALSE(env->settings().boolForKey("followMe"));
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("Locate"));

    ASSERT_TRUE(tapAlertButton(app().text("OpenSettings")));
    ASSERT_FALSE(UiApplication::shared().openedAddresses().empty());
    EXPECT_EQ(UiApplication::shared().openedAddresses().back().rfind(UiApplication::openSettingsURLString, 0), 0u);
    EXPECT_TRUE(proximityRequests().empty());
}

TEST_F(SearchAroundTest, SearchStartedWhileTheMapLoadsTakesTheFirstPosition) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openSearch();
    ASSERT_TRUE(screen->loadingMap);
    ASSERT_TRUE(screen->btnSearchAround->tap());
    ASSERT_TRUE(device().deliverLocation(43.25, 5.5));
    env.settle();
    EXPECT_EQ(proximityRequests(), std::vector<std::string>{api("searchByProximity/43.25/5.5/all/")});
    EXPECT_TRUE(topAs<SearchResultsController>());
}

TEST_F(SearchAroundTest, EmptyOrFailedSearchShowsNoList) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openReadyMap();

    service.replyToPrefix(api("searchByProximity/"), ScriptedReply::json(toursReply({})));
    ProgressOverlay::shared().show();
    ASSERT_TRUE(screen->btnSearchAround->tap());
    ASSERT_TRUE(device().deliverLocation(1.0, 2.0));
    env.settle();
    EXPECT_EQ(top(), screen);
    EXPECT_FALSE(topAlert());
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());

    service.replyToPrefix(api("searchByProximity/"), ScriptedReply::json("", 500));
    ASSERT_TRUE(screen->btnSearchAround->tap());
    ASSERT_TRUE(device().deliverLocation(1.0, 2.0));
    env.settle();
    expectAlert("Search", "SearchNoResultNear", app().text("Close"));
}

TEST_F(SearchAroundTest, LocateButtonShowsThePositionOnceThenRemovesIt) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openReadyMap();
    ASSERT_TRUE(screen->segmentTypeSearch->select(1));
    ASSERT_TRUE(screen->btnLocateMe->tap());
    EXPECT_TRUE(screen->isLocateMe);
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("LocationStop"));
    ASSERT_TRUE(device().deliverLocation(48.0, 2.25));
    env.settle();
    EXPECT_EQ(screen->webView->evaluatedSources().back(), "currentLocation(48.0,2.25);");
    EXPECT_FALSE(device().deliverLocation(48.5, 2.25)) << "updates stop after the first position";
    EXPECT_TRUE(proximityRequests().empty());

    // Back to the map tab: a fresh position.
    ASSERT_TRUE(screen->segmentTypeSearch->select(0));
    ASSERT_TRUE(screen->segmentTypeSearch->select(1));
    ASSERT_TRUE(device().deliverLocation(48.5, 2.25));
    env.settle();
    EXPECT_EQ(screen->webView->evaluatedSources().back(), "currentLocation(48.5,2.25);");

    ASSERT_TRUE(screen->btnLocateMe->tap());
    EXPECT_FALSE(screen->isLocateMe);
    EXPECT_EQ(screen->webView->evaluatedSources().back(), "removeCurrentLocation();");
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("Locate"));
}

TEST_F(SearchAroundTest, RefusedLocateLeavesTheButtonAsItWas) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::restricted);
    auto screen = openReadyMap();
    ASSERT_TRUE(screen->segmentTypeSearch->select(1));
    ASSERT_TRUE(screen->btnLocateMe->tap());
    EXPECT_FALSE(screen->isLocateMe);
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("Locate"));
    EXPECT_TRUE(topAlert());
}

}  // namespace
}  // namespace tq::test
