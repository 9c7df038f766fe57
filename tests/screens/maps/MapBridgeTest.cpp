#include <limits>

#include "MapScreenFixture.h"
#include "screens/maps/MapPageCalls.h"
#include "screens/tour/ContentController.h"

namespace tq::test {
namespace {

TEST(MapPageCallsTest, EveryCallTextHasItsExactPunctuation) {
    using namespace mapPage;
    struct Case {
        std::string made;
        std::string expected;
    };
    const Case cases[] = {
        {showMap({"3", "13", "18", "fr", "/c/circuit/circuit418/tiles", "{\"a\":1}", 812, false}),
         "showMap(3,13,18,'fr','/c/circuit/circuit418/tiles',{\"a\":1},'812.0',false);"},
        {initializeMap("{\"a\":1}", true, "es", "https://{s}.t/{z}/{x}/{y}.png"),
         "initializeMap({\"a\":1},true,\"es\",\"https://{s}.t/{z}/{x}/{y}.png\");"},
        {centreOnPoint(4), "next(4)"},
        {centreAfterLoading(-2), "next(-2);"},
        {poiValue, "poiValue();"},
        {poiAroundValue, "poiAroundValue();"},
        {centerMap, "centerMap();"},
        {removeCurrentLocation, "removeCurrentLocation();"},
        {*panToLocation(48.8566, 2.0), "panToLocation(48.8566,2.0);"},
        {*currentLocation(0.00001, -0.1278), "currentLocation(1e-05,-0.1278);"},
        {*deviceRotation(271.5), "deviceRotation(271.5);"},
        {mapFollowsDirection(true), "mapFollowsDirection(true);"},
        {mapFollowsDirection(false), "mapFollowsDirection(false);"},
        {showAround(false, "fr", "[]", false), "showAround(false,\"fr\", [],false);"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.made, c.expected);
}

TEST(MapPageCallsTest, NothingFromATourCanEndAQuotedArgumentOrRunAsScript) {
    using namespace mapPage;
    EXPECT_EQ(escapedLiteral("a\\b'c\"d\ne\rf\u2028g\u2029h"), "a\\\\b\\'c\\\"d\\ne\\rf\\u2028g\\u2029h");
    EXPECT_EQ(scriptSafeJson("{\"t\":\"x\u2028y\u2029\"}"), "{\"t\":\"x\\u2028y\\u2029\"}");
    // Numbers that travel as text go in only as numbers.
    EXPECT_EQ(numberArgument(std::string("3);alert(1);//")), "null");
    EXPECT_EQ(numberArgument(std::string("012")), "12");
    EXPECT_EQ(numberArgument(std::string("12.5")), "12.5");
    EXPECT_EQ(numberArgument(std::nullopt), "null");
    EXPECT_EQ(showMap({std::nullopt, std::string("x"), std::string(" 9"), "en", "/t'); alert('x", "{}", 0, false}),
              "showMap(null,null,null,'en','/t\\'); alert(\\'x',{},'0.0',false);");
    // A position or heading that is not finite is never sent.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(panToLocation(nan, 1.0));
    EXPECT_FALSE(currentLocation(1.0, inf));
    EXPECT_FALSE(deviceRotation(nan));
}

TEST(MapPageCallsTest, PointNumbersAreSignedDecimalsBetweenTheFirstTwoColons) {
    using mapPage::pointNumber;
    EXPECT_EQ(pointNumber("js-frame:7"), 7);
    EXPECT_EQ(pointNumber("js-frame:+7"), 7);
    EXPECT_EQ(pointNumber("js-frame:-3"), -3);
    EXPECT_EQ(pointNumber("js-frame:2:extra"), 2);
    EXPECT_EQ(pointNumber("js-frame:abc"), std::nullopt);
    EXPECT_EQ(pointNumber("js-frame:"), std::nullopt);
    EXPECT_EQ(pointNumber("js-frame:99999999999999999999"), std::nullopt);
}

class MapBridgeTest : public MapScreenTest {
protected:
    std::shared_ptr<MapLeafletController> openDrawnMap(MapMode mode = MapMode::online, std::int64_t start = 0) {
        auto screen = openMap(mode, fixture(), start);
        if (screen) pageDrawsTheTour(*screen);
        env.advance(3);
        return screen;
    }
};

TEST_F(MapBridgeTest, TheRouterActsOnEachPageAddressAndCancelsIt) {
    struct Case {
        std::string address;
        std::vector<std::string> scripts;  // evaluated in the map page
        std::int64_t index;                // currentPoiIndex afterwards (starting at 1)
        bool cancelled;
    };
    const Case cases[] = {
        {"js-frame:show", {"poiValue();"}, 1, true},
        {"js-frame:showPoi", {"poiValue();"}, 1, true},
        {"js-frame:Around", {"poiAroundValue();"}, 1, true},
        {"js-frame:Aroundx", {"poiAroundValue();"}, 1, true},
        {"js-frame:stopAudio", {}, 1, true},
        {"js-frame:2", {}, 2, true},
        {"js-frame:+2", {}, 2, true},
        {"js-frame:0", {}, 0, true},
        // Numbers that name no point do nothing at all.
        {"js-frame:-3", {}, 1, true},
        {"js-frame:3", {}, 1, true},
        {"js-frame:abc", {}, 1, true},
        {"js-frame:", {}, 1, true},
        {"js-frame:99999999999999999999", {}, 1, true},
        {"JS-FRAME:2", {}, 1, false},
        {"https://www.example.org/", {}, 1, false},
        {"file:///tmp/x.html", {}, 1, false},
    };
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    for (const auto& c : cases) {
        screen->currentPoiIndex = 1;
        auto before = screen->map->evaluatedSources().size();
        int id = screen->map->driver().tapLink(c.address);
        auto* record = screen->map->navigation(id);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->phase == WebNavigationRecord::Phase::cancelled, c.cancelled) << c.address;
        EXPECT_EQ(scriptsSince(*screen, before), c.scripts) << c.address;
        EXPECT_EQ(screen->currentPoiIndex, c.index) << c.address;
        env.settle();
    }
    // A navigation without an address is allowed.
    int id = screen->map->driver().navigateWithoutAddress();
    EXPECT_NE(screen->map->navigation(id)->phase, WebNavigationRecord::Phase::cancelled);
}

TEST_F(MapBridgeTest, TheHelpPagesNavigationsAreHandledLikeTheMapsAndAnswerInTheMap) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    auto before = screen->map->evaluatedSources().size();
    int id = screen->webViewHow->driver().tapLink("js-frame:show");
    EXPECT_EQ(screen->webViewHow->navigation(id)->phase, WebNavigationRecord::Phase::cancelled);
    EXPECT_EQ(scriptsSince(*screen, before), std::vector<std::string>{"poiValue();"});
    EXPECT_TRUE(screen->webViewHow->evaluatedSources().empty());
}

TEST_F(MapBridgeTest, ShowOpensTheContentsOfTheAnsweredPointOnlyForAPointOfTheTour) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    struct Case {
        ScriptValue answer;
        bool opens;
    };
    const Case cases[] = {{ScriptValue{2.0}, true},         {ScriptValue{0.0}, true},
                          {ScriptValue{1.5}, false},        {ScriptValue{-1.0}, false},
                          {ScriptValue{3.0}, false},        {ScriptValue{std::string("1")}, false},
                          {ScriptValue{std::monostate{}}, false}};
    for (const auto& c : cases) {
        screen->map->driver().tapLink("js-frame:show");
        ASSERT_TRUE(screen->map->driver().answerScript("poiValue();", c.answer));
        auto content = std::dynamic_pointer_cast<ContentController>(nav->topViewController());
        EXPECT_EQ(static_cast<bool>(content), c.opens) << describeScriptValue(c.answer);
        if (content) {
            auto index = static_cast<std::size_t>(*scriptNumber(c.answer));
            EXPECT_EQ(screen->currentPoiIndex, static_cast<std::int64_t>(index));
            EXPECT_EQ(screen->currentPOI, (*screen->tour->poi)[index]);
            EXPECT_EQ(content->contents, *(*screen->tour->poi)[index]->content);
            EXPECT_EQ(screen->btnPrev->isEnabled(), index != 0);
            nav->popViewController(false);
            env.settle();
        }
    }
    // An error of the page opens nothing either.
    screen->map->driver().tapLink("js-frame:show");
    ASSERT_TRUE(screen->map->driver().failScript("poiValue();", WebError{"WKErrorDomain", 4, "x"}));
    EXPECT_EQ(nav->topViewController(), screen);
}

TEST_F(MapBridgeTest, AroundFadesTheAudioAndOpensThePointOfAnotherTour) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    auto point = std::make_shared<PointOfInterest>();
    auto content = std::make_shared<PoiContent>();
    content->content_id = "77";
    point->content = std::vector<PoiContentRef>{content};
    network().poiAround = std::vector<PointOfInterestRef>{point};
    auto player = playingAudio();
    screen->map->driver().tapLink("js-frame:Around");
    EXPECT_FALSE(players().audioStillRunning);
    env.advance(1.0);
    EXPECT_EQ(player->volume(), 0.0);
    EXPECT_TRUE(player->isPlaying()) << "no stop follows the page's fade";
    ASSERT_TRUE(screen->map->driver().answerScript("poiAroundValue();", ScriptValue{0.0}));
    auto shown = std::dynamic_pointer_cast<ContentController>(nav->topViewController());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->contents, std::vector<PoiContentRef>{content});
    EXPECT_EQ(screen->currentPoiIndex, 0);
    nav->popViewController(false);
    env.settle();
    screen->map->driver().tapLink("js-frame:Around");
    ASSERT_TRUE(screen->map->driver().answerScript("poiAroundValue();", ScriptValue{1.0}));
    EXPECT_EQ(nav->topViewController(), screen) << "a position outside the list opens nothing";
}

TEST_F(MapBridgeTest, StopAudioAndAMarkerChoiceFadeWithoutStopping) {
    for (const char* address : {"js-frame:stopAudio", "js-frame:2"}) {
        auto screen = openDrawnMap();
        ASSERT_TRUE(screen);
        auto player = playingAudio();
        screen->map->driver().tapLink(address);
        EXPECT_FALSE(players().audioStillRunning) << address;
        env.advance(5);
        EXPECT_TRUE(player->isPlaying()) << address;
        EXPECT_EQ(player->volume(), 0.0) << address;
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapBridgeTest, TheMapsThreePanelsAnswerThePageOnceEach) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    auto alerted = screen->map->driver().runAlertPanel("Hello");
    auto sheet = topAlert();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->preferredStyle(), AlertStyle::actionSheet);
    EXPECT_EQ(sheet->alertTitle(), "");
    EXPECT_EQ(sheet->message(), "Hello");
    EXPECT_EQ(sheet->actionTitles(), std::vector<std::string>{"OK"});
    EXPECT_TRUE(sheet->tap("OK"));
    EXPECT_TRUE(alerted->answered);
    env.settle();

    auto confirmed = screen->map->driver().runConfirmPanel("Sure?");
    ASSERT_TRUE(topAlert());
    EXPECT_EQ(topAlert()->actionTitles(), (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_TRUE(tapAlertButton("Cancel"));
    EXPECT_TRUE(confirmed->answered);
    EXPECT_FALSE(confirmed->confirmed);
    env.settle();

    auto prompted = screen->map->driver().runTextInputPanel("Name?", std::string("Anne"));
    ASSERT_TRUE(topAlert());
    ASSERT_EQ(topAlert()->textFields().size(), 1u);
    EXPECT_EQ(topAlert()->textFields()[0]->text(), "Anne");
    EXPECT_TRUE(tapAlertButton("OK"));
    EXPECT_EQ(prompted->text, "Anne");
    env.settle();

    // A panel while another is up cannot be shown: the page gets its answer at once, once.
    auto first = screen->map->driver().runConfirmPanel("one");
    auto second = screen->map->driver().runConfirmPanel("two");
    EXPECT_TRUE(second->answered);
    EXPECT_FALSE(second->confirmed);
    EXPECT_TRUE(tapAlertButton("OK"));
    EXPECT_TRUE(first->confirmed);
    EXPECT_EQ(first->extraAnswers + second->extraAnswers, 0);
}

class MapBridgeOnTabletTest : public MapScreenTest {
protected:
    MapBridgeOnTabletTest() : MapScreenTest(options()) {}
    static TestEnvironmentOptions options() {
        TestEnvironmentOptions o;
        o.device.idiom = DeviceIdiom::pad;
        o.device.screenBounds = {820, 1180};
        return o;
    }
};

TEST_F(MapBridgeOnTabletTest, APanelOnATabletPointsAtTheScreensView) {
    auto screen = openMap(MapMode::online, fixture(), 0, "Main-ipad");
    ASSERT_TRUE(screen);
    screen->map->driver().runAlertPanel("Hi");
    auto sheet = topAlert();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->popoverPresentationController());
    EXPECT_EQ(sheet->popoverPresentationController()->sourceView(), screen->viewPointer());
}

}  // namespace
}  // namespace tq::test
