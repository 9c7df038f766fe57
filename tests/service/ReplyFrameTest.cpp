// How every kind of answer, good or bad, reaches the completions and the stored lists.
#include <atomic>

#include "NetworkTestSupport.h"
#include "product/ProductSites.h"

namespace tq::test {
namespace {

struct FailureCase {
    std::string name;
    std::optional<ScriptedReply> reply;  // none: nothing listens at the service's address
    bool decodesAsEnvelope;              // a readable reply whose status is not "success"
    std::string consoleLine;             // the line the failure writes (a prefix of it)
};

std::vector<FailureCase> failureCases() {
    auto truncated = ScriptedReply::json(toursReply({"1", "2", "3"}));
    truncated.closeAfterBytes = 40;
    return {
        {"connection refused", std::nullopt, false, "Could not connect to the server."},
        {"404", ScriptedReply::json("{}", 404), false, "Response status code was unacceptable: 404."},
        {"500 with a readable body", ScriptedReply::json(toursReply({"1"}), 500), false,
         "Response status code was unacceptable: 500."},
        {"empty body", ScriptedReply::json(""), false, "No Data"},
        {"body closed early", truncated, false, "The network connection was lost."},
        {"not JSON", ScriptedReply::text("<html>maintenance</html>"), false, ""},
        {"JSON cut short", ScriptedReply::json(toursReply({"1"}).substr(0, 30)), false, ""},
        {"wrong types", ScriptedReply::json(R"({"results":[{"circuit_id":418,"poi_id":5,"iso":1,"uid":2}],"status":"success"})"),
         false, "results[0]."},
        {"no status", ScriptedReply::json(R"({"results":[]})"), false, "status"},
        {"status error", ScriptedReply::json(envelope("[]", "error")), true, ""},
    };
}

// Every failure reports failure once and changes no field, except that the search lists are
// emptied once a reply has been read.
TEST_F(NetworkTest, FailuresReportFailureOnceAndKeepTheStoredResults) {
    for (const auto& failure : failureCases()) {
        SCOPED_TRACE(failure.name);
        service.connect(env.env());
        if (failure.reply) {
            service.replyToPrefix(api(""), *failure.reply);
        } else {
            for (const auto& host : service.hostNames())
                env->hostRoutes()[host] = "127.0.0.1:" + std::to_string(closedLocalPort());
        }
        console().clear();
        auto earlier = tourWithId("old");
        network.catalogue = {earlier};
        network.networkCatalogue = {earlier};
        network.searchCatalogue = {earlier};
        network.searchCatalogueCity = {earlier};
        network.currentTour = earlier;
        network.countries = {Country{"CA", "", "", ""}};
        network.poiAround = std::vector<PointOfInterestRef>{};

        Calls<bool> catalogue, networkList, region, city, current, countries, around, nearby;
        Calls<int> rating;
        Calls<std::string> fullText, bytes;
        network.getSimpleCatalogue(catalogue.recorder());
        network.getNetworkCatalogue("1", true, networkList.recorder());
        network.getToursByRegion("CA", RegionType::country, 1, region.recorder());
        network.searchByKeywordsCity("x", "fr", city.recorder());
        network.loadCurrentTour("1", current.recorder());
        network.getCountries(countries.recorder());
        network.getPoiAround("fr", "1.0", "2.0", "1", around.recorder());
        network.setRating("1", "4.0", "device", rating.recorder());
        network.getFullCircuitJson("1", fullText.recorder());
        network.downloadData(service.url(api("raw")), bytes.recorder());
        env.settle();

        for (auto* calls : {&catalogue, &networkList, &region, &city, &current, &countries, &around})
            EXPECT_TRUE(calls->once(false));
        EXPECT_TRUE(rating.once(0));
        EXPECT_TRUE(fullText.once(""));
        const bool bytesArrive = failure.reply && failure.reply->status / 100 == 2 && !failure.reply->body.empty() &&
                                 !failure.reply->closeAfterBytes;
        if (bytesArrive) {
            EXPECT_TRUE(bytes.once(failure.reply->body)) << "raw bytes are not judged by their content";
        } else {
            EXPECT_TRUE(bytes.values.empty()) << "a failed raw fetch calls nothing";
        }

        EXPECT_EQ(idsOf(network.catalogue), std::vector<std::string>{"old"});
        EXPECT_EQ(idsOf(network.networkCatalogue), std::vector<std::string>{"old"});
        EXPECT_EQ(network.currentTour, earlier);
        EXPECT_EQ(network.countries.size(), 1u);
        EXPECT_TRUE(network.poiAround && network.poiAround->empty());
        auto searchLeft = failure.decodesAsEnvelope ? std::vector<std::string>{} : std::vector<std::string>{"old"};
        EXPECT_EQ(idsOf(network.searchCatalogue), searchLeft);
        EXPECT_EQ(idsOf(network.searchCatalogueCity), searchLeft);

        if (!failure.decodesAsEnvelope) {
            // One line per failed request, and it says why.
            auto lines = console().lines();
            std::erase_if(lines, [](const std::string& line) { return line.starts_with("https://"); });
            EXPECT_EQ(lines.size(), bytesArrive ? 9u : 10u);
            for (const auto& line : lines) {
                EXPECT_FALSE(line.empty());
                EXPECT_NE(line.find(failure.consoleLine), std::string::npos) << line;
            }
        }
    }
}

TEST_F(NetworkTest, EmptyBodyPrintsNoDataForEveryRequest) {
    service.replyToPrefix(api(""), ScriptedReply::json(""));
    Calls<bool> calls;
    network.getSimpleCatalogue(calls.recorder());
    network.getStates("CA", calls.recorder());
    env.settle();
    EXPECT_EQ(calls.values, (std::vector<bool>{false, false}));
    EXPECT_EQ(console().lines(), (std::vector<std::string>{"No Data", "No Data"}));
}

TEST_F(NetworkTest, SuccessfulRepliesWithoutToursFollowTheirOperation) {
    service.replyToPrefix(api(""), ScriptedReply::json(toursReply({})));
    network.searchCatalogue = {tourWithId("old")};
    network.currentTour = tourWithId("old");
    Calls<bool> nearby, proximity, current;

    network.getToursNearby("1.0", "2.0", nearby.recorder());
    env.settle();
    EXPECT_TRUE(nearby.once(false)) << "nothing near counts as no answer";
    EXPECT_TRUE(network.searchCatalogue.empty());

    network.searchCatalogue = {tourWithId("old")};
    network.searchByProximity("1.0", "2.0", "all", proximity.recorder());
    network.loadCurrentTour("418", current.recorder());
    env.settle();
    EXPECT_TRUE(proximity.once(true));
    EXPECT_TRUE(network.searchCatalogue.empty());
    EXPECT_TRUE(current.once(true));
    EXPECT_FALSE(network.currentTour) << "a successful reply without a tour leaves none";
}

TEST_F(NetworkTest, TheReplyThatArrivesLastDecidesTheList) {
    // The first request is held until the second has been answered.
    std::atomic<int> served = 0;
    service.handle(api("getSimpleListCatalogV2/"), [&served](const RecordedRequest&) {
        auto reply = ScriptedReply::json(toursReply(served++ == 0 ? std::vector<std::string>{"first"}
                                                                  : std::vector<std::string>{"second"}));
        if (served == 1) reply.gate = "first";
        return reply;
    });
    Calls<bool> first, second;
    network.getSimpleCatalogue(first.recorder());
    ASSERT_TRUE(service.waitUntilHeld("first"));
    network.getSimpleCatalogue(second.recorder());
    ASSERT_TRUE(env.runUntil([&] { return !second.values.empty(); }));
    EXPECT_EQ(idsOf(network.catalogue), std::vector<std::string>{"second"});
    EXPECT_TRUE(first.values.empty());

    service.release("first");
    env.settle();
    EXPECT_TRUE(first.once(true));
    EXPECT_TRUE(second.once(true));
    EXPECT_EQ(idsOf(network.catalogue), std::vector<std::string>{"first"});
}

TEST_F(NetworkTest, TwoSearchesFillingOneListAreBothAnsweredAndTheLaterArrivalWins) {
    auto held = ScriptedReply::json(toursReply({"region"}));
    held.gate = "region";
    service.reply(api("getToursByCity/457/1/"), held);
    service.reply(api("searchByProximity/1.0/2.0/all/"), ScriptedReply::json(toursReply({"near"})));
    Calls<bool> region, proximity;
    network.getToursByRegion("457", RegionType::city, 1, region.recorder());
    ASSERT_TRUE(service.waitUntilHeld("region"));
    network.searchByProximity("1.0", "2.0", "all", proximity.recorder());
    ASSERT_TRUE(env.runUntil([&] { return !proximity.values.empty(); }));
    EXPECT_EQ(idsOf(network.searchCatalogue), std::vector<std::string>{"near"});
    service.release("region");
    env.settle();
    EXPECT_TRUE(region.once(true));
    EXPECT_EQ(idsOf(network.searchCatalogue), std::vector<std::string>{"region"});
}

TEST_F(NetworkTest, CompletionsRunOnTheLoopAfterTheCallReturns) {
    service.replyToPrefix(api(""), ScriptedReply::json(toursReply({"1"})));
    bool called = false;
    network.getSimpleCatalogue([&](bool) {
        called = true;
        EXPECT_EQ(idsOf(network.catalogue), std::vector<std::string>{"1"}) << "results are stored first";
    });
    network.getFullCircuitJson("", [&](const std::string& text) { EXPECT_EQ(text, ""); });
    EXPECT_FALSE(called);
    env.settle();
    EXPECT_TRUE(called);
    EXPECT_EQ(service.requestsTo(api("getFullCircuit/")).size(), 0u) << "an empty identifier asks for nothing";
}

}  // namespace
}  // namespace tq::test
