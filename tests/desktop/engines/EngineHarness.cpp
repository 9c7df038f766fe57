#include <gst/gst.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "EngineHarness.h"
#include "desktop/engines/GstSupport.h"
#include "desktop/engines/InstallEngines.h"

namespace tq::test {

namespace {

TestEnvironmentOptions optionsFor(EngineKind kind) {
    TestEnvironmentOptions options;
    options.manualClock = kind == EngineKind::headless;
    return options;
}

// GTK and GStreamer start once for the whole program. Xvfb has no GPU: GDK's probe of the GL
// drivers loads and unloads Mesa's modules, which leaves an allocation LeakSanitizer can no longer
// name. These tests draw nothing that needs GL.
struct DesktopStart : ::testing::Environment {
    void SetUp() override {
        setenv("GDK_DEBUG", "gl-disable", 0);
        setenv("GSK_RENDERER", "cairo", 0);
        gtk_init();
        ASSERT_TRUE(desktop::ensureGStreamer());
    }
};
const auto* const desktopStart = ::testing::AddGlobalTestEnvironment(new DesktopStart);

}  // namespace

std::string engineName(const ::testing::TestParamInfo<EngineKind>& info) {
    return info.param == EngineKind::headless ? "Headless" : "Real";
}

EngineHarness::EngineHarness(EngineKind kind) : EngineHarness(kind, [](Environment&) {}) {}

EngineHarness::EngineHarness(EngineKind kind, const std::function<void(Environment&)>& beforeEngines)
    : kind_(kind), env_(optionsFor(kind)) {
    beforeEngines(env_.env());
    if (!real()) return;
    desktop::EngineOptions options;
    options.audioSink = "fakesink sync=true";
    desktop::installEngines(env_.env(), options);
}

EngineHarness::~EngineHarness() {
    if (window_) gtk_window_destroy(window_);
    // What the engines post while they stop runs before the environment goes.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

bool EngineHarness::waitFor(const std::function<bool()>& condition, double seconds, const std::string& what) {
    if (!real()) {
        for (double waited = 0; waited <= seconds; waited += 0.05) {
            env_.settle();
            if (condition()) return true;
            env_.advance(0.05);
        }
        ADD_FAILURE() << "waited " << seconds << " s on the clock for " << what;
        return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        while (env_->loop().runPending() > 0) {
        }
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "waited " << seconds << " s for " << what;
            return false;
        }
        g_usleep(2000);
    }
}

void EngineHarness::pass(double seconds) {
    if (!real()) {
        env_.advance(seconds);
        env_.settle();
        return;
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        while (env_->loop().runPending() > 0) {
        }
        if (std::chrono::steady_clock::now() > until) return;
        g_usleep(2000);
    }
}

GtkWindow* EngineHarness::window() {
    if (!window_) {
        window_ = GTK_WINDOW(gtk_window_new());
        gtk_window_set_default_size(window_, 800, 600);
        gtk_window_present(window_);
    }
    return window_;
}

void EngineHarness::show(GtkWidget* widget) { gtk_window_set_child(window(), widget); }

bool EngineHarness::screenshot(GtkWidget* widget, const std::filesystem::path& png) {
    GdkPaintable* paintable = gtk_widget_paintable_new(widget);
    int width = gtk_widget_get_width(widget), height = gtk_widget_get_height(widget);
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    bool saved = false;
    GskRenderer* renderer = gtk_native_get_renderer(gtk_widget_get_native(widget));
    if (node && renderer && width > 0 && height > 0) {
        GdkTexture* texture = gsk_renderer_render_texture(renderer, node, nullptr);
        saved = texture && gdk_texture_save_to_png(texture, png.c_str());
        if (texture) g_object_unref(texture);
    }
    if (node) gsk_render_node_unref(node);
    g_object_unref(paintable);
    // Kept for a person to look at, when asked.
    if (const char* keep = std::getenv("TQ_ENGINE_SCREENSHOTS"); saved && keep) {
        std::filesystem::create_directories(keep);
        std::filesystem::copy_file(png, std::filesystem::path(keep) / png.filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return saved;
}

std::filesystem::path makeVideoFile(const std::filesystem::path& folder, double seconds) {
    auto path = folder / "clip.ogv";
    int frames = static_cast<int>(seconds * 20);
    std::string description = "videotestsrc num-buffers=" + std::to_string(frames) +
                              " ! video/x-raw,width=160,height=120,framerate=20/1 ! theoraenc ! oggmux ! filesink "
                              "location=\"" +
                              path.string() + "\"";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    EXPECT_TRUE(pipeline && !error) << (error ? error->message : "no pipeline");
    g_clear_error(&error);
    if (!pipeline) return path;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    EXPECT_TRUE(message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) << "the clip was not written";
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return path;
}

}  // namespace tq::test
