// worldmap.html in the headless browser, driven with the exact texts the search screen evaluates.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "screens/browse/WorldMapBridge.h"
#include "support/HeadlessBrowser.h"

namespace tq::test {
namespace {

PoiMap marker(std::optional<std::string> id, std::optional<std::string> title, std::optional<std::string> lat,
              std::optional<std::string> lng, std::optional<std::string> head = std::nullopt) {
    return PoiMap{std::move(id), std::move(title), std::nullopt, std::move(lat), std::move(lng), std::move(head), std::nullopt};
}

// The scenario's calls, as JavaScript string literals of the texts the screen evaluates.
std::string call(const std::string& text) { return "harness.call(" + javaScriptStringLiteral(text) + ")"; }

nlohmann::json runScenario(const std::string& scenario) {
    PageHarness page(TQ_TEST_BUNDLE_DIR, "worldmap.html");
    auto result = page.run(scenario);
    EXPECT_TRUE(result.ok) << result.failure;
    if (!result.ok) return {};
    auto report = nlohmann::json::parse(result.report);
    EXPECT_FALSE(report.contains("failure")) << report.dump();
    EXPECT_EQ(report["errors"], nlohmann::json::array()) << report.dump();
    return report["result"];
}

TEST(SearchWorldMapPage, ShowsTheMarkersAndATappedMarkerOpensItsTour) {
    const std::vector<PoiMap> markers = {
        marker("1234", "Old port <img src=x onerror=\"document.title='owned'\">", "48.1", "-1.5"),
        marker("77", "Network \"head\"", "-10.0", "-60.0", "1"),
        marker("88", "Nowhere", "north", "3.0"),     // no usable position: not shown
        marker(std::nullopt, "No tour", "40.0", "2.0"),  // nothing to open: not shown
    };
    auto json = worldMapMarkersJson(markers);
    ASSERT_TRUE(json);
    const std::string initialize = worldMapInitializeCall(*json, "tiles/{z}/{x}/{y}.png", false);
    auto result = runScenario(R"(
harness.scenario(async function () {
  var first = )" + call(initialize) + R"(;
  var again = )" + call(initialize) + R"(;
  await harness.wait(100);
  var icons = document.querySelectorAll('.leaflet-marker-icon');
  var titles = Array.prototype.map.call(icons, function (icon) { return icon.title; });
  var tapped = harness.tap(icons[0]);
  await harness.wait(400);
  var popup = document.querySelector('.tq-tour');
  var shownTitle = popup ? popup.querySelector('.tq-title').textContent : null;
  var injected = document.querySelectorAll('.tq-tour img[onerror]').length;
  var opened = popup ? harness.tap(popup) : false;
  await harness.wait(100);
  return { first: first, again: again, titles: titles, tapped: tapped, shownTitle: shownTitle, injected: injected,
           opened: opened, navigations: harness.navigations, pageTitle: document.title };
});)");
    ASSERT_FALSE(result.is_null());
    EXPECT_EQ(result["first"]["value"], 2);
    EXPECT_EQ(result["again"]["value"], 2) << "a second initialisation replaces the markers";
    EXPECT_EQ(result["titles"], nlohmann::json::array({"Old port <img src=x onerror=\"document.title='owned'\">",
                                                       "Network \"head\""}));
    EXPECT_TRUE(result["tapped"]);
    EXPECT_EQ(result["shownTitle"], "Old port <img src=x onerror=\"document.title='owned'\">");
    EXPECT_EQ(result["injected"], 0);
    EXPECT_TRUE(result["opened"]);
    EXPECT_EQ(result["navigations"], nlohmann::json::array({"js-frame:1234"}));
    EXPECT_EQ(result["pageTitle"], "World map");
}

// One tap may reach a marker as two clicks (WebKit does so): its popup opens and stays open.
TEST(SearchWorldMapPage, AMarkerClickedTwiceKeepsItsPopupOpen) {
    auto json = worldMapMarkersJson({marker("1234", "Old port", "48.1", "-1.5")});
    ASSERT_TRUE(json);
    auto result = runScenario(R"(
harness.scenario(async function () {
  )" + call(worldMapInitializeCall(*json, "tiles/{z}/{x}/{y}.png", false)) + R"(;
  await harness.wait(100);
  var icon = document.querySelector('.leaflet-marker-icon');
  icon.click();
  icon.click();
  await harness.wait(400);
  var popups = document.querySelectorAll('.leaflet-popup .tq-tour');
  return { popups: popups.length, title: popups.length ? popups[0].querySelector('.tq-title').textContent : null };
});)");
    ASSERT_FALSE(result.is_null());
    EXPECT_EQ(result["popups"], 1);
    EXPECT_EQ(result["title"], "Old port");
}

// A tour without a title is expected data: its popup still offers something to tap, and a real tap
// on it opens the tour.
TEST(SearchWorldMapPage, AMarkerWithoutATitleStillOpensItsTour) {
    const std::vector<PoiMap> markers = {
        marker("501", std::nullopt, "48.1", "-1.5"),
        marker("502", "", "-10.0", "-60.0"),
    };
    auto json = worldMapMarkersJson(markers);
    ASSERT_TRUE(json);
    const std::string initialize = worldMapInitializeCall(*json, "tiles/{z}/{x}/{y}.png", false);
    auto result = runScenario(R"(
harness.scenario(async function () {
  )" + call(initialize) + R"(;
  await harness.wait(100);
  var outcomes = [];
  var icons = document.querySelectorAll('.leaflet-marker-icon');
  for (var i = 0; i < icons.length; i++) {
    var tappedMarker = harness.tap(icons[i]);
    await harness.wait(400);
    var box = document.querySelector('.leaflet-popup .tq-tour');
    var size = box ? box.getBoundingClientRect() : null;
    var before = harness.navigations.length;
    var opened = box ? harness.tap(box) : false;
    await harness.wait(100);
    outcomes.push({ tappedMarker: tappedMarker, width: size ? size.width : 0, height: size ? size.height : 0,
                    opened: opened, navigations: harness.navigationsSince(before) });
    map.closePopup();
    await harness.wait(100);
  }
  return outcomes;
});)");
    ASSERT_TRUE(result.is_array());
    ASSERT_EQ(result.size(), 2u);
    const char* ids[] = {"501", "502"};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(ids[i]);
        const auto& outcome = result[i];
        EXPECT_TRUE(outcome["tappedMarker"]);
        EXPECT_GE(outcome["width"].get<double>(), 30) << "a box a finger can reach";
        EXPECT_GE(outcome["height"].get<double>(), 30);
        EXPECT_TRUE(outcome["opened"]);
        EXPECT_EQ(outcome["navigations"], nlohmann::json::array({std::string("js-frame:") + ids[i]}));
    }
}

TEST(SearchWorldMapPage, ShowsRemovesAndCentresOnThePosition) {
    auto json = worldMapMarkersJson({marker("5", "Five", "10.0", "20.0")});
    ASSERT_TRUE(json);
    const std::string initialize = worldMapInitializeCall(*json, "tiles/{z}/{x}/{y}.png", true);
    const std::string locate = *worldMapLocationCall(48.0, 5e-05);
    auto result = runScenario(R"(
harness.scenario(async function () {
  var early = )" + call("centerMap();") + R"(;
  )" + call(initialize) + R"(;
  )" + call(locate) + R"(;
  var shown = document.querySelectorAll('.leaflet-marker-icon').length;
  var centred = )" + call("centerMap();") + R"(;
  var here = map.getCenter();
  )" + call("removeCurrentLocation();") + R"(;
  var afterRemoval = document.querySelectorAll('.leaflet-marker-icon').length;
  )" + call("centerMap();") + R"(;
  var onMarkers = map.getCenter();
  return { early: early, shown: shown, centred: centred, here: [here.lat, here.lng], afterRemoval: afterRemoval,
           onMarkers: [Math.round(onMarkers.lat), Math.round(onMarkers.lng)],
           tablet: document.body.classList.contains('tq-tablet'), zoomControl: !!document.querySelector('.leaflet-control-zoom') };
});)");
    ASSERT_FALSE(result.is_null());
    EXPECT_FALSE(result["early"].contains("error")) << "centring before the markers does no harm";
    EXPECT_EQ(result["shown"], 2) << "the tour and the position";
    EXPECT_FALSE(result["centred"].contains("error"));
    EXPECT_NEAR(result["here"][0].get<double>(), 48.0, 1e-6);
    EXPECT_NEAR(result["here"][1].get<double>(), 5e-05, 1e-6);
    EXPECT_EQ(result["afterRemoval"], 1);
    EXPECT_EQ(result["onMarkers"], nlohmann::json::array({10, 20}));
    EXPECT_TRUE(result["tablet"]);
    EXPECT_TRUE(result["zoomControl"]);
}

}  // namespace
}  // namespace tq::test
