// The HTTP client against plain libcurl set up the same way, in the same run: 200 media files of
// 1 MB streamed to disk, all requested at once on both sides, and a catalogue reply of 5,000 tours
// held in memory. The counter "vs_reference" is the median of the client's rounds over the median
// of the reference's, the rounds alternating (below 1: the client is faster).
#include "CatalogueFixture.h"
#include "CurlReference.h"
#include "Measure.h"
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpClient.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

constexpr int kFiles = 200;
constexpr std::size_t kFileBytes = 1024 * 1024;
constexpr int kTours = 5000;

using bench::Clock;
using bench::median;
using bench::secondsSince;
using tq::bench::catalogueOf;

// The service, its files and an Environment wired to it, made once for all benchmarks.
struct Bench {
    Bench() {
        std::mt19937 random(7);
        std::string bytes(kFileBytes, '\0');
        for (auto& c : bytes) c = static_cast<char>(random());
        auto source = files.path() / "media.bin";
        writeFileAtomically(source, bytes);
        service.replyToPrefix("/public/media/", ScriptedReply::fromFile(source));
        service.reply("/public/webservice/getSimpleListCatalogV2/newApi/", ScriptedReply::json(catalogueOf(kTours)));
        service.connect(env.env());
    }
    TempDir files;
    TestWebService service;
    TestEnvironment env;
    bench::CurlReference reference{service, files.path()};
};

Bench& bench() {
    static Bench instance;
    return instance;
}

std::vector<std::string> mediaAddresses() {
    std::vector<std::string> urls;
    for (int i = 0; i < kFiles; ++i) urls.push_back(bench().service.url("/public/media/" + std::to_string(i) + ".bin"));
    return urls;
}

double clientDownloads(const std::vector<std::string>& urls, const std::filesystem::path& folder, int& failures) {
    auto& b = bench();
    auto& client = b.env->shared<HttpClient>();
    auto start = Clock::now();
    for (std::size_t i = 0; i < urls.size(); ++i) {
        client.download(HttpRequest::get(urls[i]), folder / (std::to_string(i) + ".bin"), [&](HttpResponse response) {
            if (response.succeeded()) return;
            if (failures++ == 0) std::fprintf(stderr, "download failed: %s\n", response.error->description.c_str());
        });
    }
    b.env->loop().settle(120);
    return secondsSince(start);
}

void BM_MediaFilesToDisk(benchmark::State& state) {
    auto urls = mediaAddresses();
    std::vector<double> client, reference;
    int failures = 0, referenceFailures = 0;
    for (auto _ : state) {
        TempDir folder;
        double seconds = bench().reference.downloadAll(urls, folder.path());
        if (seconds < 0) ++referenceFailures;
        reference.push_back(std::abs(seconds));
        client.push_back(clientDownloads(urls, folder.path(), failures));
        state.SetIterationTime(client.back());
    }
    state.counters["vs_reference"] = median(client) / median(reference);
    state.counters["failures"] = failures;
    state.counters["reference_failures"] = referenceFailures;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileBytes);
}
BENCHMARK(BM_MediaFilesToDisk)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LargeCatalogueInMemory(benchmark::State& state) {
    auto& b = bench();
    auto url = b.service.url("/public/webservice/getSimpleListCatalogV2/newApi/?callback=no");
    std::vector<double> client, reference;
    std::size_t bytes = 0;
    int failures = 0, referenceFailures = 0;
    for (auto _ : state) {
        std::string body;
        double seconds = b.reference.fetch(url, body);
        if (seconds < 0) ++referenceFailures;
        reference.push_back(std::abs(seconds));

        auto start = Clock::now();
        b.env->shared<HttpClient>().get(url, {{"api-version", "1.1"}}, [&](HttpResponse response) {
            if (!response.succeeded()) ++failures;
            bytes = response.body.size();
        });
        b.env->loop().settle(60);
        client.push_back(secondsSince(start));
        state.SetIterationTime(client.back());
        benchmark::DoNotOptimize(body);
    }
    state.counters["vs_reference"] = median(client) / median(reference);
    state.counters["failures"] = failures;
    state.counters["reference_failures"] = referenceFailures;
    state.counters["reply_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_LargeCatalogueInMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(11);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
