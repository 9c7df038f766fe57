#include <algorithm>

#include "CatalogScreenFixture.h"
#include "platform/ui/LayoutRules.h"
#include "screens/tour/TourDetailController.h"

namespace tq {
namespace {

using namespace test;

// Four tours whose editors' orders differ by language: one order is missing and one unreadable.
std::vector<nlohmann::json> orderedTours() {
    return {
        listedTour("1", {{"circuitOrder", "3"}, {"circuitOrderEn", "2"}}),
        listedTour("2", {{"circuitOrder", "1"}, {"circuitOrderEs", "5"}}),
        listedTour("3", {{"circuitOrder", "abc"}, {"circuitOrderEn", "2"}, {"circuitOrderEs", "1"}}),
        listedTour("4", {{"circuitOrder", "3"}}),
    };
}

using CatalogListTest = CatalogScreenTest;

TEST_F(CatalogListTest, TheOnlineCatalogueOpensInTheEditorsOrderOfTheInterfaceLanguage) {
    struct Case {
        std::int64_t lang;
        std::vector<std::string> order;
    };
    // A missing or unreadable order counts as 9999; equal orders keep the catalogue's order.
    const std::vector<Case> cases = {
        {kFrench, {"2", "1", "4", "3"}},
        {kEnglish, {"1", "3", "2", "4"}},
        {kSpanish, {"3", "2", "1", "4"}},
    };
    serveCatalogue(orderedTours());
    for (const auto& c : cases) {
        app().lang = app().tempLang = c.lang;
        auto screen = openCatalog();
        ASSERT_TRUE(screen);
        EXPECT_EQ(ids(screen->catalogue), c.order) << "lang " << c.lang;
        EXPECT_EQ(screen->sort, CatalogController::Sort::recent);
        EXPECT_EQ(rowTitles(*screen).size(), 4u);
        EXPECT_FALSE(app().isMyTour);
        EXPECT_FALSE(overlay().isVisible());
        nav->popToRootViewController(false);
    }
}

TEST_F(CatalogListTest, TheRowsComeInOneAfterAnother) {
    serveCatalogue(orderedTours());
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->tableView->alpha(), 1);
    auto cells = screen->tableView->visibleCells();
    ASSERT_EQ(cells.size(), 4u);
    for (const auto& cell : cells) {
        EXPECT_EQ(cell->alpha(), 1);
        EXPECT_TRUE(cell->transform().isIdentity());
    }
}

TEST_F(CatalogListTest, FeaturedListsTheFeaturedToursOfTheTextLanguage) {
    serveCatalogue({
        listedTour("10", {{"is_featured", "1"}, {"language", "es"}}),
        listedTour("11", {{"is_featured", "1"}, {"language", "en"}}),
        listedTour("12", {{"is_featured", "0"}, {"language", "es"}}),
        listedTour("13", {{"is_featured", "1"}, {"language", "es"}}),
        listedTour("14", {{"language", "es"}}),
        listedTour("15", {{"is_featured", "1"}}),
        listedTour("16", {{"is_featured", "1"}, {"language", "es"}}),
    });
    app().lang = kEnglish;
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    // The selection follows the language of the loaded texts, not the interface language.
    app().tempLang = kSpanish;
    ASSERT_TRUE(screen->segmentBar->select(0));
    EXPECT_EQ(screen->sort, CatalogController::Sort::featured);
    auto shown = ids(screen->catalogue);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"10", "13", "16"}));

    app().tempLang = kFrench;
    ASSERT_TRUE(screen->segmentBar->select(1));
    ASSERT_TRUE(screen->segmentBar->select(0));
    EXPECT_TRUE(screen->catalogue.empty());
    EXPECT_FALSE(topAlert());
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(CatalogListTest, BackToRecentRebuildsTheWholeList) {
    serveCatalogue(orderedTours());
    app().lang = app().tempLang = kFrench;
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segmentBar->select(0));
    EXPECT_TRUE(screen->catalogue.empty());
    ASSERT_TRUE(screen->segmentBar->select(1));
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"2", "1", "4", "3"}));
}

TEST_F(CatalogListTest, WithoutANetworkNothingIsAskedAndOkGoesHome) {
    env->reachabilityOverride() = false;
    serveCatalogue(orderedTours());
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("ServerNotFound"));
    EXPECT_EQ(alert->message(), app().text("ServerNotFoundMessage"));
    EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(overlay().showCount(), 0);
    EXPECT_TRUE(screen->catalogue.empty());

    ASSERT_TRUE(tapAlertButton("OK"));
    EXPECT_EQ(nav->topViewController(), root);
}

// A connection closed before a byte of the catalogue arrived, as when the service is killed.
ScriptedReply hangUp() {
    auto reply = ScriptedReply::json(std::string(4096, ' '));
    reply.closeAfterBytes = 0;
    return reply;
}

// A service that does not answer as it should: the wait ends, the list stays as it was, and one
// "ServerNotFound" alert says so; its "OK" leaves the visitor on the catalogue.
TEST_F(CatalogListTest, AFailedCatalogueRequestEndsTheWaitKeepsTheListAndSaysSoOnce) {
    const std::vector<std::pair<const char*, ScriptedReply>> failures = {
        {"an error status", ScriptedReply::json("{}", 500)},
        {"a reply that is not the catalogue", ScriptedReply::text("<html>maintenance</html>")},
        {"a service gone mid-reply", hangUp()},
    };
    for (const auto& [name, reply] : failures) {
        service.reply(kCataloguePath, reply);
        auto screen = openCatalog();
        ASSERT_TRUE(screen) << name;
        EXPECT_EQ(overlay().isVisible(), false) << name;
        EXPECT_TRUE(screen->catalogue.empty()) << name;
        auto alert = topAlert();
        ASSERT_TRUE(alert) << name;
        EXPECT_EQ(alert->alertTitle(), app().text("ServerNotFound"));
        EXPECT_EQ(alert->message(), app().text("ServerNotFoundMessage"));
        EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
        ASSERT_TRUE(tapAlertButton("OK"));
        env.settle();
        EXPECT_FALSE(topAlert()) << name << ": one alert for one failed load";
        EXPECT_EQ(nav->topViewController(), screen) << name;
        nav->popToRootViewController(false);
    }
}

TEST_F(CatalogListTest, PickingARowOpensTheTourInItsLanguage) {
    struct Case {
        nlohmann::json language;
        std::int64_t tempLang;
    };
    const std::vector<Case> cases = {
        {"fr", 1}, {"es", 2}, {"en", 0}, {"de", 0}, {"", 0}, {nullptr, 0}, {"FR", 0},
    };
    service.serveFixtureTours();
    for (const auto& c : cases) {
        auto tour = listedTour("418", {{"circuitOrder", "1"}});
        tour["language"] = c.language;
        serveCatalogue({tour});
        auto screen = openCatalog();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->tableView->selectRow({0, 0}));
        EXPECT_EQ(app().tourId, "418");
        EXPECT_EQ(app().tempLang, c.tempLang) << c.language.dump();
        EXPECT_FALSE(screen->tableView->indexPathForSelectedRow());
        EXPECT_TRUE(std::dynamic_pointer_cast<TourDetailController>(nav->topViewController()));
        env.settle();
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(CatalogListTest, ATourWithoutIdentifierOpensNothing) {
    auto tour = listedTour("1");
    tour.erase("circuit_id");
    serveCatalogue({tour});
    app().tourId = "earlier";
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->tableView->selectRow({0, 0}));
    EXPECT_EQ(app().tourId, "earlier");
    EXPECT_EQ(nav->topViewController(), screen);
}

TEST_F(CatalogListTest, ComingBackFromATourRestoresTheInterfaceLanguage) {
    service.serveFixtureTours();
    serveCatalogue({listedTour("418", {{"language", "fr"}})});
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->segmentBar->titleForSegment(0), app().text("Featured"));
    EXPECT_EQ(screen->segmentBar->titleForSegment(2), app().text("Near"));
    ASSERT_TRUE(screen->tableView->selectRow({0, 0}));
    EXPECT_EQ(app().tempLang, kFrench);
    env.settle();
    const auto frenchFeatured = app().text("Featured");
    int reloads = screen->tableView->reloadCount();
    nav->popViewController(false);
    EXPECT_EQ(app().tempLang, kEnglish);
    EXPECT_NE(app().text("Featured"), frenchFeatured);
    EXPECT_EQ(screen->segmentBar->titleForSegment(0), app().text("Featured"));
    EXPECT_GT(screen->tableView->reloadCount(), reloads);
}

TEST_F(CatalogListTest, RowHeightsFollowTheOrientationOnAPhone) {
    serveCatalogue({listedTour("1", {{"circuitOrder", "1"}, {"distance", "2.5"}}), listedTour("2", {{"circuitOrder", "2"}})});
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 0}), 115);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 1}), 105);
    rotate(DeviceOrientation::landscapeLeft);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 0}), 130);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 1}), 130);
}

// Opened upright, then turned either way: the table and every row span the screen's new width,
// and each row's title stays inside it.
TEST_F(CatalogListTest, TurnedTheRowsFollowTheNewWidth) {
    serveCatalogue({listedTour("1", {{"circuitOrder", "1"}, {"distance", "2.5"}}), listedTour("2", {{"circuitOrder", "2"}})});
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    for (const auto orientation : {DeviceOrientation::landscapeLeft, DeviceOrientation::portrait}) {
        rotate(orientation);
        env.advance(1.0);
        env.settle();
        const Size size = env->device().screenBounds;
        const auto plan = planLayout(*window, Rect(0, 0, size.width, size.height));
        auto rect = [&](const View& view) {
            const auto* placed = plan.placement(view);
            return placed ? placed->rect : Rect();
        };
        const std::string where = size.width > size.height ? "landscape" : "portrait";
        EXPECT_EQ(rect(*screen->tableView).width(), size.width) << where;
        const auto cells = screen->tableView->visibleCells();
        ASSERT_EQ(cells.size(), 2u) << where;
        for (const auto& cell : cells) {
            EXPECT_EQ(rect(*cell).width(), size.width) << where;
            const Rect title = rect(*dynamic_cast<CatalogueCell&>(*cell).lblTitle);
            EXPECT_GT(title.width(), 0) << where;
            EXPECT_LE(title.origin.x + title.width(), size.width) << where;
        }
    }
}

TEST_F(CatalogListTest, TheSearchButtonOpensTheSearchScreenWhenItExists) {
    serveCatalogue({});
    auto screen = openCatalog();
    ASSERT_TRUE(screen);
    auto search = screen->navigationItem().rightBarButtonItem();
    ASSERT_TRUE(search);
    auto& board = StoryboardRegistry::shared().storyboard("Search-ipad");
    auto searchScreen = std::make_shared<ViewController>();
    // Held weakly: the screen holds its storyboard, so a strong capture would keep both alive.
    board.registerScreen("SearchController", [weak = std::weak_ptr(searchScreen)] { return weak.lock(); });
    ASSERT_TRUE(search->tap());
    EXPECT_EQ(nav->topViewController(), searchScreen);
}

class CatalogOnATabletTest : public CatalogScreenTest {
protected:
    CatalogOnATabletTest() : CatalogScreenTest(tabletOptions()) {}
};

TEST_F(CatalogOnATabletTest, EveryRowIs135High) {
    serveCatalogue({listedTour("1", {{"distance", "2.5"}}), listedTour("2")});
    auto screen = openCatalog(false, "Main-ipad");
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 0}), 135);
    EXPECT_EQ(screen->tableView->heightOfRow({0, 1}), 135);
}

// ---- The stored tours

TEST_F(CatalogListTest, TheStoredToursAreListedInTheDatabaseOrder) {
    storeTour("30", {{"circuitOrder", "9"}});
    storeTour("20", {{"circuitOrder", "1"}});
    storeTour("40");
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    EXPECT_TRUE(app().isMyTour);
    EXPECT_EQ(ids(screen->catalogue), (std::vector<std::string>{"30", "20", "40"}));
    EXPECT_EQ(rowTitles(*screen), (std::vector<std::string>{"Tour 30", "Tour 20", "Tour 40"}));
    EXPECT_TRUE(screen->segmentBar->isHidden());
    ASSERT_TRUE(screen->navigationItem().rightBarButtonItem());
    EXPECT_EQ(screen->navigationItem().rightBarButtonItem()->title(), app().text("Delete"));
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(CatalogListTest, WithNoStoredTourTheListSendsTheVisitorHome) {
    auto screen = openCatalog(true);
    ASSERT_TRUE(screen);
    auto alert = topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("NoTours"));
    EXPECT_EQ(alert->message(), app().text("NoToursMessage"));
    EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{app().text("backButton")});
    ASSERT_TRUE(tapAlertButton(app().text("backButton")));
    EXPECT_EQ(nav->topViewController(), root);
}

}  // namespace
}  // namespace tq
