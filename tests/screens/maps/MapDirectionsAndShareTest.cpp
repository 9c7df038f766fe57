#include "MapScreenFixture.h"
#include "platform/services/SystemURLOpener.h"
#include "screens/tour/ShareController.h"

namespace tq::test {
namespace {

// The fixture tour's points, once the map has put them in order: 9003 (Place Royale, 46.8126,
// -71.2031), 9001 (Château Frontenac, 46.8119, -71.2049), 9002 (Quartier Petit-Champlain).
class MapDirectionsAndShareTest : public MapScreenTest {
protected:
    std::shared_ptr<MapLeafletController> openDrawnMap(TourRef tour, std::int64_t start = 0) {
        auto screen = openMap(MapMode::online, std::move(tour), start);
        if (screen) pageDrawsTheTour(*screen);
        env.advance(3);
        return screen;
    }
    const std::vector<std::string>& handedOff() { return env->shared<SystemURLOpener>().openedAddresses(); }
    static std::string geo(const std::string& lat, const std::string& lon) {
        return "geo:" + lat + "," + lon + "?q=" + lat + "," + lon + "(Target%20location)";
    }
};

TEST_F(MapDirectionsAndShareTest, DirectionsHandTheTargetToTheMapsApplicationOrTellTheVisitorThereIsNone) {
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> edit;
        int nextTaps;                      // steps before asking for directions
        std::optional<std::string> address;  // what the maps application receives; nothing: the alert
    };
    auto firstPoint = [](nlohmann::json& t, const char* field, const char* value) {
        for (auto& point : t["poi"]) {
            if (point["poi_id"] == "9003") point[field] = value;
        }
    };
    const Case cases[] = {
        {"the first point", {}, 0, geo("46.8126", "-71.2031")},
        {"the point after one step", {}, 1, geo("46.8119", "-71.2049")},
        {"a custom map's start",
         [](nlohmann::json& t) {
             t["use_custom_map"] = "1";
             t["custom_map_metadata"] = R"({"starting_poi_lat":"48.5","starting_poi_long":"-2.25"})";
         },
         0, geo("48.5", "-2.25")},
        {"a point without latitude", [&](nlohmann::json& t) { t["poi"][2].erase("lat"); }, 0, std::nullopt},
        {"a longitude that is no number", [&](nlohmann::json& t) { firstPoint(t, "long", "west"); }, 0, std::nullopt},
        {"a custom map without its start", [](nlohmann::json& t) { t["use_custom_map"] = "1"; }, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto screen = openDrawnMap(fixture(c.edit));
        ASSERT_TRUE(screen);
        for (int i = 0; i < c.nextTaps; ++i) ASSERT_TRUE(screen->btnNext->tap());
        const auto before = handedOff().size();
        ASSERT_TRUE(screen->btnDirections->tap());
        auto alert = topAlert();
        if (c.address) {
            ASSERT_EQ(handedOff().size(), before + 1);
            EXPECT_EQ(handedOff().back(), *c.address);
            EXPECT_FALSE(alert);
        } else {
            EXPECT_EQ(handedOff().size(), before) << "nothing is handed off";
            ASSERT_TRUE(alert) << "the visitor is told";
            EXPECT_EQ(alert->alertTitle(), app().text("Notice"));
            EXPECT_EQ(alert->message(), app().text("LocationUnavailable"));
            EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
            EXPECT_TRUE(alert->tap("OK"));
        }
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapDirectionsAndShareTest, ShareOffersTheCurrentPointsLinkUnderTheToursTitle) {
    struct Case {
        const char* name;
        std::function<void(nlohmann::json&)> edit;
        int nextTaps;
        std::string placeholder;
        std::string link;  // after "LinkCircuit"
    };
    const Case cases[] = {
        {"the first point", {}, 0, "Place Royale", "418/poi/9003/place-royale"},
        {"the point after one step", {}, 1, "Château Frontenac", "418/poi/9001/château-frontenac"},
        {"a point without slug", [](nlohmann::json& t) { t["poi"][2].erase("slug"); }, 0, "Place Royale",
         "418/poi/9003/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto screen = openDrawnMap(fixture(c.edit));
        ASSERT_TRUE(screen);
        for (int i = 0; i < c.nextTaps; ++i) ASSERT_TRUE(screen->btnNext->tap());
        ASSERT_TRUE(screen->btnShare->tap());
        auto sheet = topShareSheet();
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->excludedActivityTypes(), excludedShareActivityTypes());
        EXPECT_EQ(sheet->placeholderItems(), std::vector<std::string>{c.placeholder});
        ASSERT_TRUE(sheet->choose(activity_type::mail));
        EXPECT_EQ(sheet->sharedItems(), std::vector<std::string>{app().text("LinkCircuit") + c.link});
        EXPECT_EQ(sheet->sharedSubject(), "Le Vieux-Québec à pied : ruelles, remparts et château");
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapDirectionsAndShareTest, ShareWithoutATourOffersNothing) {
    auto screen = openDrawnMap(fixture());
    ASSERT_TRUE(screen);
    // The map shares the tour it shows, whatever the client's current tour is now.
    screen->tour = nullptr;
    screen->btnShare->tap();
    EXPECT_FALSE(topShareSheet());
    EXPECT_FALSE(screen->presentedViewController());
}

}  // namespace
}  // namespace tq::test
