#include "MapScreenFixture.h"
#include "platform/services/FileURL.h"
#include "platform/ui/Animation.h"
#include "screens/maps/MapPageCalls.h"
#include "screens/tour/ContentController.h"

namespace tq::test {
namespace {

std::vector<std::string> names(const Tour& tour) {
    std::vector<std::string> out;
    for (const auto& point : tour.poi.value_or(std::vector<PointOfInterestRef>{})) out.push_back(point->poi_name.value_or("?"));
    return out;
}

class MapLoadingTest : public MapScreenTest {};

TEST_F(MapLoadingTest, OnlineTourLoadsTheBundlePageAndDrawsTheSortedTourWithPublicTiles) {
    auto tour = fixture();
    auto screen = openMap(MapMode::online, tour);
    ASSERT_TRUE(screen);
    auto* load = screen->map->lastNavigation();
    ASSERT_TRUE(load);
    auto page = env->bundle().pathForResource("main", "html");
    ASSERT_TRUE(page);
    EXPECT_EQ(load->url(), fileURL(*page));
    EXPECT_EQ(load->readAccessURL, fileURL(page->parent_path()));

    // Sorted by order (1, 2, 10), the first point current, and the page asked to centre on it.
    EXPECT_EQ(names(*tour), (std::vector<std::string>{"Place Royale", "Château Frontenac", "Quartier Petit-Champlain"}));
    EXPECT_EQ(screen->currentPOI, (*tour->poi)[0]);
    auto json = encodeJson(*tour);
    ASSERT_TRUE(json);
    EXPECT_EQ(screen->map->evaluatedSources(),
              (std::vector<std::string>{"next(0)", "initializeMap(" + *json + ",false,\"en\",\"" +
                                                       network().leafletLink + "\");"}));
    EXPECT_NE(json->find("\\/"), std::string::npos) << "slashes are written as \\/";
}

TEST_F(MapLoadingTest, DownloadedTourLoadsTheOfflinePageAndHandsItTheTileFolder) {
    app().tempLang = 1;
    auto tour = fixture();
    auto screen = openMap(MapMode::downloaded, tour);
    ASSERT_TRUE(screen);
    auto* load = screen->map->lastNavigation();
    ASSERT_TRUE(load);
    EXPECT_EQ(load->url(), fileURL(env->cacheDir() / "offline.html"));
    EXPECT_EQ(load->phase, WebNavigationRecord::Phase::finished);
    auto json = encodeJson(*tour);
    auto tiles = (env->cacheDir() / "circuit" / "circuit418" / "tiles").string();
    EXPECT_EQ(screen->map->evaluatedSources().back(),
              "showMap(3,13,18,'fr','" + tiles + "'," + *json + ",'844.0',false);");
}

TEST_F(MapLoadingTest, TheScreensOwnDownloadedFlagChoosesThePageAndItsCall) {
    // The flag changes under the screen after it was first read: the page and its call still agree.
    auto tour = fixture();
    network().currentTour = tour;
    app().isMyTour = true;
    storeOfflineFiles();
    auto screen = StoryboardRegistry::shared().named("Main")->instantiate<MapLeafletController>("MapLeafletController");
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->isMyTour());
    app().isMyTour = false;
    nav->pushViewController(screen, true);
    env.settle();
    EXPECT_EQ(screen->map->lastNavigation()->url(), fileURL(env->cacheDir() / "offline.html"));
    EXPECT_TRUE(screen->map->evaluatedSources().back().starts_with("showMap("));
}

TEST_F(MapLoadingTest, SetUpConfiguresBothWebViewsTheConsoleCaptureAndTheBar) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    auto& config = screen->map->configuration();
    EXPECT_EQ(config.preferenceValue("allowFileAccessFromFileURLs"), "YES");
    EXPECT_EQ(config.value("allowUniversalAccessFromFileURLs"), "true");
    EXPECT_EQ(config.value("_allowUniversalAccessFromFileURLs"), "true");
    ASSERT_EQ(config.userContentController().userScripts().size(), 1u);
    const auto& script = config.userContentController().userScripts()[0];
    EXPECT_EQ(script.source,
              "function captureLog(msg) { window.webkit.messageHandlers.logHandler.postMessage(msg); } "
              "window.console.log = captureLog;");
    EXPECT_EQ(script.injectionTime, UserScriptInjectionTime::atDocumentEnd);
    EXPECT_FALSE(script.forMainFrameOnly);
    EXPECT_EQ(screen->webViewHow->configuration().preferenceValue("allowFileAccessFromFileURLs"), "YES");
    EXPECT_EQ(screen->webViewHow->scrollView().contentInset(), (EdgeInsets{50, 0, 0, 0}));
    EXPECT_EQ(screen->bgNext->cornerRadius(), 35);
    EXPECT_EQ(screen->bgPrev->alpha(), 0.3);
    EXPECT_EQ(screen->title(), "");
    auto home = screen->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->image(), Image::named("home"));

    // Console lines of the page arrive through the handler; other handlers' messages do not.
    EXPECT_TRUE(screen->map->driver().postScriptMessage("logHandler", std::string("tiles ready")));
    EXPECT_TRUE(consoleHas("LOG: tiles ready"));
    EXPECT_FALSE(screen->map->driver().postScriptMessage("other", std::string("x")));
}

TEST_F(MapLoadingTest, TheMapFadesInAndTheOverlayGoesAfterTheRevealThatFollowsTheDrawing) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(ProgressOverlay::shared().isVisible());
    EXPECT_EQ(ProgressOverlay::shared().offset(), (Point{0, 200}));
    pageDrawsTheTour(*screen);
    EXPECT_EQ(screen->bgShare->alpha(), 1.0);
    env.advance(1.65);
    EXPECT_TRUE(ProgressOverlay::shared().isVisible());
    env.advance(0.2);
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
    EXPECT_EQ(screen->map->alpha(), 1.0);
    EXPECT_EQ(screen->viewBtnBottom->alpha(), 1.0);
}

TEST_F(MapLoadingTest, AMapOpenedAtAPointIsCentredOnItAfterTheDrawingByMode) {
    struct Case {
        MapMode mode;
        double centredAfter;  // seconds after the drawing call was answered
    };
    for (const Case c : {Case{MapMode::downloaded, 1.0}, Case{MapMode::online, 2.8}}) {
        auto screen = openMap(c.mode, fixture(), 2);
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->currentPoiIndex, 2) << "the tour screen's position survives the preparation";
        EXPECT_EQ(screen->currentPOI, (*screen->tour->poi)[0]);
        pageDrawsTheTour(*screen);
        auto before = screen->map->evaluatedSources().size();
        env.advance(c.centredAfter - 0.05);
        EXPECT_EQ(scriptsSince(*screen, before), std::vector<std::string>{});
        env.advance(0.1);
        EXPECT_EQ(scriptsSince(*screen, before), std::vector<std::string>{"next(2);"});
        ASSERT_TRUE(screen->map->driver().failScript("next(2);", WebError{"WKErrorDomain", 4, "no map"}));
        EXPECT_TRUE(consoleHas("erroreval2 Error Domain=WKErrorDomain Code=4 \"no map\""));
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapLoadingTest, AMapOpenedAtTheFirstPointIsNeverReCentred) {
    auto screen = openMap(MapMode::downloaded, fixture());
    ASSERT_TRUE(screen);
    pageDrawsTheTour(*screen);
    env.advance(5);
    auto sources = screen->map->evaluatedSources();
    EXPECT_EQ(std::count(sources.begin(), sources.end(), "next(0)"), 1);
    EXPECT_EQ(std::count(sources.begin(), sources.end(), "next(0);"), 0);
}

TEST_F(MapLoadingTest, AFailedDrawingIsPrintedAndSkipsTheRevealWhileTheScreenStillFadesIn) {
    auto screen = openMap(MapMode::online, fixture(), 1);
    ASSERT_TRUE(screen);
    auto draw = screen->map->evaluatedSources().back();
    ASSERT_TRUE(screen->map->driver().failScript(draw, WebError{"WKErrorDomain", 4, "initializeMap is not defined"}));
    EXPECT_TRUE(consoleHas("error eval Error Domain=WKErrorDomain Code=4 \"initializeMap is not defined\""));
    auto before = screen->map->evaluatedSources().size();
    env.advance(5);
    EXPECT_EQ(scriptsSince(*screen, before), std::vector<std::string>{});
    EXPECT_EQ(screen->map->alpha(), 1.0);
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
}

TEST_F(MapLoadingTest, AMissingOfflinePageIsOnlyPrinted) {
    auto tour = fixture();
    network().currentTour = tour;
    app().isMyTour = true;
    auto screen = StoryboardRegistry::shared().named("Main")->instantiate<MapLeafletController>("MapLeafletController");
    nav->pushViewController(screen, true);
    env.settle();
    EXPECT_EQ(screen->map->lastNavigation()->phase, WebNavigationRecord::Phase::failed);
    bool printed = false;
    for (const auto& line : console().lines()) printed |= line.starts_with("didFailProvisionalNavigation error ");
    EXPECT_TRUE(printed);
    EXPECT_EQ(nav->topViewController(), screen);
}

TEST_F(MapLoadingTest, NoTourOrNoPointsGiveAnEmptyMapWithSteppingOff) {
    for (auto tour : {TourRef{}, fixture([](nlohmann::json& t) { t.erase("poi"); }),
                      fixture([](nlohmann::json& t) { t["poi"] = nlohmann::json::array(); })}) {
        auto screen = openMap(MapMode::online, tour);
        ASSERT_TRUE(screen);
        EXPECT_FALSE(screen->currentPOI);
        EXPECT_FALSE(screen->btnNext->isEnabled());
        EXPECT_FALSE(screen->btnPrev->isEnabled());
        env.advance(3);
        screen->showCurrentPoiContent();
        EXPECT_EQ(nav->topViewController(), screen);
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapLoadingTest, ComingBackFromAContentDoesNotReloadThePage) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    pageDrawsTheTour(*screen);
    env.advance(2);
    auto shows = ProgressOverlay::shared().showCount();
    auto loads = screen->map->navigations().size();
    auto content = StoryboardRegistry::shared().named("Main")->instantiateViewController("ContentController");
    nav->pushViewController(content, false);
    nav->popViewController(false);
    env.settle();
    EXPECT_EQ(screen->map->navigations().size(), loads);
    EXPECT_EQ(ProgressOverlay::shared().showCount(), shows);
}

TEST_F(MapLoadingTest, LeavingFadesOutRunningAudioAndStopsItLater) {
    struct Case {
        const char* how;
        double stopsAfter;
    };
    for (const Case c : {Case{"back", 1.3}, Case{"home", 1.0}}) {
        app().lang = 1;
        app().tempLang = 2;
        auto screen = openMap(MapMode::online, fixture());
        ASSERT_TRUE(screen);
        auto player = playingAudio();
        ASSERT_TRUE(player);
        if (std::string(c.how) == "back") {
            nav->popViewController(true);
        } else {
            screen->navigationItem().leftBarButtonItem()->tap();
            EXPECT_EQ(app().tempLang, 1) << "the home button restores the interface language";
            EXPECT_EQ(app().dictLang, AppDelegate::shared().dictLang);
        }
        EXPECT_EQ(nav->topViewController(), home);
        env.advance(c.stopsAfter - 0.05);
        EXPECT_TRUE(player->isPlaying()) << c.how;
        EXPECT_TRUE(players().audioStillRunning) << c.how;
        env.advance(0.1);
        EXPECT_FALSE(player->isPlaying()) << c.how;
        EXPECT_FALSE(players().audioStillRunning) << c.how;
        EXPECT_EQ(player->volume(), 0.0) << c.how;
    }
}

TEST_F(MapLoadingTest, ADelayedStopLeavesAPlayerThatReplacedTheFadedOne) {
    auto screen = openMap(MapMode::online, fixture());
    auto faded = playingAudio();
    nav->popViewController(true);
    auto replacement = playingAudio();
    env.advance(2);
    EXPECT_FALSE(faded->isPlaying());
    EXPECT_TRUE(replacement->isPlaying());
    EXPECT_TRUE(players().audioStillRunning);
}

TEST_F(MapLoadingTest, PhoneLayoutConstantsFollowTheOrientationAndTabletsKeepTheirs) {
    auto screen = openMap(MapMode::online, fixture([](nlohmann::json& t) { t["use_custom_map"] = "1"; }));
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->constShareTrailing->constant(), 16);
    EXPECT_EQ(screen->constMapLead->constant(), 0);
    EXPECT_EQ(screen->constHowHeight->constant(), -80);
    rotate(DeviceOrientation::landscapeRight);
    EXPECT_EQ(screen->constShareTrailing->constant(), 46);
    EXPECT_EQ(screen->constMapLead->constant(), -47);
    EXPECT_EQ(screen->constHowHeight->constant(), 0);
    rotate(DeviceOrientation::portrait);
    EXPECT_EQ(screen->constShareTrailing->constant(), 16);
    EXPECT_EQ(screen->constMapLead->constant(), 0);
    EXPECT_EQ(screen->constHowHeight->constant(), -80);
}

class MapOnTabletTest : public MapScreenTest {
protected:
    MapOnTabletTest() : MapScreenTest(tabletOptions()) {}
    static TestEnvironmentOptions tabletOptions() {
        TestEnvironmentOptions options;
        options.device.idiom = DeviceIdiom::pad;
        options.device.screenBounds = {820, 1180};
        return options;
    }
};

TEST_F(MapOnTabletTest, TabletLayoutKeepsItsConstantsAndSaysSoToThePage) {
    auto screen = openMap(MapMode::downloaded, fixture([](nlohmann::json& t) { t["use_custom_map"] = "1"; }), 0, "Main-ipad");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->bgNext->cornerRadius(), 45);
    EXPECT_TRUE(screen->map->evaluatedSources().back().ends_with(",'1180.0',true);"));
    rotate(DeviceOrientation::landscapeRight);
    EXPECT_EQ(screen->constShareTrailing->constant(), 16);
    EXPECT_EQ(screen->constMapLead->constant(), 0);
    EXPECT_EQ(screen->constHowHeight->constant(), 0);
}

}  // namespace
}  // namespace tq::test
