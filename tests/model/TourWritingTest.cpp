#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "model/Json.h"

namespace tq {
namespace {

// A tour with a value in every one of its 88 fields, nested records included. Texts carry "/",
// quotes, a line break and non-ASCII letters, so the writer's escaping is exercised too.
std::string fullTourJson() {
    const std::map<std::string_view, std::string> special = {
        {"city", R"({"country_iso":"FR","place_code":"69123","name":"Lyon","url":"https://example.test/lyon"})"},
        {"modes", R"(["foot","bike"])"},
        {"rating", "4.25"},
        {"filter", R"([{"filter_id":"3","parent_id":"0","filter_name_en":"Art","filter_name_fr":"Art","filter_order":"1"}])"},
        {"inter", R"([{"inter_id":"9","owner_id":"2","lat":"45.76","long":"4.83","inter_order":"2"}])"},
        {"poi", R"([{"poi_id":"7","poi_order":"2","lat":"45.7","long":"4.8","slug":"a\/b",
                     "organization":{"org_id":"5","name":"Office","website":"https:\/\/office.test"},
                     "content":[{"content_id":"70","content_order":"1","type":"video","content_type":3,
                                 "content_status":1,"content_size":12.5,"content_duration":-4,
                                 "metadata":"{\"size\":12.5}"}]},
                    {"poi_id":"8","poi_order":"1","content":[]}])"},
    };
    std::string json = "{";
    for (std::string_view key : jsonKeys<Tour>()) {
        if (json.size() > 1) json += ',';
        json += '"';
        json += key;
        json += "\":";
        auto it = special.find(key);
        json += it != special.end() ? it->second : "\"" + std::string(key) + " \\/ \\\"é\\\"\\n\"";
    }
    return json + "}";
}

TEST(TourWriting, ATourHasEightyEightFieldsAndEveryOneSurvivesARoundTrip) {
    ASSERT_EQ(jsonKeys<Tour>().size(), 88u);
    auto read = decodeTour(fullTourJson());
    ASSERT_TRUE(read) << read.error();
    const Tour& tour = **read;
    EXPECT_EQ(tour.circuit_id, "circuit_id / \"é\"\n");
    EXPECT_EQ(tour.rating, 4.25);
    EXPECT_EQ(tour.modes, (std::vector<std::string>{"foot", "bike"}));
    ASSERT_EQ(tour.poi->size(), 2u);
    EXPECT_EQ((*tour.poi)[0]->content->at(0)->content_type, ContentType::video);
    EXPECT_EQ((*tour.poi)[0]->content->at(0)->content_size, 12.5f);
    EXPECT_EQ((*tour.poi)[0]->organization->website, "https://office.test");

    auto written = encodeTour(tour);
    ASSERT_TRUE(written) << written.error();
    for (std::string_view key : jsonKeys<Tour>()) {
        EXPECT_NE(written->find("\"" + std::string(key) + "\":"), std::string::npos) << key;
    }
    auto again = decodeTour(*written);
    ASSERT_TRUE(again) << again.error();
    auto rewritten = encodeTour(**again);
    ASSERT_TRUE(rewritten);
    // Writing is a function of the values alone, so equal texts mean equal values.
    EXPECT_EQ(*rewritten, *written);
    EXPECT_EQ((*again)->circuit_id, tour.circuit_id);
    EXPECT_EQ((*again)->city, tour.city);
    EXPECT_EQ((*again)->filter, tour.filter);
    EXPECT_EQ((*again)->inter, tour.inter);
}

TEST(TourWriting, WritingIsCompactEscapesSlashesAndLeavesOutAbsentFieldsAndOrder) {
    auto tour = decodeTour(R"({"circuit_id":"12","circuit_imagepath":"a/b.jpg","rating":null,
        "poi":[{"poi_order":"3","content":[{"content_order":"1","title":null}]}]})");
    ASSERT_TRUE(tour) << tour.error();
    // Reading the order first must not make it appear in the text.
    EXPECT_EQ((*tour)->poi->at(0)->order(), 3);
    EXPECT_EQ((*tour)->poi->at(0)->content->at(0)->order(), 1);
    auto text = encodeTour(**tour);
    ASSERT_TRUE(text) << text.error();
    EXPECT_EQ(*text, R"({"circuit_id":"12","circuit_imagepath":"a\/b.jpg","poi":[{"poi_order":"3","content":[{"content_order":"1"}]}]})");

    auto single = decodeTour(R"({"circuit_id":"12"})");
    EXPECT_EQ(*encodeTour(**single), R"({"circuit_id":"12"})");
    EXPECT_EQ(*encodeTour(Tour{}), "{}");
}

TEST(TourWriting, EscapesControlCharactersAndKeepsOtherTextAsItIs) {
    Tour tour;
    tour.title = std::string("a\"b\\c/d\te\x01\x1f\x7f") + "Ελληνικά";
    EXPECT_EQ(*encodeTour(tour), "{\"title\":\"a\\\"b\\\\c\\/d\\te\\u0001\\u001f\x7f" "Ελληνικά\"}");
    auto back = decodeTour(*encodeTour(tour));
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)->title, tour.title);
}

TEST(TourWriting, ARatingThatIsNotFiniteFailsTheWritingAndNeverWritesNull) {
    for (double rating : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()}) {
        Tour tour;
        tour.circuit_id = "12";
        tour.rating = rating;
        auto text = encodeTour(tour);
        EXPECT_FALSE(text);
        EXPECT_EQ(text.error(), "rating: cannot write a number that is not finite");
    }
    Tour tour;
    tour.rating = 1.0 / 3.0;
    auto text = encodeTour(tour);
    ASSERT_TRUE(text);
    EXPECT_EQ((*decodeTour(*text))->rating, 1.0 / 3.0);
}

TEST(TourWriting, NumbersReadBackAsTheSameValue) {
    for (double rating : {0.0, -0.0, 4.0, 0.1, 1.0 / 3.0, 5e-324, 1e-5, 1.2345678901234568e20, 9007199254740993.0,
                          -1.7976931348623157e308}) {
        Tour tour;
        tour.rating = rating;
        auto text = encodeTour(tour);
        ASSERT_TRUE(text);
        auto back = decodeTour(*text);
        ASSERT_TRUE(back) << *text << ": " << back.error();
        EXPECT_EQ(*(*back)->rating, rating) << *text;
        EXPECT_EQ(std::signbit(*(*back)->rating), std::signbit(rating)) << *text;
    }
    PoiContent content;
    for (float size : {0.1f, -0.0f, 3.4028235e38f, 1e-45f, 12.5f}) {
        content.content_size = size;
        auto back = decodeJson<PoiContentRef>(*encodeJson(content));
        ASSERT_TRUE(back);
        EXPECT_EQ(*(*back)->content_size, size);
    }
}

TEST(TourWriting, ANonFiniteContentSizeDeepInATourFailsWithItsPath) {
    auto tour = decodeTour(R"({"poi":[{"content":[{"content_id":"1"},{"content_id":"2"}]}]})");
    ASSERT_TRUE(tour);
    (*tour)->poi->at(0)->content->at(1)->content_size = std::numeric_limits<float>::infinity();
    auto text = encodeTour(**tour);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error(), "poi[0].content[1].content_size: cannot write a number that is not finite");
}

TEST(TourWriting, ToursAreSharedObjects) {
    auto reply = decodeToursReply(R"({"status":"success","results":[{"circuit_id":"1","poi":[{"poi_id":"a"}]}]})");
    ASSERT_TRUE(reply);
    TourRef holder = reply->results.at(0);
    PointOfInterestRef point = holder->poi->at(0);
    point->poi_order = "4";
    EXPECT_EQ(reply->results[0]->poi->at(0)->poi_order, "4");
}

}  // namespace
}  // namespace tq
