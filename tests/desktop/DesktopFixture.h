#pragma once

// The application drawn in a real window under Xvfb: a test environment (manual clock, test web
// service), the storyboards, and a DesktopWindow on the key window driven by GLib through the
// loop source. `turn()` lets GLib run until the window is drawn and idle.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/storyboards/Storyboards.h"
#include "desktop/DesktopWindow.h"
#include "desktop/LoopSource.h"
#include "desktop/Mirror.h"
#include "desktop/Screenshot.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/Window.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {

inline TestEnvironmentOptions deviceOptions(const desktop::DeviceChoice& device) {
    TestEnvironmentOptions options;
    device.applyTo(options.device);
    return options;
}

class DesktopFixture {
public:
    explicit DesktopFixture(const desktop::DeviceChoice& device) : env(deviceOptions(device)) {
        EXPECT_TRUE(desktop::openDisplay());
        service.connect(env.env());
        registerStoryboards(StoryboardRegistry::shared());
    }
    ~DesktopFixture() { close(); }

    // Launches the application as the program does and opens the window on it.
    void launch() {
        env->shared<Application>().launch();
        env.settle();
        open(UiApplication::shared().keyWindow());
    }

    // `onClose` runs as the program's quit does when a person closes the window.
    void open(std::shared_ptr<Window> window, std::function<void()> onClose = {}) {
        tree = std::move(window);
        desktop = std::make_unique<desktop::DesktopWindow>(env.env(), tree, std::move(onClose));
        source = std::make_unique<desktop::LoopSource>(
            env->loop(), true, [this] { return desktop->hasPendingChanges(); }, [this] { desktop->flush(); });
        turn();
    }

    void close() {
        source.reset();
        desktop.reset();
    }

    // Lets GLib run the application's loop and draw, until nothing is left to do; then waits for
    // the window's layout to settle.
    void turn() {
        source->iterate(5.0);
        // The X server resizes the window in its own time (after a turn of the device, say).
        GtkWidget* screen = desktop->screen();
        EXPECT_TRUE(source->iterate(10.0, [&] {
            return gtk_widget_get_mapped(screen) && gtk_widget_get_width(screen) == int(tree->frame().width()) &&
                   gtk_widget_get_height(screen) == int(tree->frame().height()) && !desktop->hasPendingChanges();
        })) << "the window did not take the device's size " << tree->frame().width() << "x" << tree->frame().height()
            << " (mapped " << gtk_widget_get_mapped(screen) << ", " << gtk_widget_get_width(screen) << "x"
            << gtk_widget_get_height(screen) << ", pending " << desktop->hasPendingChanges() << ")";
        // One more frame drawn: whatever the last changes placed has its allocation now.
        GtkWidget* window = GTK_WIDGET(desktop->gtkWindow());
        GdkFrameClock* clock = gtk_widget_get_frame_clock(window);
        if (clock) {
            painted_ = false;
            gulong handler = g_signal_connect(clock, "after-paint", G_CALLBACK(+[](GdkFrameClock*, gpointer flag) {
                *static_cast<bool*>(flag) = true;
            }), &painted_);
            gtk_widget_queue_draw(window);
            EXPECT_TRUE(source->iterate(10.0, [&] { return painted_; })) << "no frame was drawn";
            g_signal_handler_disconnect(clock, handler);
        }
        source->iterate(5.0);
    }
    // Settles the application's own work (replies from the test web service) and draws.
    void settle() {
        env.settle();
        turn();
    }
    // Runs GLib until `condition` holds; false when it did not within `seconds`.
    bool waitFor(const std::function<bool()>& condition, double seconds = 10.0) {
        return source->iterate(seconds, [&] {
            env->loop().runPending();
            return condition();
        });
    }

    std::shared_ptr<NavigationController> navigation() const {
        return std::dynamic_pointer_cast<NavigationController>(tree->rootViewController());
    }
    desktop::Mirror& mirror() { return desktop->mirror(); }
    GtkWidget* widgetOf(const View& view) { return mirror().widgetFor(view); }

    std::filesystem::path screenshot(const std::string& name) {
        auto path = std::filesystem::path(TQ_SCREENSHOT_DIR) / (name + ".png");
        EXPECT_TRUE(desktop::writePng(desktop->screen(), path)) << name;
        return path;
    }

    TestWebService service;
    TestEnvironment env;
    std::shared_ptr<Window> tree;
    std::unique_ptr<desktop::DesktopWindow> desktop;
    std::unique_ptr<desktop::LoopSource> source;

private:
    bool painted_ = false;
};

}  // namespace tq::test
