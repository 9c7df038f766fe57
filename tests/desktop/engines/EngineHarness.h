#pragma once

#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "support/TestEnvironment.h"

namespace tq::test {

// Which engine a contract test runs against: the headless one the other tests use, or the real
// engine of the desktop (WebKitGTK, GStreamer, GeoClue) under Xvfb.
enum class EngineKind { headless, real };
std::string engineName(const ::testing::TestParamInfo<EngineKind>& info);

// An environment for one contract test. The headless engine runs on the manual clock; the real
// engine on the steady clock, its sound into a fakesink that keeps time.
class EngineHarness {
public:
    explicit EngineHarness(EngineKind kind);
    // `beforeEngines` sets the environment up (host routes, say) before the real engines read it.
    EngineHarness(EngineKind kind, const std::function<void(Environment&)>& beforeEngines);
    ~EngineHarness();
    bool real() const { return kind_ == EngineKind::real; }
    Environment& env() { return env_.env(); }
    TestEnvironment& testEnv() { return env_; }

    // Lets time pass until the condition holds: the manual clock moves in small steps for the
    // headless engine, real time passes (GLib's and the main loop's work run) for the real one.
    // Fails the test, naming what it waited for, when it does not come within `seconds`.
    bool waitFor(const std::function<bool()>& condition, double seconds, const std::string& what);
    // Lets `seconds` pass, whatever happens.
    void pass(double seconds);

    // A toplevel window the real web views are drawn in, so that pages have a size.
    GtkWindow* window();
    void show(GtkWidget* widget);
    // Draws the widget as the window shows it into a PNG file; false when it has nothing to draw.
    bool screenshot(GtkWidget* widget, const std::filesystem::path& png);

private:
    EngineKind kind_;
    TestEnvironment env_;
    GtkWindow* window_ = nullptr;
};

// A video of `seconds` at 20 frames a second, 160×120 (Theora in Ogg), written by GStreamer.
std::filesystem::path makeVideoFile(const std::filesystem::path& folder, double seconds);

}  // namespace tq::test
