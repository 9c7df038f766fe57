// Extracting a tour's tile archive of 2,000, 20,000 or 200,000 small tiles, against `unzip -q` on
// the same archive in the same run. Each round extracts into a fresh folder (made and removed
// outside the timed part) with our extractor and with unzip, one after the other, so the file
// system's cost of creating files is the same for both and no deletion is timed. "vs_unzip" is the
// median of our rounds over the median of unzip's. Target: at most 0.8 on tmpfs (/dev/shm), where
// the disk does not hide the extractor's own work; the same figure on the disk (the temporary
// folder, ext4 here) is reported beside it.
#include "Measure.h"
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/statfs.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "storage/TestZip.h"
#include "storage/TileArchive.h"
#include "support/TestEnvironment.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using tq::bench::Clock;
using tq::bench::median;
using tq::bench::secondsSince;

constexpr long kTmpfsMagic = 0x01021994;

bool onTmpfs(const fs::path& path) {
    struct statfs info {};
    return ::statfs(path.c_str(), &info) == 0 && info.f_type == kTmpfsMagic;
}

// A folder for one file system, removed with the object.
class Workspace {
public:
    explicit Workspace(const fs::path& parent) : path_(parent / ("tq-tile-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// An archive of `tiles` PNG-like tiles in the folders of one zoom level, as a tour's archive holds.
void writeArchive(const fs::path& archive, int tiles) {
    std::mt19937 random(7);
    tq::test::TestZip zip(archive);
    for (int i = 0; i < tiles; ++i) {
        // The signature, a header-ish run, then a few hundred bytes of mixed data.
        std::string tile = "\x89PNG\r\n\x1a\n" + std::string(24, '\0');
        int length = 300 + static_cast<int>(random() % 600);
        for (int b = 0; b < length; ++b) tile += static_cast<char>(b % 7 == 0 ? random() : b % 31);
        zip.add("15/" + std::to_string(16000 + i / 150) + "/" + std::to_string(11000 + i % 150) + ".png", tile);
    }
}

// The archive of `tiles` tiles inside `workspace`, written once per run.
const fs::path& archiveOf(const Workspace& workspace, int tiles) {
    static std::map<std::pair<fs::path, int>, fs::path> archives;
    auto& archive = archives[{workspace.path(), tiles}];
    if (archive.empty()) {
        archive = workspace.path() / (std::to_string(tiles) + ".zip");
        writeArchive(archive, tiles);
    }
    return archive;
}

bool unzip(const fs::path& archive, const fs::path& folder) {
    std::string archiveText = archive.string(), folderText = folder.string();
    char* argv[] = {const_cast<char*>("unzip"), const_cast<char*>("-q"), archiveText.data(), const_cast<char*>("-d"),
                    folderText.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    return posix_spawnp(&pid, "unzip", nullptr, nullptr, argv, environ) == 0 && waitpid(pid, &status, 0) >= 0 &&
           status == 0;
}

void extractAgainstUnzip(benchmark::State& state, const Workspace& workspace) {
    const int tiles = static_cast<int>(state.range(0));
    const auto& archive = archiveOf(workspace, tiles);
    std::vector<double> ours, reference;
    int round = 0;
    for (auto _ : state) {
        auto folder = workspace.path() / ("round-" + std::to_string(round++));
        fs::create_directories(folder / "ours");
        fs::create_directories(folder / "unzip");

        auto start = Clock::now();
        std::string error;
        if (!tq::extractTileArchive(archive, folder / "ours", std::int64_t{1} << 40, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        ours.push_back(secondsSince(start));

        start = Clock::now();
        if (!unzip(archive, folder / "unzip")) {
            state.SkipWithError("unzip failed");
            break;
        }
        reference.push_back(secondsSince(start));
        state.SetIterationTime(ours.back());
        fs::remove_all(folder);
    }
    if (!ours.empty() && !reference.empty()) state.counters["vs_unzip"] = median(ours) / median(reference);
}

void BM_ExtractOnTmpfs(benchmark::State& state) {
    static Workspace workspace("/dev/shm");
    if (!onTmpfs(workspace.path())) {
        state.SkipWithError("/dev/shm is not a tmpfs");
        return;
    }
    extractAgainstUnzip(state, workspace);
}

void BM_ExtractOnDisk(benchmark::State& state) {
    static Workspace workspace(fs::temp_directory_path());
    extractAgainstUnzip(state, workspace);
}

BENCHMARK(BM_ExtractOnTmpfs)->Arg(2000)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOnTmpfs)->Arg(20000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOnTmpfs)->Arg(200000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOnDisk)->Arg(2000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractOnDisk)->Arg(20000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
