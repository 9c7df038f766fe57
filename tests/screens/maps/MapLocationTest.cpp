#include "MapScreenFixture.h"
#include "platform/ui/UiApplication.h"

namespace tq::test {
namespace {

using Status = LocationAuthorizationStatus;

const char* const aroundPath = "/public/webservice/getPoiAroundIOS/en/46.8126/-71.2031/418";

class MapLocationTest : public MapScreenTest {
protected:
    std::shared_ptr<MapLeafletController> openDrawnMap(MapMode mode = MapMode::online,
                                                       const std::function<void(nlohmann::json&)>& edit = {}) {
        auto screen = openMap(mode, fixture(edit));
        if (screen) pageDrawsTheTour(*screen);
        env.advance(3);
        return screen;
    }
    std::string followRow(MapLeafletController& screen, int row) {
        screen.tableViewOptions->reloadData();
        return screen.tableViewOptions->cellForRowAt({0, row})->textLabel().text();
    }
    bool storedFollowMe() { return env->settings().boolForKey("followMe"); }
    std::string lastScript(MapLeafletController& screen) { return screen.map->evaluatedSources().back(); }
};

TEST_F(MapLocationTest, FollowMeStartsByAuthorisationAndStoresTheResult) {
    struct Case {
        Status status;
        bool following;      // app.followMe afterwards
        bool asked;          // the system prompt was asked for
        bool alert;          // the "LocationUnavailable" alert
    };
    const Case cases[] = {
        {Status::notDetermined, false, true, false},
        {Status::denied, false, false, true},
        {Status::restricted, false, false, true},
        {Status::authorizedWhenInUse, true, false, false},
        {Status::authorizedAlways, true, false, false},
    };
    for (const auto& c : cases) {
        device().setAuthorizationStatus(c.status);
        env.settle();
        app().followMe = false;
        auto screen = openDrawnMap(MapMode::downloaded);
        ASSERT_TRUE(screen);
        auto requests = device().requestCount();
        screen->toggleFollowMe();
        env.settle();
        EXPECT_EQ(app().followMe, c.following) << static_cast<int>(c.status);
        EXPECT_EQ(storedFollowMe(), c.following) << static_cast<int>(c.status);
        EXPECT_EQ(screen->locationIsEnable(), c.following);
        EXPECT_EQ(device().requestCount() > requests, c.asked) << static_cast<int>(c.status);
        // The manager's first callback already starts updates whenever services are on.
        if (c.following) {
            EXPECT_TRUE(device().locationUpdatesWanted());
        }
        auto alert = topAlert();
        EXPECT_EQ(static_cast<bool>(alert), c.alert) << static_cast<int>(c.status);
        if (alert) {
            EXPECT_EQ(alert->alertTitle(), app().text("Notice"));
            EXPECT_EQ(alert->message(), app().text("LocationUnavailable"));
            EXPECT_EQ(alert->actionTitles(), (std::vector<std::string>{app().text("OpenSettings"), "OK"}));
            EXPECT_TRUE(alert->tap(app().text("OpenSettings")));
            EXPECT_EQ(UiApplication::shared().openedAddresses().back(), UiApplication::openSettingsURLString);
        }
        EXPECT_EQ(followRow(*screen, 0), app().text(c.following ? "LocationStop" : "Locate"));
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapLocationTest, SwitchingFollowMeOffHidesThePositionAndStoresFalse) {
    device().setAuthorizationStatus(Status::authorizedWhenInUse);
    app().followMe = true;
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    EXPECT_TRUE(device().locationUpdatesWanted()) << "updates start on appearance when following";
    screen->toggleFollowMe();
    EXPECT_FALSE(app().followMe);
    EXPECT_FALSE(storedFollowMe());
    EXPECT_EQ(lastScript(*screen), "removeCurrentLocation();");
    env.settle();
    EXPECT_FALSE(device().locationUpdatesWanted());
    EXPECT_EQ(followRow(*screen, 1), app().text("Locate"));
}

TEST_F(MapLocationTest, ALaterAnswerAndLocationSwitchTheRowOnWithoutStoringIt) {
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    screen->toggleFollowMe();
    EXPECT_FALSE(storedFollowMe());
    ASSERT_TRUE(device().grant());
    env.settle();
    ASSERT_TRUE(device().deliverLocations({{{46.81, -71.20}}, {{46.82, -71.21}}}));
    env.settle();
    EXPECT_TRUE(app().followMe);
    EXPECT_FALSE(storedFollowMe());
    EXPECT_EQ(followRow(*screen, 1), app().text("LocationStop"));
    EXPECT_EQ(lastScript(*screen), "currentLocation(46.82,-71.21);") << "the newest location is shown";

    // Panning uses the first location of the last batch.
    screen->centerOnUserPosition();
    EXPECT_EQ(lastScript(*screen), "panToLocation(46.81,-71.2);");
}

TEST_F(MapLocationTest, OnlyATourOnAPublicMapIsToldThePosition) {
    device().setAuthorizationStatus(Status::authorizedWhenInUse);
    for (const char* custom : {"0", "1", ""}) {
        app().followMe = true;
        auto screen = openDrawnMap(MapMode::online, [&](nlohmann::json& t) {
            if (*custom) {
                t["use_custom_map"] = custom;
            } else {
                t.erase("use_custom_map");
            }
        });
        ASSERT_TRUE(screen);
        auto before = screen->map->evaluatedSources().size();
        ASSERT_TRUE(device().deliverLocation(46.8, -71.2));
        env.settle();
        auto sent = scriptsSince(*screen, before);
        EXPECT_EQ(sent, std::string(custom) == "0" ? std::vector<std::string>{"currentLocation(46.8,-71.2);"}
                                                   : std::vector<std::string>{})
            << "use_custom_map '" << custom << "'";
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapLocationTest, PanningWithoutAPositionAsksToSwitchFollowMeOn) {
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    screen->centerOnUserPosition();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), app().text("ActivateFollowMe"));
    EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
}

TEST_F(MapLocationTest, LeavingForAnotherScreenStopsUpdatesAndComingBackRestartsThem) {
    device().setAuthorizationStatus(Status::authorizedWhenInUse);
    app().followMe = true;
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    nav->pushViewController(std::make_shared<ViewController>(), false);
    env.settle();
    EXPECT_FALSE(device().locationUpdatesWanted());
    nav->popViewController(false);
    env.settle();
    EXPECT_TRUE(device().locationUpdatesWanted());
}

TEST_F(MapLocationTest, TheCompassTurnsTheMapWithTheHeading) {
    device().setAuthorizationStatus(Status::authorizedWhenInUse);
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    screen->toggleGyroscope();
    EXPECT_EQ(lastScript(*screen), "mapFollowsDirection(true);");
    env.settle();
    EXPECT_TRUE(device().headingUpdatesWanted());
    EXPECT_EQ(followRow(*screen, 2), app().text("StopGyroscope"));
    ASSERT_TRUE(device().deliverHeading({123.5, 120.0}));
    env.settle();
    EXPECT_EQ(lastScript(*screen), "deviceRotation(123.5);");
    screen->toggleGyroscope();
    EXPECT_EQ(lastScript(*screen), "mapFollowsDirection(false);");
    env.settle();
    EXPECT_FALSE(device().headingUpdatesWanted());
}

TEST_F(MapLocationTest, PointsAroundAreAskedForTheFirstPointAndShownOrHidden) {
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    const std::string reply =
        R"({"results":[{"poi_id":"5","poi_name":"Musée","lat":"46.81","long":"-71.2","content":[]}],"status":"success"})";
    service.reply(aroundPath, ScriptedReply::json(reply));
    screen->toggleSeeAround();
    EXPECT_TRUE(screen->seeAround);
    env.settle();
    auto json = encodeJson(*network().poiAround);
    ASSERT_TRUE(json);
    EXPECT_EQ(lastScript(*screen), "showAround(true,\"en\", " + *json + ",false);");
    EXPECT_EQ(screen->tableViewOptions->cellForRowAt({0, 0})->textLabel().text(), app().text("StopSeeAround"));

    screen->toggleSeeAround();
    env.settle();
    EXPECT_FALSE(screen->seeAround);
    EXPECT_EQ(lastScript(*screen), "showAround(false,\"en\", " + *json + ",false);");
}

TEST_F(MapLocationTest, AFailedPointsAroundRequestSwitchesTheRowBack) {
    auto screen = openDrawnMap(MapMode::online);
    ASSERT_TRUE(screen);
    service.reply(aroundPath, ScriptedReply::json("{}", 500));
    auto before = screen->map->evaluatedSources().size();
    screen->toggleSeeAround();
    env.settle();
    EXPECT_FALSE(screen->seeAround);
    EXPECT_EQ(scriptsSince(*screen, before), std::vector<std::string>{});
    EXPECT_EQ(screen->tableViewOptions->cellForRowAt({0, 0})->textLabel().text(), app().text("SeeAround"));
}

TEST_F(MapLocationTest, PointsAroundNeedTheFirstPointsCoordinates) {
    auto screen = openDrawnMap(MapMode::online, [](nlohmann::json& t) {
        for (auto& p : t["poi"]) p.erase("lat");
    });
    ASSERT_TRUE(screen);
    auto requests = service.requestCount();
    screen->toggleSeeAround();
    env.settle();
    EXPECT_EQ(service.requestCount(), requests);
    EXPECT_FALSE(screen->seeAround);
}

}  // namespace
}  // namespace tq::test
