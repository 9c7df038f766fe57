#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/location/LocationManager.h"
#include "platform/location/LocationService.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

using Status = LocationAuthorizationStatus;

std::string name(Status status) {
    switch (status) {
        case Status::notDetermined: return "notDetermined";
        case Status::restricted: return "restricted";
        case Status::denied: return "denied";
        case Status::authorizedAlways: return "authorizedAlways";
        case Status::authorizedWhenInUse: return "authorizedWhenInUse";
    }
    return "?";
}

// Writes down every callback, in order, as a screen would receive them.
class RecordingDelegate : public LocationManagerDelegate {
public:
    std::vector<std::string> calls;
    std::vector<std::vector<Location>> batches;
    std::vector<Heading> headings;

    void didUpdateLocations(LocationManager&, const std::vector<Location>& locations) override {
        calls.push_back("locations");
        batches.push_back(locations);
    }
    void didUpdateHeading(LocationManager&, const Heading& heading) override {
        calls.push_back("heading");
        headings.push_back(heading);
    }
    void didFailWithError(LocationManager&, const LocationError& error) override {
        calls.push_back("failed:" + error.message);
    }
    void didChangeAuthorizationStatus(LocationManager&, Status status) override {
        calls.push_back("status:" + name(status));
    }
    void didChangeAuthorization(LocationManager& manager) override {
        calls.push_back("changed:" + name(manager.authorizationStatus()));
    }
};

struct LocationFixture : ::testing::Test {
    test::TestEnvironment env;
    HeadlessLocationBackend& device = LocationService::of(env.env()).driver();

    // A manager with its delegate set and the delegate's first call (the status on being set) heard.
    void attach(LocationManager& manager, RecordingDelegate& delegate) {
        manager.setDelegate(&delegate);
        env.settle();
        delegate.calls.clear();
    }
};

TEST_F(LocationFixture, NewDelegateHearsTheStatusOnceOnTheMainLoop) {
    LocationManager manager(env.env());
    RecordingDelegate delegate;
    manager.setDelegate(&delegate);
    EXPECT_TRUE(delegate.calls.empty());  // not from inside setDelegate
    env.settle();
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"changed:notDetermined"}));

    manager.setDelegate(&delegate);  // the same delegate again: nothing new
    env.settle();
    EXPECT_EQ(delegate.calls.size(), 1u);
}

struct AnswerCase {
    const char* label;
    bool grant;
    Status granted;
    Status after;
};

TEST_F(LocationFixture, ThePromptIsAnsweredWithGrantOrDenialThroughBothCallbackForms) {
    const AnswerCase cases[] = {
        {"when in use", true, Status::authorizedWhenInUse, Status::authorizedWhenInUse},
        {"always", true, Status::authorizedAlways, Status::authorizedAlways},
        {"denied", false, Status::denied, Status::denied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        test::TestEnvironment local;
        auto& driver = LocationService::of(local.env()).driver();
        LocationManager asking(local.env()), other(local.env());
        RecordingDelegate askingDelegate, otherDelegate;
        asking.setDelegate(&askingDelegate);
        other.setDelegate(&otherDelegate);
        local.settle();
        askingDelegate.calls.clear();
        otherDelegate.calls.clear();

        EXPECT_EQ(asking.authorizationStatus(), Status::notDetermined);
        asking.requestWhenInUseAuthorization();
        asking.requestWhenInUseAuthorization();  // the prompt is already showing
        EXPECT_TRUE(driver.hasPendingRequest());
        EXPECT_EQ(driver.requestCount(), 1);
        EXPECT_TRUE(c.grant ? driver.grant(c.granted) : driver.deny());
        EXPECT_FALSE(driver.hasPendingRequest());
        local.settle();

        std::vector<std::string> expected{"status:" + name(c.after), "changed:" + name(c.after)};
        EXPECT_EQ(askingDelegate.calls, expected);
        EXPECT_EQ(otherDelegate.calls, expected);  // the authorisation is the application's, not one manager's
        EXPECT_EQ(other.authorizationStatus(), c.after);

        asking.requestWhenInUseAuthorization();  // decided: the system asks no more
        EXPECT_FALSE(driver.hasPendingRequest());
        EXPECT_FALSE(driver.grant());
    }
}

TEST_F(LocationFixture, ServicesOffReadAsDeniedAndAskNobody) {
    LocationManager manager(env.env());
    RecordingDelegate delegate;
    attach(manager, delegate);
    device.setAuthorizationStatus(Status::authorizedWhenInUse);
    env.settle();
    delegate.calls.clear();

    device.setServicesEnabled(false);
    env.settle();
    EXPECT_FALSE(LocationManager::locationServicesEnabled());
    EXPECT_EQ(manager.authorizationStatus(), Status::denied);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"status:denied", "changed:denied"}));

    manager.startUpdatingLocation();
    EXPECT_FALSE(device.deliverLocation(48.85, 2.35));
    env.settle();
    EXPECT_TRUE(delegate.batches.empty());

    device.setServicesEnabled(true);
    env.settle();
    EXPECT_EQ(manager.authorizationStatus(), Status::authorizedWhenInUse);
    EXPECT_TRUE(device.deliverLocation(48.85, 2.35));
    env.settle();
    EXPECT_EQ(delegate.batches.size(), 1u);
}

TEST_F(LocationFixture, ThePromptNeverShowsWhileServicesAreOff) {
    LocationManager manager(env.env());
    device.setServicesEnabled(false);
    manager.requestWhenInUseAuthorization();
    EXPECT_FALSE(device.hasPendingRequest());
}

TEST_F(LocationFixture, PositionsAndHeadingsReachOnlyTheManagersThatRunThem) {
    device.setAuthorizationStatus(Status::authorizedWhenInUse);
    LocationManager positions(env.env()), compass(env.env()), idle(env.env());
    RecordingDelegate positionsDelegate, compassDelegate, idleDelegate;
    attach(positions, positionsDelegate);
    attach(compass, compassDelegate);
    attach(idle, idleDelegate);
    positions.setDesiredAccuracy(LocationAccuracy::best);
    positions.startUpdatingLocation();
    compass.startUpdatingHeading();
    EXPECT_TRUE(device.locationUpdatesWanted());
    EXPECT_TRUE(device.headingUpdatesWanted());

    std::vector<Location> batch{{{48.85, 2.35}}, {{48.86, 2.36}}};
    EXPECT_TRUE(device.deliverLocations(batch));
    EXPECT_TRUE(device.deliverHeading({123.5, 125}));
    EXPECT_TRUE(positionsDelegate.calls.empty());  // delivered on the main loop
    env.settle();

    ASSERT_EQ(positionsDelegate.batches.size(), 1u);
    EXPECT_EQ(positionsDelegate.batches[0], batch);
    EXPECT_EQ(positions.location()->coordinate, (LocationCoordinate{48.86, 2.36}));  // the newest
    EXPECT_EQ(compassDelegate.calls, (std::vector<std::string>{"heading"}));
    EXPECT_EQ(compassDelegate.headings[0].magneticHeading, 123.5);
    EXPECT_TRUE(idleDelegate.calls.empty());
    EXPECT_FALSE(idle.location().has_value());

    positions.stopUpdatingLocation();
    compass.stopUpdatingHeading();
    EXPECT_FALSE(device.locationUpdatesWanted());
    EXPECT_FALSE(device.deliverLocation(1, 2));
    EXPECT_FALSE(device.deliverHeading({}));
}

TEST_F(LocationFixture, NothingArrivesBeforeTheApplicationIsAuthorised) {
    LocationManager manager(env.env());
    RecordingDelegate delegate;
    attach(manager, delegate);
    manager.startUpdatingLocation();  // as a screen that never asked may do
    EXPECT_FALSE(device.deliverLocation(48.85, 2.35));
    env.settle();
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(LocationFixture, AStopBeforeTheMainLoopTurnsDropsTheBatch) {
    device.setAuthorizationStatus(Status::authorizedAlways);
    LocationManager manager(env.env());
    RecordingDelegate delegate;
    attach(manager, delegate);
    manager.startUpdatingLocation();
    device.deliverLocation(48.85, 2.35);
    manager.stopUpdatingLocation();
    env.settle();
    EXPECT_TRUE(delegate.calls.empty());
}

TEST_F(LocationFixture, FailuresReachRunningManagers) {
    device.setAuthorizationStatus(Status::authorizedWhenInUse);
    LocationManager running(env.env()), idle(env.env());
    RecordingDelegate runningDelegate, idleDelegate;
    attach(running, runningDelegate);
    attach(idle, idleDelegate);
    running.startUpdatingLocation();
    device.fail({LocationError::Code::locationUnknown, "no fix"});
    env.settle();
    EXPECT_EQ(runningDelegate.calls, (std::vector<std::string>{"failed:no fix"}));
    EXPECT_TRUE(idleDelegate.calls.empty());
}

TEST_F(LocationFixture, GoneDelegatesAndGoneManagersHearNothing) {
    device.setAuthorizationStatus(Status::authorizedWhenInUse);
    LocationManager keeps(env.env());
    auto gone = std::make_unique<RecordingDelegate>();
    attach(keeps, *gone);
    keeps.startUpdatingLocation();

    auto dropped = std::make_unique<LocationManager>(env.env());
    RecordingDelegate droppedDelegate;
    attach(*dropped, droppedDelegate);
    dropped->startUpdatingLocation();

    device.deliverLocation(1, 2);
    gone.reset();     // the screen went away with a batch on its way
    dropped.reset();  // so did another screen's manager
    env.settle();     // nothing to call, nothing crashes
    EXPECT_TRUE(droppedDelegate.calls.empty());
    EXPECT_EQ(keeps.location()->coordinate, (LocationCoordinate{1, 2}));
    EXPECT_TRUE(device.locationUpdatesWanted());
}

TEST(LocationManagerLifetime, AManagerMayOutliveItsEnvironment) {
    std::unique_ptr<LocationManager> kept;
    {
        test::TestEnvironment env;
        kept = std::make_unique<LocationManager>(env.env());
        kept->startUpdatingLocation();
    }
    kept->stopUpdatingLocation();
    EXPECT_EQ(kept->authorizationStatus(), LocationAuthorizationStatus::denied);
    kept.reset();
}

TEST(LocationManagerProgram, TheProgramReportsLocationServicesOff) {
    auto config = EnvironmentConfig::forProgram("/opt/trelvoquest/trelvoquest");
    EXPECT_FALSE(config.device.locationServicesEnabled);
    EXPECT_TRUE(test::TestEnvironmentOptions{}.device.locationServicesEnabled);
}

}  // namespace
}  // namespace tq
