// The rating rule and the ordering of points and contents, as the lists are stored.
#include <cmath>

#include "NetworkTestSupport.h"

namespace tq::test {
namespace {

struct RatingCase {
    TourSpec tour;
    std::optional<double> replyRating;  // what the reply itself carried
    std::optional<double> expected;
};

TEST(RatingRuleTest, NetworkHeadsScoreOverCounterAndUnreadableTexts) {
    const std::vector<RatingCase> cases = {
        {{"head", std::nullopt, std::nullopt, "1"}, std::nullopt, 1.0},
        {{"head with score", "9", "2", "1"}, 3.0, 1.0},
        {{"score over counter", "9", "2", "0"}, std::nullopt, 4.5},
        {{"counter 0 counts as 1", "7", "0", std::nullopt}, std::nullopt, 7.0},
        {{"nothing rated", "0", "0", std::nullopt}, std::nullopt, 0.0},
        {{"counter 0.0", "7", "0.0", std::nullopt}, std::nullopt, 7.0},
        {{"01 is no head", "9", "2", "01"}, std::nullopt, 4.5},
        {{"blank before 1 is no head", "9", "2", " 1"}, std::nullopt, 4.5},
        {{"reply rating replaced", "8", "4", std::nullopt}, 3.3, 2.0},
        {{"decimal texts", "13.5", "3", std::nullopt}, std::nullopt, 4.5},
        {{"missing counter", "9", std::nullopt, std::nullopt}, 3.3, std::nullopt},
        {{"missing score", std::nullopt, "2", std::nullopt}, std::nullopt, std::nullopt},
        {{"blank before score", " 9", "2", std::nullopt}, std::nullopt, std::nullopt},
        {{"text after counter", "9", "2 votes", std::nullopt}, std::nullopt, std::nullopt},
        {{"not a number", "nan", "2", std::nullopt}, std::nullopt, std::nullopt},
        {{"quotient out of range", "1e308", "1e-308", std::nullopt}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tour.id);
        Tour tour;
        tour.rating_total_score = c.tour.score;
        tour.rating_total_counter = c.tour.counter;
        tour.is_circuit_head = c.tour.head;
        tour.rating = c.replyRating;
        rateTour(tour);
        EXPECT_EQ(tour.rating, c.expected);
    }
}

TEST_F(NetworkTest, StoredTourListsAreRatedButLoadedToursKeepTheirRating) {
    const std::string list = "[" + tourJson({"1", "9", "2", "0"}) + "," + tourJson({"2", std::nullopt, std::nullopt, "1"}) +
                             "," + R"({"circuit_id":"3","rating":2.5,"rating_total_score":"x"})" + "]";
    service.replyToPrefix(api(""), ScriptedReply::json(envelope(list)));
    network.getSimpleCatalogue({});
    network.getNetworkCatalogue("1", true, {});
    network.searchByProximity("1.0", "2.0", "all", {});
    network.searchByKeywordsCity("k", "fr", {});
    network.loadCurrentTour("3", {});
    env.settle();

    for (const auto* stored :
         {&network.catalogue, &network.networkCatalogue, &network.searchCatalogue, &network.searchCatalogueCity}) {
        ASSERT_EQ(stored->size(), 3u);
        EXPECT_EQ((*stored)[0]->rating, 4.5);
        EXPECT_EQ((*stored)[1]->rating, 1.0);
        EXPECT_EQ((*stored)[2]->rating, std::nullopt) << "an unreadable score leaves no rating";
    }
    ASSERT_TRUE(network.currentTour);
    EXPECT_EQ(network.currentTour->circuit_id, "1") << "the first tour of the reply";
    EXPECT_EQ(network.currentTour->rating, std::nullopt) << "a loaded tour is not rated";
}

std::string pointJson(const std::string& id, const std::optional<std::string>& order, const std::string& contents = "") {
    std::string json = R"({"poi_id":")" + id + R"(")";
    if (order) json += R"(,"poi_order":")" + *order + R"(")";
    if (!contents.empty()) json += R"(,"content":)" + contents;
    return json + "}";
}

std::vector<std::string> pointIds(const std::vector<PointOfInterestRef>& points) {
    std::vector<std::string> ids;
    for (const auto& point : points) ids.push_back(point->poi_id.value_or("?"));
    return ids;
}

TEST_F(NetworkTest, PointsOfALoadedTourAreOrderedNumericallyAndStably) {
    const std::string points = "[" + pointJson("a", "3") + "," + pointJson("b", "1") + "," + pointJson("c", "x") + "," +
                               pointJson("d", "2") + "," + pointJson("e", "1") + "," + pointJson("f", " 2") + "," +
                               pointJson("g", std::nullopt) + "," + pointJson("h", "10") + "]";
    service.reply(api("getFullCircuit/1"),
                  ScriptedReply::json(envelope(R"([{"circuit_id":"1","poi":)" + points + "}]")));
    service.reply(api("getFullCircuit/2"), ScriptedReply::json(envelope(R"([{"circuit_id":"2"}])")));
    Calls<bool> first, second;
    network.loadCurrentTour("1", first.recorder());
    network.loadUpdateTour("2", second.recorder());
    env.settle();

    EXPECT_TRUE(first.once(true));
    ASSERT_TRUE(network.currentTour && network.currentTour->poi);
    // An absent order counts as 0; orders that do not read as whole numbers go last, as they came.
    EXPECT_EQ(pointIds(*network.currentTour->poi), (std::vector<std::string>{"g", "b", "e", "d", "a", "h", "c", "f"}));
    EXPECT_TRUE(second.once(true)) << "a tour without points is stored as it came";
    ASSERT_TRUE(network.updateTour);
    EXPECT_FALSE(network.updateTour->poi);
}

TEST_F(NetworkTest, FixtureTourPointsComeOutInOrderOneTwoTen) {
    service.serveFixtureTours();
    network.loadCurrentTour("418", {});
    env.settle();
    ASSERT_TRUE(network.currentTour && network.currentTour->poi);
    std::vector<std::string> orders;
    for (const auto& point : *network.currentTour->poi) orders.push_back(point->poi_order.value_or(""));
    EXPECT_EQ(orders, (std::vector<std::string>{"1", "2", "10"}));
}

TEST_F(NetworkTest, PointsAroundKeepTheirOrderWithContentsPreparedAndOrdered) {
    const std::string contents =
        R"([{"content_id":"c2","content_order":"2","type":"img","metadata":"{\"width\":20}"},)"
        R"({"content_id":"c1","content_order":"1","type":"txt","metadata":"{\"width\":10}"}])";
    const std::string points = "[" + pointJson("p2", "2", contents) + "," + pointJson("p1", "1") + "]";
    service.reply(api("getPoiAroundIOS/en/1.0/2.0/5"), ScriptedReply::json(envelope(points)));
    Calls<bool> calls;
    network.getPoiAround("en", "1.0", "2.0", "5", calls.recorder());
    env.settle();

    EXPECT_TRUE(calls.once(true));
    ASSERT_TRUE(network.poiAround);
    EXPECT_EQ(pointIds(*network.poiAround), (std::vector<std::string>{"p2", "p1"})) << "points keep the reply's order";
    const auto& first = network.poiAround->front();
    ASSERT_TRUE(first->content);
    ASSERT_EQ(first->content->size(), 2u);
    EXPECT_EQ((*first->content)[0]->content_id, "c1");
    EXPECT_EQ((*first->content)[0]->content_type, ContentType::txt) << "metadata is read before use";
    EXPECT_EQ((*first->content)[0]->content_width, 10);
    EXPECT_FALSE(network.poiAround->back()->content) << "a point without contents is kept";
}

}  // namespace
}  // namespace tq::test
