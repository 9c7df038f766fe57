// The search screen as it appears: its texts, the unreachable service, and coming back to it.
#include <algorithm>

#include "SearchScreenFixture.h"

namespace tq::test {
namespace {

using SearchAppearanceTest = SearchScreenTest;

TEST_F(SearchAppearanceTest, FirstAppearanceLabelsTheScreenAndAsksForCountriesAndMarkers) {
    auto screen = openSearch();
    // Both requests are in flight at once, so the server may see them in either order.
    auto paths = requestedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{api("getCountryWhereToursIOS/"), api("getWorldMapPois/newApi/")}));
    EXPECT_EQ(screen->lblChoosePlace->text(), app().text("SearchRegion"));
    EXPECT_EQ(screen->lblSearchAround->text(), app().text("SearchAroundMe"));
    EXPECT_EQ(screen->lblExactSearch->text(), app().text("ExactSearch"));
    EXPECT_EQ(screen->lblChooseKeyword->text(), app().text("SearchKeyWord"));
    EXPECT_EQ(screen->segmentTypeSearch->titleForSegment(0), app().text("SearchSeg"));
    EXPECT_EQ(screen->segmentTypeSearch->titleForSegment(1), app().text("Map"));
    EXPECT_EQ(screen->txtViewCity->text(), app().text("ChooseCity"));
    EXPECT_EQ(screen->btnSearchkeywords->currentTitle(), app().text("Search"));
    EXPECT_EQ(screen->btnLocateMe->currentTitle(), app().text("Locate"));
    EXPECT_EQ(screen->btnCenterMap->currentTitle(), app().text("CenterMap"));
    ASSERT_TRUE(screen->txtKeyword->attributedPlaceholder());
    EXPECT_EQ(screen->txtKeyword->attributedPlaceholder()->text, app().text("Search"));
    EXPECT_TRUE(screen->txtKeyword->isLeftViewShown());
    EXPECT_TRUE(screen->txtKeyword->inputAccessoryView()) << "the keyboard has its close bar";
    EXPECT_EQ(screen->btnSearchAround->cornerRadius(), 20);
    EXPECT_EQ(screen->title(), "");
    EXPECT_FALSE(nav->isNavigationBarHidden());
}

TEST_F(SearchAppearanceTest, TabsShowTheirViews) {
    auto screen = openSearch();
    // Exactly the selected tab's view shows: the tab views lie on one another.
    auto shownTabs = [&] {
        std::vector<std::string> shown;
        for (const View* view : {static_cast<View*>(screen->viewLocationSearch.get()), screen->viewWorldSearch.get(),
                                 static_cast<View*>(screen->viewKeywordSearch.get())}) {
            if (!view->isHidden()) shown.push_back(view->identifier());
        }
        return shown;
    };
    EXPECT_EQ(shownTabs(), std::vector<std::string>{"viewLocationSearch"});
    ASSERT_TRUE(screen->segmentTypeSearch->select(2));
    EXPECT_EQ(shownTabs(), std::vector<std::string>{"viewKeywordSearch"});
    EXPECT_TRUE(screen->txtKeyword->isFirstResponder());
    ASSERT_TRUE(screen->segmentTypeSearch->select(1));
    EXPECT_EQ(shownTabs(), std::vector<std::string>{"viewWorldSearch"});
    ASSERT_TRUE(screen->segmentTypeSearch->select(0));
    EXPECT_EQ(shownTabs(), std::vector<std::string>{"viewLocationSearch"});
    EXPECT_FALSE(screen->txtKeyword->isFirstResponder());
}

TEST_F(SearchAppearanceTest, UnreachableServiceSendsThePersonHome) {
    env->reachabilityOverride() = false;
    auto screen = openSearch();
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("ServerNotFound"));
    EXPECT_EQ(alert->message(), app().text("ServerNotFoundMessage"));
    EXPECT_EQ(service.requestCount(), 0u);
    ASSERT_TRUE(tapAlertButton("OK"));
    env.settle();
    EXPECT_EQ(top(), home);
}

TEST_F(SearchAppearanceTest, ComingBackResetsTheDictionaryButNotTheLabels) {
    auto screen = openSearch();
    service.clearRequests();
    screen->lblChoosePlace->setText("changed");
    nav->pushViewController(std::make_shared<ViewController>(), false);
    app().tempLang = kSpanish;
    app().loadLanguageDictionary();
    screen->resultPresented = true;
    screen->loadingAround = true;
    nav->popViewController(false);
    EXPECT_EQ(app().tempLang, app().lang);
    EXPECT_EQ(app().text("Close"), "Close");
    EXPECT_FALSE(screen->resultPresented);
    EXPECT_FALSE(screen->loadingAround);
    EXPECT_EQ(screen->lblChoosePlace->text(), "changed");
    env.settle();
    EXPECT_EQ(service.requestCount(), 0u) << "the lists are asked for once";
}

}  // namespace
}  // namespace tq::test
