#include <gtest/gtest.h>

#include <minizip/unzip.h>

#include <map>
#include <set>

#include "DemoServiceProcess.h"
#include "product/NotificationNames.h"
#include "platform/foundation/FileSystem.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/TourStore.h"

namespace tq::test {
namespace {

namespace fs = std::filesystem;

// Every file of a folder and below, by its path relative to the folder.
std::map<std::string, fs::path> filesIn(const fs::path& folder) {
    std::map<std::string, fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).string()] = entry.path();
    }
    return files;
}

std::size_t entriesOf(const fs::path& archive) {
    unzFile zip = unzOpen64(archive.c_str());
    if (!zip) return 0;
    unz_global_info64 info{};
    unzGetGlobalInfo64(zip, &info);
    unzClose(zip);
    return static_cast<std::size_t>(info.number_entry);
}

class DemoDownloadTest : public ::testing::Test {
public:
    DemoServiceProcess service;
    TestEnvironment env;
    fs::path data = TQ_DEMO_DATA_DIR;

    void SetUp() override {
        ASSERT_TRUE(service.listening()) << service.output();
        service.connect(env.env());
        env->freeSpaceOverride() = 1'000'000'000'000ull;
    }

    DBManager& db() { return env->shared<TourStore>().database; }
    DownloadTourManager& manager() { return env->shared<TourStore>().downloads; }

    bool stored(const std::string& id) {
        bool exists = false;
        db().tourExist(id, [&](bool e) { exists = e; });
        return exists;
    }

    // What the tour screen does: load the tour, then ask for its download.
    void download(const std::string& id) {
        auto& network = env->shared<Network>();
        std::optional<bool> loaded;
        network.loadCurrentTour(id, [&](bool success) { loaded = success; });
        ASSERT_TRUE(env.runUntil([&] { return loaded.has_value(); }));
        ASSERT_TRUE(*loaded && network.currentTour);
        auto& m = manager();
        m.tour = network.currentTour;
        m.isDownloading = true;
        db().tourExistForDownload(id, m);
        // The poll stores the tour at a tick after every file has arrived.
        for (int tick = 0; tick < 20 && !stored(id); ++tick) {
            env.settle();
            env.advance(5.0);
        }
        EXPECT_TRUE(stored(id)) << "tour " << id << " was not stored";
    }
};

TEST_F(DemoDownloadTest, EverySampleTourDownloadsAndItsFilesAreTheServedOnes) {
    // Every file the service can serve, by its bytes.
    std::set<std::string> served;
    for (const auto& [name, path] : filesIn(data)) served.insert(readFile(path).value_or(""));

    const std::vector<std::string> ids = {"9101", "9102", "9103", "9111", "9112", "9121", "9122", "9123", "9131", "9141",
                                           "9151", "9152"};
    for (const auto& id : ids) {
        SCOPED_TRACE("tour " + id);
        download(id);
        const auto folder = env->cacheDir() / "circuit" / ("circuit" + id);
        auto files = filesIn(folder);
        std::size_t tiles = 0;
        for (const auto& [name, path] : files) {
            if (name.starts_with("tiles/") && name.ends_with(".png")) {
                ++tiles;
                continue;
            }
            EXPECT_TRUE(served.count(readFile(path).value_or(""))) << name << " differs from every served file";
        }
        auto archive = data / "www/public/assets/map_tiles" / ("circuit" + id) / (id + ".zip");
        EXPECT_EQ(readFile(folder / "tiles" / (id + ".zip")), readFile(archive));
        EXPECT_EQ(tiles, entriesOf(archive));
        EXPECT_EQ(readFile(folder / (id + ".jpg")), readFile(data / "www/public/assets/circuits/resized" / (id + ".jpg")));
    }
    EXPECT_EQ(db().readAllRows().rows.size(), ids.size());
    const auto& posted = env->notifications().posted();
    EXPECT_EQ(std::count(posted.begin(), posted.end(), Notifications::downloadComplete),
              static_cast<std::ptrdiff_t>(ids.size()));
    EXPECT_EQ(std::count(posted.begin(), posted.end(), Notifications::downloadError), 0);
    for (const auto& line : env->console().lines()) EXPECT_EQ(line.find("metadata error"), std::string::npos) << line;
}

}  // namespace
}  // namespace tq::test
