#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/services/Analytics.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "app/storyboards/Storyboards.h"
#include "screens/tour/TourDetailController.h"
#include "service/Network.h"
#include "storage/TourDownloader.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"
#include "support/MirroredScreenTest.h"

namespace tq::test {

inline std::string fullCircuitPath(const std::string& id) { return "/public/webservice/getFullCircuit/" + id; }

// The fixture tour 418 as the service sends it, changed by `edit`.
inline nlohmann::json fixtureTour(const std::function<void(nlohmann::json&)>& edit = {}) {
    auto reply = nlohmann::json::parse(fixtureText("full-tour.json"));
    auto tour = reply["results"][0];
    if (edit) edit(tour);
    return tour;
}

inline std::string tourReply(const nlohmann::json& tour) {
    return nlohmann::json{{"results", nlohmann::json::array({tour})}, {"status", "success"}}.dump();
}

// A download manager whose answers a test chooses.
struct ScriptedDownloader : TourDownloader {
    bool running = false;
    bool refuses = false;
    TourRef tour;
    std::vector<bool> starts;  // the "already stored" answers it was started with
    bool isDownloadRunning() const override { return running; }
    void setDownloadRunning(bool value) override { running = value; }
    void setTourToDownload(TourRef value) override { tour = std::move(value); }
    void startTourDownloadIfRoom(bool alreadyStored) override {
        starts.push_back(alreadyStored);
        if (alreadyStored || refuses) running = false;
    }
};

// A person at the tour screen: the application launched in English with every screen registered,
// a home screen at the root of the navigation stack, and the web service on loopback; the window's
// mirror follows every test.
class TourScreenTest : public MirroredScreenTest {
protected:
    explicit TourScreenTest(TestEnvironmentOptions options = {}) : env(std::move(options)) {
        service.connect(env.env());
        app().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        home = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(home);
        window = showInWindow(nav);
        mirrorWindow(env, window);
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }
    Network& network() { return env->shared<Network>(); }

    void serveTour(const std::string& id, const nlohmann::json& tour) {
        service.reply(fullCircuitPath(id), ScriptedReply::json(tourReply(tour)));
    }

    // Opens the tour screen the way the catalogue does, and waits for its tour.
    std::shared_ptr<TourDetailController> openTour(const std::string& id, bool myTour = false,
                                                   const std::string& board = "Main") {
        app().tourId = id;
        app().isMyTour = myTour;
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<TourDetailController>("TourDetailController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        nav->pushViewController(screen, true);
        env.settle();
        return screen;
    }

    std::vector<std::string> segmentTitles(const SegmentedControl& control) {
        std::vector<std::string> titles;
        for (int i = 0; i < control.numberOfSegments(); ++i) titles.push_back(control.titleForSegment(i).value_or("?"));
        return titles;
    }

    std::vector<AnalyticsEvent> eventsNamed(const std::string& name) {
        std::vector<AnalyticsEvent> found;
        for (auto& event : Analytics::shared().recordedEvents()) {
            if (event.name == name) found.push_back(event);
        }
        return found;
    }

    // The service outlives the environment, so the client's connections close before it stops.
    TestWebService service;
    TestEnvironment env;
    std::shared_ptr<ViewController> home;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

}  // namespace tq::test
