#include "desktop/engines/GstVideoBackend.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>

#include "desktop/GtkVideoSurface.h"
#include "platform/foundation/Environment.h"
#include "platform/media/VideoPlayer.h"

namespace tq::desktop {

// The newest decoded frame, handed from the streaming thread to the main loop. Only the newest
// counts: a main loop that falls behind skips frames rather than queueing them.
struct GstVideoBackend::Frames {
    std::mutex mutex;
    // The frame and its caps (not the sample: the appsink reuses its samples).
    GstBuffer* latest = nullptr;
    GstCaps* caps = nullptr;
    bool drawPosted = false;
    // Posted through from the streaming thread, which may outlive the loop.
    std::shared_ptr<LoopGate> gate;
    std::weak_ptr<GstVideoBackend*> backend;
    void keep(GstBuffer* buffer, GstCaps* frameCaps) {
        if (latest) gst_buffer_unref(latest);
        if (caps) gst_caps_unref(caps);
        latest = buffer;
        caps = frameCaps;
    }
    ~Frames() { keep(nullptr, nullptr); }
};

namespace {

// The address to play: on a routed host, always over https (the routed service speaks TLS only,
// as the application's own client upgrades "http:"). `routed` tells whether the host is routed.
std::string playedAddress(const std::string& address, const std::optional<EngineRoutes>& routes, bool& routed) {
    routed = false;
    if (!routes) return address;
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return address;
    const char* scheme = g_uri_get_scheme(uri);
    const char* host = g_uri_get_host(uri);
    std::string played = address;
    if (host && scheme && (g_ascii_strcasecmp(scheme, "https") == 0 || g_ascii_strcasecmp(scheme, "http") == 0) &&
        routes->isRouted(host)) {
        routed = true;
        if (g_ascii_strcasecmp(scheme, "http") == 0) played = "https" + address.substr(std::strlen(scheme));
    }
    g_uri_unref(uri);
    return played;
}

// The HTTP source of a routed address goes through the routing proxy and trusts the routed
// service's authority alone; other addresses keep the source's own settings.
void routeSource(GstElement*, GstElement* source, gpointer data) {
    const auto* routes = static_cast<const EngineRoutes*>(data);
    GObjectClass* type = G_OBJECT_GET_CLASS(source);
    if (!g_object_class_find_property(type, "proxy") || !g_object_class_find_property(type, "tls-database")) return;
    // An authority that cannot be read leaves the source as it is: it then asks the real host.
    GTlsDatabase* authority = g_tls_file_database_new(routes->authority.c_str(), nullptr);
    if (!authority) return;
    g_object_set(source, "proxy", routes->proxy->uri().c_str(), "tls-database", authority, nullptr);
    g_object_unref(authority);
    if (g_object_class_find_property(type, "ssl-strict")) g_object_set(source, "ssl-strict", TRUE, nullptr);
}

}  // namespace

GstVideoBackend::GstVideoBackend(Environment& env, GstVideoOutput output)
    : env_(env), output_(std::move(output)), self_(std::make_shared<GstVideoBackend*>(this)) {}

GstVideoBackend::~GstVideoBackend() {
    *self_ = nullptr;
    teardown();
}

void GstVideoBackend::teardown() {
    if (!playbin_) return;
    gst_element_set_state(playbin_, GST_STATE_NULL);
    bus_.reset();
    gst_object_unref(playbin_);
    playbin_ = nullptr;
    frames_.reset();
}

void GstVideoBackend::setItem(std::shared_ptr<VideoPlayerItem> item) {
    teardown();
    item_ = std::move(item);
    prerolled_ = false;
    ended_ = false;
    failed_ = false;
    pendingSeek_.reset();
    lastPosition_ = 0;
    ++itemGeneration_;
    if (!item_) return;
    if (output_.gate && !output_.gate->isOpen()) {
        std::weak_ptr<GstVideoBackend*> weak = self_;
        output_.gate->whenOpen([weak, generation = itemGeneration_] {
            auto cell = weak.lock();
            if (cell && *cell && (*cell)->itemGeneration_ == generation) (*cell)->startPipeline();
        });
        return;
    }
    startPipeline();
}

void GstVideoBackend::startPipeline() {
    if (!ensureGStreamer()) {
        failed_ = true;
        return;
    }
    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_) {
        failed_ = true;
        return;
    }
    gst_object_ref_sink(playbin_);
    bool routed = false;
    std::string address = playedAddress(item_->url(), output_.routes, routed);
    g_object_set(playbin_, "uri", address.c_str(), nullptr);
    // The routes live in output_, as long as the backend, which stops the pipeline before it goes.
    if (routed) g_signal_connect(playbin_, "source-setup", G_CALLBACK(routeSource), &*output_.routes);
    if (GstElement* sink = makeSink(output_.audioSink)) g_object_set(playbin_, "audio-sink", sink, nullptr);
    if (output_.videoSink) {
        if (GstElement* sink = makeSink(*output_.videoSink)) g_object_set(playbin_, "video-sink", sink, nullptr);
    } else {
        frames_ = std::make_shared<Frames>();
        frames_->gate = env_.loop().gate();
        frames_->backend = self_;
        GstElement* sink = makeSink("videoconvert ! appsink name=frames max-buffers=1 drop=true "
                                    "caps=video/x-raw,format=RGBA");
        GstElement* appsink = sink ? gst_bin_get_by_name(GST_BIN(sink), "frames") : nullptr;
        if (appsink) {
            GstAppSinkCallbacks callbacks{};
            callbacks.new_sample = [](GstAppSink* s, gpointer data) -> GstFlowReturn {
                auto* frames = static_cast<Frames*>(data);
                GstSample* sample = gst_app_sink_pull_sample(s);
                if (!sample) return GST_FLOW_OK;
                bool post = false;
                GstBuffer* buffer = gst_sample_get_buffer(sample);
                GstCaps* caps = gst_sample_get_caps(sample);
                if (buffer && caps) {
                    std::lock_guard lock(frames->mutex);
                    frames->keep(gst_buffer_ref(buffer), gst_caps_ref(caps));
                    post = !frames->drawPosted;
                    frames->drawPosted = true;
                }
                gst_sample_unref(sample);
                if (post) {
                    std::weak_ptr<GstVideoBackend*> weak = frames->backend;
                    frames->gate->post([weak] {
                        auto cell = weak.lock();
                        if (cell && *cell) (*cell)->drawLatestFrame();
                    });
                }
                return GST_FLOW_OK;
            };
            // The pipeline holds the frames' state for as long as it runs; it goes to NULL before
            // the state is let go.
            gst_app_sink_set_callbacks(GST_APP_SINK(appsink), &callbacks, frames_.get(), nullptr);
            gst_object_unref(appsink);
            g_object_set(playbin_, "video-sink", sink, nullptr);
        } else if (sink) {
            gst_object_unref(sink);
        }
    }
    setVolume(volume_, muted_);
    bus_ = std::make_unique<BusLink>(env_.loop(), playbin_, [this](const PipelineEvent& event) { onEvent(event); });
    // Prerolled at once: the first frame shows and the length becomes known before playing.
    gst_element_set_state(playbin_, rate_ > 0 ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

void GstVideoBackend::setRate(double rate) {
    rate_ = std::max(rate, 0.0);
    applyRate();
}

void GstVideoBackend::applyRate() {
    if (!playbin_ || failed_) return;
    if (rate_ <= 0) {
        lastPosition_ = position();
        gst_element_set_state(playbin_, GST_STATE_PAUSED);
        return;
    }
    if (prerolled_ && rate_ != appliedRate_) {
        auto at = queryPosition(playbin_).value_or(lastPosition_);
        if (gst_element_seek(playbin_, rate_, GST_FORMAT_TIME,
                             static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
                             toClockTime(at), GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE)) {
            appliedRate_ = rate_;
        }
    }
    gst_element_set_state(playbin_, GST_STATE_PLAYING);
}

double GstVideoBackend::position() const {
    if (!item_) return 0;
    if (pendingSeek_) return *pendingSeek_;
    if (playbin_ && prerolled_ && !ended_) {
        if (auto at = queryPosition(playbin_)) return *at;
    }
    return lastPosition_;
}

void GstVideoBackend::seek(double seconds) {
    if (!item_) return;
    seconds = std::max(seconds, 0.0);
    if (auto duration = item_->duration()) seconds = std::min(seconds, *duration);
    lastPosition_ = seconds;
    ended_ = false;
    if (failed_) return;
    // Before the preroll (or before a held pipeline starts) the seek waits for it.
    if (!playbin_ || !prerolled_) {
        pendingSeek_ = seconds;
        return;
    }
    gst_element_seek(playbin_, appliedRate_, GST_FORMAT_TIME,
                     static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
                     toClockTime(seconds), GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

void GstVideoBackend::setVolume(double volume, bool muted) {
    volume_ = std::clamp(volume, 0.0, 1.0);
    muted_ = muted;
    if (playbin_) g_object_set(playbin_, "volume", volume_, "mute", muted_ ? TRUE : FALSE, nullptr);
}

void GstVideoBackend::setSurface(std::shared_ptr<VideoSurface> surface) {
    surface_ = std::dynamic_pointer_cast<GtkVideoSurface>(surface);
    // A paused video shows its present frame on the new surface at once.
    if (surface_ && frames_) drawLatestFrame();
}

void GstVideoBackend::drawLatestFrame() {
    if (!frames_) return;
    GstBuffer* buffer = nullptr;
    GstCaps* caps = nullptr;
    {
        std::lock_guard lock(frames_->mutex);
        frames_->drawPosted = false;
        if (frames_->latest) buffer = gst_buffer_ref(frames_->latest);
        if (frames_->caps) caps = gst_caps_ref(frames_->caps);
    }
    GstVideoInfo info;
    GstVideoFrame frame;
    if (surface_ && surface_->picture() && buffer && caps && gst_video_info_from_caps(&info, caps) &&
        gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        const auto width = GST_VIDEO_FRAME_WIDTH(&frame);
        const auto height = GST_VIDEO_FRAME_HEIGHT(&frame);
        const auto stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
        GBytes* bytes = g_bytes_new(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0), static_cast<gsize>(stride) * height);
        GdkTexture* texture = gdk_memory_texture_new(width, height, GDK_MEMORY_R8G8B8A8, bytes, stride);
        gtk_picture_set_paintable(surface_->picture(), GDK_PAINTABLE(texture));
        g_object_unref(texture);
        g_bytes_unref(bytes);
        gst_video_frame_unmap(&frame);
        ++framesDrawn_;
    }
    if (buffer) gst_buffer_unref(buffer);
    if (caps) gst_caps_unref(caps);
}

void GstVideoBackend::onEvent(const PipelineEvent& event) {
    if (!playbin_) return;
    switch (event.kind) {
        case PipelineEvent::Kind::prerolled:
            if (!prerolled_) {
                prerolled_ = true;
                if (auto duration = queryDuration(playbin_); duration && item_ && item_->duration() != duration) {
                    item_->setDuration(duration);
                }
                if (pendingSeek_) {
                    double at = *pendingSeek_;
                    pendingSeek_.reset();
                    seek(at);
                }
                applyRate();
            }
            break;
        case PipelineEvent::Kind::durationChanged:
            if (auto duration = queryDuration(playbin_); duration && item_ && item_->duration() != duration) {
                item_->setDuration(duration);
            }
            break;
        case PipelineEvent::Kind::endOfStream:
            if (ended_) return;
            ended_ = true;
            if (item_) lastPosition_ = item_->duration().value_or(queryPosition(playbin_).value_or(lastPosition_));
            if (listener_) listener_->playbackReachedEnd();
            break;
        case PipelineEvent::Kind::error:
            if (failed_) return;
            failed_ = true;
            lastPosition_ = position();
            gst_element_set_state(playbin_, GST_STATE_NULL);
            if (listener_) listener_->playbackFailed(event.error);
            break;
    }
}

}  // namespace tq::desktop
