// The offline download and the list of stored tours, each against a reference in the same run.
//
// BM_TourOfMediaFiles: a tour of 20, 200 or 2,000 media files of 1 MB from the test web service
// on loopback, from the start to the poll (the 5.0 s poll itself excluded), against fetching the
// same files with plain libcurl set up the same way, in parallel, written to disk. Target:
// "vs_reference" at most 1.2.
// BM_OneGigabyteMediaFile: the peak memory of downloading a tour whose one media file is 1 GB,
// served in chunks from a sparse file. Target: "peak_rss_MB" below 64.
// BM_GetAllTours200: getAllTours over 200 stored tours of about 200 KB each, against reading the
// same rows with SQLite and decoding each text.
#include "CurlReference.h"
#include "Measure.h"
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>

#include "model/Json.h"
#include "platform/foundation/FileSystem.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/StorageListeners.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::median;
using bench::secondsSince;

constexpr std::size_t kMediaBytes = 1024 * 1024;
constexpr std::uint64_t kLargeMediaBytes = 1024ull * 1024 * 1024;
constexpr int kStoredTours = 200;

std::string mediaAddress(const std::string& name) { return std::string("https://") + kFixtureMediaHost + "/public/media/bench/" + name; }

// A full-tour reply whose one point holds a video content per media file.
std::string tourWithMedia(const std::string& id, const std::vector<std::string>& mediaNames) {
    std::string contents;
    for (std::size_t i = 0; i < mediaNames.size(); ++i) {
        if (i) contents += ",";
        contents += R"({"content_id":")" + std::to_string(i + 1) + R"(","type":"video","metadata":"{\"status\":1,\"filePath\":\")" +
                    mediaAddress(mediaNames[i]) + R"(\"}"})";
    }
    return R"({"status":"success","results":[{"circuit_id":")" + id + R"(","circuit_imagepath":"circuits/)" + id +
           R"(/main.jpg","size":"2000","poi":[{"poi_id":"1","content":[)" + contents + "]}]}]}";
}

void writeTinyZip(const fs::path& path) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    zip_fileinfo info{};
    zipOpenNewFileInZip64(zip, "14/1/1.png", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0);
    zipWriteInFileInZip(zip, "tile", 4);
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
}

struct DownloadBench {
    DownloadBench() {
        std::mt19937 random(7);
        std::string bytes(kMediaBytes, '\0');
        for (auto& c : bytes) c = static_cast<char>(random());
        writeFileAtomically(files.path() / "media.bin", bytes);
        // Sparse: the server streams it in chunks and neither side ever holds it whole.
        int descriptor = ::open((files.path() / "large.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        if (descriptor < 0 || ::ftruncate(descriptor, static_cast<off_t>(kLargeMediaBytes)) != 0) std::abort();
        ::close(descriptor);
        writeTinyZip(files.path() / "tiles.zip");

        for (int files : {20, 200, 2000}) {
            std::vector<std::string> names;
            for (int i = 0; i < files; ++i) names.push_back(std::to_string(i) + ".bin");
            auto id = std::to_string(900 + files);
            toursOfFiles[files] = tourWithMedia(id, names);
            service.reply("/public/webservice/getFullCircuit/" + id, ScriptedReply::json(toursOfFiles[files]));
        }
        oneLargeFile = tourWithMedia("901", {"large.bin"});

        picture = readFile(*env->bundle().pathForResource("position", "png")).value_or("");
        service.replyToPrefix("/public/assets/circuits/", ScriptedReply::bytes(picture, "image/png"));
        service.replyToPrefix("/public/assets/map_tiles/", ScriptedReply::fromFile(files.path() / "tiles.zip"));
        service.replyToPrefix("/public/media/bench/", ScriptedReply::fromFile(files.path() / "media.bin"));
        service.reply("/public/media/bench/large.bin", ScriptedReply::fromFile(files.path() / "large.bin"));
        service.reply("/public/webservice/getFullCircuit/901", ScriptedReply::json(oneLargeFile));
        service.connect(env.env());
        env->freeSpaceOverride() = 1'000'000'000'000ull;
    }

    // Runs one download to its poll (timed), then lets the poll store it (not timed).
    double download(const std::string& text, bool& ok) {
        auto& manager = env->shared<TourStore>().downloads;
        auto& db = env->shared<TourStore>().database;
        auto tour = decodeToursReply(text)->results.front();
        db.deleteTour(*tour->circuit_id, {});
        auto start = Clock::now();
        manager.tour = tour;
        manager.isDownloading = true;
        db.tourExistForDownload(*tour->circuit_id, manager);
        // Timed until every reply has come and been handled: every file is in place and the tour
        // text is there, so the next tick of the poll stores the tour.
        env->loop().settle(600);
        double seconds = secondsSince(start);
        env.advance(5.0);
        bool stored = false;
        db.tourExist(*tour->circuit_id, [&](bool e) { stored = e; });
        ok = stored;
        if (!ok) {
            auto lines = env->console().lines();
            for (std::size_t i = lines.size() > 8 ? lines.size() - 8 : 0; i < lines.size(); ++i) {
                std::fprintf(stderr, "  %s\n", lines[i].c_str());
            }
        }
        env->console().clear();
        return seconds;
    }

    TempDir files;
    TestWebService service;
    TestEnvironment env;
    std::map<int, std::string> toursOfFiles;
    std::string oneLargeFile, picture;
    bench::CurlReference reference{service, files.path()};
};

DownloadBench& bench() {
    static DownloadBench instance;
    return instance;
}

// What the download fetches: the tour's picture, every media file, its tile archive and its text.
std::vector<std::string> addressesOfTour(int files) {
    auto& b = bench();
    auto id = std::to_string(900 + files);
    std::vector<std::string> urls{b.service.url("/public/assets/circuits/" + id + "/main.jpg")};
    for (int i = 0; i < files; ++i) urls.push_back(mediaAddress(std::to_string(i) + ".bin"));
    urls.push_back(b.service.url("/public/assets/map_tiles/circuit" + id + "/" + id + ".zip"));
    urls.push_back(b.service.url("/public/webservice/getFullCircuit/" + id + "?callback=no"));
    return urls;
}

void BM_TourOfMediaFiles(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    const auto urls = addressesOfTour(files);
    std::vector<double> client, reference;
    int failures = 0, referenceFailures = 0;
    for (auto _ : state) {
        TempDir folder;
        double referenceSeconds = bench().reference.downloadAll(urls, folder.path());
        if (referenceSeconds < 0) ++referenceFailures;
        reference.push_back(std::abs(referenceSeconds));
        bool ok = false;
        double seconds = bench().download(bench().toursOfFiles.at(files), ok);
        if (!ok) ++failures;
        client.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["vs_reference"] = median(client) / median(reference);
    state.counters["failures"] = failures;
    state.counters["reference_failures"] = referenceFailures;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * files * kMediaBytes);
}
BENCHMARK(BM_TourOfMediaFiles)->Arg(20)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_TourOfMediaFiles)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OneGigabyteMediaFile(benchmark::State& state) {
    double peakMegabytes = 0;
    int failures = 0;
    for (auto _ : state) {
        bench::resetPeakMemory();
        long before = bench::statusKilobytes("VmRSS:");
        bool ok = false;
        double seconds = bench().download(bench().oneLargeFile, ok);
        if (!ok) ++failures;
        peakMegabytes = std::max(peakMegabytes, (bench::statusKilobytes("VmHWM:") - before) / 1024.0);
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_MB"] = peakMegabytes;
    state.counters["failures"] = failures;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLargeMediaBytes));
}
BENCHMARK(BM_OneGigabyteMediaFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// A stored tour of about 200 KB: 20 points of 10 contents with long texts.
std::string storedTourOfSize(int id) {
    std::string points;
    const std::string text(900, 'x');
    for (int p = 0; p < 20; ++p) {
        std::string contents;
        for (int c = 0; c < 10; ++c) {
            if (c) contents += ",";
            contents += R"({"content_id":")" + std::to_string(p * 10 + c) + R"(","type":"txt","title":"Un récit de la ville","description":"<p>)" +
                        text + R"(</p>","metadata":"{}"})";
        }
        if (p) points += ",";
        points += R"({"poi_id":")" + std::to_string(p) + R"(","poi_name":"Place Royale","lat":"46.81","long":"-71.20","content":[)" +
                  contents + "]}";
    }
    return R"({"status":"success","results":[{"circuit_id":")" + std::to_string(id) +
           R"(","title":"Québec","rating_total_score":"9","rating_total_counter":"2","poi":[)" + points + "]}]}";
}

struct ListedScreen : LocalToursListener {
    bool loaded = false;
    void localToursLoaded(bool success) override { loaded = success; }
};

void BM_GetAllTours200(benchmark::State& state) {
    TestEnvironment env;
    auto& db = env->shared<TourStore>().database;
    std::size_t bytes = 0;
    for (int i = 0; i < kStoredTours; ++i) {
        auto text = storedTourOfSize(1000 + i);
        bytes += text.size();
        db.addTour(std::to_string(1000 + i), text, {});
    }
    std::vector<double> client, reference;
    for (auto _ : state) {
        auto start = Clock::now();
        {
            SQLite::Database database((env->cacheDir() / "TrelvoQuest.sqlite3").string(), SQLite::OPEN_READWRITE);
            SQLite::Statement select(database, R"(SELECT "imagepath", "is_uptodate" FROM "Catalog")");
            std::vector<TourRef> tours;
            while (select.executeStep()) tours.push_back(decodeToursReply(select.getColumn(0).getString())->results.front());
            benchmark::DoNotOptimize(tours);
        }
        reference.push_back(secondsSince(start));

        start = Clock::now();
        ListedScreen screen;
        db.getAllTours(screen);
        client.push_back(secondsSince(start));
        state.SetIterationTime(client.back());
        if (!screen.loaded || env->shared<Network>().localCatalogue.size() != kStoredTours) state.SkipWithError("not listed");
        env->console().clear();
    }
    state.counters["vs_reference"] = median(client) / median(reference);
    state.counters["stored_MB"] = bytes / 1e6;
}
BENCHMARK(BM_GetAllTours200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
