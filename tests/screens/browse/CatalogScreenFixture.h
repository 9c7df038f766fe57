#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/CatalogController.h"
#include "screens/browse/CatalogueCell.h"
#include "app/storyboards/Storyboards.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/MirroredScreenTest.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"

namespace tq::test {

inline constexpr const char* kCataloguePath = "/public/webservice/getSimpleListCatalogV2/newApi/";

// A catalogue tour as the service lists it, with the fields of `extra` on top.
inline nlohmann::json listedTour(const std::string& id, nlohmann::json extra = nlohmann::json::object()) {
    nlohmann::json tour = {{"circuit_id", id}, {"title", "Tour " + id}, {"language", "en"}};
    for (auto& [key, value] : extra.items()) tour[key] = value;
    return tour;
}

inline std::string listReply(const std::vector<nlohmann::json>& tours) {
    return nlohmann::json{{"results", tours}, {"status", "success"}}.dump();
}

// The full text of a stored tour, as the download keeps it in the catalogue database.
inline std::string storedTourText(const std::string& id, nlohmann::json extra = nlohmann::json::object()) {
    auto tour = listedTour(id, std::move(extra));
    if (!tour.contains("city")) tour["city"] = {{"name", "Québec"}, {"country_name", "Canada"}};
    return listReply({tour});
}

// A tablet held upright, for the tests of the tablet layouts.
inline TestEnvironmentOptions tabletOptions() {
    TestEnvironmentOptions options;
    options.device.idiom = DeviceIdiom::pad;
    options.device.screenBounds = {820, 1180};
    return options;
}

// The identifiers of a list of tours, in order.
inline std::vector<std::string> ids(const std::vector<TourRef>& tours) {
    std::vector<std::string> result;
    for (const auto& tour : tours) result.push_back(tour ? tour->circuit_id.value_or("-") : "null");
    return result;
}

// A person among the tour lists: the application launched in English with every screen registered,
// a plain screen at the root of the navigation stack, and the web service on loopback.
class CatalogScreenTest : public MirroredScreenTest {
protected:
    explicit CatalogScreenTest(TestEnvironmentOptions options = {}) : env(std::move(options)) {
        service.connect(env.env());
        app().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        root = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(root);
        window = showInWindow(nav);
        mirrorWindow(env, window);
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }
    Network& network() { return env->shared<Network>(); }
    DBManager& db() { return env->shared<TourStore>().database; }
    ProgressOverlay& overlay() { return env->shared<ProgressOverlay>(); }

    void serveCatalogue(const std::vector<nlohmann::json>& tours) {
        service.reply(kCataloguePath, ScriptedReply::json(listReply(tours)));
    }

    void storeTour(const std::string& id, nlohmann::json extra = nlohmann::json::object()) {
        bool added = false;
        db().addTour(id, storedTourText(id, std::move(extra)), [&](bool success) { added = success; });
        ASSERT_TRUE(added);
    }

    // Pushes the catalogue as the home screen's segues do, and waits for its list.
    std::shared_ptr<CatalogController> openCatalog(bool favorites = false, const std::string& board = "Main") {
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<CatalogController>("CatalogController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        screen->isFavorites = favorites;
        nav->pushViewController(screen, true);
        env.settle();
        return screen;
    }

    // The titles of the rows the table shows, top to bottom.
    static std::vector<std::string> rowTitles(CatalogController& screen) {
        std::vector<std::string> titles;
        for (const auto& cell : screen.tableView->visibleCells()) {
            auto* row = dynamic_cast<CatalogueCell*>(cell.get());
            titles.push_back(row ? row->lblTitle->text() : "?");
        }
        return titles;
    }

    CatalogueCell* cellAt(CatalogController& screen, int row) {
        return dynamic_cast<CatalogueCell*>(screen.tableView->cellForRowAt({0, row}).get());
    }

    // The service outlives the environment, so the client's connections close before it stops.
    TestWebService service;
    TestEnvironment env;
    std::shared_ptr<ViewController> root;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

}  // namespace tq::test
