#include "CatalogScreenFixture.h"
#include "model/Json.h"
#include "screens/browse/NetworkController.h"
#include "screens/tour/TourDetailController.h"

namespace tq {
namespace {

using namespace test;

// The list as the tour screen opens it: the shown tour is the client's current tour and the list
// to fetch is named in `lastNetworkId`.
class NetworkListTest : public CatalogScreenTest {
protected:
    explicit NetworkListTest(TestEnvironmentOptions options = {}) : CatalogScreenTest(std::move(options)) {}

    std::shared_ptr<NetworkController> openList(const std::string& id, bool forNetwork, const std::string& title = "") {
        auto shown = decodeToursReply(listReply({listedTour("500", {{"title", "Chemins de Compostelle"}})}));
        EXPECT_TRUE(shown);
        network().currentTour = shown ? shown->results.front() : nullptr;
        network().lastNetworkId = id;
        auto list = StoryboardRegistry::shared().named("Main")->instantiate<NetworkController>("NetworkController");
        EXPECT_TRUE(list);
        if (!list) return nullptr;
        list->setForNetwork(forNetwork);
        list->setTitle(title);
        nav->pushViewController(list, true);
        env.settle();
        return list;
    }

    static std::vector<std::string> titles(NetworkController& list) {
        std::vector<std::string> result;
        for (const auto& cell : list.tableView->visibleCells()) {
            auto* row = dynamic_cast<CatalogueCell*>(cell.get());
            result.push_back(row ? row->lblTitle->text() : "?");
        }
        return result;
    }
};

TEST_F(NetworkListTest, ANetworkTourListsItsSubTours) {
    service.reply("/public/webservice/getCircuitSubcircuits/500",
                  ScriptedReply::json(listReply({listedTour("501"), listedTour("502")})));
    auto list = openList("500", true);
    ASSERT_TRUE(list);
    EXPECT_EQ(service.requestsTo("/public/webservice/getCircuitSubcircuits/500").size(), 1u);
    EXPECT_EQ(ids(list->catalogue), (std::vector<std::string>{"501", "502"}));
    EXPECT_EQ(titles(*list), (std::vector<std::string>{"Tour 501", "Tour 502"}));
    EXPECT_EQ(overlay().showCount(), 1);
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(NetworkListTest, AnOrganisationListsItsCatalogueUnderTheTitleOfTheTourItWasOpenedFrom) {
    service.reply("/public/webservice/getOrganizationCatalog/12", ScriptedReply::json(listReply({listedTour("418")})));
    auto list = openList("12", false, "Presented by");
    ASSERT_TRUE(list);
    EXPECT_EQ(ids(list->catalogue), std::vector<std::string>{"418"});
    EXPECT_EQ(list->navigationItem().title(), "Chemins de Compostelle");
    auto above = std::make_shared<ViewController>();
    nav->pushViewController(above, false);
    EXPECT_EQ(list->navigationItem().title(), "");
    nav->popViewController(false);
    EXPECT_EQ(list->navigationItem().title(), "Chemins de Compostelle");
}

TEST_F(NetworkListTest, AFailedRequestShowsAnEmptyListAndEndsTheWait) {
    service.reply("/public/webservice/getCircuitSubcircuits/500", ScriptedReply::json("{}", 500));
    auto list = openList("500", true);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->catalogue.empty());
    EXPECT_TRUE(titles(*list).empty());
    EXPECT_FALSE(overlay().isVisible());
    EXPECT_FALSE(topAlert());
}

TEST_F(NetworkListTest, WithoutAListToAskForNothingIsAsked) {
    auto list = openList("", true);
    ASSERT_TRUE(list);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_FALSE(overlay().isVisible());
}

TEST_F(NetworkListTest, ASubTourOpensInItsLanguageAndTheListComesBackInTheInterfaceLanguage) {
    service.serveFixtureTours();
    service.reply("/public/webservice/getCircuitSubcircuits/500",
                  ScriptedReply::json(listReply({listedTour("418", {{"language", "es"}}), listedTour("9")})));
    auto list = openList("500", true);
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->tableView->selectRow({0, 0}));
    EXPECT_EQ(app().tourId, "418");
    EXPECT_EQ(app().tempLang, kSpanish);
    auto tour = std::dynamic_pointer_cast<TourDetailController>(nav->topViewController());
    ASSERT_TRUE(tour);
    env.settle();
    // The tour screen changed the current tour; the list keeps the title of its own.
    nav->popViewController(false);
    EXPECT_EQ(app().tempLang, kEnglish);
    EXPECT_EQ(list->navigationItem().title(), "Chemins de Compostelle");
}

TEST_F(NetworkListTest, RowHeightsOnAPhone) {
    service.reply("/public/webservice/getCircuitSubcircuits/500", ScriptedReply::json(listReply({listedTour("1")})));
    auto list = openList("500", true);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tableView->heightOfRow({0, 0}), 105);
    rotate(DeviceOrientation::landscapeLeft);
    EXPECT_EQ(list->tableView->heightOfRow({0, 0}), 120);
}

class NetworkListOnATabletTest : public NetworkListTest {
protected:
    NetworkListOnATabletTest() : NetworkListTest(tabletOptions()) {}
};

TEST_F(NetworkListOnATabletTest, RowsAre135High) {
    service.reply("/public/webservice/getCircuitSubcircuits/500", ScriptedReply::json(listReply({listedTour("1")})));
    auto list = openList("500", true);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tableView->heightOfRow({0, 0}), 135);
    rotate(DeviceOrientation::landscapeLeft);
    EXPECT_EQ(list->tableView->heightOfRow({0, 0}), 135);
}

}  // namespace
}  // namespace tq
