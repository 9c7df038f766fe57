#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/foundation/FileSystem.h"
#include "platform/services/FileURL.h"
#include "storage/DBManager.h"
#include "storage/StorageListeners.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

struct RecordingScreen : UpdateRequester {
    int unlocks = 0;
    void unlockAfterUpdate() override { ++unlocks; }
};

struct StoredRow {
    std::string id, json, flag, time;
};

// Reads the catalogue straight from the file, by plain path, as a second opinion.
std::vector<StoredRow> storedRows(const fs::path& file) {
    SQLite::Database db(file.string(), SQLite::OPEN_READONLY);
    SQLite::Statement select(db, R"(SELECT id_circuit, imagepath, is_uptodate, ask_for_donation FROM "Catalog" ORDER BY rowid)");
    std::vector<StoredRow> rows;
    while (select.executeStep()) {
        rows.push_back({select.getColumn(0).getString(), select.getColumn(1).getString(), select.getColumn(2).getString(),
                        select.getColumn(3).getString()});
    }
    return rows;
}

std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts));
}

class DBManagerTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    DBManager& db = env->shared<TourStore>().database;
    fs::path file = env->cacheDir() / "TrelvoQuest.sqlite3";

    void SetUp() override { env->console().clear(); }
    std::vector<std::string> lines() { return env->console().lines(); }
    bool exists(const std::string& id) {
        bool answer = false;
        db.tourExist(id, [&](bool e) { answer = e; });
        return answer;
    }
    bool add(const std::string& id, const std::string& json = R"({"status":"success","results":[]})") {
        bool stored = false;
        db.addTour(id, json, [&](bool s) { stored = s; });
        return stored;
    }
};

TEST_F(DBManagerTest, TheFirstAccessCopiesTheBundleDatabaseOnce) {
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(&DBManager::shared(), &db);
    ASSERT_TRUE(add("418"));

    env.relaunch();
    auto& again = env->shared<TourStore>().database;
    // The catalogue's own launch line; the offline map page's lines follow it.
    auto printed = env->console().lines();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.front(), "FILE AVAILABLE");
    EXPECT_FALSE(env->console().containsPrefix("validateDBFile"));
    bool stored = false;
    again.tourExist("418", [&](bool e) { stored = e; });
    EXPECT_TRUE(stored);  // the copy never replaced the file holding the tour
}

TEST(DBManagerLaunch, FirstLaunchWritesTheFailedReachabilityTest) {
    test::TestEnvironment env;
    env->shared<TourStore>().database;
    auto printed = env->console().lines();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], "validateDBFile  No such file or directory");
}

TEST(DBManagerLaunch, ABundleWithoutTheDatabaseLeavesNoEmptyFileBehind) {
    test::TempDir emptyBundle;
    test::TestEnvironmentOptions options;
    options.bundleDir = emptyBundle.path();
    test::TestEnvironment env(options);
    auto& db = env->shared<TourStore>().database;
    auto printed = env->console().lines();  // the catalogue's lines, then the offline page's
    ASSERT_GE(printed.size(), 2u);
    EXPECT_EQ(printed[0], "Source File not found.");
    EXPECT_TRUE(printed[1].starts_with("validateDBFile  "));

    bool exists = true;
    db.tourExist("418", [&](bool e) { exists = e; });
    EXPECT_FALSE(exists);
    EXPECT_TRUE(env->console().containsPrefix("tourExist "));
    // Without an empty stand-in file, the next launch copies the real database again.
    EXPECT_FALSE(fs::exists(env->cacheDir() / "TrelvoQuest.sqlite3"));
}

TEST_F(DBManagerTest, AddTourStoresTheRowWithItsTimeAndAnswersTourExist) {
    const std::string json = R"({"status":"success","results":[{"circuit_id":"418","title":"Château d'Éze"}]})";
    EXPECT_FALSE(exists("418"));
    bool stored = false;
    db.addTour("418", json, localTime(2024, 3, 5, 17, 8, 9), [&](bool s) { stored = s; });
    EXPECT_TRUE(stored);
    EXPECT_TRUE(exists("418"));
    EXPECT_FALSE(exists("41"));
    auto rows = storedRows(file);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, "418");
    EXPECT_EQ(rows[0].json, json);
    EXPECT_EQ(rows[0].flag, "0");
    EXPECT_EQ(rows[0].time, "2024-03-05 17:08:09");
    EXPECT_EQ(lines(), std::vector<std::string>{"row id 1"});
}

TEST_F(DBManagerTest, ATourIsStoredOnlyOnce) {
    ASSERT_TRUE(add("418"));
    EXPECT_FALSE(add("418"));
    EXPECT_TRUE(env->console().containsPrefix("add tour DB error "));
    EXPECT_EQ(storedRows(file).size(), 1u);
}

TEST_F(DBManagerTest, ValuesAreBoundNotSpliced) {
    ASSERT_TRUE(add("418"));
    const std::string hostile = "x' OR '1'='1";
    EXPECT_FALSE(exists(hostile));
    bool deleted = true;
    db.deleteTour(hostile, [&](bool d) { deleted = d; });
    EXPECT_FALSE(deleted);
    db.setTourNeedUpdate(hostile);
    EXPECT_TRUE(env->console().contains("test 0"));
    ASSERT_TRUE(add(hostile, "it's \"quoted\""));
    auto rows = storedRows(file);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].id, hostile);
    EXPECT_EQ(rows[1].json, "it's \"quoted\"");
}

TEST_F(DBManagerTest, SetTourNeedUpdateTurnsTheFlagOnOnce) {
    ASSERT_TRUE(add("418"));
    ASSERT_TRUE(add("419"));
    env->console().clear();
    db.setTourNeedUpdate("1");
    db.setTourNeedUpdate("418");
    db.setTourNeedUpdate("418");
    EXPECT_EQ(lines(), (std::vector<std::string>{"test 0", "test 1", "test 1"}));
    auto rows = storedRows(file);
    EXPECT_EQ(rows[0].flag, "1");
    EXPECT_EQ(rows[1].flag, "0");
}

TEST_F(DBManagerTest, DeleteTourRemovesTheRowThenTheFolder) {
    ASSERT_TRUE(add("418"));
    fs::create_directories(env->cacheDir() / "circuit/circuit418/tiles");
    fs::create_directories(env->cacheDir() / "circuit/circuit500");
    env->console().clear();

    std::vector<bool> reports;
    db.deleteTour("500", [&](bool d) { reports.push_back(d); });  // no row: its folder stays
    EXPECT_TRUE(fs::exists(env->cacheDir() / "circuit/circuit500"));
    db.deleteTour("418", [&](bool d) { reports.push_back(d); });
    EXPECT_EQ(reports, (std::vector<bool>{false, true}));
    EXPECT_FALSE(exists("418"));
    EXPECT_FALSE(fs::exists(env->cacheDir() / "circuit/circuit418"));

    auto printed = lines();
    ASSERT_GE(printed.size(), 3u);
    EXPECT_NE(printed[0].find("DELETE"), std::string::npos);
    EXPECT_NE(printed[1].find("'418'"), std::string::npos);
    EXPECT_EQ(printed[2], "deleteTourFolder");
}

TEST_F(DBManagerTest, AStoredTourWithoutItsFolderStillDeletes) {
    ASSERT_TRUE(add("418"));
    bool deleted = false;
    db.deleteTour("418", [&](bool d) { deleted = d; });
    EXPECT_TRUE(deleted);
}

TEST_F(DBManagerTest, DeleteTourForUpdateHandsOverOnlyWhenARowWent) {
    struct Handover {
        std::string id;
        std::int64_t tag;
    };
    std::vector<Handover> handed;
    db.setUpdateRoad([&](const std::string& id, std::int64_t tag, const std::shared_ptr<UpdateRequester>&) {
        handed.push_back({id, tag});
    });
    auto screen = std::make_shared<RecordingScreen>();
    db.deleteTourForUpdate("418", 418, screen);
    EXPECT_TRUE(handed.empty());
    EXPECT_EQ(screen->unlocks, 1);

    ASSERT_TRUE(add("418"));
    db.deleteTourForUpdate("418", 418, screen);
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].id, "418");
    EXPECT_EQ(handed[0].tag, 418);
    EXPECT_EQ(screen->unlocks, 1);
    // The stored tour stays until its new version replaces it.
    EXPECT_TRUE(exists("418"));
}

TEST_F(DBManagerTest, ReadAllRowsGivesTheRawRowsInStoreOrder) {
    ASSERT_TRUE(add("418", "first"));
    ASSERT_TRUE(add("12", "second"));
    db.setTourNeedUpdate("12");
    auto read = db.readAllRows();
    EXPECT_TRUE(read.opened);
    EXPECT_FALSE(read.error);
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[0].idCircuit, "418");
    EXPECT_EQ(read.rows[0].tourJson, "first");
    EXPECT_EQ(read.rows[0].isUptodate, "0");
    EXPECT_EQ(read.rows[1].isUptodate, "1");
}

TEST_F(DBManagerTest, AnUnusableFileMakesEveryOperationFailWithItsLabel) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
    EXPECT_FALSE(exists("418"));
    EXPECT_FALSE(add("418"));
    bool deleted = true;
    db.deleteTour("418", [&](bool d) { deleted = d; });
    EXPECT_FALSE(deleted);
    db.setTourNeedUpdate("418");
    auto screen = std::make_shared<RecordingScreen>();
    db.deleteTourForUpdate("418", 418, screen);
    EXPECT_EQ(screen->unlocks, 1);
    auto read = db.readAllRows();
    EXPECT_TRUE(read.error);
    for (const char* label : {"tourExist ", "add tour DB error ", "deleteTour ", "setTourNeedUpdate "}) {
        EXPECT_TRUE(env->console().containsPrefix(label)) << label;
    }
}

TEST(DBManagerPath, ACachePathWithUriCharactersOpensTheRightFile) {
    EXPECT_EQ(fileURL("/x/a?b#c%d e/T.sqlite3"), "file:///x/a%3Fb%23c%25d%20e/T.sqlite3");

    test::TempDir dir;
    EnvironmentConfig config;
    config.cacheDir = dir.path() / "cache ?x=1#frag%41 end";
    config.configDir = dir.path() / "config";
    config.bundleDir = TQ_TEST_BUNDLE_DIR;
    config.manualClock = true;
    Environment env(config);
    auto& db = env.shared<TourStore>().database;
    bool stored = false;
    db.addTour("418", "{}", [&](bool s) { stored = s; });
    ASSERT_TRUE(stored);
    auto rows = storedRows(config.cacheDir / "TrelvoQuest.sqlite3");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, "418");
    // Nothing was opened or created under a truncated name.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"cache ?x=1#frag%41 end", "config"}));
}

}  // namespace
}  // namespace tq
