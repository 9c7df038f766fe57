#include <gtest/gtest.h>

#include "model/Json.h"
#include "platform/foundation/Console.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

PoiContent contentWith(std::optional<std::string> metadata, std::optional<std::string> type = "video") {
    PoiContent content;
    content.metadata = std::move(metadata);
    content.type = std::move(type);
    return content;
}

TEST(Metadata, UsualFormFillsEveryMediaFieldAndTheKind) {
    Console console;
    auto content = contentWith(R"({"status":1,"width":640,"height":480,"duration":95,"size":12.5,
        "filePath":"http://cdn.test/v.mp4","panorama":"http://cdn.test/p.jpg",
        "thumbnailUrl":"http://cdn.test/t.jpg?back=http://x","webThumbnailUrl":"w","other":[1]})");
    content.parseMetadata(console);
    EXPECT_TRUE(console.lines().empty());
    EXPECT_EQ(content.content_status, 1);
    EXPECT_EQ(content.content_width, 640);
    EXPECT_EQ(content.content_height, 480);
    EXPECT_EQ(content.content_duration, 95);
    EXPECT_EQ(content.content_size, 12.5f);
    // Only the thumbnail is moved to https, at every occurrence; the media addresses stay as given.
    EXPECT_EQ(content.content_filepath, "http://cdn.test/v.mp4");
    EXPECT_EQ(content.content_panorama, "http://cdn.test/p.jpg");
    EXPECT_EQ(content.content_thumbnailUrl, "https://cdn.test/t.jpg?back=https://x");
    EXPECT_EQ(content.content_type, ContentType::video);

    // Running it again gives the same fields.
    content.parseMetadata(console);
    EXPECT_EQ(content.content_thumbnailUrl, "https://cdn.test/t.jpg?back=https://x");
    EXPECT_EQ(content.content_type, ContentType::video);
}

TEST(Metadata, Cases) {
    struct Case {
        const char* what;
        std::optional<std::string> metadata;
        std::optional<std::string> type;
        std::vector<std::string> linePrefixes;  // console lines, by their beginning
        bool changes;                          // the record takes the metadata's fields
        std::optional<float> size;
        std::optional<ContentType> kind;
    };
    const std::vector<Case> cases = {
        {"absent", std::nullopt, "img", {"metadata nil or empty"}, false, {}, {}},
        {"two braces", "{}", "img", {"metadata nil or empty"}, false, {}, {}},
        {"empty object with a blank", "{ }", "img", {}, true, {}, ContentType::img},
        {"empty text", "", "img", {"metadata error : ", "metadata error222 : "}, false, {}, {}},
        {"null literal", "null", "img", {"metadata error : ", "metadata error222 : "}, false, {}, {}},
        {"invalid text", "{size:1", "img", {"metadata error : ", "metadata error222 : "}, false, {}, {}},
        {"wrong type in both forms", R"({"width":"640"})", "img", {"metadata error : ", "metadata error222 : "},
         false, {}, {}},
        {"size as decimal text", R"({"size":"12.5","filePath":"f"})", "audio", {"metadata error : "}, true, 12.5f,
         ContentType::audio},
        {"size text that is no number", R"({"size":"12,5"})", "audio", {"metadata error : "}, true, std::nullopt,
         ContentType::audio},
        {"size text absent in second form", R"({"size":"3","width":"x"})", "audio",
         {"metadata error : ", "metadata error222 : "}, false, {}, {}},
        {"size as number", R"({"size":3})", "panorama", {}, true, 3.0f, ContentType::panorama},
        {"no type", R"({"size":3})", std::nullopt, {}, true, 3.0f, ContentType::none},
        {"unknown type", R"({"size":3})", "Audio", {}, true, 3.0f, ContentType::none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Console console;
        auto content = contentWith(c.metadata, c.type);
        content.content_filepath = "earlier";
        content.parseMetadata(console);
        auto lines = console.lines();
        ASSERT_EQ(lines.size(), c.linePrefixes.size());
        for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(c.linePrefixes[i], 0), 0u) << lines[i];
        if (c.changes) {
            EXPECT_EQ(content.content_size, c.size);
            EXPECT_EQ(content.content_type, c.kind);
            // A key missing from the metadata clears the field an earlier parse had set.
            if (c.metadata->find("filePath") == std::string::npos) {
                EXPECT_EQ(content.content_filepath, std::nullopt);
            }
        } else {
            EXPECT_EQ(content.content_filepath, "earlier");
            EXPECT_EQ(content.content_type, std::nullopt);
        }
    }
}

TEST(Metadata, ReportsToTheCurrentEnvironmentsConsole) {
    test::TestEnvironment env;
    auto content = contentWith(std::nullopt);
    content.parseMetadata();
    EXPECT_TRUE(env->console().contains("metadata nil or empty"));
}

TEST(Metadata, KindForTypeText) {
    const std::vector<std::pair<std::string, ContentType>> cases = {
        {"audio", ContentType::audio}, {"video", ContentType::video},   {"txt", ContentType::txt},
        {"panorama", ContentType::panorama}, {"img", ContentType::img}, {"Audio", ContentType::none},
        {"image", ContentType::none},  {"", ContentType::none},         {"img ", ContentType::none},
    };
    for (const auto& [text, kind] : cases) EXPECT_EQ(contentTypeForType(text), kind) << text;

    const std::vector<std::pair<ContentType, std::string>> names = {
        {ContentType::panorama, "panorama"}, {ContentType::txt, "txt"},     {ContentType::img, "img"},
        {ContentType::video, "video"},       {ContentType::audio, "audio"}, {ContentType::none, "none"},
    };
    for (const auto& [kind, name] : names) EXPECT_EQ(contentTypeName(kind), name);

    PoiContent video;
    video.content_type = ContentType::video;
    EXPECT_EQ(*encodeJson(video), R"({"content_type":3})");
}

TEST(CustomMapStart, CopiesTheStartPointOrReportsAndKeepsTheFields) {
    struct Case {
        const char* what;
        std::optional<std::string> useCustomMap;
        std::optional<std::string> metadata;
        bool copied;
        bool errorLine;
    };
    const std::vector<Case> cases = {
        {"valid", "1", R"({"starting_poi_lat":"45.7","starting_poi_long":"4.8"})", true, false},
        {"missing longitude", "1", R"({"starting_poi_lat":"45.7"})", false, true},
        {"numeric longitude", "1", R"({"starting_poi_lat":"45.7","starting_poi_long":4.8})", false, true},
        {"no metadata", "1", std::nullopt, false, true},
        {"not a custom map", "2", R"({"starting_poi_lat":"45.7","starting_poi_long":"4.8"})", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Console console;
        Tour tour;
        tour.use_custom_map = c.useCustomMap;
        tour.custom_map_metadata = c.metadata;
        tour.customMapLat.emplace("1");
        EXPECT_EQ(applyCustomMapStart(tour, console), c.copied);
        EXPECT_EQ(tour.customMapLat, c.copied ? "45.7" : "1");
        EXPECT_EQ(tour.customMapLong, c.copied ? std::optional<std::string>("4.8") : std::nullopt);
        EXPECT_EQ(console.containsPrefix("metadata error : "), c.errorLine);
    }
}

TEST(Flags, OnlyExactlyOneMeansYes) {
    EXPECT_TRUE(isFlagSet(std::string("1")));
    for (const char* no : {"01", " 1", "yes", "0", "", "2"}) EXPECT_FALSE(isFlagSet(std::string(no))) << no;
    EXPECT_FALSE(isFlagSet(std::nullopt));
}

}  // namespace
}  // namespace tq
