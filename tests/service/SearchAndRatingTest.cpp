// Keyword searches, the rating request, and the two raw fetches.
#include "NetworkTestSupport.h"

namespace tq::test {
namespace {

TEST_F(NetworkTest, KeywordSearchLeavesOutToursTheCitySearchFound) {
    service.reply(api("searchCircuitByKeywordsCity/port/fr"), ScriptedReply::json(toursReply({"7"})));
    service.reply(api("searchCircuitByKeywords/exact/port/fr"), ScriptedReply::json(toursReply({"5", "7", "9", "7"})));
    Calls<bool> city, exact;
    network.searchByKeywordsCity("port", "fr", city.recorder());
    env.settle();
    network.searchByKeywordsExact("port", "fr", exact.recorder());
    env.settle();
    EXPECT_TRUE(city.once(true));
    EXPECT_TRUE(exact.once(true));
    EXPECT_EQ(idsOf(network.searchCatalogueCity), std::vector<std::string>{"7"});
    EXPECT_EQ(idsOf(network.searchCatalogue), (std::vector<std::string>{"5", "9"}));
    EXPECT_EQ(network.searchCatalogue[0]->rating, 4.5);
}

TEST_F(NetworkTest, ToursWithoutIdentifierCountAsTheSameInTheExclusion) {
    network.searchCatalogueCity = {std::make_shared<Tour>()};
    service.reply(api("searchCircuitByKeywords/title_description/k/all"),
                  ScriptedReply::json(envelope(R"([{"title":"no id"},{"circuit_id":"3"}])")));
    network.searchByKeywordsTitleDescription("k", "all", {});
    env.settle();
    EXPECT_EQ(idsOf(network.searchCatalogue), std::vector<std::string>{"3"});
}

TEST_F(NetworkTest, KeywordAnswerOtherThanSuccessEmptiesEarlierResults) {
    network.searchCatalogue = {tourWithId("earlier")};
    service.reply(api("searchCircuitByKeywords/exact/k/fr"), ScriptedReply::json(toursReply({"1"}, "error")));
    Calls<bool> calls;
    network.searchByKeywordsExact("k", "fr", calls.recorder());
    env.settle();
    EXPECT_TRUE(calls.once(false));
    EXPECT_TRUE(network.searchCatalogue.empty());
}

TEST_F(NetworkTest, RatingAnswersGiveTheirCode) {
    struct Case {
        std::string name;
        std::string body;
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {
        {"rated", envelope("[]"), {1}},
        {"already rated", envelope(R"([{"circuit_id":"418","uid":"d"}])", "error"), {2}},
        {"another tour", envelope(R"([{"circuit_id":"502","uid":"d"}])", "error"), {0}},
        {"refused without rows", envelope("[]", "error"), {0}},
        {"unknown status", envelope(R"([{"circuit_id":"418","uid":"d"}])", "pending"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.reply(api("setRating/418/4.0/d"), ScriptedReply::json(c.body));
        Calls<int> codes;
        network.setRating("418", "4.0", "d", codes.recorder());
        env.settle();
        EXPECT_EQ(codes.values, c.codes);
    }
}

TEST_F(NetworkTest, RawBytesArriveByteForByte) {
    const std::string bytes("\xff\xfe\x00\x80 audio \xc3\x28", 14);
    service.reply("/media/a.mp3", ScriptedReply::bytes(bytes));
    service.reply("/media/missing.mp3", ScriptedReply::bytes("gone", "text/plain"));
    auto missing = ScriptedReply::bytes("gone");
    missing.status = 404;
    service.reply("/media/missing.mp3", missing);
    service.reply("/media/empty.mp3", ScriptedReply::bytes(""));
    Calls<std::string> found, notFound, empty, badAddress;
    network.downloadData(service.url("/media/a.mp3", kFixtureMediaHost), found.recorder());
    network.downloadData(service.url("/media/missing.mp3", kFixtureMediaHost), notFound.recorder());
    network.downloadData(service.url("/media/empty.mp3", kFixtureMediaHost), empty.recorder());
    network.downloadData("not an address", badAddress.recorder());
    env.settle();
    EXPECT_TRUE(found.once(bytes));
    EXPECT_TRUE(notFound.values.empty());
    EXPECT_TRUE(empty.values.empty());
    EXPECT_TRUE(badAddress.values.empty());
    EXPECT_TRUE(console().contains("Response status code was unacceptable: 404."));
    EXPECT_TRUE(console().contains("No Data"));
    EXPECT_EQ(console().lines().size(), 3u);
}

TEST_F(NetworkTest, FullTourTextIsTheReplyAsReceivedOrEmpty) {
    const std::string valid = fixtureText("full-tour.json");
    std::string invalid = valid;
    auto accent = invalid.find("é");
    ASSERT_NE(accent, std::string::npos);
    invalid[accent + 1] = '\x28';  // a lead byte followed by no continuation byte
    service.reply(api("getFullCircuit/1"), ScriptedReply::json(valid));
    service.reply(api("getFullCircuit/2"), ScriptedReply::json(invalid));
    service.reply(api("getFullCircuit/3"), ScriptedReply::json(toursReply({"3"}, "error")));
    Calls<std::string> ok, broken, refused;
    network.getFullCircuitJson("1", ok.recorder());
    network.getFullCircuitJson("2", broken.recorder());
    network.getFullCircuitJson("3", refused.recorder());
    env.settle();
    EXPECT_TRUE(ok.once(valid)) << "byte for byte, envelope included";
    EXPECT_TRUE(broken.once("")) << "text that is not UTF-8 is never handed on to be stored";
    EXPECT_TRUE(refused.once(""));
    EXPECT_EQ(console().lines().size(), 1u) << "the unreadable reply is printed";
}

}  // namespace
}  // namespace tq::test
