#include "desktop/LoopSource.h"

#include <glib-unix.h>

#include <cmath>
#include <csignal>

#include "platform/foundation/MainLoop.h"

namespace tq::desktop {

namespace {

struct Source {
    GSource base;
    LoopSource* owner;
};

gboolean sourcePrepare(GSource* source, gint* timeout) {
    return reinterpret_cast<Source*>(source)->owner->ready(timeout);
}

gboolean sourceCheck(GSource* source) {
    int timeout = -1;
    return reinterpret_cast<Source*>(source)->owner->ready(&timeout);
}

gboolean sourceDispatch(GSource* source, GSourceFunc, gpointer) {
    reinterpret_cast<Source*>(source)->owner->dispatch();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs sourceFuncs = {sourcePrepare, sourceCheck, sourceDispatch, nullptr, nullptr, nullptr};

gboolean onQuitSignal(gpointer data) {
    static_cast<LoopSource*>(data)->quit();
    return G_SOURCE_CONTINUE;
}

}  // namespace

LoopSource::LoopSource(MainLoop& loop, bool manualClock, std::function<bool()> pending, std::function<void()> afterTurn)
    : loop_(loop), manual_(manualClock), pending_(std::move(pending)), afterTurn_(std::move(afterTurn)) {
    GMainContext* context = g_main_context_default();
    source_ = g_source_new(&sourceFuncs, sizeof(Source));
    reinterpret_cast<Source*>(source_)->owner = this;
    g_source_set_name(source_, "trelvoquest main loop");
    g_source_attach(source_, context);
    glibLoop_ = g_main_loop_new(context, FALSE);
    // Called from whichever thread posted: both steps are thread-safe.
    loop_.setWakeHook([this, context] {
        woken_ = true;
        g_main_context_wakeup(context);
    });
}

LoopSource::~LoopSource() {
    loop_.setWakeHook({});
    for (guint id : signalSources_) {
        if (id) g_source_remove(id);
    }
    g_source_destroy(source_);
    g_source_unref(source_);
    g_main_loop_unref(glibLoop_);
}

void LoopSource::quitOnSignals() {
    signalSources_[0] = g_unix_signal_add(SIGINT, onQuitSignal, this);
    signalSources_[1] = g_unix_signal_add(SIGTERM, onQuitSignal, this);
}

bool LoopSource::ready(int* timeoutMs) {
    *timeoutMs = -1;
    if (woken_ || (pending_ && pending_())) {
        *timeoutMs = 0;
        return true;
    }
    if (manual_) return false;
    auto due = loop_.nextDue();
    if (!due) return false;
    double wait = *due - loop_.now();
    if (wait <= 0) {
        *timeoutMs = 0;
        return true;
    }
    *timeoutMs = int(std::min(std::ceil(wait * 1000), 3600.0 * 1000));
    return false;
}

void LoopSource::dispatch() {
    woken_ = false;
    loop_.runPending();
    if (afterTurn_) afterTurn_();
}

void LoopSource::run() {
    running_ = true;
    g_main_loop_run(glibLoop_);
    running_ = false;
}

void LoopSource::quit() { g_main_loop_quit(glibLoop_); }

bool LoopSource::iterate(double realSeconds, const std::function<bool()>& until) {
    const gint64 deadline = g_get_monotonic_time() + gint64(realSeconds * 1e6);
    GMainContext* context = g_main_context_default();
    while (g_get_monotonic_time() < deadline) {
        if (until && until()) return true;
        bool busy = g_main_context_iteration(context, FALSE);
        if (!busy && !until) return true;
        if (!busy) g_usleep(2000);
    }
    return until ? until() : false;
}

}  // namespace tq::desktop
