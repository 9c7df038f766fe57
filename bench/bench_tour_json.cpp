// Reading and writing catalogue replies of 500, 5,000 and 50,000 tours, next to simdjson's bare
// parse of the same bytes in the same run.
//
// BM_DecodeToursReply: rounds alternate one decode and one bare parse (simdjson's DOM parser,
// kept between rounds as any program would keep it). The decode's time includes freeing the
// previous round's reply, as a screen that replaces its list pays for it; the bare parse frees
// nothing. "x_bare_parse" is the median decode over the median parse, "ns_per_byte" the median
// decode per byte of reply. Targets: at most 2.5 at 5,000 tours, and ns_per_byte at 50,000 within
// 1.5 of the figure at 5,000.
// BM_DecodePeakMemory: the growth of the peak resident memory while one reply is decoded and
// held, over the size of the reply ("x_reply"), for rich and for sparse tours, with the parser's
// buffers already sized by an earlier decode and freed memory handed back to the system before
// each round. Target: at most 2.
#include "CatalogueFixture.h"
#include "Measure.h"
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <simdjson.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "model/Json.h"

namespace {

using tq::bench::Clock;
using tq::bench::median;
using tq::bench::resetPeakMemory;
using tq::bench::secondsSince;
using tq::bench::statusKilobytes;

// A reply held as the HTTP client holds a body whose length was announced: with the parser's
// read-ahead room past its end, so that it is read where it lies.
std::string asReceived(const std::string& body) {
    std::string held;
    held.reserve(body.size() + tq::jsonReadAhead);
    held.append(body);
    return held;
}

const std::string& catalogueReply(int tours) {
    static std::map<int, std::string> replies;
    auto& reply = replies[tours];
    if (reply.empty()) reply = asReceived(tq::bench::richCatalogueOf(tours));
    return reply;
}

// Tours that hold only what a list needs: most of a record's fields are absent.
std::string sparseReply(int tours) {
    std::string json = R"({"status":"success","results":[)";
    for (int i = 0; i < tours; ++i) {
        if (i > 0) json += ',';
        json += R"({"circuit_id":")" + std::to_string(1000 + i) + R"(","title":"Balade )" + std::to_string(i) +
                R"(","language":"fr"})";
    }
    return json + "]}";
}

void BM_DecodeToursReply(benchmark::State& state) {
    const int tours = static_cast<int>(state.range(0));
    const std::string& bytes = catalogueReply(tours);
    const simdjson::padded_string padded(bytes);
    simdjson::dom::parser parser;
    std::vector<double> decode, parse;
    std::optional<tq::JsonResult<tq::ApiTour>> previous;
    for (auto _ : state) {
        auto start = Clock::now();
        previous.reset();
        previous = tq::decodeToursReply(bytes);
        decode.push_back(secondsSince(start));
        if (!*previous || (*previous)->results.size() != static_cast<std::size_t>(tours)) state.SkipWithError("decoding failed");

        start = Clock::now();
        simdjson::dom::element root;
        if (parser.parse(padded).get(root)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
        parse.push_back(secondsSince(start));
        state.SetIterationTime(decode.back());
    }
    state.counters["x_bare_parse"] = median(decode) / median(parse);
    state.counters["ns_per_byte"] = median(decode) * 1e9 / static_cast<double>(bytes.size());
    state.counters["reply_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeToursReply)->Arg(500)->Iterations(201)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToursReply)->Arg(5000)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToursReply)->Arg(50000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DecodePeakMemory(benchmark::State& state) {
    const bool sparse = state.range(0) == 1;
    const std::string bytes = asReceived(sparse ? sparseReply(200000) : catalogueReply(50000));
    // The parser keeps its buffers between readings, as the program does: a first decode sizes
    // them, so what is measured is the decode and the records it leaves.
    if (!tq::decodeToursReply(bytes)) state.SkipWithError("decoding failed");
    double growth = 0;
    for (auto _ : state) {
        // Memory freed earlier (the previous round's reply, the other benchmarks' replies) goes
        // back to the system first: otherwise a decode reusing it would show no growth at all.
        // The texts' chunks kept for the next reply go back too, so the decode pays for its own.
        tq::TourTextArena::releaseSpareChunks();
        malloc_trim(0);
        resetPeakMemory();
        long before = statusKilobytes("VmRSS:");
        auto reply = tq::decodeToursReply(bytes);
        if (!reply) state.SkipWithError("decoding failed");
        growth = std::max(growth, (statusKilobytes("VmHWM:") - before) * 1024.0);
        benchmark::DoNotOptimize(reply);
    }
    state.SetLabel(sparse ? "sparse tours" : "rich tours");
    state.counters["x_reply"] = growth / static_cast<double>(bytes.size());
    state.counters["reply_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_DecodePeakMemory)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_EncodeTours(benchmark::State& state) {
    auto reply = tq::decodeToursReply(catalogueReply(5000));
    if (!reply) {
        state.SkipWithError("decoding failed");
        return;
    }
    std::size_t written = 0;
    for (auto _ : state) {
        for (const auto& tour : reply->results) {
            auto text = tq::encodeTour(*tour);
            written += text->size();
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}
BENCHMARK(BM_EncodeTours)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
