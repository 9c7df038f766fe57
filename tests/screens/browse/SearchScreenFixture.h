#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/foundation/Console.h"
#include "platform/foundation/Environment.h"
#include "platform/services/Analytics.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/SearchResultsController.h"
#include "screens/browse/SelectRegionController.h"
#include "app/storyboards/Storyboards.h"
#include "service/Network.h"
#include "support/MirroredScreenTest.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"

namespace tq::test {

inline std::string api(const std::string& path) { return "/public/webservice/" + path; }

inline std::string envelope(const nlohmann::json& results, const std::string& status = "success") {
    return nlohmann::json{{"results", results}, {"status", status}}.dump();
}

// Tours as the service lists them: identifier, title, language, and a distance when given.
struct ListedTour {
    std::string id;
    std::string language = "fr";
    std::string distance = {};
};

inline std::string toursReply(const std::vector<ListedTour>& tours, const std::string& status = "success") {
    auto list = nlohmann::json::array();
    for (const auto& tour : tours) {
        nlohmann::json item{{"circuit_id", tour.id}, {"title", "Tour " + tour.id}, {"language", tour.language}};
        if (!tour.distance.empty()) item["distance"] = tour.distance;
        list.push_back(item);
    }
    return envelope(list, status);
}

inline std::vector<std::string> idsOf(const std::vector<TourRef>& tours) {
    std::vector<std::string> ids;
    for (const auto& tour : tours) ids.push_back(tour && tour->circuit_id ? *tour->circuit_id : "?");
    return ids;
}

struct SearchScreenOptions {
    DeviceIdiom idiom = DeviceIdiom::phone;
    std::vector<std::string> preferredLanguages{"en-GB"};
};

inline TestEnvironmentOptions environmentFor(const SearchScreenOptions& options) {
    TestEnvironmentOptions env;
    env.preferredLanguages = options.preferredLanguages;
    env.device.idiom = options.idiom;
    if (options.idiom == DeviceIdiom::pad) env.device.screenBounds = {820, 1180};
    return env;
}

// A person at the search screen: the application launched with every screen registered, a home
// screen at the root of the navigation stack, the web service on loopback answering the first
// appearance's country and marker lists.
class SearchScreenTest : public MirroredScreenTest {
protected:
    explicit SearchScreenTest(SearchScreenOptions options = {}) : env(environmentFor(options)) {
        service.connect(env.env());
        app().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        home = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(home);
        window = showInWindow(nav);
        mirrorWindow(env, window);
        service.reply(api("getCountryWhereToursIOS/"), ScriptedReply::json(envelope(nlohmann::json::array())));
        service.reply(api("getWorldMapPois/newApi/"), ScriptedReply::json(envelope(nlohmann::json::array())));
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }
    Network& network() { return env->shared<Network>(); }
    Console& console() { return env->console(); }

    // Pushes the search screen as the home screen does, and waits for its first requests.
    std::shared_ptr<SearchController> openSearch() {
        auto screen = StoryboardRegistry::shared().named("Search-ipad")->instantiate<SearchController>("SearchController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        nav->pushViewController(screen, true);
        env.settle();
        return screen;
    }

    std::shared_ptr<ViewController> top() { return nav->viewControllers().back(); }
    template <class T>
    std::shared_ptr<T> topAs() {
        return std::dynamic_pointer_cast<T>(top());
    }

    std::vector<std::string> requestedPaths() {
        std::vector<std::string> paths;
        for (const auto& request : service.requests()) paths.push_back(request.path);
        return paths;
    }
    bool requested(const std::string& path) {
        for (const auto& request : service.requests()) {
            if (request.path == path) return true;
        }
        return false;
    }

    std::vector<AnalyticsEvent> eventsNamed(const std::string& name) {
        std::vector<AnalyticsEvent> found;
        for (auto& event : Analytics::shared().recordedEvents()) {
            if (event.name == name) found.push_back(event);
        }
        return found;
    }

    // The alert on top, checked against its dictionary texts and its one button.
    void expectAlert(const std::string& titleKey, const std::string& messageKey, const std::string& button) {
        auto alert = topAlert();
        ASSERT_TRUE(alert) << "no alert for " << messageKey;
        EXPECT_EQ(alert->alertTitle(), app().text(titleKey));
        EXPECT_EQ(alert->message(), app().text(messageKey));
        EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{button});
    }

    // The service outlives the environment, so the client's connections close before it stops.
    TestWebService service;
    TestEnvironment env;
    std::shared_ptr<ViewController> home;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

}  // namespace tq::test
