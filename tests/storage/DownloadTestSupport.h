#pragma once

#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "model/Json.h"
#include "platform/foundation/FileSystem.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/StorageListeners.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "TestZip.h"

namespace tq::test {

namespace fs = std::filesystem;

inline constexpr const char* kMainImagePath = "/public/assets/circuits/418/main_418.jpg";
inline constexpr const char* kTilePath = "/public/assets/map_tiles/circuit418/418.zip";
inline constexpr const char* kFullTourPath = "/public/webservice/getFullCircuit/418";

struct RecordingScreen : UpdateRequester {
    int unlocks = 0;
    void unlockAfterUpdate() override { ++unlocks; }
};

// The fixture tour 418 served as the product would: its full text, a real picture for every image
// address, a body naming its own path for every other media file, and a real tile archive.
class DownloadFixture : public ::testing::Test {
public:
    TestWebService service;
    TestEnvironment env;
    TempDir files;
    fs::path cache = env->cacheDir();
    fs::path tourFolder = cache / "circuit/circuit418";
    std::string picture = readFile(*env->bundle().pathForResource("position", "png")).value_or("");

    DownloadFixture() {
        service.connect(env.env());
        env->freeSpaceOverride() = 1'000'000'000'000ull;
        service.serveFixtureTours();
        service.reply(kMainImagePath, ScriptedReply::bytes(picture, "image/png"));
        // The server thread may still answer a late request while the fixture is torn down, so the
        // handler keeps its own copy of the picture rather than reaching into the fixture.
        service.handle("/public/media/", [picture = picture](const RecordedRequest& request) {
            if (request.path.ends_with(".jpg")) return ScriptedReply::bytes(picture, "image/jpeg");
            return ScriptedReply::bytes("media " + request.path);
        });
        serveTiles([](TestZip& zip) { zip.folder("14/").add("14/4823/5812.png", "tile").add("14/4823/5813.png", "tile 2"); });
    }

    DBManager& db() { return env->shared<TourStore>().database; }
    DownloadTourManager& manager() { return env->shared<TourStore>().downloads; }

    // Serves a tile archive made by `fill`.
    template <class Fill>
    void serveTiles(Fill fill) {
        auto path = files.path() / ("tiles" + std::to_string(++archives_) + ".zip");
        {
            TestZip zip(path);
            fill(zip);
        }
        service.reply(kTilePath, ScriptedReply::fromFile(path, "application/zip"));
    }

    static TourRef tourFrom(const std::string& text) {
        auto reply = decodeToursReply(text);
        EXPECT_TRUE(reply) << reply.error();
        return reply ? reply->results.front() : nullptr;
    }

    // What the tour screen does: set the tour and the flag, ask the database, hand the answer on.
    void startDownload(TourRef tour) {
        auto& m = manager();
        m.tour = tour;
        m.isDownloading = true;
        db().tourExistForDownload(tour && tour->circuit_id ? *tour->circuit_id : "", m);
    }

    // Makes every later insert into the catalogue fail, as a full disk would.
    void refuseInserts() {
        SQLite::Database database((cache / "TrelvoQuest.sqlite3").string(), SQLite::OPEN_READWRITE);
        database.exec(R"(CREATE TRIGGER refuse BEFORE INSERT ON "Catalog" BEGIN SELECT RAISE(ABORT, 'disk full'); END)");
    }

    bool stored(const std::string& id) {
        bool exists = false;
        db().tourExist(id, [&](bool e) { exists = e; });
        return exists;
    }

    std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator(); ++it) {
            names.push_back(fs::relative(it->path(), folder).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    int posted(const std::string& name) {
        const auto& all = env->notifications().posted();
        return static_cast<int>(std::count(all.begin(), all.end(), name));
    }

    std::vector<std::string> requestedPaths() {
        std::vector<std::string> paths;
        for (const auto& request : service.requests()) paths.push_back(request.path);
        return paths;
    }

private:
    int archives_ = 0;
};

}  // namespace tq::test
