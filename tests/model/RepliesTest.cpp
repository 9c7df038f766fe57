#include <gtest/gtest.h>

#include "model/Json.h"

namespace tq {
namespace {

TEST(Replies, OneBadTourFailsTheWholeReply) {
    const std::string reply = R"({"status":"success","results":[
        {"circuit_id":"1","title":"First"},
        {"circuit_id":"2","poi":[{"poi_id":"5","lat":45.2}]},
        {"circuit_id":"3"}]})";
    auto decoded = decodeToursReply(reply);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error(), "results[1].poi[0].lat: expected a text, found a number");
}

TEST(Replies, EachTourIsHandedOverOnceAsItIsReadAndOnlyDuringThatReading) {
    const std::string reply =
        R"({"status":"success","results":[{"circuit_id":"1","title":"Un"},{"circuit_id":"2"},{"circuit_id":"3"}]})";
    std::vector<std::string> seen;
    auto decoded = decodeToursReply(reply, [&](Tour& tour) {
        seen.push_back(tour.circuit_id.value_or("?"));
        tour.rating = 2.0;
    });
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    ASSERT_EQ(decoded->results.size(), 3u);
    EXPECT_EQ(decoded->results[0]->title, "Un") << "a tour handed over is complete";
    EXPECT_EQ(decoded->results[2]->rating, 2.0) << "what the visitor sets stays";

    auto plain = decodeToursReply(reply);
    ASSERT_TRUE(plain);
    EXPECT_EQ(seen.size(), 3u) << "a later reading hands nothing over";
    EXPECT_EQ(plain->results[0]->rating, std::nullopt);
}

TEST(Replies, EnvelopeRules) {
    struct Case {
        const char* what;
        std::string json;
        bool reads;
        std::size_t tours;
    };
    const std::vector<Case> cases = {
        {"empty list", R"({"results":[],"status":"success"})", true, 0},
        {"extra keys", R"({"results":[{"circuit_id":"1"}],"status":"success","count":1,"page":{"n":1}})", true, 1},
        {"failure status still reads", R"({"results":[],"status":"error"})", true, 0},
        {"no status", R"({"results":[]})", false, 0},
        {"null status", R"({"results":[],"status":null})", false, 0},
        {"no results", R"({"status":"success"})", false, 0},
        {"null results", R"({"results":null,"status":"success"})", false, 0},
        {"results as text", R"({"results":"no tour","status":"error"})", false, 0},
        {"numeric status", R"({"results":[],"status":1})", false, 0},
        {"null item", R"({"results":[null],"status":"success"})", false, 0},
        {"reply is a list", R"([{"circuit_id":"1"}])", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto reply = decodeToursReply(c.json);
        ASSERT_EQ(reply.ok(), c.reads) << reply.error();
        if (c.reads) {
            EXPECT_EQ(reply->results.size(), c.tours);
        }
    }
    auto success = decodeToursReply(cases[0].json);
    EXPECT_TRUE(success->succeeded());
    EXPECT_FALSE(decodeToursReply(cases[2].json)->succeeded());
}

TEST(Replies, TheUpdateCheckErrorFormReadsWhatTheListFormRefuses) {
    const std::string errorReply = R"({"results":"nothing to update","status":"error"})";
    EXPECT_FALSE(decodeJson<UpdateTourList>(errorReply));
    auto error = decodeJson<UpdateTourListError>(errorReply);
    ASSERT_TRUE(error) << error.error();
    EXPECT_EQ(error->results, "nothing to update");
    EXPECT_EQ(error->status, "error");

    auto list = decodeJson<UpdateTourList>(R"({"results":[{"id":"12"},{},{"id":null}],"status":"success"})");
    ASSERT_TRUE(list) << list.error();
    ASSERT_EQ(list->results.size(), 3u);
    EXPECT_EQ(list->results[0].id, "12");
    EXPECT_EQ(list->results[1].id, std::nullopt);
    EXPECT_EQ(list->results[2].id, std::nullopt);
    EXPECT_FALSE(decodeJson<UpdateTourListError>(R"({"results":[],"status":"success"})"));
}

TEST(Replies, OtherEnvelopesReadTheirItems) {
    auto countries = decodeJson<ApiCountry>(
        R"({"status":"success","results":[{"iso":"FR","country_name_fr":"France","country_name_en":"France","country_name_es":"Francia","x":1}]})");
    ASSERT_TRUE(countries) << countries.error();
    EXPECT_EQ(countries->results.at(0), (Country{"FR", "France", "France", "Francia"}));
    EXPECT_FALSE(decodeJson<ApiCountry>(
        R"({"status":"success","results":[{"iso":"FR","country_name_fr":"France","country_name_en":"France"}]})"));

    auto rating = decodeJson<ApiRating>(R"({"status":"success","results":[{"circuit_id":"12","uid":"u"}]})");
    ASSERT_TRUE(rating);
    EXPECT_EQ(rating->results.at(0).circuit_id, "12");
    EXPECT_FALSE(decodeJson<ApiRating>(R"({"status":"success","results":[{"circuit_id":"12"}]})"));

    auto markers = decodeJson<ApiWorldMap>(R"({"status":"success","results":[{"circuit_id":"1","long":"4.8","lat":"45.7"}]})");
    ASSERT_TRUE(markers);
    EXPECT_EQ(markers->results.at(0).long_, "4.8");

    auto around = decodeJson<ApiPoiAround>(R"({"status":"success","results":[{"poi_id":"3","circuitTitle":"T"}]})");
    ASSERT_TRUE(around);
    EXPECT_EQ(around->results.at(0)->circuitTitle, "T");

    auto cities = decodeJson<ApiCity>(R"({"status":"success","results":[{"place_code":"69123"}]})");
    ASSERT_TRUE(cities);
    EXPECT_EQ(cities->results.at(0).place_code, "69123");
    EXPECT_EQ(cities->results.at(0).name, std::nullopt);
    EXPECT_EQ(*encodeJson(cities->results.at(0)), R"({"place_code":"69123"})");

    auto states = decodeJson<ApiState>(R"({"status":"success","results":[{"country_iso":"FR","state_iso":"84",
        "state_name_fr":"a","state_name_en":"b","state_name_es":"c"}]})");
    ASSERT_TRUE(states);
    EXPECT_EQ(states->results.at(0).state_iso, "84");
}

TEST(Replies, WrittenRecordsHoldOnlyTheirValues) {
    std::vector<PoiMap> markers(3);
    markers[0].circuit_id = "1";
    markers[0].title = "T";
    markers[2].lat = "45.7";
    markers[2].long_ = "4.8";
    markers[2].use_custom_map = "0";
    EXPECT_EQ(*encodeJson(markers), R"([{"circuit_id":"1","title":"T"},{},{"lat":"45.7","long":"4.8","use_custom_map":"0"}])");

    UpdatePost post{{TourUpdatePost{"12", ""}}};
    EXPECT_EQ(*encodeJson(post), R"({"tours":[{"id":"12","date":""}]})");
    UpdatePost withoutValue{{std::nullopt}};
    EXPECT_EQ(*encodeJson(withoutValue), R"({"tours":[]})");
}

}  // namespace
}  // namespace tq
