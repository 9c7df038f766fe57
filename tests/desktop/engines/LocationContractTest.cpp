#include <gtest/gtest.h>

#include <fstream>

#include "EngineHarness.h"
#include "desktop/engines/GeoClueLocationBackend.h"
#include "desktop/engines/InstallEngines.h"
#include "desktop/engines/SimulatedLocationBackend.h"
#include "desktop/engines/StandingPositionRepeater.h"
#include "platform/location/LocationManager.h"
#include "platform/location/LocationService.h"

namespace tq::test {
namespace {

struct Positions : LocationManagerDelegate {
    std::vector<Location> seen;
    void didUpdateLocations(LocationManager&, const std::vector<Location>& locations) override {
        seen.insert(seen.end(), locations.begin(), locations.end());
    }
};

class LocationContract : public ::testing::TestWithParam<EngineKind> {
protected:
    LocationContract() : harness(GetParam()) {}
    EngineHarness harness;
};

TEST_P(LocationContract, WithoutGeoClueLocationServicesAreOff) {
    auto& service = LocationService::of(harness.env());
    if (harness.real()) {
        // A bus where no GeoClue answers (nor anything else).
        service.setBackend(std::make_unique<desktop::GeoClueLocationBackend>(
            harness.env(), "unix:path=" + (harness.testEnv().root() / "no-bus").string()));
    } else {
        service.driver().setServicesEnabled(false);
    }
    EXPECT_FALSE(service.servicesEnabled());
    EXPECT_EQ(service.authorizationStatus(), LocationAuthorizationStatus::denied);
    LocationManager manager;
    Positions delegate;
    manager.setDelegate(&delegate);
    manager.requestWhenInUseAuthorization();
    manager.startUpdatingLocation();
    harness.pass(0.2);
    EXPECT_TRUE(delegate.seen.empty());
}

TEST_P(LocationContract, AGivenLocationGivesOneUpdate) {
    auto& service = LocationService::of(harness.env());
    if (harness.real()) {
        desktop::EngineOptions options;
        ASSERT_EQ(desktop::parseEngineOption("--location", "46.8124,-71.2036", options), std::nullopt);
        options.audioSink = "fakesink";
        desktop::installEngines(harness.env(), options);
    }
    LocationManager manager;
    Positions delegate;
    manager.setDelegate(&delegate);
    manager.requestWhenInUseAuthorization();
    if (!harness.real()) service.driver().grant();
    harness.pass(0.05);
    EXPECT_EQ(service.authorizationStatus(), LocationAuthorizationStatus::authorizedWhenInUse);
    manager.startUpdatingLocation();
    if (!harness.real()) service.driver().deliverLocation(46.8124, -71.2036);
    ASSERT_TRUE(harness.waitFor([&] { return !delegate.seen.empty(); }, 5, "the position"));
    harness.pass(0.3);
    ASSERT_EQ(delegate.seen.size(), 1u);
    EXPECT_EQ(delegate.seen[0].coordinate, (LocationCoordinate{46.8124, -71.2036}));
}

INSTANTIATE_TEST_SUITE_P(Engines, LocationContract, ::testing::Values(EngineKind::headless, EngineKind::real), engineName);

TEST(GivenPositions, ARouteIsWalkedOnTheClockFromTheStartOfTheUpdates) {
    TestEnvironment env;
    auto file = env.root() / "walk.txt";
    std::ofstream(file) << "# a short walk\n0 46.8126 -71.2031\n\n10 46.8119 -71.2049 12\n25 46.8130 -71.2025\n";
    auto read = desktop::readRoute(file);
    ASSERT_TRUE(std::holds_alternative<std::vector<desktop::TimedPosition>>(read)) << std::get<std::string>(read);
    LocationService::of(env.env()).setBackend(std::make_unique<desktop::SimulatedLocationBackend>(
        env.env(), std::get<std::vector<desktop::TimedPosition>>(read)));
    LocationManager manager;
    Positions delegate;
    manager.setDelegate(&delegate);
    manager.requestWhenInUseAuthorization();
    env.advance(100);  // nothing moves before anyone wants positions
    manager.startUpdatingLocation();
    env.settle();
    ASSERT_EQ(delegate.seen.size(), 1u);
    env.advance(9.9);
    EXPECT_EQ(delegate.seen.size(), 1u);
    env.advance(0.1);
    ASSERT_EQ(delegate.seen.size(), 2u);
    EXPECT_EQ(delegate.seen[1].horizontalAccuracy, 12);
    manager.stopUpdatingLocation();
    env.advance(20);
    EXPECT_EQ(delegate.seen.size(), 2u) << "stopped";
    manager.startUpdatingLocation();
    env.settle();
    ASSERT_EQ(delegate.seen.size(), 4u) << "the present position again, then the one that fell due meanwhile";
    EXPECT_EQ(delegate.seen[3].coordinate, (LocationCoordinate{46.8130, -71.2025}));
}

// The map screen draws the visitor on each report; its page may not be ready for the first.
TEST(GivenPositions, AFixedPositionIsReportedAgainEverySecondWhileWanted) {
    TestEnvironment env;
    LocationService::of(env.env()).setBackend(std::make_unique<desktop::SimulatedLocationBackend>(
        env.env(), std::vector<desktop::TimedPosition>{{0, Location{{46.8124, -71.2036}, 5}}}));
    LocationManager manager;
    Positions delegate;
    manager.setDelegate(&delegate);
    manager.requestWhenInUseAuthorization();
    manager.startUpdatingLocation();
    env.settle();
    ASSERT_EQ(delegate.seen.size(), 1u);
    env.advance(0.9);
    EXPECT_EQ(delegate.seen.size(), 1u);
    env.advance(0.1);
    env.advance(1.0);
    ASSERT_EQ(delegate.seen.size(), 3u);
    EXPECT_EQ(delegate.seen[2].coordinate, (LocationCoordinate{46.8124, -71.2036}));
    manager.stopUpdatingLocation();
    env.advance(5);
    EXPECT_EQ(delegate.seen.size(), 3u) << "stopped";
}

// GeoClue reports a machine that does not move once; its backend hands every report to this.
TEST(StandingPosition, TheLastReportIsRepeatedEverySecondUntilANewerOneOrAStop) {
    TestEnvironment env;
    std::vector<Location> seen;
    desktop::StandingPositionRepeater repeater(env.env().loop(), [&](const Location& l) { seen.push_back(l); });
    const Location here{{46.8124, -71.2036}, 20};
    const Location there{{46.8130, -71.2025}, 8};
    repeater.reported(here);
    env.advance(0.9);
    EXPECT_TRUE(seen.empty()) << "the report itself was delivered by the backend";
    env.advance(0.1);
    env.advance(1.0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].coordinate, here.coordinate);
    env.advance(0.5);
    repeater.reported(there);  // a newer report starts the second again
    env.advance(0.9);
    EXPECT_EQ(seen.size(), 2u);
    env.advance(0.1);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].coordinate, there.coordinate);
    EXPECT_EQ(seen[2].horizontalAccuracy, 8);
    repeater.stop();
    env.advance(5);
    EXPECT_EQ(seen.size(), 3u) << "stopped";
}

TEST(GivenPositions, BadRouteFilesAndLocationsAreRefusedWithTheirLine) {
    TestEnvironment env;
    struct Case {
        const char* text;
        const char* fault;
    } cases[] = {
        {"0 46.8 -71.2\n5 91 0\n", "line 2: the position is not a coordinate"},
        {"0 46.8 -71.2\n5 46.8\n", "line 2: expected SECONDS LATITUDE LONGITUDE [ACCURACY]"},
        {"10 46.8 -71.2\n5 46.8 -71.2\n", "line 2: the times go backwards"},
        {"zero 46.8 -71.2\n", "line 1: the time is not a number of seconds"},
        {"0 46.8 -71.2 -3\n", "line 1: the accuracy is not a number of metres"},
        {"# nothing\n", "holds no position"},
    };
    for (const auto& c : cases) {
        auto file = env.root() / "route.txt";
        std::ofstream(file) << c.text;
        auto read = desktop::readRoute(file);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << c.text;
        EXPECT_NE(std::get<std::string>(read).find(c.fault), std::string::npos) << std::get<std::string>(read);
    }
    desktop::EngineOptions options;
    for (const char* bad : {"46.8", "46.8,", "a,b", "95,0", "46.8,-181", "46.8;-71.2"}) {
        EXPECT_TRUE(desktop::parseEngineOption("--location", bad, options).has_value()) << bad;
    }
    EXPECT_FALSE(options.location);
    EXPECT_TRUE(desktop::parseEngineOption("--routing-service", "ftp://router", options).has_value());
    EXPECT_FALSE(desktop::parseEngineOption("--routing-service", "http://127.0.0.1:5000/", options).has_value());
    EXPECT_TRUE(desktop::parseEngineOption("--volume", "3", options).has_value());
}

}  // namespace
}  // namespace tq::test
