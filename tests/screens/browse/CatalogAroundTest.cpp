#include <algorithm>

#include "CatalogScreenFixture.h"
#include "platform/location/LocationService.h"
#include "platform/services/Analytics.h"
#include "platform/ui/UiApplication.h"

namespace tq {
namespace {

using namespace test;

constexpr const char* kNearbyPrefix = "/public/webservice/getToursNearby/";

// The online catalogue in its recent order, with the device's location in the test's hands.
class CatalogAroundTest : public CatalogScreenTest {
protected:
    CatalogAroundTest() {
        serveCatalogue({listedTour("1", {{"circuitOrder", "1"}}), listedTour("2", {{"circuitOrder", "2"}})});
        service.replyToPrefix(kNearbyPrefix, ScriptedReply::json(listReply({listedTour("9", {{"distance", "0.4"}}),
                                                                            listedTour("8", {{"distance", "1.2"}})})));
    }

    HeadlessLocationBackend& device() { return LocationService::of(env.env()).driver(); }

    int events(const std::string& name) {
        int count = 0;
        for (const auto& event : Analytics::shared().recordedEvents()) count += event.name == name;
        return count;
    }

    std::vector<std::string> nearbyRequests() {
        std::vector<std::string> paths;
        for (const auto& request : service.requests()) {
            if (request.path.rfind(kNearbyPrefix, 0) == 0) paths.push_back(request.path.substr(std::string(kNearbyPrefix).size()));
        }
        return paths;
    }

    void expectLocationAlert() {
        auto alert = topAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->alertTitle(), app().text("Notice"));
        EXPECT_EQ(alert->message(), app().text("LocationUnavailable"));
        EXPECT_EQ(alert->actionTitles(), (std::vector<std::string>{"OK", app().text("OpenSettings")}));
    }
};

TEST_F(CatalogAroundTest, AnAuthorisedVisitorGetsTheToursAroundTheLastPosition) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    EXPECT_EQ(screen->sort, CatalogController::Sort::around);
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_TRUE(app().followMe);
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));

    ASSERT_TRUE(device().deliverLocations({{{45.5, -73.6}}, {{0.00005, 48.0}}}));
    env.settle();
    EXPECT_EQ(nearbyRequests(), std::vector<std::string>{"5e-05/48.0/all/25/newApi/"});
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"9", "8"}));
    EXPECT_FALSE(overlay().isVisible());
    ASSERT_TRUE(screen->userPosition);
    EXPECT_EQ(screen->userPosition->longitude, 48.0);
    EXPECT_EQ(events("Recherche_alentour_catalogue"), 1);

    // One position per tap: a later one asks nothing more.
    EXPECT_FALSE(device().deliverLocation(1, 1));
    env.settle();
    EXPECT_EQ(nearbyRequests().size(), 1u);

    // Back to the recent order: the tours around are dropped.
    ASSERT_TRUE(screen->segmentBar->select(1));
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
}

TEST_F(CatalogAroundTest, TheFirstTapAsksTheVisitorAndTheAnswerLeadsOn) {
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    env.settle();
    EXPECT_TRUE(device().hasPendingRequest());
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(topAlert());

    ASSERT_TRUE(device().grant());
    env.settle();
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    EXPECT_EQ(nearbyRequests(), std::vector<std::string>{"45.5/-73.6/all/25/newApi/"});
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"9", "8"}));
}

TEST_F(CatalogAroundTest, RefusedLocationIsToldAndTheListStays) {
    struct Case {
        LocationAuthorizationStatus status;
        const char* line;
    };
    for (const Case& c : {Case{LocationAuthorizationStatus::denied, "denied location"},
                          Case{LocationAuthorizationStatus::restricted, "restricted location"}}) {
        device().setAuthorizationStatus(c.status);
        auto screen = openCatalog();
        ASSERT_TRUE(screen);
        app().followMe = true;
        env->console().clear();
        ASSERT_TRUE(screen->segmentBar->select(2));
        env.settle();
        expectLocationAlert();
        auto lines = env->console().lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end());
        EXPECT_EQ(screen->segmentBar->selectedSegmentIndex(), 1);
        EXPECT_EQ(screen->sort, CatalogController::Sort::around);
        EXPECT_FALSE(app().followMe);
        EXPECT_FALSE(overlay().isVisible());
        EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
        ASSERT_TRUE(tapAlertButton(app().text("OpenSettings")));
        EXPECT_EQ(UiApplication::shared().openedAddresses().back(), UiApplication::openSettingsURLString);
        nav->popToRootViewController(false);
        env.settle();
    }
    EXPECT_EQ(events("Recherche_alentour_catalogue"), 2);
    EXPECT_TRUE(nearbyRequests().empty());
}

TEST_F(CatalogAroundTest, ARefusalAtThePromptIsToldOnce) {
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    env.settle();
    ASSERT_TRUE(device().deny());
    env.settle();
    expectLocationAlert();
    ASSERT_TRUE(tapAlertButton("OK"));
    env.settle();
    EXPECT_FALSE(topAlert());
    EXPECT_FALSE(overlay().isVisible());
    EXPECT_FALSE(app().followMe);
}

TEST_F(CatalogAroundTest, ALocationFailureEndsTheWait) {
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    device().fail({LocationError::Code::locationUnknown, "no fix"});
    env.settle();
    expectLocationAlert();
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(CatalogAroundTest, NoTourAroundIsToldAndTheListStays) {
    service.replyToPrefix(kNearbyPrefix, ScriptedReply::json(listReply({})));
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedAlways);
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    env.settle();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("Search"));
    EXPECT_EQ(alert->message(), app().text("SearchNoResultNear"));
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(CatalogAroundTest, ALateReplyDoesNotReplaceTheOrderTheVisitorChose) {
    auto held = ScriptedReply::json(listReply({listedTour("9")}));
    held.gate = "nearby";
    service.replyToPrefix(kNearbyPrefix, held);
    device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(2));
    ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
    ASSERT_TRUE(env.runUntil([&] { return service.waitUntilHeld("nearby", 1, 0.05); }));
    ASSERT_TRUE(screen->segmentBar->select(1));
    service.release("nearby");
    env.settle();
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"1", "2"}));
    EXPECT_FALSE(overlay().isVisible());
    EXPECT_FALSE(topAlert());
}

// Leaving the catalogue while the around order waits ends the wait: the overlay goes with the
// screen, and a reply that comes later moves nothing.
TEST_F(CatalogAroundTest, LeavingWhileTheToursAroundAreAwaitedEndsTheWait) {
    struct Case {
        const char* name;
        LocationAuthorizationStatus status;
        bool positionArrives;
    };
    const Case cases[] = {
        {"the visitor has not answered the prompt", LocationAuthorizationStatus::notDetermined, false},
        {"no position yet", LocationAuthorizationStatus::authorizedWhenInUse, false},
        {"the tours around are on their way", LocationAuthorizationStatus::authorizedWhenInUse, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A gate lets every later reply through once released: one per case.
        const std::string gate = std::string("nearby ") + c.name;
        auto held = ScriptedReply::json(listReply({listedTour("9")}));
        held.gate = gate;
        service.replyToPrefix(kNearbyPrefix, held);
        device().setAuthorizationStatus(c.status);
        auto screen = openCatalog();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->segmentBar->select(2));
        if (c.positionArrives) {
            ASSERT_TRUE(device().deliverLocation(45.5, -73.6));
            ASSERT_TRUE(env.runUntil([&] { return service.waitUntilHeld(gate, 1, 0.05); }));
        }
        EXPECT_TRUE(overlay().isVisible());
        screen.reset();
        ASSERT_TRUE(nav->tapBackButton());
        EXPECT_FALSE(overlay().isVisible());
        EXPECT_FALSE(device().locationUpdatesWanted());

        overlay().show();  // the next screen's own wait
        service.release(gate);
        env.settle();
        EXPECT_TRUE(overlay().isVisible()) << "a reply for a catalogue that has gone ended another wait";
        overlay().dismiss();
        if (device().hasPendingRequest()) device().deny();
        env.settle();
    }
}

}  // namespace
}  // namespace tq
