// The map page of a downloaded tour with 500 points, in WebKitGTK through the application's web
// view backend: from the `showMap` call the map screen makes (the same text, built by
// mapPage::showMap) to every marker drawn, against a bare page on the same Leaflet that adds 500
// markers with the same pictures at the same places, in the same web view. Each round loads the
// page afresh (not timed), then times the call. "Drawn" is the page's own answer: every marker's
// picture decoded, then two animation frames later, posted back to the application.
//
// Counters: "vs_bare" is the median of the map page over the bare page's (target 1.3 or less);
// "map_ms" and "bare_ms" the medians; "ui_peak_MB" the peak resident memory of this process and
// "web_process_MB" that of WebKit's processes (summed) while the map page runs with its 500 points.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iostream>

#include "../Measure.h"
#include "WindowWait.h"
#include "desktop/LoopSource.h"
#include "desktop/NativeWidget.h"
#include "desktop/Screenshot.h"
#include "desktop/engines/InstallEngines.h"
#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "platform/web/WebView.h"
#include "screens/maps/MapPageCalls.h"
#include "support/TestEnvironment.h"

namespace tq::bench {
namespace {

constexpr int kPoints = 500;

// What the offline map page reads beside it, as a download leaves it.
const char* const kPageFiles[] = {"offline.html", "leaflet.js", "leaflet.css", "jquery-3.3.1.min.js",
                                  "default_tile_en.png", "default_tile_fr.png", "position.png", "marker-icon.png",
                                  "marker-shadow.png", "leaflet-rotate-src-modified.js"};

struct Point {
    double lat, lon;
};

std::vector<Point> points() {
    std::vector<Point> all;
    for (int i = 0; i < kPoints; ++i) {
        all.push_back({46.80 + 0.03 * std::sin(i * 0.37) * (i % 17) / 17.0, -71.21 + 0.04 * std::cos(i * 0.61) * (i % 13) / 13.0});
    }
    return all;
}

std::string tourJson() {
    std::string pois;
    int index = 0;
    for (const auto& p : points()) {
        if (!pois.empty()) pois += ",";
        pois += R"({"poi_id":")" + std::to_string(9000 + index) + R"(","poi_name":"Point )" + std::to_string(index) +
                R"(","lat":")" + std::to_string(p.lat) + R"(","long":")" + std::to_string(p.lon) + R"(","content":[]})";
        ++index;
    }
    return R"({"circuit_id":"418","use_custom_map":"0","poi_count":")" + std::to_string(kPoints) +
           R"(","min_zoom":"13","max_zoom":"18","poi":[)" + pois + "]}";
}

// The reference: Leaflet alone, the same tile layer (an empty folder, so the error tile), and the
// same marker and shadow pictures at the same places, framed as the map page frames them.
std::string barePage(const std::filesystem::path& tiles) {
    std::string latlngs;
    for (const auto& p : points()) {
        if (!latlngs.empty()) latlngs += ",";
        latlngs += "[" + std::to_string(p.lat) + "," + std::to_string(p.lon) + "]";
    }
    return R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><link rel="stylesheet" href="leaflet.css">
<style>html, body, #map { margin: 0; height: 100%; background: #eef0f2; }</style>
<script src="leaflet.js"></script></head>
<body><div id="map"></div><script>
var map = L.map('map', { zoomControl: false, attributionControl: false, minZoom: 13, maxZoom: 18 });
L.tileLayer('file://)" + tiles.string() + R"(/{z}/{x}/{y}.png', { minZoom: 13, maxZoom: 18, errorTileUrl: 'default_tile_en.png' }).addTo(map);
var icon = L.icon({ iconUrl: 'marker-icon.png', shadowUrl: 'marker-shadow.png', iconSize: [25, 41], iconAnchor: [12, 41],
                    shadowSize: [41, 41], shadowAnchor: [12, 41] });
function showMarkers() {
  var places = [)" + latlngs + R"(];
  var bounds = L.latLngBounds([]);
  places.forEach(function (p) { L.marker(p, { icon: icon, keyboard: false }).addTo(map); bounds.extend(p); });
  map.fitBounds(bounds, { padding: [80, 80], maxZoom: 18 });
}
</script></body></html>)";
}

// Tells the application, through the "benchDrawn" handler, how many markers are drawn once every
// marker picture is decoded and two frames have been painted since.
constexpr const char* kWhenDrawn = R"((function () {
  var pictures = Array.prototype.slice.call(document.querySelectorAll('.leaflet-marker-pane img'));
  Promise.all(pictures.map(function (p) { return p.decode().catch(function () {}); })).then(function () {
    requestAnimationFrame(function () { requestAnimationFrame(function () {
      window.webkit.messageHandlers.benchDrawn.postMessage(document.querySelectorAll('.leaflet-marker-icon').length);
    }); });
  });
  return 0;
})())";

struct Page : WebNavigationDelegate, ScriptMessageHandler {
    int finished = 0;
    std::optional<double> drawnMarkers;
    void decidePolicyForNavigationAction(WebView&, const NavigationAction&, DecisionHandler handler) override {
        handler(NavigationActionPolicy::allow);
    }
    void didFinishNavigation(WebView&, const WebNavigation&) override { ++finished; }
    void userContentControllerDidReceiveScriptMessage(UserContentController&, const ScriptMessage& message) override {
        drawnMarkers = scriptNumber(message.body);
    }
};

// The peak resident memory of the processes this one started (WebKit's), in megabytes.
double childProcessesPeakMB() {
    double total = 0;
    const std::string parent = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    while (dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        std::ifstream status(std::string("/proc/") + entry->d_name + "/status");
        std::string line, ppid;
        long peak = 0;
        while (std::getline(status, line)) {
            if (line.rfind("PPid:", 0) == 0) ppid = line.substr(5);
            if (line.rfind("VmHWM:", 0) == 0) peak = std::stol(line.substr(6));
        }
        ppid.erase(0, ppid.find_first_not_of(" \t"));
        if (ppid == parent) total += peak / 1024.0;
    }
    closedir(proc);
    return total;
}

void BM_MapPageWith500Points(benchmark::State& state) {
    if (!gtk_init_check()) {
        state.SkipWithError("no display");
        return;
    }
    test::TestEnvironmentOptions options;
    options.manualClock = false;
    test::TestEnvironment env(options);
    desktop::installEngines(env.env(), desktop::EngineOptions{});
    desktop::LoopSource source(env->loop(), false, {}, {});

    auto folder = env->cacheDir() / "418";
    std::filesystem::create_directories(folder / "tiles");
    for (const char* file : kPageFiles) {
        std::filesystem::copy_file(std::filesystem::path(TQ_TEST_BUNDLE_DIR) / file, folder / file);
    }
    std::ofstream(folder / "bare.html") << barePage(folder / "tiles");

    Page page;
    WebViewConfiguration configuration;
    configuration.setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    configuration.userContentController().addScriptMessageHandler(&page, "benchDrawn");
    auto web = std::make_shared<WebView>(Rect(0, 0, 1024, 700), configuration);
    web->setNavigationDelegate(&page);
    auto* provider = dynamic_cast<desktop::NativeWidgetProvider*>(&web->backend());
    if (!provider) {
        state.SkipWithError("the web view has no WebKit engine");
        return;
    }
    GtkWidget* window = gtk_window_new();
    gtk_window_set_default_size(GTK_WINDOW(window), 1024, 700);
    gtk_window_set_child(GTK_WINDOW(window), provider->nativeWidget());
    gtk_window_present(GTK_WINDOW(window));

    const std::string showMap = mapPage::showMap({std::to_string(kPoints), std::string("13"), std::string("18"), "en",
                                                  (folder / "tiles").string(), tourJson(), 1024, true});
    int failures = 0;
    // Loads `file` afresh, then times `call` to every marker drawn; negative on a failure.
    auto measure = [&](const char* file, const std::string& call) -> double {
        const int loads = page.finished;
        web->loadFileURL(fileURL(folder / file), fileURL(folder));
        if (!iterateUntil([&] { return page.finished > loads; }, 30)) return -1;
        page.drawnMarkers.reset();
        bool answered = false;
        const auto start = Clock::now();
        web->evaluateJavaScript(call, [&](const ScriptValue&, const std::optional<WebError>& error) {
            if (error) std::cerr << file << ": " << error->description << "\n";
            answered = true;
        });
        web->evaluateJavaScript(kWhenDrawn);
        if (!iterateUntil([&] { return page.drawnMarkers.has_value(); }, 30)) return -1;
        const double seconds = secondsSince(start);
        if (!answered || *page.drawnMarkers != kPoints) return -1;
        // With TQ_BENCH_SCREENSHOTS=FOLDER, what the page shows, to look at.
        if (const char* shots = std::getenv("TQ_BENCH_SCREENSHOTS")) {
            desktop::writePng(window, std::filesystem::path(shots) / (std::string(file) + ".png"));
        }
        return seconds;
    };

    std::vector<double> map, bare;
    bool mapFirst = true;
    for (auto _ : state) {
        double a, b;
        if (mapFirst) {
            a = measure("offline.html", showMap);
            b = measure("bare.html", "showMarkers(); 0");
        } else {
            b = measure("bare.html", "showMarkers(); 0");
            a = measure("offline.html", showMap);
        }
        mapFirst = !mapFirst;
        if (a < 0 || b < 0) {
            ++failures;
            continue;
        }
        map.push_back(a);
        bare.push_back(b);
        state.SetIterationTime(a);
    }
    // A running map screen: the map page with its points, as the last round left it.
    measure("offline.html", showMap);
    state.counters["vs_bare"] = median(map) / median(bare);
    state.counters["map_ms"] = median(map) * 1000;
    state.counters["bare_ms"] = median(bare) * 1000;
    state.counters["ui_peak_MB"] = statusKilobytes("VmHWM:") / 1024.0;
    state.counters["web_process_MB"] = childProcessesPeakMB();
    state.counters["failures"] = failures;
    gtk_window_destroy(GTK_WINDOW(window));
    web.reset();
    iterateUntil([] { return false; }, 0.5);
}
BENCHMARK(BM_MapPageWith500Points)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq::bench

BENCHMARK_MAIN();
