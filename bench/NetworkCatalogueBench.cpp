// One catalogue of 5,000 tours through Network::getSimpleCatalogue on loopback HTTPS, against the
// bare decoding of the same bytes in the same run. The counter "overhead_share" is the part of the
// whole request that is the client's own work (transport, posting to the loop, storing, rating):
// (client - decode) / client. It should stay below 0.30.
#include <benchmark/benchmark.h>

#include <chrono>

#include "model/Json.h"
#include "service/Network.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

constexpr int kTours = 5000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string catalogueOf(int tours) {
    std::string body = R"({"results":[)";
    for (int i = 0; i < tours; ++i) {
        if (i) body += ",";
        body += R"({"circuit_id":")" + std::to_string(1000 + i) +
                R"(","title":"Promenade n° )" + std::to_string(i) +
                R"( à travers la vieille ville","city_name_fr":"Québec","country_nom_fr":"Canada","language":"fr",)"
                R"("rating_total_score":"9","rating_total_counter":"2","size":"48.5","poi_count":"12",)"
                R"("circuit_imagepath":"circuits/418/main_418.jpg","modes":["foot"],"is_circuit_head":"0"})";
    }
    return body + R"(],"status":"success"})";
}

void BM_CatalogueThroughTheClient(benchmark::State& state) {
    const std::string body = catalogueOf(kTours);
    TestWebService service;
    service.reply("/public/webservice/getSimpleListCatalogV2/newApi/", ScriptedReply::json(body));
    TestEnvironment env;
    service.connect(env.env());
    Network& network = env->shared<Network>();

    // A first request opens the connection, as the catalogue screen's is never the program's first.
    network.getSimpleCatalogue({});
    env->loop().settle(60);

    double client = 0, decode = 0;
    int failures = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto decoded = decodeToursReply(body);
        decode += secondsSince(start);
        if (!decoded || decoded->results.size() != kTours) ++failures;
        benchmark::DoNotOptimize(decoded);

        network.catalogue.clear();
        start = Clock::now();
        network.getSimpleCatalogue([&](bool success) {
            if (!success) ++failures;
        });
        env->loop().settle(60);
        double seconds = secondsSince(start);
        client += seconds;
        state.SetIterationTime(seconds);
        if (network.catalogue.size() != kTours) ++failures;
    }
    state.counters["overhead_share"] = (client - decode) / client;
    state.counters["vs_decode"] = client / decode;
    state.counters["failures"] = failures;
    state.counters["reply_bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_CatalogueThroughTheClient)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
