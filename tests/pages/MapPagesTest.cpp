#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "screens/maps/MapPageCalls.h"
#include "support/HeadlessBrowser.h"
#include "support/TestPng.h"

namespace tq::test {
namespace {

using nlohmann::json;

// The files the map pages load, as the bundle (and the offline copy in the cache) holds them.
const char* const pageFiles[] = {"offline.html",        "main.html",          "leaflet.js",       "leaflet.css",
                                 "jquery-3.3.1.min.js", "default_tile_en.png", "default_tile_fr.png",
                                 "position.png",        "marker-icon.png",    "marker-shadow.png",
                                 "leaflet-rotate-src-modified.js"};

// Three points of Quebec City a few hundred metres apart, in the order the screen hands them over.
json fixtureTour() {
    auto point = [](const char* id, const char* name, const char* lat, const char* lon) {
        return json{{"poi_id", id}, {"poi_name", name}, {"lat", lat}, {"long", lon}, {"content", json::array()}};
    };
    return json{{"circuit_id", "418"},
                {"use_custom_map", "0"},
                {"poi_count", "3"},
                {"min_zoom", "13"},
                {"max_zoom", "18"},
                {"poi", json::array({point("9003", "Place Royale", "46.8126", "-71.2031"),
                                     point("9001", "Château Frontenac", "46.8119", "-71.2049"),
                                     point("9002", "Quartier Petit-Champlain", "46.8130", "-71.2025")})}};
}

int tileX(double lon, int z) { return static_cast<int>(std::floor((lon + 180.0) / 360.0 * (1 << z))); }
int tileY(double lat, int z) {
    const double r = lat * M_PI / 180.0;
    return static_cast<int>(std::floor((1.0 - std::log(std::tan(r) + 1.0 / std::cos(r)) / M_PI) / 2.0 * (1 << z)));
}

// A JavaScript string literal of a call text, so that the scenario evaluates exactly that text.
std::string literal(const std::string& text) { return json(text).dump(); }

class MapPagesTest : public ::testing::Test {
protected:
    explicit MapPagesTest(const char* page = "offline.html") : harness(page) {
        for (const char* file : pageFiles) harness.copyIn(std::filesystem::path(TQ_TEST_BUNDLE_DIR) / file);
    }

    // Tiles around the points for every zoom, except the one named `missing` ("z/x/y").
    void writeTiles(const std::string& missing = "") {
        for (int z = 13; z <= 18; ++z) {
            const int cx = tileX(-71.2035, z), cy = tileY(46.8125, z);
            for (int x = cx - 3; x <= cx + 3; ++x) {
                for (int y = cy - 3; y <= cy + 3; ++y) {
                    auto name = std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y);
                    if (name == missing) continue;
                    Rgba fill = (x + y) % 2 ? Rgba{205, 225, 205, 255} : Rgba{225, 215, 190, 255};
                    harness.writeFile("tiles/" + name + ".png", makeTilePng(fill));
                }
            }
        }
    }

    std::string showMapCall(const json& tour, const std::string& language = "fr", bool ipad = false) {
        return mapPage::showMap({tour.value("poi_count", std::string("3")),
                                 std::string("13"), std::string("18"), language, (harness.folder() / "tiles").string(),
                                 tour.dump(), 844, ipad});
    }

    json run(const std::string& scenario) {
        auto result = harness.run(scenario);
        EXPECT_TRUE(result.ok) << result.failure;
        if (!result.ok) return json::object();
        auto report = json::parse(result.report);
        EXPECT_FALSE(report.contains("failure")) << report.dump(2);
        EXPECT_EQ(report["errors"], json::array()) << report.dump(2);
        return report.value("result", json::object());
    }

    PageHarness harness;
};

// Shared scenario helpers: what the map shows, read through the page's own description.
const char* const probe = R"(
function seen() {
  var d = TourMap.describe();
  var viewport = document.getElementById('viewport');
  return {
    viewport: [viewport.clientWidth, viewport.clientHeight, window.innerWidth, window.innerHeight],
    markers: d.markers.map(function (m) { return m ? harness.reachable(m) : null; }),
    current: d.current,
    currentMarked: d.markers.map(function (m) { return !!m && m.classList.contains('tq-current'); }),
    numbers: d.markers.map(function (m) { var n = m && m.querySelector('.tq-number'); return n ? n.textContent : null; }),
    bearing: d.bearing,
    position: d.position ? harness.reachable(d.position) : null,
    around: d.around.map(function (m) { return harness.reachable(m); })
  };
}
function tiles() {
  var all = Array.prototype.slice.call(document.querySelectorAll('img.leaflet-tile'));
  return {
    fromFolder: all.filter(function (t) { return t.src.indexOf('/tiles/') >= 0 && t.naturalWidth === 256; }).length,
    defaults: all.filter(function (t) { return /default_tile_(en|fr)\.png$/.test(t.src); })
                 .map(function (t) { return t.src.replace(/^.*\//, ''); })
  };
}
)";

TEST_F(MapPagesTest, OfflinePageDrawsTheTourOnItsTilesWithEveryPinWithinReach) {
    writeTiles();
    auto tour = fixtureTour();
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  var early = harness.call()" + literal(mapPage::centreOnPoint(0)) + R"();
  var drawn = harness.call()" + literal(showMapCall(tour)) + R"();
  await harness.wait(2000);
  var first = seen();
  var tileCount = tiles();
  harness.call()" + literal(mapPage::centreOnPoint(2)) + R"();
  await harness.wait(1000);
  var centred = seen();
  harness.call()" + literal(mapPage::centerMap) + R"();
  await harness.wait(1000);
  return { early: early, drawn: drawn, first: first, tiles: tileCount, centred: centred, afterCentreMap: seen() };
});)");
    EXPECT_FALSE(r["early"].contains("error")) << "a call before showMap does nothing: " << r["early"].dump();
    EXPECT_FALSE(r["drawn"].contains("error")) << r["drawn"].dump();
    const auto& viewport = r["first"]["viewport"];
    EXPECT_EQ(viewport[0], viewport[2]) << "the map fills the window: " << viewport;
    EXPECT_EQ(viewport[1], viewport[3]) << "the map fills the window: " << viewport;
    EXPECT_EQ(r["first"]["markers"], json::array({true, true, true})) << "every pin is on screen and on top";
    EXPECT_EQ(r["first"]["numbers"], json::array({"1", "2", "3"})) << "each pin shows its point's number";
    EXPECT_GT(r["tiles"]["fromFolder"].get<int>(), 4);
    EXPECT_EQ(r["tiles"]["defaults"], json::array());
    EXPECT_EQ(r["centred"]["current"], 2);
    EXPECT_EQ(r["centred"]["currentMarked"], json::array({false, false, true}));
    EXPECT_EQ(r["centred"]["numbers"], json::array({"1", "2", "3"})) << "the current pin keeps its number";
    EXPECT_EQ(r["afterCentreMap"]["markers"], json::array({true, true, true}));
}

TEST_F(MapPagesTest, TapsOnThePageLeadBackToTheApplication) {
    writeTiles();
    auto around = json::array({json{{"poi_name", "Musée"}, {"lat", "46.8122"}, {"long", "-71.2040"}}});
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(fixtureTour())) + R"();
  await harness.wait(2000);
  var d = TourMap.describe();
  var marked = harness.navigations.length;
  var tappedPin = harness.tap(d.markers[1]);
  await harness.wait(500);
  var show = document.querySelector('.leaflet-popup .tq-show');
  var popupName = document.querySelector('.leaflet-popup .tq-name');
  var tappedShow = harness.tap(show);
  await harness.wait(100);
  TourMap.describe().map.closePopup();
  var answer = harness.call()" + literal(mapPage::poiValue) + R"();
  harness.call()" + literal(mapPage::showAround(true, "fr", around.dump(), false)) + R"();
  await harness.wait(500);
  var withAround = seen();
  var tappedAround = harness.tap(TourMap.describe().around[0]);
  await harness.wait(100);
  var aroundAnswer = harness.call()" + literal(mapPage::poiAroundValue) + R"();
  var tappedSilence = harness.tap(document.querySelector('.tq-silence'));
  await harness.wait(100);
  harness.call()" + literal(mapPage::showAround(false, "fr", around.dump(), false)) + R"();
  var afterHiding = seen();
  return { tappedPin: tappedPin, tappedShow: tappedShow, popupName: popupName && popupName.textContent,
           navigations: harness.navigationsSince(marked), answer: answer, withAround: withAround,
           tappedAround: tappedAround, aroundAnswer: aroundAnswer, tappedSilence: tappedSilence,
           afterHiding: afterHiding };
});)");
    EXPECT_TRUE(r["tappedPin"]);
    EXPECT_EQ(r["popupName"], "Château Frontenac");
    EXPECT_TRUE(r["tappedShow"]);
    EXPECT_EQ(r["answer"]["value"], 1);
    EXPECT_EQ(r["withAround"]["around"], json::array({true}));
    EXPECT_TRUE(r["tappedAround"]);
    EXPECT_EQ(r["aroundAnswer"]["value"], 0);
    EXPECT_TRUE(r["tappedSilence"]);
    EXPECT_EQ(r["navigations"],
              json::array({"js-frame:1", "js-frame:show", "js-frame:Around", "js-frame:stopAudio"}));
    EXPECT_EQ(r["afterHiding"]["around"], json::array());
}

// A callout left open names the current point: stepping with next moves it to the new current
// point, and a step to a point the map cannot place closes it.
TEST_F(MapPagesTest, AnOpenCalloutFollowsTheStepsOfNext) {
    writeTiles();
    auto tour = fixtureTour();
    tour["poi"].push_back(json{{"poi_id", "9004"}, {"poi_name", "Nowhere"}, {"lat", ""}, {"long", ""},
                               {"content", json::array()}});
    auto r = run(std::string(probe) + R"(
function callout() {
  var name = document.querySelector('.leaflet-popup .tq-name');
  return name ? name.textContent : null;
}
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(tour)) + R"();
  await harness.wait(1500);
  harness.tap(TourMap.describe().markers[0]);
  await harness.wait(300);
  var tapped = callout();
  harness.call()" + literal(mapPage::centreOnPoint(1)) + R"();
  await harness.wait(500);
  var stepped = { callout: callout(), marked: seen().currentMarked };
  harness.tap(document.querySelector('.leaflet-popup .tq-show'));
  var answer = harness.call()" + literal(mapPage::poiValue) + R"();
  harness.call()" + literal(mapPage::centreOnPoint(3)) + R"();
  await harness.wait(300);
  var unplaced = { callout: callout(), current: seen().current };
  TourMap.describe().map.closePopup();
  harness.call()" + literal(mapPage::centreOnPoint(2)) + R"();
  await harness.wait(300);
  return { tapped: tapped, stepped: stepped, answer: answer, unplaced: unplaced, closedStaysClosed: callout() };
});)");
    EXPECT_EQ(r["tapped"], "Place Royale");
    EXPECT_EQ(r["stepped"]["callout"], "Château Frontenac") << "the callout names the point the red pin marks";
    EXPECT_EQ(r["stepped"]["marked"], json::array({false, true, false, false}));
    EXPECT_EQ(r["answer"]["value"], 1) << "its button opens the point it names";
    EXPECT_TRUE(r["unplaced"]["callout"].is_null()) << "no callout names a point left behind";
    EXPECT_EQ(r["unplaced"]["current"], 3);
    EXPECT_TRUE(r["closedStaysClosed"].is_null()) << "stepping opens no callout the visitor did not open";
}

TEST_F(MapPagesTest, ThePositionTurnsWithTheMapAroundItsCentreAndStaysUpright) {
    writeTiles();
    auto r = run(std::string(probe) + R"(
function centreOf(element) {
  var box = element.getBoundingClientRect();
  return [box.left + box.width / 2, box.top + box.height / 2];
}
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(fixtureTour())) + R"();
  await harness.wait(1500);
  harness.call()" + literal(*mapPage::currentLocation(46.8124, -71.2036)) + R"();
  await harness.wait(200);
  var before = centreOf(TourMap.describe().position);
  harness.call()" + literal(*mapPage::deviceRotation(90.0)) + R"();
  var ignored = seen().bearing;
  harness.call()" + literal(mapPage::mapFollowsDirection(true)) + R"();
  harness.call()" + literal(*mapPage::deviceRotation(90.0)) + R"();
  await harness.wait(500);
  var turned = seen();
  var picture = TourMap.describe().position.querySelector('img');
  var after = centreOf(TourMap.describe().position);
  var pictureTurn = picture.style.transform;
  // Pictures that arrive on a turned map are turned back too: points around, and the pins drawn
  // again when another point becomes the current one.
  harness.call()" + literal(mapPage::showAround(true, "en", R"([{"poi_id":"77","lat":"46.8121","long":"-71.2040"}])", false)) + R"();
  var aroundTurn = TourMap.describe().around[0].querySelector('img.tq-upright').style.transform;
  harness.call()" + literal(mapPage::centreOnPoint(1)) + R"();
  var pinTurns = TourMap.describe().markers.map(function (m) { return m.querySelector('img.tq-upright').style.transform; });
  harness.call()" + literal(mapPage::mapFollowsDirection(false)) + R"();
  var upright = seen().bearing;
  harness.call()" + literal(mapPage::removeCurrentLocation) + R"();
  return { ignored: ignored, turned: turned, before: before, after: after, middle: [innerWidth / 2, innerHeight / 2],
           pictureTurn: pictureTurn, aroundTurn: aroundTurn, pinTurns: pinTurns, upright: upright,
           removed: seen().position };
});)");
    EXPECT_EQ(r["ignored"], 0) << "the heading turns the map only in compass mode";
    EXPECT_EQ(r["turned"]["bearing"], 90);
    // Turning the map by -90 degrees around the middle of the window takes (dx, dy) to (dy, -dx).
    const double dx = r["before"][0].get<double>() - r["middle"][0].get<double>();
    const double dy = r["before"][1].get<double>() - r["middle"][1].get<double>();
    EXPECT_NEAR(r["after"][0].get<double>(), r["middle"][0].get<double>() + dy, 2.0) << r.dump();
    EXPECT_NEAR(r["after"][1].get<double>(), r["middle"][1].get<double>() - dx, 2.0) << r.dump();
    EXPECT_EQ(r["pictureTurn"], "rotate(90deg)") << "the picture is turned back to stay upright";
    EXPECT_EQ(r["aroundTurn"], "rotate(90deg)") << "a point around added on the turned map";
    EXPECT_EQ(r["pinTurns"], json::array({"rotate(90deg)", "rotate(90deg)", "rotate(90deg)"})) << "pins drawn again";
    EXPECT_EQ(r["turned"]["markers"], json::array({true, true, true}));
    EXPECT_EQ(r["upright"], 0);
    EXPECT_TRUE(r["removed"].is_null());
}

TEST_F(MapPagesTest, AMissingTileShowsTheLanguagesDefaultTileAndSpanishUsesTheEnglishOne) {
    // The fitted zoom for these points is 17: leave out the tile under the first point there.
    const int z = 17;
    writeTiles(std::to_string(z) + "/" + std::to_string(tileX(-71.2031, z)) + "/" + std::to_string(tileY(46.8126, z)));
    for (const char* language : {"fr", "es"}) {
        auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(fixtureTour(), language)) + R"();
  await harness.wait(2000);
  return { zoom: TourMap.describe().map.getZoom(), tiles: tiles() };
});)");
        EXPECT_EQ(r["zoom"], z) << language;
        EXPECT_EQ(r["tiles"]["defaults"],
                  json::array({std::string(language) == "fr" ? "default_tile_fr.png" : "default_tile_en.png"}))
            << language;
    }
}

TEST_F(MapPagesTest, HostileTourTextsStayTextAndPointsWithoutCoordinatesAreSkipped) {
    writeTiles();
    auto tour = fixtureTour();
    tour["poi"][0]["poi_name"] = "<img src=x onerror=\"window.hacked=1\">\u2028'); window.hacked=2; ('";
    tour["poi"][1]["lat"] = "not a number";
    tour["title"] = "</script><script>window.hacked=3</script>";
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(tour)) + R"();
  await harness.wait(1500);
  var d = TourMap.describe();
  var markers = seen().markers;
  harness.tap(d.markers[0]);
  await harness.wait(300);
  var name = document.querySelector('.leaflet-popup .tq-name');
  return { hacked: window.hacked || 0, markers: markers, name: name && name.textContent,
           images: name ? name.querySelectorAll('img').length : -1 };
});)");
    EXPECT_EQ(r["hacked"], 0);
    EXPECT_EQ(r["markers"], json::array({true, nullptr, true}));
    EXPECT_EQ(r["name"], tour["poi"][0]["poi_name"]);
    EXPECT_EQ(r["images"], 0);
}

TEST_F(MapPagesTest, ACustomMapIsCentredOnItsOwnPosition) {
    writeTiles();
    auto tour = fixtureTour();
    tour["use_custom_map"] = "1";
    tour["customMapLat"] = "46.8140";
    tour["customMapLong"] = "-71.2000";
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  harness.call()" + literal(showMapCall(tour)) + R"();
  await harness.wait(1000);
  var c = TourMap.describe().map.getCenter();
  return { centre: [Math.round(c.lat * 10000) / 10000, Math.round(c.lng * 10000) / 10000] };
});)");
    EXPECT_EQ(r["centre"], json::array({46.814, -71.2}));
}

// Takes a picture of the offline page with its tiles and pins, for a person to look at; it is
// kept when TQ_PAGE_SCREENSHOTS names a folder.
TEST_F(MapPagesTest, ScreenshotOfTheOfflinePage) {
    writeTiles();
    auto page = harness.pageWithScenario(R"(
window.addEventListener('load', function () {
  harness.call()" + literal(showMapCall(fixtureTour())) + R"();
  harness.call()" + literal(*mapPage::currentLocation(46.8124, -71.2036)) + R"();
  harness.call()" + literal(mapPage::centreOnPoint(1)) + R"();
});)");
    auto png = harness.folder() / "offline.png";
    HeadlessBrowser browser;
    auto shot = browser.screenshot(page, png, BrowserOptions{.virtualTimeBudgetMs = 4000, .extraSwitches = {}});
    ASSERT_TRUE(shot.succeeded()) << shot.errorOutput;
    ASSERT_TRUE(std::filesystem::exists(png));
    EXPECT_GT(std::filesystem::file_size(png), 5000u);
    if (const char* keep = std::getenv("TQ_PAGE_SCREENSHOTS")) {
        std::filesystem::create_directories(keep);
        std::filesystem::copy_file(png, std::filesystem::path(keep) / "offline.png",
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

class OnlinePageTest : public MapPagesTest {
protected:
    OnlinePageTest() : MapPagesTest("main.html") {}
};

TEST_F(OnlinePageTest, MainPageDrawsTheTourFromTheTileTemplateAndOffersTheSameBridge) {
    writeTiles();
    auto tour = fixtureTour();
    const std::string tileTemplate = "file://" + (harness.folder() / "tiles").string() + "/{z}/{x}/{y}.png";
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  var drawn = harness.call()" + literal(mapPage::initializeMap(tour.dump(), false, "en", tileTemplate)) + R"();
  await harness.wait(2000);
  var first = seen();
  var tileCount = tiles();
  var functions = ['next', 'poiValue', 'poiAroundValue', 'centerMap', 'panToLocation', 'currentLocation',
                   'removeCurrentLocation', 'deviceRotation', 'mapFollowsDirection', 'showAround']
                  .filter(function (name) { return typeof window[name] === 'function'; });
  var marked = harness.navigations.length;
  harness.tap(TourMap.describe().markers[2]);
  await harness.wait(300);
  harness.tap(document.querySelector('.leaflet-popup .tq-show'));
  await harness.wait(100);
  return { drawn: drawn, first: first, tiles: tileCount, functions: functions.length,
           navigations: harness.navigationsSince(marked), answer: harness.call('poiValue();') };
});)");
    EXPECT_FALSE(r["drawn"].contains("error")) << r["drawn"].dump();
    EXPECT_EQ(r["first"]["markers"], json::array({true, true, true}));
    EXPECT_GT(r["tiles"]["fromFolder"].get<int>(), 4);
    EXPECT_EQ(r["functions"], 10);
    EXPECT_EQ(r["navigations"], json::array({"js-frame:2", "js-frame:show"}));
    EXPECT_EQ(r["answer"]["value"], 2);
}

// The public tiles do not show the tour's walk: the online page draws it, point to point in the
// tour's order, skipping a point without coordinates; the downloaded tour's tiles carry their own.
TEST_F(OnlinePageTest, TheOnlinePageDrawsTheRouteBetweenThePointsInOrder) {
    writeTiles();
    auto tour = fixtureTour();
    tour["poi"][1]["lat"] = "";
    const std::string tileTemplate = "file://" + (harness.folder() / "tiles").string() + "/{z}/{x}/{y}.png";
    auto r = run(std::string(probe) + R"(
harness.scenario(async function () {
  harness.call()" + literal(mapPage::initializeMap(tour.dump(), false, "en", tileTemplate)) + R"();
  await harness.wait(1500);
  var d = TourMap.describe();
  var box = d.routeElement ? d.routeElement.getBoundingClientRect() : null;
  return { route: d.route, drawn: !!box && box.width > 10 && box.height > 10 };
});)");
    EXPECT_EQ(r["route"], json::array({json::array({46.8126, -71.2031}), json::array({46.8130, -71.2025})}));
    EXPECT_TRUE(r["drawn"]) << "the line is drawn where the visitor sees it";
}

}  // namespace
}  // namespace tq::test
