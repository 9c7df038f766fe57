#include <gtest/gtest.h>

#include <map>
#include <random>

#include "model/Json.h"

namespace tq {
namespace {

const char* const kThreeTours = R"({"status":"success","results":[
    {"circuit_id":"1","title":"Vieux Lyon","language":"fr"},
    {"circuit_id":"2","title":"Croix-Rousse et ses traboules","urlVideoIntro":"https:\/\/v.test\/2","rating":4.5},
    {"circuit_id":"3","title":"Confluence"}]})";

// The tours of a reply share their memory; a change to one must stay with that tour, be seen by
// every holder of it, and outlive the rest of the reply.
TEST(TourFields, ATourChangedAfterReadingChangesAloneAndOutlivesItsReply) {
    auto reply = decodeToursReply(kThreeTours);
    ASSERT_TRUE(reply) << reply.error();
    TourRef kept = reply->results[1];
    TourRef sameTour = reply->results[1];

    kept->title = "Croix-Rousse";           // an existing text, shorter
    kept->slug = "croix-rousse";            // a new text
    kept->urlVideoIntro = std::nullopt;     // a text removed
    kept->id_circuit_ko = *kept->circuit_id;  // the highest field, from another field
    kept->rating = 3.0;

    EXPECT_EQ(sameTour->title, "Croix-Rousse");
    EXPECT_EQ(*encodeTour(*reply->results[0]), R"({"circuit_id":"1","language":"fr","title":"Vieux Lyon"})");
    EXPECT_EQ(*encodeTour(*reply->results[2]), R"({"circuit_id":"3","title":"Confluence"})");

    reply = decodeToursReply(R"({"status":"success","results":[]})");
    sameTour.reset();
    EXPECT_EQ(*encodeTour(*kept),
              R"({"circuit_id":"2","rating":3,"slug":"croix-rousse","title":"Croix-Rousse","id_circuit_ko":"2"})");
}

TEST(TourFields, ACopyOfATourIsIndependentOfTheOriginalAndOfItsReply) {
    auto reply = decodeToursReply(kThreeTours);
    ASSERT_TRUE(reply) << reply.error();
    Tour copy = *reply->results[1];
    copy.title = "Copie";
    EXPECT_EQ(reply->results[1]->title, "Croix-Rousse et ses traboules");

    Tour assigned;
    assigned.circuit_id = "old";
    assigned = *reply->results[0];
    reply = decodeToursReply(R"({"status":"success","results":[]})");
    EXPECT_EQ(*encodeTour(copy),
              R"({"circuit_id":"2","rating":4.5,"title":"Copie","urlVideoIntro":"https:\/\/v.test\/2"})");
    EXPECT_EQ(*encodeTour(assigned), R"({"circuit_id":"1","language":"fr","title":"Vieux Lyon"})");
}

// The store against a plain map, through many changes in any order: texts present, absent and
// empty, on both sides of the 64-field boundary, starting from a tour read from a reply.
TEST(TourFields, TheStoreKeepsEveryTextThroughAnyOrderOfChanges) {
    std::mt19937 random(7);
    const std::vector<unsigned> fields = {0, 1, 2, 31, 62, 63, 64, 65, 80, 81};
    auto reply = decodeToursReply(R"({"status":"success","results":[{"contenu_cache":"a","urlVideoIntro":"z"}]})");
    ASSERT_TRUE(reply) << reply.error();
    TourFields& store = reply->results[0]->store;
    std::map<unsigned, std::string> model = {{0, "a"}, {81, "z"}};

    for (int step = 0; step < 400; ++step) {
        const unsigned field = fields[random() % fields.size()];
        if (random() % 3 == 0) {
            store.clearText(field);
            model.erase(field);
        } else {
            const std::string text(random() % 40, static_cast<char>('a' + step % 26));
            store.setText(field, text);
            model[field] = text;
        }
        for (unsigned f : fields) {
            const auto expected = model.find(f);
            ASSERT_EQ(store.hasText(f), expected != model.end()) << "field " << f << " at step " << step;
            ASSERT_EQ(store.text(f), expected != model.end() ? expected->second : "") << "field " << f;
        }
    }
}

TEST(TourFields, NamedFieldsReadAndCompareLikeOptionalTexts) {
    auto tour = std::make_shared<Tour>();
    EXPECT_FALSE(tour->title);
    EXPECT_EQ(tour->title.value_or("none"), "none");
    EXPECT_EQ(tour->title, std::nullopt);
    EXPECT_THROW(tour->title.value(), std::bad_optional_access);

    tour->title = std::string("Balade");
    tour->slug = std::optional<std::string>("balade");
    tour->org_name = "";
    EXPECT_TRUE(tour->org_name);  // present, though empty
    EXPECT_EQ(tour->title->size(), 6u);
    EXPECT_EQ(*tour->title + "!", "Balade!");
    EXPECT_EQ(tour->title, std::optional<std::string>("Balade"));
    EXPECT_NE(tour->title, tour->slug);
    tour->slug = tour->title;
    EXPECT_EQ(tour->title, tour->slug);
    EXPECT_TRUE(isFlagSet(tour->is_featured = "1"));
    const std::optional<std::string> held = tour->title;
    tour->title.reset();
    EXPECT_EQ(held, "Balade");
    EXPECT_FALSE(tour->title);
}

TEST(TourFields, ListFieldsAreReachedInPlace) {
    auto tour = std::make_shared<Tour>();
    EXPECT_FALSE(tour->poi);
    EXPECT_EQ(tour->rating.value_or(-1), -1);
    tour->poi = std::vector<PointOfInterestRef>{};
    tour->poi->push_back(std::make_shared<PointOfInterest>());
    (*tour->poi)[0]->poi_id = "7";
    tour->modes.emplace(1, "foot");
    tour->rating = 4.5;

    const Tour& reading = *tour;
    ASSERT_EQ(reading.poi->size(), 1u);
    EXPECT_EQ((*reading.poi)[0]->poi_id, "7");
    EXPECT_EQ(reading.modes, std::vector<std::string>{"foot"});
    EXPECT_EQ(*encodeTour(reading), R"({"modes":["foot"],"rating":4.5,"poi":[{"poi_id":"7"}]})");
    tour->poi = std::nullopt;
    EXPECT_EQ(reading.poi, std::nullopt);
}

// The memory of a released reply serves the next one: replies of several chunks (one text larger
// than any chunk among them), released and read again in turn, each keep exactly their own texts.
TEST(TourFields, TheMemoryOfAReleasedReplyServesTheNextWithItsOwnTexts) {
    const auto replyOf = [](char letter, std::size_t tours, std::size_t longText) {
        std::string json = R"({"status":"success","results":[)";
        for (std::size_t i = 0; i < tours; ++i) {
            if (i > 0) json += ',';
            const std::size_t size = i == tours / 2 ? longText : 200 + i % 700;
            json += R"({"circuit_id":")" + std::to_string(i) + R"(","description":")" + std::string(size, letter) +
                    R"(","title":")" + letter + std::to_string(i) + "\"}";
        }
        return json + "]}";
    };
    const auto expectTexts = [](const JsonResult<ApiTour>& reply, char letter, std::size_t tours, std::size_t longText) {
        ASSERT_TRUE(reply) << reply.error();
        ASSERT_EQ(reply->results.size(), tours);
        for (std::size_t i = 0; i < tours; ++i) {
            const Tour& tour = *reply->results[i];
            const std::size_t size = i == tours / 2 ? longText : 200 + i % 700;
            ASSERT_EQ(tour.description, std::string(size, letter)) << "tour " << i;
            ASSERT_EQ(tour.title, letter + std::to_string(i));
            ASSERT_EQ(tour.circuit_id, std::to_string(i));
        }
    };
    const std::string first = replyOf('a', 1500, 3 << 20);
    const std::string second = replyOf('b', 2500, 100);
    for (int round = 0; round < 2; ++round) {
        auto held = decodeToursReply(first);
        expectTexts(held, 'a', 1500, 3 << 20);
        auto next = decodeToursReply(second);
        held = decodeToursReply(R"({"status":"success","results":[]})");
        auto again = decodeToursReply(first);
        expectTexts(next, 'b', 2500, 100);
        expectTexts(again, 'a', 1500, 3 << 20);
    }
    TourTextArena::releaseSpareChunks();
    expectTexts(decodeToursReply(second), 'b', 2500, 100);
}

}  // namespace
}  // namespace tq
