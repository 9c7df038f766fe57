// The world-map tab as the screen drives it, with the headless web view playing the page.
#include "SearchScreenFixture.h"
#include "platform/services/FileURL.h"
#include "screens/browse/WorldMapBridge.h"
#include "screens/tour/TourDetailController.h"

namespace tq::test {
namespace {

const char* const kTiles = "https://{s}.tile.example.org/{z}/{x}/{y}.png";

class SearchWorldMapTest : public SearchScreenTest {
protected:
    explicit SearchWorldMapTest(SearchScreenOptions options = {}) : SearchScreenTest(std::move(options)) {
        service.serveFixtureTours();
        network().leafletLink = kTiles;
        serveMarkers(nlohmann::json::array({{{"circuit_id", "1234"}, {"title", "Old \"port\""}, {"lat", "48.1"},
                                             {"long", "-1.5"}, {"is_circuit_head", "1"}},
                                            {{"circuit_id", "77"}, {"lat", "45.0"}, {"long", "3.0"}}}));
    }

    void serveMarkers(const nlohmann::json& markers) {
        service.reply(api("getWorldMapPois/newApi/"), ScriptedReply::json(envelope(markers)));
    }

    std::shared_ptr<SearchController> openMap() { return openSearch(); }

    std::vector<std::string> initializeCalls(SearchController& screen) {
        std::vector<std::string> calls;
        for (const auto& source : screen.webView->evaluatedSources()) {
            if (source.rfind("initializeMap(", 0) == 0) calls.push_back(source);
        }
        return calls;
    }
};

TEST_F(SearchWorldMapTest, PageLoadsOnceWithItsConsoleCaptureAndGetsTheMarkers) {
    auto screen = openMap();
    const auto& navigations = screen->webView->navigations();
    ASSERT_EQ(navigations.size(), 1u);
    auto page = Environment::current().bundle().pathForResource("worldmap", "html");
    ASSERT_TRUE(page);
    EXPECT_EQ(navigations[0].url(), fileURL(*page));
    EXPECT_EQ(navigations[0].action.request.timeoutInterval, 60.0);
    EXPECT_EQ(navigations[0].action.request.cachePolicy, URLRequestCachePolicy::useProtocolCachePolicy);

    auto& content = screen->webView->configuration().userContentController();
    ASSERT_EQ(content.userScripts().size(), 1u);
    EXPECT_EQ(content.userScripts()[0].source,
              "function captureLog(msg) { window.webkit.messageHandlers.logHandler.postMessage(msg); } "
              "window.console.log = captureLog;");
    EXPECT_EQ(content.userScripts()[0].injectionTime, UserScriptInjectionTime::atDocumentEnd);
    EXPECT_FALSE(content.userScripts()[0].forMainFrameOnly);
    EXPECT_EQ(content.handlerNames(), std::vector<std::string>{"logHandler"});

    env.settle();
    ASSERT_EQ(initializeCalls(*screen).size(), 1u);
    EXPECT_EQ(initializeCalls(*screen)[0],
              R"(initializeMap([{"circuit_id":"1234","title":"Old \"port\"","lat":"48.1","long":"-1.5",)"
              R"("is_circuit_head":"1"},{"circuit_id":"77","lat":"45.0","long":"3.0"}],)"
              R"("https://{s}.tile.example.org/{z}/{x}/{y}.png",false);)");
    EXPECT_TRUE(screen->loadingMap);
    ASSERT_TRUE(screen->webView->answerScript(initializeCalls(*screen)[0], ScriptValue{2.0}));
    EXPECT_FALSE(screen->loadingMap);

    // A reload of the page gets the markers again.
    screen->webView->tapLink(fileURL(*page), NavigationType::reload);
    env.settle();
    EXPECT_EQ(initializeCalls(*screen).size(), 2u);
}

TEST_F(SearchWorldMapTest, ValuesReachThePageAsData) {
    serveMarkers(nlohmann::json::array({{{"circuit_id", "9"}, {"title", "a\u2028b</script>\\"}}}));
    network().leafletLink = "https://t/\"+alert(1)+\"\n{z}";
    auto screen = openMap();
    env.settle();
    auto calls = initializeCalls(*screen);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), R"(initializeMap([{"circuit_id":"9","title":"a\u2028b<\/script>\\"}],)"
                            R"("https://t/\"+alert(1)+\"\n{z}",false);)");
}

TEST_F(SearchWorldMapTest, EmptyMarkerListIsAnEmptyArray) {
    serveMarkers(nlohmann::json::array());
    auto screen = openMap();
    env.settle();
    ASSERT_EQ(initializeCalls(*screen).size(), 1u);
    EXPECT_EQ(initializeCalls(*screen)[0].rfind("initializeMap([],", 0), 0u);
}

TEST_F(SearchWorldMapTest, FailedMarkerLoadLeavesTheTabEmpty) {
    service.reply(api("getWorldMapPois/newApi/"), ScriptedReply::json("", 500));
    auto screen = openMap();
    EXPECT_TRUE(screen->webView->navigations().empty());
}

TEST_F(SearchWorldMapTest, FailedInitialisationIsPrinted) {
    auto screen = openMap();
    env.settle();
    ASSERT_TRUE(screen->webView->failScript(initializeCalls(*screen)[0],
                                            WebError{webErrors::scriptDomain, webErrors::javaScriptExceptionOccurred,
                                                     "initializeMap is not defined"}));
    EXPECT_TRUE(console().containsPrefix("error eval ")) ;
    EXPECT_TRUE(console().containsPrefix("error eval initializeMap is not defined"));
}

TEST_F(SearchWorldMapTest, PageRequestsOpenTheirTour) {
    struct Case {
        std::string address;
        std::optional<std::string> opened;
    };
    const std::vector<Case> cases = {
        {"js-frame:1234", "1234"},
        {"js-frame:12:34", "12"},
        {"js-frame:", std::nullopt},  // no identifier: nothing opens
    };
    auto screen = openMap();
    env.settle();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        app().tourId = "before";
        int id = screen->webView->tapLink(c.address);
        env.settle();
        EXPECT_EQ(screen->webView->navigation(id)->phase, WebNavigationRecord::Phase::cancelled);
        if (c.opened) {
            EXPECT_EQ(app().tourId, *c.opened);
            auto tourScreen = topAs<TourDetailController>();
            ASSERT_TRUE(tourScreen);
            EXPECT_EQ(tourScreen->storyboard()->name(), "Search-ipad");
            nav->popViewController(false);
            env.settle();
        } else {
            EXPECT_EQ(app().tourId, "before");
            EXPECT_EQ(top(), screen);
        }
    }
}

TEST_F(SearchWorldMapTest, OtherAddressesLoadInThePage) {
    auto screen = openMap();
    env.settle();
    for (const std::string address : {"https://www.openstreetmap.org/copyright", "file:///tmp/leaflet.js"}) {
        int id = screen->webView->tapLink(address);
        EXPECT_NE(screen->webView->navigation(id)->phase, WebNavigationRecord::Phase::cancelled) << address;
        EXPECT_NE(screen->webView->navigation(id)->phase, WebNavigationRecord::Phase::awaitingPolicy) << address;
    }
    screen->webView->navigateWithoutAddress();
    EXPECT_TRUE(screen->webView->pendingDecisions().empty());
}

TEST_F(SearchWorldMapTest, PageConsoleReachesTheConsole) {
    auto screen = openMap();
    EXPECT_TRUE(screen->webView->postScriptMessage("logHandler", std::string("hello")));
    EXPECT_TRUE(console().contains("LOG: hello"));
    EXPECT_TRUE(screen->webView->postScriptMessage("logHandler", 3.0));
    EXPECT_TRUE(console().contains("LOG: 3"));
}

TEST_F(SearchWorldMapTest, CentreButtonCentresThePage) {
    auto screen = openMap();
    ASSERT_TRUE(screen->segmentTypeSearch->select(1));
    EXPECT_FALSE(screen->viewWorldSearch->isHidden());
    EXPECT_TRUE(screen->viewLocationSearch->isHidden());
    ASSERT_TRUE(screen->btnCenterMap->tap());
    EXPECT_EQ(screen->webView->evaluatedSources().back(), "centerMap();");
}

class SearchWorldMapOnTabletTest : public SearchWorldMapTest {
protected:
    SearchWorldMapOnTabletTest() : SearchWorldMapTest({.idiom = DeviceIdiom::pad}) {}
};

TEST_F(SearchWorldMapOnTabletTest, TabletFlagIsTrueAndToursOpenOnTheTabletTourScreen) {
    auto screen = openMap();
    env.settle();
    ASSERT_EQ(initializeCalls(*screen).size(), 1u);
    EXPECT_NE(initializeCalls(*screen)[0].find(",true);"), std::string::npos);
    screen->webView->tapLink("js-frame:77");
    env.settle();
    auto tourScreen = topAs<TourDetailController>();
    ASSERT_TRUE(tourScreen);
    EXPECT_EQ(tourScreen->storyboard()->name(), "Main-ipad");
}

TEST(WorldMapBridgeCalls, PositionsAreWrittenAsShortestDecimalsAndOnlyWhenFinite) {
    EXPECT_EQ(worldMapLocationCall(48.0, 5e-05), "currentLocation(48.0,5e-05);");
    EXPECT_EQ(worldMapLocationCall(-33.8688, 151.2093), "currentLocation(-33.8688,151.2093);");
    EXPECT_FALSE(worldMapLocationCall(std::nan(""), 2.0));
}

}  // namespace
}  // namespace tq::test
