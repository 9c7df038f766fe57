// The results list: its sections, row heights, and the tour screen opened from a row.
#include "SearchScreenFixture.h"
#include "screens/browse/CatalogueCell.h"
#include "screens/tour/TourDetailController.h"

namespace tq::test {
namespace {

TourRef tour(const std::string& id, const std::string& language = "fr", bool withDistance = false) {
    auto t = std::make_shared<Tour>();
    t->circuit_id = id;
    t->language = language;
    if (withDistance) t->distance = "1.2";
    return t;
}

class SearchResultsTest : public SearchScreenTest {
protected:
    explicit SearchResultsTest(SearchScreenOptions options = {}) : SearchScreenTest(std::move(options)) {
        service.serveFixtureTours();
    }

    std::shared_ptr<SearchResultsController> showResults(bool fromHome = false) {
        auto results =
            StoryboardRegistry::shared().named("Search-ipad")->instantiate<SearchResultsController>("SearchResultsController");
        EXPECT_TRUE(results);
        if (!results) return nullptr;
        results->isShowFromHome = fromHome;
        nav->pushViewController(results, true);
        env.settle();
        return results;
    }

    std::vector<std::vector<std::string>> sections(SearchResultsController& results) {
        std::vector<std::vector<std::string>> shown;
        for (int s = 0; s < results.tableview->numberOfSections(); ++s) {
            std::vector<std::string> ids;
            for (int r = 0; r < results.tableview->numberOfRows(s); ++r) {
                auto t = results.tourAt({s, r});
                ids.push_back(t ? t->circuit_id.value_or("?") : "none");
            }
            shown.push_back(ids);
        }
        return shown;
    }
};

TEST_F(SearchResultsTest, CityMatchesComeFirstInTheirOwnSection) {
    using Sections = std::vector<std::vector<std::string>>;
    struct Case {
        std::string name;
        std::vector<TourRef> city;
        std::vector<TourRef> search;
        Sections shown;
    };
    const std::vector<Case> cases = {
        {"city names only", {tour("1"), tour("2")}, {}, {{"1", "2"}}},
        {"search only", {}, {tour("3")}, {{"3"}}},
        {"both", {tour("1")}, {tour("3"), tour("4")}, {{"1"}, {"3", "4"}}},
        {"nothing", {}, {}, {{}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        network().searchCatalogueCity = c.city;
        network().searchCatalogue = c.search;
        auto results = showResults();
        EXPECT_EQ(sections(*results), c.shown);
        EXPECT_EQ(results->tableview->alpha(), 1);
        EXPECT_FALSE(results->tourAt({0, 7})) << "rows outside the lists hold no tour";
        nav->popToRootViewController(false);
    }
}

TEST_F(SearchResultsTest, RowsAreOnlineCatalogueRowsOfTheirTour) {
    auto titled = tour("3");
    titled->title = "Les quais";
    network().searchCatalogue = {titled};
    app().isMyTour = true;
    auto results = showResults();
    auto cell = std::dynamic_pointer_cast<CatalogueCell>(results->tableview->cellForRowAt({0, 0}));
    ASSERT_TRUE(cell) << "search results use the catalogue's row";
    EXPECT_EQ(cell->tour, titled);
    EXPECT_EQ(cell->lblTitle->text(), "Les quais");
    EXPECT_FALSE(app().isMyTour) << "the rows show online tours";
    EXPECT_TRUE(cell->cellDelegate.expired()) << "search results offer no update";
}

TEST_F(SearchResultsTest, RowsFadeInOneAfterAnother) {
    network().searchCatalogue = {tour("3"), tour("4")};
    auto results = showResults();
    auto cells = results->tableview->visibleCells();
    ASSERT_EQ(cells.size(), 2u);
    env.advance(0.3);
    EXPECT_EQ(cells[0]->alpha(), 1);
    EXPECT_TRUE(cells[1]->transform().isIdentity());
}

TEST(SearchResultRowHeight, FollowsDeviceOrientationAndDistance) {
    struct Case {
        DeviceIdiom idiom;
        Size screen;
        bool distance;
        double height;
    };
    const Size portrait{390, 844}, landscape{844, 390};
    const std::vector<Case> cases = {
        {DeviceIdiom::pad, portrait, true, 145},    {DeviceIdiom::pad, landscape, false, 135},
        {DeviceIdiom::phone, portrait, true, 120},  {DeviceIdiom::phone, portrait, false, 105},
        {DeviceIdiom::phone, landscape, true, 130}, {DeviceIdiom::phone, landscape, false, 130},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(searchResultRowHeight(c.idiom, c.screen, c.distance), c.height);
    }
}

TEST_F(SearchResultsTest, RowsTakeTheirHeightWhenTheDeviceTurns) {
    network().searchCatalogue = {tour("3", "fr", true), tour("4")};
    auto results = showResults();
    EXPECT_EQ(results->tableview->heightOfRow({0, 0}), 120);
    EXPECT_EQ(results->tableview->heightOfRow({0, 1}), 105);
    rotate(DeviceOrientation::landscapeLeft);
    env.advance(1);
    EXPECT_EQ(results->tableview->heightOfRow({0, 1}), 130);
}

TEST_F(SearchResultsTest, PickedRowOpensTheTourInItsLanguageAndBackRestoresTheInterfaceLanguage) {
    network().searchCatalogue = {tour("418", "es")};
    auto results = showResults();
    results->setTitle("Nearby");
    ASSERT_TRUE(results->tableview->selectRow({0, 0}));
    EXPECT_EQ(app().tourId, "418");
    EXPECT_EQ(app().tempLang, kSpanish);
    EXPECT_FALSE(app().isMyTour);
    EXPECT_EQ(results->title(), "");
    auto tourScreen = topAs<TourDetailController>();
    ASSERT_TRUE(tourScreen) << "the row's transition shows the tour screen";
    EXPECT_EQ(tourScreen->storyboard()->name(), "Search-ipad");
    EXPECT_FALSE(results->tableview->indexPathForSelectedRow());
    env.settle();

    nav->popViewController(false);
    EXPECT_EQ(app().tempLang, app().lang);
    EXPECT_EQ(app().text("Close"), "Close") << "the English dictionary is back";
}

TEST_F(SearchResultsTest, TourOfAnyOtherLanguageOpensInEnglish) {
    network().searchCatalogue = {tour("418", "de")};
    app().tempLang = kFrench;
    auto results = showResults();
    ASSERT_TRUE(results->tableview->selectRow({0, 0}));
    EXPECT_EQ(app().tempLang, kEnglish);
    env.settle();
}

TEST_F(SearchResultsTest, RowWithoutTourIdentifierOpensNothing) {
    auto anonymous = std::make_shared<Tour>();
    network().searchCatalogue = {anonymous};
    app().tourId = "earlier";
    auto results = showResults();
    ASSERT_TRUE(results->tableview->selectRow({0, 0}));
    EXPECT_EQ(top(), results);
    EXPECT_EQ(app().tourId, "earlier");
}

TEST_F(SearchResultsTest, FromTheHomeScreenAStripCoversTheStatusBar) {
    nav->setNavigationBarHidden(true);
    auto fromHome = showResults(true);
    ASSERT_TRUE(fromHome->statusBarStrip);
    EXPECT_EQ(fromHome->statusBarStrip->backgroundColor(), Color::black());
    EXPECT_EQ(fromHome->statusBarStrip->frame().width(), fromHome->view().frame().width());
    EXPECT_FALSE(nav->isNavigationBarHidden());
    nav->popToRootViewController(false);
    auto fromSearch = showResults();
    EXPECT_FALSE(fromSearch->statusBarStrip);
}

class SearchResultsOnTabletTest : public SearchResultsTest {
protected:
    SearchResultsOnTabletTest() : SearchResultsTest({.idiom = DeviceIdiom::pad}) {}
};

TEST_F(SearchResultsOnTabletTest, PickedRowPushesTheTabletTourScreen) {
    network().searchCatalogueCity = {tour("418", "fr", true)};
    network().searchCatalogue = {tour("5")};
    auto results = showResults();
    EXPECT_EQ(results->tableview->heightOfRow({0, 0}), 145);
    EXPECT_EQ(results->tableview->heightOfRow({1, 0}), 135);
    ASSERT_TRUE(results->tableview->selectRow({0, 0}));
    auto tourScreen = topAs<TourDetailController>();
    ASSERT_TRUE(tourScreen);
    EXPECT_EQ(tourScreen->storyboard()->name(), "Main-ipad");
    EXPECT_EQ(app().tempLang, kFrench);
    env.settle();
}

}  // namespace
}  // namespace tq::test
