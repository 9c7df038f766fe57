// A catalogue of 500, 5,000 or 62,500 rich tours (the last about 200 MB) through
// Network::getSimpleCatalogue on loopback HTTPS, against what it cannot avoid, measured in the same
// run: plain libcurl fetching the same address (set up as the client is) plus the bare decoding of
// the bytes it received. The counter "vs_reference" is the whole request over that sum (medians of
// alternating rounds); the target is at most 1.15.
#include "CatalogueFixture.h"
#include "CurlReference.h"
#include "Measure.h"
#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>

#include "model/Json.h"
#include "service/Network.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {


using bench::Clock;
using bench::median;
using bench::secondsSince;
using tq::bench::richCatalogueOf;

void BM_CatalogueThroughTheClient(benchmark::State& state) {
    const auto kTours = static_cast<std::size_t>(state.range(0));
    const std::string body = richCatalogueOf(static_cast<int>(kTours));
    TestWebService service;
    service.reply("/public/webservice/getSimpleListCatalogV2/newApi/", ScriptedReply::json(body));
    TestEnvironment env;
    service.connect(env.env());
    Network& network = env->shared<Network>();
    bench::CurlReference curl(service, env.root());
    const std::string url = network.apiUrl + "getSimpleListCatalogV2/newApi/" + network.noCallBack;

    // A first request on each side opens the connection, as the catalogue screen's is never the
    // program's first.
    network.getSimpleCatalogue({});
    env->loop().settle(60);
    std::string fetched;
    curl.fetch(url, fetched);

    std::vector<double> client, reference;
    int failures = 0, referenceFailures = 0;
    for (auto _ : state) {
        // The whole request: transport, posting to the loop, decoding, storing and rating. The
        // previous list is dropped first, so each round stores into an empty field.
        network.catalogue.clear();
        auto start = Clock::now();
        network.getSimpleCatalogue([&](bool success) {
            if (!success) ++failures;
        });
        env->loop().settle(60);
        client.push_back(secondsSince(start));
        state.SetIterationTime(client.back());
        if (network.catalogue.size() != kTours) ++failures;

        // The reference: the same bytes fetched by libcurl, then decoded, nothing else.
        double seconds = curl.fetch(url, fetched);
        if (seconds < 0) ++referenceFailures;
        start = Clock::now();
        std::optional<JsonResult<ApiTour>> decoded;  // freed at the end of the round, outside the timing
        decoded = decodeToursReply(fetched);
        reference.push_back(std::abs(seconds) + secondsSince(start));
        if (!*decoded || (*decoded)->results.size() != kTours) ++failures;
        benchmark::DoNotOptimize(decoded);
    }
    state.counters["vs_reference"] = median(client) / median(reference);
    state.counters["client_ms"] = median(client) * 1000;
    state.counters["reference_ms"] = median(reference) * 1000;
    state.counters["failures"] = failures;
    state.counters["reference_failures"] = referenceFailures;
    state.counters["reply_bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_CatalogueThroughTheClient)->Arg(500)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueThroughTheClient)->Arg(5000)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueThroughTheClient)->Arg(62500)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
