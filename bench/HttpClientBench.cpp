// The HTTP client against plain libcurl easy handles in the same run: 200 media files of 1 MB
// streamed to disk, and a catalogue reply of 5,000 tours held in memory. The counter
// "vs_reference" is the client's time over the reference's (below 1: the client is faster).
#include "CatalogueFixture.h"
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <chrono>
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

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

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
};

Bench& bench() {
    static Bench instance;
    return instance;
}

size_t writeToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

size_t appendToString(char* data, size_t size, size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// One easy handle, reused for every request so that it keeps its connection, as a plain program would.
CURL* referenceHandle() {
    auto& b = bench();
    CURL* handle = curl_easy_init();
    static curl_slist* route = nullptr;
    if (!route) {
        for (const auto& host : b.service.hostNames()) {
            route = curl_slist_append(route, (host + "::" + b.service.address()).c_str());
        }
    }
    curl_easy_setopt(handle, CURLOPT_CONNECT_TO, route);
    curl_easy_setopt(handle, CURLOPT_CAINFO, b.service.certificatePath().c_str());
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    return handle;
}

double referenceDownloads(const std::filesystem::path& folder) {
    auto start = Clock::now();
    CURL* handle = referenceHandle();
    for (int i = 0; i < kFiles; ++i) {
        auto path = folder / ("ref-" + std::to_string(i) + ".bin");
        std::FILE* file = std::fopen(path.c_str(), "wb");
        curl_easy_setopt(handle, CURLOPT_URL, bench().service.url("/public/media/" + std::to_string(i) + ".bin").c_str());
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &writeToFile);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
        curl_easy_perform(handle);
        std::fclose(file);
    }
    curl_easy_cleanup(handle);
    return secondsSince(start);
}

double clientDownloads(const std::filesystem::path& folder, int& failures) {
    auto& b = bench();
    auto& client = b.env->shared<HttpClient>();
    auto start = Clock::now();
    for (int i = 0; i < kFiles; ++i) {
        client.download(HttpRequest::get(b.service.url("/public/media/" + std::to_string(i) + ".bin")),
                        folder / (std::to_string(i) + ".bin"), [&](HttpResponse response) {
                            if (!response.succeeded()) ++failures;
                        });
    }
    b.env->loop().settle(120);
    return secondsSince(start);
}

void BM_MediaFilesToDisk(benchmark::State& state) {
    double client = 0, reference = 0;
    int failures = 0;
    for (auto _ : state) {
        TempDir folder;
        reference += referenceDownloads(folder.path());
        double seconds = clientDownloads(folder.path(), failures);
        client += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["vs_reference"] = client / reference;
    state.counters["failures"] = failures;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFiles * kFileBytes);
}
BENCHMARK(BM_MediaFilesToDisk)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LargeCatalogueInMemory(benchmark::State& state) {
    auto& b = bench();
    auto url = b.service.url("/public/webservice/getSimpleListCatalogV2/newApi/?callback=no");
    double client = 0, reference = 0;
    std::size_t bytes = 0;
    CURL* handle = referenceHandle();
    for (auto _ : state) {
        auto start = Clock::now();
        std::string body;
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &appendToString);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(handle);
        reference += secondsSince(start);

        start = Clock::now();
        b.env->shared<HttpClient>().get(url, {{"api-version", "1.1"}}, [&](HttpResponse response) { bytes = response.body.size(); });
        b.env->loop().settle(60);
        double seconds = secondsSince(start);
        client += seconds;
        state.SetIterationTime(seconds);
        benchmark::DoNotOptimize(body);
    }
    curl_easy_cleanup(handle);
    state.counters["vs_reference"] = client / reference;
    state.counters["reply_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_LargeCatalogueInMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
