// Extracting a tour's tile archive of 20,000 small tiles, against `unzip -q` on the same archive
// in the same run. Reported as the ratio of the two; the goal is at most 1.3.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "storage/TestZip.h"
#include "storage/TileArchive.h"
#include "support/TestEnvironment.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int tileCount = 20000;

struct Fixture {
    tq::test::TempDir dir;
    fs::path archive = dir.path() / "418.zip";

    Fixture() {
        std::mt19937 random(7);
        tq::test::TestZip zip(archive);
        for (int i = 0; i < tileCount; ++i) {
            // PNG-like: the signature, a header-ish run, then a few hundred bytes of mixed data.
            std::string tile = "\x89PNG\r\n\x1a\n" + std::string(24, '\0');
            int length = 300 + static_cast<int>(random() % 600);
            for (int b = 0; b < length; ++b) tile += static_cast<char>(b % 7 == 0 ? random() : b % 31);
            zip.add("15/" + std::to_string(16000 + i / 150) + "/" + std::to_string(11000 + i % 150) + ".png", tile);
        }
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

fs::path freshTarget(const char* name) {
    auto target = fixture().dir.path() / name;
    fs::remove_all(target);
    fs::create_directories(target);
    return target;
}

void BM_ExtractTileArchive(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto target = freshTarget("extract");
        state.ResumeTiming();
        std::string error;
        if (!tq::extractTileArchive(fixture().archive, target, std::int64_t{1} << 40, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}

void BM_UnzipReference(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto target = freshTarget("unzip");
        std::string archive = fixture().archive.string(), folder = target.string();
        char* argv[] = {const_cast<char*>("unzip"), const_cast<char*>("-q"), archive.data(),
                        const_cast<char*>("-d"), folder.data(), nullptr};
        state.ResumeTiming();
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "unzip", nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) < 0 ||
            status != 0) {
            state.SkipWithError("unzip failed");
            break;
        }
    }
}

BENCHMARK(BM_ExtractTileArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_UnzipReference)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Keeps each benchmark's time per iteration so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto timeOf = [&](const std::string& prefix) {
        for (const auto& [name, time] : reporter.seconds) {
            if (name.rfind(prefix, 0) == 0) return time;
        }
        return 0.0;
    };
    double ours = timeOf("BM_ExtractTileArchive"), reference = timeOf("BM_UnzipReference");
    if (ours > 0 && reference > 0) {
        std::printf("tile extraction / unzip -q: %.2f (goal: at most 1.30)\n", ours / reference);
    }
    benchmark::Shutdown();
    return 0;
}
