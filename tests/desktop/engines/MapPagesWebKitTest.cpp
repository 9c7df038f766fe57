#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "EngineHarness.h"
#include "desktop/NativeWidget.h"
#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "platform/web/WebView.h"
#include "screens/browse/WorldMapBridge.h"
#include "screens/maps/MapPageCalls.h"

namespace tq::test {
namespace {

using nlohmann::json;

// The files the offline map page loads, copied beside it into the cache directory as a download
// leaves them.
const char* const pageFiles[] = {"offline.html", "leaflet.js", "leaflet.css", "jquery-3.3.1.min.js",
                                 "default_tile_en.png", "default_tile_fr.png", "position.png", "marker-icon.png",
                                 "marker-shadow.png", "leaflet-rotate-src-modified.js"};

json fixtureTour() {
    auto point = [](const char* id, const char* name, const char* lat, const char* lon) {
        return json{{"poi_id", id}, {"poi_name", name}, {"lat", lat}, {"long", lon}, {"content", json::array()}};
    };
    return json{{"circuit_id", "418"}, {"use_custom_map", "0"}, {"poi_count", "3"}, {"min_zoom", "13"}, {"max_zoom", "18"},
                {"poi", json::array({point("9003", "Place Royale", "46.8126", "-71.2031"),
                                     point("9001", "Château Frontenac", "46.8119", "-71.2049"),
                                     point("9002", "Quartier Petit-Champlain", "46.8130", "-71.2025")})}};
}

struct MapScreenSide : WebNavigationDelegate {
    std::vector<std::string> cancelled;
    int finished = 0;
    void decidePolicyForNavigationAction(WebView&, const NavigationAction& action, DecisionHandler handler) override {
        auto address = action.request.url.value_or("");
        if (address.rfind("js-frame:", 0) == 0) {
            cancelled.push_back(address);
            handler(NavigationActionPolicy::cancel);
            return;
        }
        handler(NavigationActionPolicy::allow);
    }
    void didFinishNavigation(WebView&, const WebNavigation&) override { ++finished; }
};

// The offline map page in WebKitGTK with the exact calls the map screen makes: it draws the
// tour's points without a network (no tiles: an empty background) and a tap on a point comes back
// as a "js-frame:" decision, which the screen cancels.
TEST(MapPagesInWebKit, TheOfflinePageDrawsTheTourAndATapComesBackAsAPolicyDecision) {
    EngineHarness harness(EngineKind::real);
    auto folder = harness.env().cacheDir() / "418";
    std::filesystem::create_directories(folder / "tiles");
    for (const char* file : pageFiles) {
        std::filesystem::copy_file(std::filesystem::path(TQ_TEST_BUNDLE_DIR) / file, folder / file);
    }
    MapScreenSide screen;
    WebViewConfiguration configuration;
    configuration.setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    auto web = std::make_shared<WebView>(Rect(0, 0, 800, 600), configuration);
    web->setNavigationDelegate(&screen);
    harness.show(dynamic_cast<desktop::NativeWidgetProvider&>(web->backend()).nativeWidget());
    web->loadFileURL(fileURL(folder / "offline.html"), fileURL(folder));
    ASSERT_TRUE(harness.waitFor([&] { return screen.finished == 1; }, 20, "the offline page"));

    auto answer = [&](const std::string& script) {
        std::optional<ScriptValue> value;
        std::optional<WebError> error;
        bool done = false;
        web->evaluateJavaScript(script, [&](const ScriptValue& v, const std::optional<WebError>& e) {
            value = v;
            error = e;
            done = true;
        });
        EXPECT_TRUE(harness.waitFor([&] { return done; }, 10, script));
        EXPECT_FALSE(error) << script << ": " << (error ? error->description : "");
        return value.value_or(ScriptValue{});
    };
    answer(mapPage::showMap({std::string("3"), std::string("13"), std::string("18"), "fr", (folder / "tiles").string(),
                             fixtureTour().dump(), 844, false}));
    answer(*mapPage::currentLocation(46.8124, -71.2036));
    EXPECT_EQ(answer("TourMap.describe().markers.filter(function (m) { return !!m; }).length"), ScriptValue(3.0));
    EXPECT_EQ(answer("TourMap.describe().position ? 1 : 0"), ScriptValue(1.0));

    answer("TourMap.describe().markers[2].click(); 0");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.cancelled.empty(); }, 10, "the tap's js-frame: decision"));
    EXPECT_EQ(screen.cancelled.front().rfind("js-frame:", 0), 0u) << screen.cancelled.front();
    EXPECT_EQ(answer("TourMap.describe().markers.length"), ScriptValue(3.0)) << "the page stayed";
    EXPECT_EQ(screen.finished, 1);

    harness.pass(0.5);
    auto png = harness.testEnv().root() / "offline-webkit.png";
    ASSERT_TRUE(harness.screenshot(GTK_WIDGET(harness.window()), png));
    EXPECT_GT(std::filesystem::file_size(png), 3000u);
}

struct LogLines : ScriptMessageHandler {
    std::vector<std::string> lines;
    void userContentControllerDidReceiveScriptMessage(UserContentController&, const ScriptMessage& message) override {
        lines.push_back(describeScriptValue(message.body));
    }
};

// The world map of the search screen in WebKitGTK, with the screen's configuration and exact
// calls: the markers are drawn, the console reaches "logHandler", and a tapped tour comes back as
// "js-frame:<id>".
TEST(MapPagesInWebKit, TheWorldMapShowsTheToursAndATappedTourComesBackAsAPolicyDecision) {
    EngineHarness harness(EngineKind::real);
    MapScreenSide screen;
    LogLines log;
    WebViewConfiguration configuration;
    configuration.userContentController().addUserScript({kWorldMapLogCapture, UserScriptInjectionTime::atDocumentEnd, false});
    configuration.userContentController().addScriptMessageHandler(&log, "logHandler");
    configuration.setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    auto web = std::make_shared<WebView>(Rect(0, 0, 800, 600), configuration);
    web->setNavigationDelegate(&screen);
    harness.show(dynamic_cast<desktop::NativeWidgetProvider&>(web->backend()).nativeWidget());
    const std::filesystem::path bundle = TQ_TEST_BUNDLE_DIR;
    web->loadFileURL(fileURL(bundle / "worldmap.html"), fileURL(bundle));
    ASSERT_TRUE(harness.waitFor([&] { return screen.finished == 1; }, 20, "the world map page"));

    std::optional<ScriptValue> drawn;
    const std::string markers =
        R"([{"circuit_id":"1234","title":"Old port","lat":"48.1","long":"-1.5"},)"
        R"({"circuit_id":"77","title":"Network head","lat":"-10.0","long":"-60.0","is_circuit_head":"1"},)"
        R"({"circuit_id":"88","title":"Nowhere","lat":"north","long":"3.0"}])";
    web->evaluateJavaScript(worldMapInitializeCall(markers, "tiles/{z}/{x}/{y}.png", true),
                            [&](const ScriptValue& value, const auto&) { drawn = value; });
    ASSERT_TRUE(harness.waitFor([&] { return drawn.has_value(); }, 10, "initializeMap's answer"));
    EXPECT_EQ(*drawn, ScriptValue(2.0)) << "a tour without a position is not shown";
    web->evaluateJavaScript(*worldMapLocationCall(48.1, -1.6));

    web->evaluateJavaScript("console.log('world map ready'); 0");
    ASSERT_TRUE(harness.waitFor([&] { return !log.lines.empty(); }, 10, "the console line"));
    EXPECT_EQ(log.lines.back(), "world map ready");

    web->evaluateJavaScript("document.querySelectorAll('.leaflet-marker-icon')[0].click(); 0");
    harness.pass(0.5);
    web->evaluateJavaScript("document.querySelector('.tq-tour').click(); 0");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.cancelled.empty(); }, 10, "the tapped tour's js-frame:"));
    EXPECT_EQ(screen.cancelled, std::vector<std::string>{"js-frame:1234"});
    EXPECT_EQ(worldMapTourRequest(screen.cancelled[0]), "1234");
    EXPECT_EQ(screen.finished, 1) << "the page stayed";

    auto png = harness.testEnv().root() / "worldmap-webkit.png";
    ASSERT_TRUE(harness.screenshot(GTK_WIDGET(harness.window()), png));
}

}  // namespace
}  // namespace tq::test
