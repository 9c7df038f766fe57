// The program's start in its window: from the process's start to the first frame of the home
// screen (trelvoquest --device tablet --report-first-frame), against a bare GTK 4 window with one
// label started the same way (bare_gtk_window), rounds alternating the two. Both run on the same
// display (run under tests/support/run-under-xvfb). The program stays offline: the product's hosts
// are routed to a loopback port where nothing listens. Its sound goes to a fakesink.
//
// Counters: "vs_bare" is the median start over the bare window's median (target 1.3 or less);
// "program_peak_MB" and "bare_peak_MB" are the median peak resident memory of each process.
#include <benchmark/benchmark.h>

#include <fstream>

#include "../Measure.h"
#include "ChildProcess.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::bench {
namespace {

struct Sides {
    test::TempDir home;
    std::vector<std::string> environment;
    Sides() {
        auto authority = home.path() / "authority.pem";
        std::ofstream(authority) << "";
        environment = {"XDG_CACHE_HOME=" + (home.path() / "cache").string(),
                       "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
                       "TQ_SERVICE_ROUTE=127.0.0.1:" + std::to_string(test::closedLocalPort()),
                       "TQ_SERVICE_CA=" + authority.string(), "TQ_AUDIO_SINK=fakesink"};
    }
    ChildRun program() const {
        return runUntilLine({TQ_PROGRAM, "--device", "tablet", "--report-first-frame"}, environment, "first frame");
    }
    ChildRun bare() const { return runUntilLine({TQ_BARE_WINDOW}, environment, "first frame"); }
};

void BM_StartToFirstFrame(benchmark::State& state) {
    Sides sides;
    // One start of each first: the program makes its folders and database on its first start,
    // and both read their libraries from the disk once.
    for (const auto& warm : {sides.program(), sides.bare()}) {
        if (!warm.ok) {
            state.SkipWithError(warm.failure.c_str());
            return;
        }
    }
    std::vector<double> program, bare, programPeak, barePeak;
    int failures = 0;
    bool programFirst = true;
    for (auto _ : state) {
        ChildRun a, b;
        if (programFirst) {
            a = sides.program();
            b = sides.bare();
        } else {
            b = sides.bare();
            a = sides.program();
        }
        programFirst = !programFirst;
        if (!a.ok || !b.ok) {
            ++failures;
            continue;
        }
        program.push_back(a.seconds);
        bare.push_back(b.seconds);
        programPeak.push_back(a.peakKilobytes / 1024.0);
        barePeak.push_back(b.peakKilobytes / 1024.0);
        state.SetIterationTime(a.seconds);
    }
    state.counters["vs_bare"] = median(program) / median(bare);
    state.counters["program_ms"] = median(program) * 1000;
    state.counters["bare_ms"] = median(bare) * 1000;
    state.counters["program_peak_MB"] = median(programPeak);
    state.counters["bare_peak_MB"] = median(barePeak);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_StartToFirstFrame)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq::bench

BENCHMARK_MAIN();
