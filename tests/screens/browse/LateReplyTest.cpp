// Replies that land after the visitor has moved on: the client's lists follow the last reply, but
// the screen in front keeps showing, and acting on, what its own request received.
#include "HomeScreenFixture.h"
#include "platform/location/LocationService.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/SearchResultsController.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/TourDetailController.h"
#include "screens/tour/TourScreenFixture.h"
#include "storage/TourDownloader.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

class LateTourReplyTest : public test::HomeScreenTest {
protected:
    LateTourReplyTest() {
        env->shared<TourDownloaders>().install(downloader);
        service.serveFixtureTours();
        auto held = test::ScriptedReply::json(test::tourReply(test::fixtureTour()));
        held.gate = "418";
        service.reply(test::fullCircuitPath("418"), held);
        service.reply(test::fullCircuitPath("611"), test::ScriptedReply::json(test::tourReply(test::fixtureTour([](auto& t) {
                          t["circuit_id"] = "611";
                          t["title"] = "Les quais de Lyon";
                      }))));
    }

    std::shared_ptr<TourDetailController> tourScreenOnTop() {
        return std::dynamic_pointer_cast<TourDetailController>(nav->topViewController());
    }

    // Opens a tour through a link, as a scanned code does, up to the tour screen's request.
    std::shared_ptr<TourDetailController> openLink(const std::string& id) {
        EXPECT_TRUE(app().openURL("https://www.trelvoquest.com/circuit/" + id + "/slug"));
        env.advance(0.8);
        auto screen = tourScreenOnTop();
        EXPECT_TRUE(screen);
        return screen;
    }

    // 611 is on screen when 418's late reply lands: everything the 611 screen does is about 611.
    void expect611AfterTheLateReply(const std::shared_ptr<TourDetailController>& screen) {
        ASSERT_TRUE(env.runUntil([&] { return screen->tour != nullptr; }));
        EXPECT_EQ(screen->tour->circuit_id, "611");
        EXPECT_FALSE(overlay().isVisible());

        service.release("418");
        ASSERT_TRUE(env.runUntil([&] { return network().currentTour && network().currentTour->circuit_id == "418"; }))
            << "the last reply decides the client's current tour";
        env.settle();
        EXPECT_EQ(nav->topViewController(), screen);
        EXPECT_EQ(screen->tour->circuit_id, "611");
        EXPECT_EQ(screen->lblTitle->text(), "Les quais de Lyon");
        EXPECT_FALSE(overlay().isVisible());
        EXPECT_FALSE(test::topPresented());

        ASSERT_TRUE(screen->btnPreload->tap());
        ASSERT_TRUE(test::tapAlertButton(app().text("Yes")));
        ASSERT_TRUE(downloader->tour);
        EXPECT_EQ(downloader->tour->circuit_id, "611");
        ASSERT_TRUE(test::tapAlertButton("OK"));

        ASSERT_TRUE(screen->btnConsultTop->tap());
        auto map = std::dynamic_pointer_cast<MapLeafletController>(nav->topViewController());
        ASSERT_TRUE(map);
        ASSERT_TRUE(map->tour);
        EXPECT_EQ(map->tour->circuit_id, "611");
    }

    std::shared_ptr<test::ScriptedDownloader> downloader = std::make_shared<test::ScriptedDownloader>();
};

TEST_F(LateTourReplyTest, ALinkToAnotherTourWhileOneLoadsKeepsTheNewTourOnScreen) {
    launch();
    auto first = openLink("418");
    ASSERT_TRUE(service.waitUntilHeld("418"));
    std::weak_ptr<TourDetailController> gone = first;
    first.reset();

    auto screen = openLink("611");
    EXPECT_TRUE(gone.expired());
    expect611AfterTheLateReply(screen);
}

TEST_F(LateTourReplyTest, GoingBackWhileATourLoadsEndsTheWaitAndTheLateReplyMovesNothing) {
    launch();
    auto first = openLink("418");
    ASSERT_TRUE(service.waitUntilHeld("418"));
    EXPECT_TRUE(overlay().isVisible());
    first.reset();
    ASSERT_TRUE(nav->tapBackButton());
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_FALSE(overlay().isVisible()) << "the wait ends with the screen that waited";

    auto screen = openLink("611");
    expect611AfterTheLateReply(screen);
}

// A keyword search whose first reply is late, left for a search near the visitor: the near results
// screen shows the tours near, and only them, when the keyword's city reply lands.
using LateSearchReplyTest = test::HomeScreenTest;

TEST_F(LateSearchReplyTest, ASearchLeftBehindDoesNotJoinTheResultsOfTheNextOne) {
    auto city = test::ScriptedReply::json(test::listReply({test::listedTour("7")}));
    city.gate = "city";
    service.replyToPrefix("/public/webservice/searchCircuitByKeywordsCity/", city);
    service.replyToPrefix("/public/webservice/getToursNearby/",
                          test::ScriptedReply::json(test::listReply({test::listedTour("9"), test::listedTour("8")})));
    launch();
    env.settle();
    auto& location = LocationService::of(env.env()).driver();
    ASSERT_TRUE(location.grant());
    env.settle();

    ASSERT_TRUE(home->btnSearch->tap());
    auto search = std::dynamic_pointer_cast<SearchController>(nav->topViewController());
    ASSERT_TRUE(search);
    ASSERT_TRUE(search->segmentTypeSearch->select(2));
    ASSERT_TRUE(search->txtKeyword->typeText("lyon"));
    ASSERT_TRUE(search->btnSearchkeywords->tap());
    ASSERT_TRUE(service.waitUntilHeld("city"));
    search.reset();
    ASSERT_TRUE(nav->tapBackButton());

    ASSERT_TRUE(home->btnCompass->tap());
    ASSERT_TRUE(location.deliverLocation(45.76, 4.83));
    ASSERT_TRUE(env.runUntil([&] { return !network().searchCatalogue.empty(); }));
    env.advance(1.0);
    auto results = std::dynamic_pointer_cast<SearchResultsController>(nav->topViewController());
    ASSERT_TRUE(results);

    service.release("city");
    ASSERT_TRUE(env.runUntil([&] { return !network().searchCatalogueCity.empty(); }));
    env.settle();
    results->tableview->reloadData();
    ASSERT_EQ(results->tableview->numberOfSections(), 1);
    ASSERT_EQ(results->tableview->numberOfRows(0), 2);
    EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "9");
    EXPECT_EQ(results->tourAt({0, 1})->circuit_id, "8");
}

}  // namespace
}  // namespace tq
