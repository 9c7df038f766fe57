#include <numbers>

#include "HomeScreenFixture.h"
#include "platform/location/LocationService.h"
#include "platform/services/Analytics.h"
#include "platform/ui/Animation.h"

namespace tq {
namespace {

using namespace test;

constexpr const char* kNearbyPrefix = "/public/webservice/getToursNearby/";

// The home screen with the device's location in the test's hands; the results screen stands in
// under its storyboard identifier.
class HomeSearchNearTest : public HomeScreenTest {
protected:
    explicit HomeSearchNearTest(TestEnvironmentOptions options = {}) : HomeScreenTest(std::move(options)) {
        service.replyToPrefix(kNearbyPrefix, ScriptedReply::json(listReply({listedTour("9"), listedTour("8")})));
        for (const char* board : {"Main", "Search-ipad"}) {
            StoryboardRegistry::shared().storyboard(board).registerScreen("SearchResultsController", [this, board] {
                auto results = std::make_shared<ViewController>();
                resultsBoard = board;
                return results;
            });
        }
    }

    HeadlessLocationBackend& device() { return LocationService::of(env.env()).driver(); }

    std::size_t nearbyRequests() {
        std::size_t count = 0;
        for (const auto& request : service.requests()) count += request.path.rfind(kNearbyPrefix, 0) == 0;
        return count;
    }

    void expectAlert(const std::string& title, const std::string& message) {
        auto alert = topAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->alertTitle(), app().text(title));
        EXPECT_EQ(alert->message(), app().text(message));
    }

    std::string resultsBoard;
};

TEST_F(HomeSearchNearTest, TheFirstTapOnlyAsksThenTheNextOneShowsTheToursAround) {
    launch();
    env.settle();
    // Each appearance asks for the authorisation; the visitor has not answered yet.
    ASSERT_TRUE(device().hasPendingRequest());
    ASSERT_TRUE(home->btnCompass->tap());
    EXPECT_FALSE(app().followMe);
    ASSERT_TRUE(device().grant());
    env.settle();
    EXPECT_FALSE(device().locationUpdatesWanted());

    network().searchCatalogueCity = network().searchCatalogue;  // left from an earlier keyword search
    ASSERT_TRUE(home->btnCompass->tap());
    EXPECT_TRUE(app().followMe);
    ASSERT_TRUE(device().deliverLocation(0.00005, 2.0));
    env.settle();
    EXPECT_EQ(service.requestsTo(std::string(kNearbyPrefix) + "5e-05/2.0/all/25/newApi/").size(), 1u);
    EXPECT_FALSE(home->isSearchingNear);
    EXPECT_TRUE(network().searchCatalogueCity.empty());
    EXPECT_EQ(ids(network().searchCatalogue), (std::vector<std::string>{"9", "8"}));
    EXPECT_EQ(home->btnCompass->transform(), Transform::rotation(2 * std::numbers::pi));
    EXPECT_EQ(home->btnCompassLand->transform(), Transform::rotation(2 * std::numbers::pi));

    env.advance(0.99);
    EXPECT_EQ(nav->topViewController(), home);
    env.advance(0.01);
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_EQ(nav->topViewController()->title(), app().text("Nearby"));
    EXPECT_EQ(resultsBoard, "Main");
    int spins = 0;
    for (const auto& event : Analytics::shared().recordedEvents()) spins += event.name == "Recherche_alentour_boussole";
    EXPECT_EQ(spins, 1);
}

TEST_F(HomeSearchNearTest, ARefusedLocationIsToldWithTheWayToTheSettings) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::denied);
    launch();
    app().followMe = true;
    ASSERT_TRUE(home->btnCompass->tap());
    expectAlert("Notice", "LocationUnavailable");
    EXPECT_FALSE(app().followMe);
    ASSERT_TRUE(tapAlertButton(app().text("OpenSettings")));
    const auto identifier = env->bundle().bundleIdentifier().value_or("");
    EXPECT_EQ(UiApplication::shared().openedAddresses().back(),
              std::string(UiApplication::openSettingsURLString) + "&path=LOCATION/" + identifier);
    EXPECT_EQ(nearbyRequests(), 0u);
}

TEST_F(HomeSearchNearTest, OfflineTheCompassSpinsAndTheVisitorHearsWhy) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    env->reachabilityOverride() = false;
    Animations::shared().clearRecords();
    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    expectAlert("ServerNotFound", "ServerNotFoundMessage");
    EXPECT_FALSE(home->isSearchingNear);
    ASSERT_FALSE(Animations::shared().records().empty());
    EXPECT_EQ(Animations::shared().records().back().duration, 2.0);
    EXPECT_EQ(Animations::shared().records().back().options.curve, AnimationCurve::linear);
    EXPECT_EQ(nearbyRequests(), 0u);
}

TEST_F(HomeSearchNearTest, NothingAroundIsTold) {
    service.replyToPrefix(kNearbyPrefix, ScriptedReply::json(listReply({})));
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    expectAlert("Search", "SearchNoResultNear");
    EXPECT_FALSE(home->isSearchingNear);
    env.advance(2.0);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(HomeSearchNearTest, APositionWhileASearchWaitsStartsNoSecondSearch) {
    auto held = ScriptedReply::json(listReply({listedTour("9")}));
    held.gate = "nearby";
    service.replyToPrefix(kNearbyPrefix, held);
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    ASSERT_TRUE(env.runUntil([&] { return home->isSearchingNear; }));
    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(device().deliverLocation(46.0, -72.0));
    ASSERT_TRUE(env.runUntil([&] { return home->userPosition && home->userPosition->latitude == 46.0; }));
    service.release("nearby");
    env.settle();
    EXPECT_EQ(nearbyRequests(), 1u);
    env.advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 2u);
}

TEST_F(HomeSearchNearTest, APositionThatArrivesWhileTheHomeScreenIsHiddenIsOnlyKept) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    ASSERT_TRUE(home->btnCompass->tap());
    pushPlainScreen();
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    ASSERT_TRUE(home->userPosition);
    EXPECT_EQ(nearbyRequests(), 0u);
}

TEST_F(HomeSearchNearTest, ALocationFailureDuringASearchIsTold) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    ASSERT_TRUE(home->btnCompass->tap());
    device().fail({LocationError::Code::locationUnknown, "no fix"});
    env.settle();
    expectAlert("Notice", "LocationUnavailable");
    EXPECT_FALSE(device().locationUpdatesWanted());
}

class HomeSearchNearOnATabletTest : public HomeSearchNearTest {
protected:
    HomeSearchNearOnATabletTest() : HomeSearchNearTest(tabletOptions()) {}
};

TEST_F(HomeSearchNearOnATabletTest, TheResultsComeFromTheSearchStoryboard) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    launch();
    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    env.advance(1.0);
    EXPECT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_EQ(resultsBoard, "Search-ipad");
}

}  // namespace
}  // namespace tq
