#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A cache as a program killed half-way through its work leaves it: tour 418 is stored and was
// being updated, tour 77 was being downloaded for the first time.
class LeftoversTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    fs::path cache = env->cacheDir();
    fs::path circuits = cache / "circuit";

    void SetUp() override {
        bool stored = false;
        env->shared<TourStore>().database.addTour("418", R"({"circuit_id":"418"})", [&](bool ok) { stored = ok; });
        ASSERT_TRUE(stored);
        env.relaunch();
        cache = env->cacheDir();
        circuits = cache / "circuit";

        write(circuits / "circuit418/main_418.jpg", "picture");
        write(circuits / "circuit418/tiles/14/4823/5812.png", "tile");
        write(circuits / "circuit418/.12intro.mp3.part-Xa81Qz", "half an audio file");
        write(circuits / "circuit418/tiles/.418.zip.part-c0ffee", "half an archive");
        write(circuits / "update-circuit418/main_418.jpg", "new picture");
        write(circuits / "update-circuit418/.13tour.mp4.part-b7Lx2P", "half a video");
        write(circuits / "circuit77/main_77.jpg", "picture");
        write(circuits / "circuit77/.77.zip.part-9FhQ1w", "half an archive");
        write(cache / ".offline.html.part-4242-0", "half a page");
        write(cache / "offline.html", "<html>");
        write(circuits / "notes.txt", "not ours to judge");
    }

    bool firstConnection() {
        bool exists = false;
        env->shared<TourStore>().database.tourExist("418", [&](bool e) { exists = e; });
        return exists;
    }
};

TEST_F(LeftoversTest, TheFirstConnectionOfALaunchClearsWhatAKillLeftAndKeepsStoredTours) {
    EXPECT_TRUE(fs::exists(circuits / "circuit77"));  // nothing happens before the catalogue is opened
    EXPECT_TRUE(firstConnection());

    for (const char* kept : {"circuit/circuit418/main_418.jpg", "circuit/circuit418/tiles/14/4823/5812.png",
                             "offline.html", "circuit/notes.txt"}) {
        EXPECT_TRUE(fs::exists(cache / kept)) << kept;
    }
    for (const char* gone : {"circuit/circuit418/.12intro.mp3.part-Xa81Qz", "circuit/circuit418/tiles/.418.zip.part-c0ffee",
                             "circuit/update-circuit418", "circuit/circuit77", ".offline.html.part-4242-0"}) {
        EXPECT_FALSE(fs::exists(cache / gone)) << gone;
    }
    EXPECT_TRUE(env->console().contains("Removed the left-over " + (circuits / "circuit77").string()));
}

TEST_F(LeftoversTest, OnlyTheFirstConnectionOfARunClears) {
    firstConnection();
    // A download of this run is under way: its folder has no row yet.
    write(circuits / "circuit99/.main_99.jpg.part-AAAAAA", "arriving");
    firstConnection();
    EXPECT_TRUE(fs::exists(circuits / "circuit99/.main_99.jpg.part-AAAAAA"));
}

TEST_F(LeftoversTest, ACatalogueThatCannotBeReadKeepsEverything) {
    write(cache / "TrelvoQuest.sqlite3", "this is no database, and it is not empty either");
    EXPECT_FALSE(firstConnection());
    EXPECT_TRUE(fs::exists(circuits / "circuit77/main_77.jpg"));
    EXPECT_TRUE(fs::exists(circuits / "update-circuit418"));
    EXPECT_TRUE(fs::exists(circuits / "circuit418/.12intro.mp3.part-Xa81Qz"));
}

}  // namespace
}  // namespace tq
