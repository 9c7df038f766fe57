// One catalogue of 5,000 tours through Network::getSimpleCatalogue on loopback HTTPS, against the
// bare decoding of the same bytes in the same run. The counter "overhead_share" is the part of the
// whole request that is the client's own work (transport, posting to the loop, storing, rating):
// (client - decode) / client; the aim is below 0.30. "transport_share" is the HTTP client's own
// request of the same address over the whole, and "client_code_share" what remains for Network
// itself (posting, storing, rating).
#include "CatalogueFixture.h"
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "model/Json.h"
#include "platform/net/HttpClient.h"
#include "service/Network.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

constexpr int kTours = 5000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

using tq::bench::catalogueOf;

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

    std::vector<double> client, decode, transport;
    int failures = 0;
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

        // The reference: decoding the same bytes, nothing else.
        start = Clock::now();
        auto decoded = decodeToursReply(body);
        decode.push_back(secondsSince(start));
        if (!decoded || decoded->results.size() != kTours) ++failures;
        benchmark::DoNotOptimize(decoded);

        // For the record: the HTTP client alone, which is most of the overhead.
        start = Clock::now();
        env->shared<HttpClient>().get(network.apiUrl + "getSimpleListCatalogV2/newApi/" + network.noCallBack,
                                      network.headers, [&](HttpResponse response) {
                                          if (!response.succeeded()) ++failures;
                                      });
        env->loop().settle(60);
        transport.push_back(secondsSince(start));
    }
    // Medians: the machine is shared, and one slow round should not decide the figure.
    const double clientTime = median(client), decodeTime = median(decode);
    state.counters["overhead_share"] = (clientTime - decodeTime) / clientTime;
    state.counters["transport_share"] = median(transport) / clientTime;
    // What is left once the HTTP client and the decoding are taken out: posting, storing, rating.
    state.counters["client_code_share"] = (clientTime - median(transport) - decodeTime) / clientTime;
    state.counters["client_ms"] = clientTime * 1000;
    state.counters["decode_ms"] = decodeTime * 1000;
    state.counters["failures"] = failures;
    state.counters["reply_bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_CatalogueThroughTheClient)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(41);

}  // namespace
}  // namespace tq::test

BENCHMARK_MAIN();
