// The catalogue in the window: from a tap on the home screen's catalogue button to the list shown
// with the pictures of the rows in sight, then scrolled to its end (the scrolled window's
// adjustment set to its end, as a person dragging the scroll bar does) until the last rows are
// drawn with their pictures. The reference is a bare GtkListView of the same rows (the same
// texts and one picture each, decoded as the row is bound) put in a window and scrolled to its end
// the same way. Both are measured in a fresh process of their own, which already shows a window
// (the home screen, or a label), so that the peak resident memory of each can be read.
//
// The catalogue comes from the tests' HTTPS service on loopback (run in this process), with a
// picture address of its own for every tour; the pictures are one 240×180 PNG.
//
// Counters, per number of rows: "vs_bare" is the window's median over the bare list's (target 1.5
// or less at 5,000 rows); "window_ms" and "bare_ms" the medians, "window_open_ms" and
// "bare_open_ms" the part up to the list shown; "window_peak_MB" and "bare_peak_MB" the median
// peak resident memory of each process.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>
#include <sstream>

#include "../CatalogueFixture.h"
#include "../Measure.h"
#include "ChildProcess.h"
#include "WindowWait.h"
#include "app/Application.h"
#include "app/storyboards/Storyboards.h"
#include "desktop/DesktopWindow.h"
#include "desktop/LoopSource.h"
#include "desktop/Mirror.h"
#include "desktop/Screenshot.h"
#include "model/Json.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/Window.h"
#include "product/ProductSites.h"
#include "screens/browse/CatalogController.h"
#include "support/TestEnvironment.h"
#include "support/TestPng.h"
#include "support/TestWebService.h"

namespace tq::bench {
namespace {

using Clock = std::chrono::steady_clock;

std::string rowPicture() {
    return test::makePng(240, 180, [](int x, int y) {
        return test::Rgba{std::uint8_t(x), std::uint8_t(y), std::uint8_t((x + y) / 2), 255};
    });
}

GtkWidget* findScrolledWindow(GtkWidget* widget) {
    if (GTK_IS_SCROLLED_WINDOW(widget)) return widget;
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (GtkWidget* found = findScrolledWindow(child)) return found;
    }
    return nullptr;
}

void scrollToEnd(GtkAdjustment* adjustment) {
    gtk_adjustment_set_value(adjustment, gtk_adjustment_get_upper(adjustment) - gtk_adjustment_get_page_size(adjustment));
}

// With TQ_BENCH_SCREENSHOTS=FOLDER, each side leaves a PNG of what it shows at the end, to look at.
void screenshot(GtkWidget* widget, const std::string& name) {
    if (const char* folder = std::getenv("TQ_BENCH_SCREENSHOTS")) {
        desktop::writePng(widget, std::filesystem::path(folder) / (name + ".png"));
    }
}

// ---- The application's catalogue in its window (a child process)

int windowSide(int rows, const std::string& route, const std::string& authority) {
    if (!desktop::openDisplay()) return 2;
    test::TestEnvironmentOptions options;
    desktop::DeviceChoice::tablet().applyTo(options.device);
    options.manualClock = false;
    test::TestEnvironment env(options);
    for (const char* host : {ProductSites::french, ProductSites::english, ProductSites::spanish, ProductSites::media}) {
        env->hostRoutes()[host] = route;
    }
    env->extraTrustedCertificate() = authority;
    registerStoryboards(StoryboardRegistry::shared());
    env->shared<Application>().launch();
    auto tree = UiApplication::shared().keyWindow();
    desktop::DesktopWindow window(env.env(), tree);
    // A frame drawn after the last flush that changed something means the window shows the tree.
    int changedFlushes = 0, paintedFlushes = -1;
    desktop::LoopSource source(
        env->loop(), false, [&] { return window.hasPendingChanges(); },
        [&] {
            if (window.hasPendingChanges()) ++changedFlushes;
            window.flush();
        });
    GtkWidget* gtkWindow = GTK_WIDGET(window.gtkWindow());
    auto drawn = [&] { return !window.hasPendingChanges() && paintedFlushes == changedFlushes; };
    if (!iterateUntil([&] { return gtk_widget_get_realized(gtkWindow); }, 30)) return 3;
    struct Counts {
        int* changed;
        int* painted;
    } counts{&changedFlushes, &paintedFlushes};
    g_signal_connect(gtk_widget_get_frame_clock(gtkWindow), "after-paint", G_CALLBACK(+[](GdkFrameClock*, gpointer data) {
        auto* counts = static_cast<Counts*>(data);
        *counts->painted = *counts->changed;
    }), &counts);
    if (!iterateUntil(drawn, 30)) return 3;

    auto nav = std::dynamic_pointer_cast<NavigationController>(tree->rootViewController());
    if (!nav) return 4;
    Button* button = nullptr;
    for (const char* name : {"btnCatalog", "btnCatalogLand"}) {
        auto* candidate = dynamic_cast<Button*>(nav->topViewController()->view().viewWithIdentifier(name));
        bool visible = candidate != nullptr;
        for (View* v = candidate; v && visible; v = v->superview()) visible = !v->isHidden();
        if (visible) button = candidate;
    }
    if (!button) return 4;
    auto catalogue = [&] { return std::dynamic_pointer_cast<CatalogController>(nav->topViewController()); };
    auto shown = [&](bool atEnd) {
        auto screen = catalogue();
        if (!screen || !screen->tableView || screen->tableView->numberOfRows(0) != rows) return false;
        auto cells = screen->tableView->visibleCells();
        if (cells.empty()) return false;
        for (const auto& cell : cells) {
            auto* row = dynamic_cast<CatalogueCell*>(cell.get());
            if (!row || !row->thumbnail->image() || !row->thumbnail->image()->bytes) return false;
        }
        if (atEnd) {
            auto visible = screen->tableView->indexPathsForVisibleRows();
            if (visible.empty() || visible.back().row != rows - 1) return false;
        }
        return drawn();
    };

    const auto start = Clock::now();
    button->tap();
    if (!iterateUntil([&] { return shown(false); })) return 5;
    const auto opened = Clock::now();
    GtkWidget* scrolled = findScrolledWindow(window.mirror().widgetFor(*catalogue()->tableView));
    if (!scrolled) return 6;
    GtkAdjustment* adjustment = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scrolled));
    scrollToEnd(adjustment);
    if (!iterateUntil([&] { return shown(true); })) return 7;
    const auto end = Clock::now();
    screenshot(window.screen(), "catalogue-window-" + std::to_string(rows));
    std::cout << "done " << std::chrono::duration<double>(end - start).count() << " "
              << std::chrono::duration<double>(opened - start).count() << std::endl;
    // Stays until the benchmark reads the process's memory and ends it.
    iterateUntil([] { return false; }, 60);
    return 0;
}

// ---- The bare list view (a child process)

struct BareRow {
    std::string title, language, place, rating;
};

struct BareList {
    std::vector<BareRow> rows;
    GBytes* picture = nullptr;
    int lastBound = -1;
};

void setupRow(GtkSignalListItemFactory*, GtkListItem* item, gpointer) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_size_request(row, -1, 135);
    GtkWidget* picture = gtk_picture_new();
    gtk_widget_set_size_request(picture, 250, 110);
    gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
    gtk_box_append(GTK_BOX(row), picture);
    GtkWidget* texts = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    for (int i = 0; i < 4; ++i) {
        GtkWidget* label = gtk_label_new("");
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_box_append(GTK_BOX(texts), label);
    }
    gtk_label_set_lines(GTK_LABEL(gtk_widget_get_first_child(texts)), 2);
    gtk_label_set_wrap(GTK_LABEL(gtk_widget_get_first_child(texts)), TRUE);
    gtk_box_append(GTK_BOX(row), texts);
    gtk_list_item_set_child(item, row);
}

void bindRow(GtkSignalListItemFactory*, GtkListItem* item, gpointer data) {
    auto* list = static_cast<BareList*>(data);
    const auto position = gtk_list_item_get_position(item);
    const BareRow& texts = list->rows[position];
    GtkWidget* row = gtk_list_item_get_child(item);
    GtkWidget* picture = gtk_widget_get_first_child(row);
    GdkTexture* texture = gdk_texture_new_from_bytes(list->picture, nullptr);
    gtk_picture_set_paintable(GTK_PICTURE(picture), GDK_PAINTABLE(texture));
    if (texture) g_object_unref(texture);
    GtkWidget* label = gtk_widget_get_first_child(gtk_widget_get_next_sibling(picture));
    for (const std::string* text : {&texts.title, &texts.language, &texts.place, &texts.rating}) {
        gtk_label_set_text(GTK_LABEL(label), text->c_str());
        label = gtk_widget_get_next_sibling(label);
    }
    list->lastBound = std::max(list->lastBound, int(position));
}

int bareSide(int rows) {
    if (!gtk_init_check()) return 2;
    BareList list;
    auto reply = decodeToursReply(catalogueWithPicturesOf(rows));
    if (!reply) return 3;
    for (const auto& tour : reply->results) {
        std::optional<std::string> title = tour->title, city = tour->city_name_fr, country = tour->country_nom_fr;
        list.rows.push_back({title.value_or(""), "Français | English", city.value_or("") + ", " + country.value_or(""),
                             "4.5 / 5"});
    }
    const std::string picture = rowPicture();
    list.picture = g_bytes_new(picture.data(), picture.size());

    GtkWidget* window = gtk_window_new();
    gtk_window_set_default_size(GTK_WINDOW(window), 1024, 768);
    gtk_window_set_child(GTK_WINDOW(window), gtk_label_new("Home"));
    gtk_window_present(GTK_WINDOW(window));
    if (!iterateUntil([&] { return gtk_widget_get_realized(window); }, 30)) return 3;
    PaintedFrames frames(window);
    if (!iterateUntil([&] { return frames.count() > 0; }, 30)) return 3;

    const auto start = Clock::now();
    GtkStringList* model = gtk_string_list_new(nullptr);
    for (int i = 0; i < rows; ++i) gtk_string_list_append(model, std::to_string(i).c_str());
    GtkListItemFactory* factory = gtk_signal_list_item_factory_new();
    g_signal_connect(factory, "setup", G_CALLBACK(setupRow), &list);
    g_signal_connect(factory, "bind", G_CALLBACK(bindRow), &list);
    GtkWidget* view = gtk_list_view_new(GTK_SELECTION_MODEL(gtk_no_selection_new(G_LIST_MODEL(model))), factory);
    GtkWidget* scrolled = gtk_scrolled_window_new();
    gtk_scrolled_window_set_child(GTK_SCROLLED_WINDOW(scrolled), view);
    gtk_window_set_child(GTK_WINDOW(window), scrolled);
    int painted = frames.count();
    if (!iterateUntil([&] { return list.lastBound >= 0 && frames.count() > painted; })) return 5;
    const auto opened = Clock::now();
    // The list view knows only estimates of the rows it has not measured: the end moves as it
    // learns them, and the scroll goes on until the last row is bound and drawn.
    GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
    painted = frames.count();
    scrollToEnd(adjustment);
    if (!iterateUntil([&] {
            if (list.lastBound == rows - 1 && frames.count() > painted) return true;
            if (frames.count() > painted) {
                painted = frames.count();
                scrollToEnd(adjustment);
            }
            return false;
        })) {
        return 7;
    }
    const auto end = Clock::now();
    screenshot(window, "catalogue-bare-" + std::to_string(rows));
    std::cout << "done " << std::chrono::duration<double>(end - start).count() << " "
              << std::chrono::duration<double>(opened - start).count() << std::endl;
    iterateUntil([] { return false; }, 60);
    return 0;
}

// ---- The benchmark

std::string selfPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, std::size_t(length)) : std::string();
}

struct Timing {
    double total = 0, open = 0;
};

Timing timingOf(const ChildRun& run) {
    Timing timing;
    std::istringstream(run.line.substr(5)) >> timing.total >> timing.open;
    return timing;
}

void BM_CatalogueOpenAndScroll(benchmark::State& state) {
    const int rows = int(state.range(0));
    test::TestWebService service;
    service.reply("/public/webservice/getSimpleListCatalogV2/newApi/", test::ScriptedReply::json(catalogueWithPicturesOf(rows)));
    service.replyToPrefix("/circuits/", test::ScriptedReply::bytes(rowPicture(), "image/png"));
    const std::string self = selfPath(), count = std::to_string(rows);
    auto windowRun = [&] {
        return runUntilLine({self, "--side", "window", count, service.address(), service.certificatePath().string()}, {},
                            "done ");
    };
    auto bareRun = [&] { return runUntilLine({self, "--side", "bare", count}, {}, "done "); };

    std::vector<double> window, bare, windowOpen, bareOpen, windowPeak, barePeak;
    int failures = 0;
    bool windowFirst = true;
    for (auto _ : state) {
        ChildRun a, b;
        if (windowFirst) {
            a = windowRun();
            b = bareRun();
        } else {
            b = bareRun();
            a = windowRun();
        }
        windowFirst = !windowFirst;
        if (!a.ok || !b.ok) {
            if (!a.ok) std::cerr << "window side: " << a.failure << "\n";
            if (!b.ok) std::cerr << "bare side: " << b.failure << "\n";
            ++failures;
            continue;
        }
        auto wa = timingOf(a), wb = timingOf(b);
        window.push_back(wa.total);
        windowOpen.push_back(wa.open);
        bare.push_back(wb.total);
        bareOpen.push_back(wb.open);
        windowPeak.push_back(a.peakKilobytes / 1024.0);
        barePeak.push_back(b.peakKilobytes / 1024.0);
        state.SetIterationTime(wa.total);
    }
    state.counters["vs_bare"] = median(window) / median(bare);
    state.counters["window_ms"] = median(window) * 1000;
    state.counters["bare_ms"] = median(bare) * 1000;
    state.counters["window_open_ms"] = median(windowOpen) * 1000;
    state.counters["bare_open_ms"] = median(bareOpen) * 1000;
    state.counters["window_peak_MB"] = median(windowPeak);
    state.counters["bare_peak_MB"] = median(barePeak);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_CatalogueOpenAndScroll)->Arg(500)->Arg(5000)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tq::bench

int main(int argc, char** argv) {
    // A child process: one side, measured once.
    if (argc >= 4 && std::strcmp(argv[1], "--side") == 0) {
        const int rows = std::atoi(argv[3]);
        if (std::strcmp(argv[2], "window") == 0 && argc >= 6) return tq::bench::windowSide(rows, argv[4], argv[5]);
        if (std::strcmp(argv[2], "bare") == 0) return tq::bench::bareSide(rows);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
