#include <gtest/gtest.h>

#include "model/Json.h"

namespace tq {
namespace {

// The error of reading `json` as T, or nothing when it reads.
template <class T>
std::optional<std::string> errorReading(std::string_view json) {
    auto result = decodeJson<T>(json);
    if (result) return std::nullopt;
    return result.error();
}

struct Case {
    const char* what;
    std::optional<std::string> (*read)(std::string_view);
    std::string json;
    std::string errorStart;  // empty: the text must read
};

// A present value of the wrong type fails the record and everything around it, and the error
// names the field by its path; null and unknown keys do not.
TEST(RecordReading, WrongTypesFailAndNameTheFieldNullsDoNot) {
    const auto tour = &errorReading<TourRef>;
    const auto point = &errorReading<PointOfInterestRef>;
    const auto content = &errorReading<PoiContentRef>;
    const std::vector<Case> cases = {
        {"numeric identifier", tour, R"({"circuit_id":12})", "circuit_id: expected a text, found a whole number"},
        {"rating as text", tour, R"({"rating":"4.5"})", "rating: expected a number, found a text"},
        {"numeric count", tour, R"({"poi_count":3})", "poi_count: expected a text"},
        {"boolean flag", tour, R"({"is_featured":true})", "is_featured: expected a text, found a boolean"},
        {"modes as one text", tour, R"({"modes":"walk"})", "modes: expected an array, found a text"},
        {"number inside modes", tour, R"({"modes":["walk",1]})", "modes[1]: expected a text"},
        {"null inside modes", tour, R"({"modes":["walk",null]})", "modes[1]: expected a text, found null"},
        {"filter without its order", tour,
         R"({"filter":[{"filter_id":"1","parent_id":"0","filter_name_en":"a","filter_name_fr":"b"}]})",
         "filter[0].filter_order: required"},
        {"filter with a null parent", tour,
         R"({"filter":[{"filter_id":"1","parent_id":null,"filter_name_en":"a","filter_name_fr":"b","filter_order":"1"}]})",
         "filter[0].parent_id: required"},
        {"inter with a numeric latitude", tour,
         R"({"inter":[{"inter_id":"1","owner_id":"2","lat":45.1,"long":"4.8","inter_order":"1"}]})",
         "inter[0].lat: expected a text"},
        {"numeric city region", tour, R"({"city":{"place_code":"x","region_id":5}})", "city.region_id: expected a text"},
        {"city as text", tour, R"({"city":"Lyon"})", "city: expected an object"},
        {"numeric point latitude", tour, R"({"poi":[{"poi_id":"1"},{"lat":45.1}]})", "poi[1].lat: expected a text"},
        {"null point", tour, R"({"poi":[null]})", "poi[0]: expected an object, found null"},
        {"content kind out of range", tour, R"({"poi":[{"content":[{"content_type":9}]}]})",
         "poi[0].content[0].content_type: expected a content type 0 to 5"},
        {"content list as object", tour, R"({"poi":[{"content":{}}]})", "poi[0].content: expected an array"},
        {"not an object", tour, R"(["circuit_id"])", "expected an object, found an array"},
        {"empty text", tour, "", "invalid JSON"},
        {"truncated", tour, R"({"circuit_id":"12")", "invalid JSON"},
        {"nulls and unknown keys", tour,
         R"({"circuit_id":"12","id_circuit_en":null,"filter":null,"poi":null,"city":null,"rating":null,"unknown":[1,{"a":2}]})",
         ""},
        {"whole-number rating", tour, R"({"rating":4})", ""},
        {"organisation as text", point, R"({"organization":"Trelvo"})", "organization: expected an object"},
        {"organisation with a numeric name", point, R"({"organization":{"name":7}})", "organization.name: expected a text"},
        {"point order as number", point, R"({"poi_order":3})", "poi_order: expected a text"},
        {"point key order ignored", point, R"({"order":"x","organisation":5})", ""},
        {"content status as text", content, R"({"content_status":"3"})", "content_status: expected a whole number"},
        {"content status with fraction", content, R"({"content_status":2.5})", "content_status: expected a whole number"},
        {"content status beyond 64 bits", content, R"({"content_status":18446744073709551615})", "content_status"},
        {"content kind as text", content, R"({"content_type":"video"})", "content_type: expected a whole number"},
        {"negative content kind", content, R"({"content_type":-1})", "content_type: expected a content type"},
        {"content size beyond float", content, R"({"content_size":1e300})", "content_size"},
        {"content kind 5", content, R"({"content_type":5,"content_size":12.5})", ""},
        {"country without Spanish name", &errorReading<Country>,
         R"({"iso":"FR","country_name_fr":"France","country_name_en":"France"})", "country_name_es: required"},
        {"country with null code", &errorReading<Country>,
         R"({"iso":null,"country_name_fr":"a","country_name_en":"b","country_name_es":"c"})", "iso: required"},
        {"state with numeric code", &errorReading<State>,
         R"({"country_iso":"FR","state_iso":84,"state_name_fr":"a","state_name_en":"b","state_name_es":"c"})",
         "state_iso: expected a text"},
        {"city with numeric region", &errorReading<City>, R"({"region_id":5})", "region_id: expected a text"},
        {"city with null region", &errorReading<City>, R"({"region_id":null,"place_code":"69123"})", ""},
        {"world-map marker with numeric latitude", &errorReading<PoiMap>, R"({"circuit_id":"1","lat":45.7})",
         "lat: expected a text"},
        {"rating row without uid", &errorReading<Rating>, R"({"circuit_id":"12"})", "uid: required"},
        {"language without Spanish name", &errorReading<Language>, R"({"lang_iso":"fr","lang_en":"French","lang_fr":"Français"})",
         "lang_es: required"},
        {"custom map start with numeric longitude", &errorReading<TourMetaCustomMap>,
         R"({"starting_poi_lat":"45.7","starting_poi_long":4.8})", "starting_poi_long: expected a text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto error = c.read(c.json);
        if (c.errorStart.empty()) {
            EXPECT_EQ(error, std::nullopt);
        } else {
            ASSERT_TRUE(error.has_value());
            EXPECT_EQ(error->rfind(c.errorStart, 0), 0u) << *error;
        }
    }
}

TEST(RecordReading, ReadValuesAreExactlyThoseOfTheText) {
    auto tour = decodeTour(R"({"circuit_id":"12","id_circuit_en":null,"id_circuit_fr":"0","rating":4,
                               "poi":[],"city":{"place_code":"69123"},"extra":"ignored"})");
    ASSERT_TRUE(tour) << tour.error();
    const Tour& t = **tour;
    EXPECT_EQ(t.circuit_id, "12");
    EXPECT_EQ(t.id_circuit_en, std::nullopt);
    EXPECT_EQ(t.id_circuit_fr, "0");
    EXPECT_EQ(t.rating, 4.0);
    ASSERT_TRUE(t.poi.has_value());
    EXPECT_TRUE(t.poi->empty());
    EXPECT_EQ(t.filter, std::nullopt);
    ASSERT_TRUE(t.city.has_value());
    City expectedCity;
    expectedCity.place_code = "69123";
    EXPECT_EQ(*t.city, expectedCity);
    EXPECT_EQ(t.title, std::nullopt);

    auto point = decodeJson<PointOfInterestRef>(R"({"organization":{"name":"Office"},"content":null})");
    ASSERT_TRUE(point) << point.error();
    ASSERT_NE((*point)->organization, nullptr);
    EXPECT_EQ((*point)->organization->name, "Office");
    EXPECT_EQ((*point)->organization->org_id, std::nullopt);
    EXPECT_EQ((*point)->content, std::nullopt);

    auto ignored = decodeJson<PointOfInterestRef>(R"({"organisation":{"name":"Office"}})");
    ASSERT_TRUE(ignored);
    EXPECT_EQ((*ignored)->organization, nullptr);
}

// Within one object the last occurrence of a key decides, as the platform's reader does; an
// earlier value of the wrong type is then no failure.
TEST(RecordReading, RepeatedKeysTakeTheLastValue) {
    struct DuplicateCase {
        const char* json;
        std::optional<std::string> circuitId;
        bool reads;
    };
    const std::vector<DuplicateCase> cases = {
        {R"({"circuit_id":"1","circuit_id":"2"})", "2", true},
        {R"({"circuit_id":1,"circuit_id":"2"})", "2", true},
        {R"({"circuit_id":"1","circuit_id":null})", std::nullopt, true},
        {R"({"circuit_id":"1","circuit_id":2})", std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        auto tour = decodeTour(c.json);
        ASSERT_EQ(tour.ok(), c.reads) << tour.error();
        if (c.reads) {
            EXPECT_EQ((*tour)->circuit_id, c.circuitId);
        }
    }
    auto country = decodeJson<Country>(
        R"({"iso":"FR","country_name_fr":"a","country_name_en":"b","country_name_es":"c","iso":null})");
    EXPECT_FALSE(country);
}

// The reader never crashes and never accepts broken text: invalid UTF-8 inside a text fails the
// whole reading cleanly.
TEST(RecordReading, InvalidUtf8AndBrokenTextFailCleanly) {
    const std::vector<std::string> texts = {
        std::string("{\"title\":\"caf\xC3\"}"),
        std::string("{\"title\":\"\xFF\xFE\"}"),
        std::string("{\"circuit_id\":\"12\"}\x80"),
        std::string("{\"circuit_id\":\"12\"} trailing"),
        std::string("{\"circuit_id\":\"12\",}"),
        std::string(2000, '[') ,
        std::string("\0\0\0", 3),
    };
    for (const auto& text : texts) {
        auto tour = decodeTour(text);
        EXPECT_FALSE(tour);
        EXPECT_FALSE(tour.error().empty());
    }
    auto fine = decodeTour("{\"title\":\"Caf\xC3\xA9 \\u00e9\"}");
    ASSERT_TRUE(fine) << fine.error();
    EXPECT_EQ((*fine)->title, "Caf\xC3\xA9 \xC3\xA9");
}

// A whole string with spare room is read where it lies: whatever sits past its end (here the rest
// of a longer text it was cut from) must neither complete a broken text nor change a reading.
TEST(RecordReading, AStringReadInPlaceEndsAtItsSize) {
    const std::vector<std::pair<std::string, std::string>> cutTexts = {
        {R"({"title":"ab)", R"(c"})"},
        {R"({"rating":4)", R"(5})"},
        {R"({"modes":["foot")", R"(]})"},
        {R"({"circuit_id":"12"})", R"(,"title":"not part of it"})"},
        {R"({"circuit_id":"12"} )", R"(tru)"},
    };
    for (const auto& [text, rest] : cutTexts) {
        std::string cut = text + rest + std::string(100, ' ');
        cut.resize(text.size());
        ASSERT_GE(cut.capacity() - cut.size(), jsonReadAhead);
        auto inPlace = decodeTour(cut);
        auto copied = decodeTour(std::string_view(text));
        ASSERT_EQ(inPlace.ok(), copied.ok()) << text;
        if (!copied) {
            EXPECT_EQ(inPlace.error(), copied.error()) << text;
            continue;
        }
        EXPECT_EQ((*inPlace)->title, (*copied)->title) << text;
        EXPECT_EQ((*inPlace)->rating, (*copied)->rating) << text;
    }
}

// Keys are found by a few of their bytes; a key that shares those with a field's key but differs
// elsewhere is an unknown key, ignored.
TEST(RecordReading, NearMissKeysAreUnknown) {
    auto tour = decodeTour(R"({"cXrcuit_id":12,"raXing_total_counter":1,"id_circuXt_fr":[],"cit":1,)"
                           R"("circuit_id":"7","rating_total_counter":"3","id_circuit_fr":"8"})");
    ASSERT_TRUE(tour) << tour.error();
    EXPECT_EQ((*tour)->circuit_id, "7");
    EXPECT_EQ((*tour)->rating_total_counter, "3");
    EXPECT_EQ((*tour)->id_circuit_fr, "8");
}

TEST(RecordReading, RegionTypeAndContentTypeRawValues) {
    EXPECT_EQ(regionTypeFromInt(0), RegionType::country);
    EXPECT_EQ(regionTypeFromInt(1), RegionType::state);
    EXPECT_EQ(regionTypeFromInt(2), RegionType::city);
    EXPECT_EQ(regionTypeFromInt(3), std::nullopt);
    EXPECT_EQ(regionTypeFromInt(-1), std::nullopt);
    for (int raw = 0; raw <= 5; ++raw) EXPECT_EQ(static_cast<int>(*contentTypeFromRaw(raw)), raw);
    EXPECT_EQ(contentTypeFromRaw(6), std::nullopt);
    EXPECT_EQ(contentTypeFromRaw(-1), std::nullopt);
}

}  // namespace
}  // namespace tq
