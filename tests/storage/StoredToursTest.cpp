#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include <SQLiteCpp/SQLiteCpp.h>

#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/StorageListeners.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

struct ListScreen : LocalToursListener {
    std::vector<bool> reports;
    void localToursLoaded(bool success) override { reports.push_back(success); }
};

struct PreloadScreen : PreloadRequester {
    std::vector<bool> answers;
    void confirmPreload(bool exists) override { answers.push_back(exists); }
};

std::string storedReply(const std::string& tourFields, const std::string& status = "success") {
    return R"({"status":")" + status + R"(","results":[{)" + tourFields + "}]}";
}

class StoredToursTest : public ::testing::Test {
protected:
    test::TestWebService service;
    test::TestEnvironment env;
    DBManager& db = env->shared<TourStore>().database;
    Network& network = env->shared<Network>();

    StoredToursTest() { service.connect(env.env()); }

    void add(const std::string& id, const std::string& json) {
        bool stored = false;
        db.addTour(id, json, [&](bool s) { stored = s; });
        ASSERT_TRUE(stored);
    }
    std::vector<std::string> listedIds() {
        std::vector<std::string> ids;
        for (const auto& tour : network.localCatalogue) ids.push_back(tour->circuit_id.value_or("?"));
        return ids;
    }
    // Rows as no download writes them, straight into the file.
    void addRaw(const std::string& sql) {
        SQLite::Database database((env->cacheDir() / "TrelvoQuest.sqlite3").string(), SQLite::OPEN_READWRITE);
        database.exec(sql);
    }
};

TEST_F(StoredToursTest, GetAllToursListsEveryReadableTourAndSkipsTheOthers) {
    add("418", storedReply(R"("circuit_id":"418","title":"Québec à pied","rating_total_score":"9","rating_total_counter":"2")"));
    add("419", "{ this is not a tour");
    add("420", storedReply(R"("circuit_id":"420")", "error"));
    add("421", R"({"status":"success","results":[]})");
    add("502", storedReply(R"("circuit_id":"502","is_circuit_head":"1")"));
    addRaw(R"(INSERT INTO "Catalog" ("id_circuit", "imagepath", "is_uptodate") VALUES ('611', '{}', '0'))");
    db.setTourNeedUpdate("418");
    env->console().clear();

    ListScreen screen;
    db.getAllTours(screen);
    EXPECT_EQ(screen.reports, std::vector<bool>{true});
    ASSERT_EQ(listedIds(), (std::vector<std::string>{"418", "502"}));
    EXPECT_EQ(network.localCatalogue[0]->title, "Québec à pied");
    EXPECT_EQ(network.localCatalogue[0]->needUpdate, "1");
    EXPECT_EQ(network.localCatalogue[0]->rating, 4.5);
    EXPECT_EQ(network.localCatalogue[1]->needUpdate, "0");
    EXPECT_EQ(network.localCatalogue[1]->rating, 1.0);
    auto printed = env->console().lines();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "uptodate 1"), 1);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "uptodate 0"), 1);
    // The unreadable texts are named on the console; the reply with another status is skipped quietly.
    EXPECT_EQ(std::count_if(printed.begin(), printed.end(), [](const std::string& l) { return l.starts_with("getAllTours "); }),
              3);

    // A bad row no longer stands in the way of deleting the others.
    bool deleted = false;
    db.deleteTour("418", [&](bool d) { deleted = d; });
    EXPECT_TRUE(deleted);
    db.getAllTours(screen);
    EXPECT_EQ(listedIds(), std::vector<std::string>{"502"});
}

TEST_F(StoredToursTest, GetAllToursReportsFalseForNoTourAndForAnUnusableDatabase) {
    network.localCatalogue.push_back(std::make_shared<Tour>());
    ListScreen screen;
    db.getAllTours(screen);
    EXPECT_EQ(screen.reports, std::vector<bool>{false});
    EXPECT_TRUE(network.localCatalogue.empty());
    EXPECT_TRUE(env->console().lines().size() == 1);  // only the launch's own line

    add("419", "not a tour");
    db.getAllTours(screen);
    EXPECT_EQ(screen.reports, (std::vector<bool>{false, false}));

    std::ofstream(env->cacheDir() / "TrelvoQuest.sqlite3", std::ios::trunc) << std::string(4096, 'x');
    env->console().clear();
    db.getAllTours(screen);
    EXPECT_EQ(screen.reports, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(env->console().containsPrefix("getAllTours "));
}

TEST_F(StoredToursTest, CheckToursForUpdatesAsksForEachCheckableTourAndLeavesTheListAlone) {
    service.reply("/public/webservice/isUpdatesAvailableIos",
                  test::ScriptedReply::json(R"({"results":[{"id":"611"}],"status":"success"})"));
    add("418", storedReply(R"("circuit_id":"418","moderation_date":"2024-03-18 09:41:07")"));
    add("419", "not a tour");
    add("502", storedReply(R"("circuit_id":"502")"));
    add("611", storedReply(R"("circuit_id":"611","moderation_date":"2023-01-02 03:04:05")"));
    auto kept = std::make_shared<Tour>();
    network.localCatalogue = {kept};
    env->console().clear();

    int failures = 0;
    db.checkToursForUpdates([&](bool) { ++failures; });
    EXPECT_EQ(network.localCatalogue, std::vector<TourRef>{kept});
    EXPECT_TRUE(env->console().containsPrefix("getAllTours "));
    EXPECT_TRUE(env->console().contains("checkToursForUpdates skipped a tour without moderation_date: 502"));
    env.settle();

    std::set<std::string> asked;
    for (const auto& request : service.requestsTo("/public/webservice/isUpdatesAvailableIos")) {
        for (const char* id : {"418", "502", "611"}) {
            if (request.body.find(std::string("=") + id) != std::string::npos) asked.insert(id);
        }
    }
    EXPECT_EQ(asked, (std::set<std::string>{"418", "611"}));
    EXPECT_EQ(failures, 0);
    auto rows = db.readAllRows().rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].isUptodate, "1");  // the answer marked 611
}

TEST_F(StoredToursTest, ThePreloadAndDownloadQuestionsGoToTheirAsker) {
    add("418", storedReply(R"("circuit_id":"418")"));
    PreloadScreen screen;
    db.tourExistForPreload("418", screen);
    db.tourExistForPreload("419", screen);
    EXPECT_EQ(screen.answers, (std::vector<bool>{true, false}));

    // A stored tour is not downloaded again: the manager says so at once.
    auto& manager = env->shared<TourStore>().downloads;
    manager.tour = std::make_shared<Tour>();
    manager.tour->circuit_id = "418";
    manager.isDownloading = true;
    db.tourExistForDownload("418", manager);
    EXPECT_FALSE(manager.isDownloading);
    EXPECT_TRUE(env->console().contains("Tour already stored: 418"));
}

}  // namespace
}  // namespace tq
