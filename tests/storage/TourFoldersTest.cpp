#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/foundation/FileSystem.h"
#include "storage/TourFolders.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class TourFoldersTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    TourFolders folders{env.env()};
    fs::path cache = env->cacheDir();
    std::vector<std::string> lines() { return env->console().lines(); }
};

TEST_F(TourFoldersTest, CreatingAFolderReplacesTheOldOneWithAnEmptyOne) {
    writeText(cache / "circuit/circuit418/old.jpg", "old");
    writeText(cache / "circuit/circuit418/tiles/1/2/3.png", "tile");
    bool failed = false;
    EXPECT_TRUE(folders.createTourFolder("418", [&] { failed = true; }));
    EXPECT_FALSE(failed);
    EXPECT_TRUE(fs::is_directory(cache / "circuit/circuit418"));
    EXPECT_TRUE(fs::is_empty(cache / "circuit/circuit418"));
    EXPECT_EQ(lines(), std::vector<std::string>{"createTourFolder"});
}

TEST_F(TourFoldersTest, IdentifiersThatCouldEscapeNeverReachAPath) {
    writeText(cache / "victim/keep.txt", "keep");
    fs::create_directories(cache / "circuit/circuit");
    for (std::string id : {""s, "."s, ".."s, "/../../victim"s, "../victim"s, "a\0b"s}) {
        env->console().clear();
        std::vector<std::string> order;
        EXPECT_FALSE(folders.createTourFolder(id, [&] { order.push_back("failure reported"); })) << id;
        auto printed = lines();
        ASSERT_FALSE(printed.empty());
        EXPECT_EQ(printed.back(), "error create tour folder ") << id;
        EXPECT_EQ(order.size(), 1u);

        bool reported = true;
        folders.deleteTourFolder(id, [&](bool gone) { reported = gone; });
        EXPECT_FALSE(reported) << id;

        EXPECT_FALSE(folders.createStagingFolder(id)) << id;
        EXPECT_FALSE(folders.swapInStagingFolder(id)) << id;
    }
    EXPECT_EQ(readFile(cache / "victim/keep.txt"), "keep");
    EXPECT_TRUE(fs::is_directory(cache / "circuit/circuit"));
    EXPECT_TRUE(fs::is_empty(cache / "circuit/circuit"));
}

TEST_F(TourFoldersTest, AFolderThatCannotBeMadeReportsBeforeItsLastLine) {
    writeText(cache / "circuit", "a file where the folder belongs");
    std::vector<std::string> order;
    EXPECT_FALSE(folders.createTourFolder("418", [&] { order.push_back("failure at line " + std::to_string(lines().size())); }));
    auto printed = lines();
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0], "createTourFolder");
    EXPECT_FALSE(printed[1].empty());  // the system's description of the error
    EXPECT_EQ(printed[2], "error create tour folder ");
    EXPECT_EQ(order, std::vector<std::string>{"failure at line 2"});
    EXPECT_FALSE(folders.ensureCircuitFolder());
}

TEST_F(TourFoldersTest, EnsureCircuitFolderMakesItOnce) {
    fs::remove_all(cache);
    EXPECT_TRUE(folders.ensureCircuitFolder());
    EXPECT_TRUE(fs::is_directory(cache / "circuit"));
    EXPECT_TRUE(folders.ensureCircuitFolder());
    EXPECT_TRUE(lines().empty());
}

TEST_F(TourFoldersTest, DeletingRemovesTheFolderAndReportsEveryCase) {
    writeText(cache / "circuit/circuit418/tiles/418.zip", "zip");
    writeText(cache / "circuit/circuit419/a.jpg", "other tour");
    std::vector<bool> reports;
    folders.deleteTourFolder("418", [&](bool gone) { reports.push_back(gone); });
    EXPECT_FALSE(fs::exists(cache / "circuit/circuit418"));
    EXPECT_TRUE(fs::exists(cache / "circuit/circuit419/a.jpg"));
    EXPECT_EQ(lines(), std::vector<std::string>{"deleteTourFolder"});
    // A folder that is not there is no failure: the tour's files are gone all the same.
    folders.deleteTourFolder("418", [&](bool gone) { reports.push_back(gone); });
    EXPECT_EQ(reports, (std::vector<bool>{true, true}));
}

TEST_F(TourFoldersTest, AStagedVersionSwapsInAndBackWithoutLosingTheOld) {
    writeText(cache / "circuit/circuit418/old.jpg", "old");
    writeText(cache / "circuit/update-circuit418/left-over.jpg", "from a crashed update");
    auto staging = folders.createStagingFolder("418");
    ASSERT_TRUE(staging);
    EXPECT_TRUE(fs::is_empty(*staging));
    EXPECT_EQ(readFile(cache / "circuit/circuit418/old.jpg"), "old");  // untouched while staging
    writeText(*staging / "new.jpg", "new");

    ASSERT_TRUE(folders.swapInStagingFolder("418"));
    EXPECT_EQ(readFile(cache / "circuit/circuit418/new.jpg"), "new");
    EXPECT_EQ(readFile(*staging / "old.jpg"), "old");

    ASSERT_TRUE(folders.swapBackStagingFolder("418"));
    EXPECT_EQ(readFile(cache / "circuit/circuit418/old.jpg"), "old");
    EXPECT_FALSE(fs::exists(cache / "circuit/circuit418/new.jpg"));

    folders.removeStagingFolder("418");
    EXPECT_FALSE(fs::exists(*staging));
    EXPECT_EQ(readFile(cache / "circuit/circuit418/old.jpg"), "old");
}

TEST_F(TourFoldersTest, AStagedVersionOfATourWithoutFolderMovesInAndBackOut) {
    auto staging = folders.createStagingFolder("418");
    ASSERT_TRUE(staging);
    writeText(*staging / "new.jpg", "new");
    ASSERT_TRUE(folders.swapInStagingFolder("418"));
    EXPECT_EQ(readFile(cache / "circuit/circuit418/new.jpg"), "new");
    EXPECT_FALSE(fs::exists(*staging));
    ASSERT_TRUE(folders.swapBackStagingFolder("418"));
    EXPECT_FALSE(fs::exists(cache / "circuit/circuit418"));
}

const std::vector<std::string> assetFiles{
    "offline.html",          "leaflet.js",          "leaflet.css",        "jquery-3.3.1.min.js",
    "default_tile_en.png",   "default_tile_fr.png", "position.png",       "marker-icon.png",
    "marker-shadow.png",     "leaflet-rotate-src-modified.js"};

TEST_F(TourFoldersTest, OfflineMapAssetsAreCopiedOnceAndNeverReplaced) {
    folders.copyOfflineMapAssets();
    EXPECT_TRUE(lines().empty());
    for (const auto& name : assetFiles) {
        auto source = env->bundle().pathForResource(fs::path(name).stem().string(), fs::path(name).extension().string().substr(1));
        ASSERT_TRUE(source) << name;
        EXPECT_EQ(readFile(cache / name), readFile(*source)) << name;
    }
    writeText(cache / "leaflet.js", "kept by the first launch");

    TourFolders secondLaunch(env.env());
    secondLaunch.copyOfflineMapAssets();
    EXPECT_EQ(lines(), (std::vector<std::string>{"Unable to copy file---", "Unable to copy file0", "Unable to copy file1",
                                                 "Unable to copy file2", "Unable to copy file3", "Unable to copy file4",
                                                 "Unable to copy file5", "Unable to copy file6", "Unable to copy file7",
                                                 "Unable to copy file8"}));
    EXPECT_EQ(readFile(cache / "leaflet.js"), "kept by the first launch");
    for (const auto& entry : fs::directory_iterator(cache)) {
        EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
    }
}

TEST(OfflineMapAssets, AMissingResourceStopsTheWalk) {
    test::TempDir bundle;
    test::TestEnvironment real;
    for (const auto& name : assetFiles) {
        if (name == "position.png") continue;
        auto source = real->bundle().pathForResource(fs::path(name).stem().string(), fs::path(name).extension().string().substr(1));
        ASSERT_TRUE(source) << name;
        fs::copy_file(*source, bundle.path() / name);
    }
    test::TestEnvironmentOptions options;
    options.bundleDir = bundle.path();
    test::TestEnvironment env(options);
    TourFolders(env.env()).copyOfflineMapAssets();
    EXPECT_EQ(env->console().lines(), std::vector<std::string>{"Source position not found."});
    for (std::size_t i = 0; i < assetFiles.size(); ++i) {
        bool copied = i < 6;
        EXPECT_EQ(fs::exists(env->cacheDir() / assetFiles[i]), copied) << assetFiles[i];
    }
}

TEST(OfflineMapAssets, TheBundleHoldsARealPageAndRealAssets) {
    test::TestEnvironment env;
    // The page and the map script it shares with the online page.
    auto page = readFile(env->bundle().root() / "offline.html");
    auto script = readFile(env->bundle().root() / "leaflet-rotate-src-modified.js");
    ASSERT_TRUE(page && script);
    *page += *script;
    for (const auto& name : assetFiles) {
        auto content = readFile(env->bundle().root() / name);
        ASSERT_TRUE(content && !content->empty()) << name;
        if (name != "offline.html") {
            EXPECT_NE(page->find(name), std::string::npos) << "the page does not use " << name;
        }
        if (name.ends_with(".png")) {
            EXPECT_EQ(content->substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
        }
    }
    EXPECT_NE(readFile(env->bundle().root() / "leaflet.js")->find("Leaflet"), std::string::npos);
    EXPECT_NE(readFile(env->bundle().root() / "jquery-3.3.1.min.js")->find("jQuery"), std::string::npos);
    for (const char* function : {"function showMap(", "function next(", "function poiValue(", "function poiAroundValue(",
                                 "function centerMap(", "function currentLocation(", "function removeCurrentLocation(",
                                 "function panToLocation(", "function deviceRotation(", "function mapFollowsDirection(",
                                 "function showAround("}) {
        EXPECT_NE(page->find(function), std::string::npos) << function;
    }
}

}  // namespace
}  // namespace tq
