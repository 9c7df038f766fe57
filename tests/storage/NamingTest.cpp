#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "storage/PathComponents.h"
#include "storage/TourFiles.h"

namespace tq {
namespace {

using namespace std::string_literals;

TEST(PathComponents, OnlyPlainNamesAreSafe) {
    struct Case {
        std::string name;
        bool safe;
    };
    const Case cases[] = {
        {"418", true},       {"harbour.jpg", true}, {"...", true},      {".hidden", true},
        {"", false},         {".", false},          {"..", false},      {"a/b", false},
        {"/", false},        {"../x", false},       {"x\0y"s, false},   {"trailing/", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isSafePathComponent(c.name), c.safe) << c.name;
}

TEST(PathComponents, LastComponentAndSecureScheme) {
    EXPECT_EQ(lastPathComponent("images/circuits/harbour.jpg"), "harbour.jpg");
    EXPECT_EQ(lastPathComponent("harbour.jpg"), "harbour.jpg");
    EXPECT_EQ(lastPathComponent("media/"), "");
    EXPECT_EQ(secureAddress("http://h.example/a.mp3"), "https://h.example/a.mp3");
    EXPECT_EQ(secureAddress("https://h.example/a.mp3"), "https://h.example/a.mp3");
    // Only a leading scheme is rewritten: an "http:" inside the address stays.
    EXPECT_EQ(secureAddress("https://h.example/go?to=http://x"), "https://h.example/go?to=http://x");
    EXPECT_EQ(secureAddress("ftp://http:/x"), "ftp://http:/x");
}

TEST(TourFiles, StoredNamesOfATour) {
    TourFiles files("/cache");
    struct Case {
        const char* what;
        std::optional<std::filesystem::path> actual;
        std::optional<std::filesystem::path> expected;
    };
    const Case cases[] = {
        {"tour folder", files.tourFolder("418"), "/cache/circuit/circuit418"},
        {"main image", files.mainImage("418", "images/circuits/harbour.jpg"), "/cache/circuit/circuit418/harbour.jpg"},
        {"resized main image", files.mainImage("418", "upload_pic/resized/pic.jpg"), "/cache/circuit/circuit418/pic.jpg"},
        {"audio", files.mediaFile("418", "77", "audio", "http://m.example/media/track.mp3"),
         "/cache/circuit/circuit418/77track.mp3"},
        {"panorama", files.mediaFile("418", "12", "panorama", "http://m.example/media/whatever.jpg"),
         "/cache/circuit/circuit418/360_12360_12.jpg"},
        {"image content", files.contentImage("418", "5", "http://m.example/p/thumb_view.jpg"),
         "/cache/circuit/circuit418/5thumb_view.jpg"},
        {"address ending in /", files.mediaFile("418", "77", "video", "http://m.example/media/"),
         "/cache/circuit/circuit418/77"},
        {"tiles", files.tilesFolder("418"), "/cache/circuit/circuit418/tiles"},
        {"tile archive", files.tileArchive("418"), "/cache/circuit/circuit418/tiles/418.zip"},
        {"offline page", files.offlinePage(), "/cache/offline.html"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
}

TEST(TourFiles, NamesThatCouldLeaveTheFolderGiveNoPath) {
    TourFiles files("/cache");
    for (std::string id : {""s, "."s, ".."s, "a/b"s, "/../../victim"s, "4\0 18"s}) {
        EXPECT_FALSE(files.tourFolder(id)) << id;
        EXPECT_FALSE(files.tilesFolder(id)) << id;
        EXPECT_FALSE(files.tileArchive(id)) << id;
        EXPECT_FALSE(files.mainImage(id, "a.jpg")) << id;
    }
    for (std::string content : {""s, ".."s, "a/b"s}) {
        EXPECT_FALSE(files.mediaFile("418", content, "audio", "x/a.mp3")) << content;
        EXPECT_FALSE(files.mediaFile("418", content, "panorama", "x/a.jpg")) << content;
        EXPECT_FALSE(files.contentImage("418", content, "x/a.jpg")) << content;
    }
    for (std::string address : {"images/"s, "images/.."s, "."s, ""s}) {
        EXPECT_FALSE(files.mainImage("418", address)) << address;
    }
    EXPECT_FALSE(files.mediaFile("418", "77", "audio", "media/.."));
    EXPECT_FALSE(files.contentImage("418", "5", "media/."));
}

TEST(TourFiles, DownloadAddresses) {
    struct Case {
        std::string actual;
        std::string expected;
    };
    const Case cases[] = {
        // A panorama's picture is fetched under its 360° name; the identifier elsewhere in the address stays.
        {TourFiles::mediaFileAddress("12", "panorama", "http://m.example/12/media/12.jpg"),
         "https://m.example/12/media/360_12.jpg"},
        {TourFiles::mediaFileAddress("12", "panorama", "https://m.example/media/a12b12.jpg"),
         "https://m.example/media/a360_12b360_12.jpg"},
        {TourFiles::mediaFileAddress("12", "video", "http://m.example/media/12.mp4"), "https://m.example/media/12.mp4"},
        // An image content fetches the full picture; a "thumb_" folder is no part of the name.
        {TourFiles::contentImageAddress("img", "http://m.example/thumb_dir/thumb_view.jpg"),
         "https://m.example/thumb_dir/view.jpg"},
        {TourFiles::contentImageAddress("video", "http://m.example/p/thumb_view.jpg"),
         "https://m.example/p/thumb_view.jpg"},
        {TourFiles::tileArchiveAddress("https://assets.example/public/assets/", "418"),
         "https://assets.example/public/assets/map_tiles/circuit418/418.zip"},
        // Identifiers that would cut the address short or change its path are escaped.
        {TourFiles::tileArchiveAddress("https://assets.example/public/assets/", "4%1 8?x#y"),
         "https://assets.example/public/assets/map_tiles/circuit4%251%208%3Fx%23y/4%251%208%3Fx%23y.zip"},
        {TourFiles::tileArchiveAddress("https://assets.example/public/assets/", "../7"),
         "https://assets.example/public/assets/map_tiles/circuit..%2F7/..%2F7.zip"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

}  // namespace
}  // namespace tq
