#include "desktop/engines/GstAudioBackend.h"

#include <gst/app/gstappsrc.h>

#include <algorithm>

#include "platform/foundation/Environment.h"

namespace tq::desktop {

// The bytes the appsrc reads, and where it reads next. The streaming thread asks for data and
// seeks; the bytes stay put for the life of the backend.
struct GstAudioBackend::Source {
    const std::string* bytes;
    std::atomic<std::uint64_t> offset{0};
};

namespace {
constexpr std::uint64_t chunkSize = 64 * 1024;
}  // namespace

GstAudioBackend::GstAudioBackend(Environment& env, const std::string& bytes, const std::string& sinkDescription)
    : env_(env), source_(std::make_shared<Source>()) {
    source_->bytes = &bytes;
    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_) {
        failed_ = true;
        return;
    }
    gst_object_ref_sink(playbin_);
    // Sound only: a video track in the file, if any, is not decoded.
    g_object_set(playbin_, "uri", "appsrc://", "flags", 0x2 /* audio */, nullptr);
    if (GstElement* sink = makeSink(sinkDescription)) g_object_set(playbin_, "audio-sink", sink, nullptr);
    g_signal_connect(playbin_, "source-setup", G_CALLBACK(onSourceSetup), source_.get());
    bus_ = std::make_unique<BusLink>(env.loop(), playbin_, [this](const PipelineEvent& event) { onEvent(event); });
}

GstAudioBackend::~GstAudioBackend() {
    if (rampTimer_) rampTimer_->invalidate();
    if (!playbin_) return;
    gst_element_set_state(playbin_, GST_STATE_NULL);
    bus_.reset();
    gst_object_unref(playbin_);
}

void GstAudioBackend::onSourceSetup(GstElement*, GstElement* element, gpointer data) {
    auto* source = static_cast<Source*>(data);
    auto* appsrc = GST_APP_SRC(element);
    gst_app_src_set_stream_type(appsrc, GST_APP_STREAM_TYPE_RANDOM_ACCESS);
    gst_app_src_set_size(appsrc, static_cast<gint64>(source->bytes->size()));
    g_object_set(appsrc, "format", GST_FORMAT_BYTES, nullptr);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = [](GstAppSrc* src, guint length, gpointer user) {
        auto* s = static_cast<Source*>(user);
        const std::uint64_t size = s->bytes->size();
        std::uint64_t at = s->offset.load();
        if (at >= size) {
            gst_app_src_end_of_stream(src);
            return;
        }
        std::uint64_t n = std::min<std::uint64_t>(std::max<std::uint64_t>(length, chunkSize), size - at);
        // The player's bytes outlive the pipeline: the buffer points into them and frees nothing.
        GstBuffer* buffer = gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY,
                                                        const_cast<char*>(s->bytes->data()), size, at, n, nullptr, nullptr);
        GST_BUFFER_OFFSET(buffer) = at;
        s->offset = at + n;
        gst_app_src_push_buffer(src, buffer);
    };
    callbacks.seek_data = [](GstAppSrc*, guint64 offset, gpointer user) -> gboolean {
        auto* s = static_cast<Source*>(user);
        if (offset > s->bytes->size()) return FALSE;
        s->offset = offset;
        return TRUE;
    };
    gst_app_src_set_callbacks(appsrc, &callbacks, source, nullptr);
}

void GstAudioBackend::preroll() {
    if (!playbin_ || failed_) return;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(playbin_, &state, nullptr, 0);
    if (state == GST_STATE_NULL) gst_element_set_state(playbin_, GST_STATE_PAUSED);
}

void GstAudioBackend::play() {
    if (failed_) {
        fail({0, "the track cannot be played"});
        return;
    }
    if (source_->bytes->empty()) {
        fail({0, "an empty track cannot be played"});
        return;
    }
    if (playing_) return;
    playing_ = true;
    endReported_ = false;
    applyVolume();
    gst_element_set_state(playbin_, GST_STATE_PLAYING);
}

void GstAudioBackend::pause() {
    if (!playing_) return;
    lastPosition_ = position();
    playing_ = false;
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
}

double GstAudioBackend::position() const {
    if (pendingSeek_) return *pendingSeek_;
    if (playbin_ && prerolled_) {
        if (auto at = queryPosition(playbin_)) return *at;
    }
    return lastPosition_;
}

void GstAudioBackend::seek(double seconds) {
    seconds = std::max(seconds, 0.0);
    lastPosition_ = seconds;
    endReported_ = false;
    if (!playbin_ || failed_) return;
    if (!prerolled_) {
        pendingSeek_ = seconds;
        preroll();
        return;
    }
    gst_element_seek_simple(playbin_, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), toClockTime(seconds));
}

double GstAudioBackend::volume() const {
    if (rampDuration_ <= 0) return rampTo_;
    double t = (env_.loop().now() - rampStart_) / rampDuration_;
    if (t >= 1) return rampTo_;
    return rampFrom_ + (rampTo_ - rampFrom_) * std::max(t, 0.0);
}

void GstAudioBackend::setVolume(double target, double fadeSeconds) {
    target = std::clamp(target, 0.0, 1.0);
    rampFrom_ = volume();
    rampTo_ = target;
    rampStart_ = env_.loop().now();
    rampDuration_ = std::max(fadeSeconds, 0.0);
    if (rampTimer_) rampTimer_->invalidate();
    rampTimer_.reset();
    applyVolume();
    if (rampDuration_ <= 0) return;
    // Steps of a thirtieth of a second: smooth to the ear, and cheap.
    rampTimer_ = env_.loop().scheduledTimer(1.0 / 30, true, [this](Timer& timer) {
        applyVolume();
        if (env_.loop().now() - rampStart_ >= rampDuration_) {
            timer.invalidate();
            rampDuration_ = 0;
        }
    });
}

void GstAudioBackend::applyVolume() {
    if (playbin_) g_object_set(playbin_, "volume", volume(), nullptr);
}

void GstAudioBackend::onEvent(const PipelineEvent& event) {
    switch (event.kind) {
        case PipelineEvent::Kind::prerolled:
            prerolled_ = true;
            if (pendingSeek_) {
                double at = *pendingSeek_;
                pendingSeek_.reset();
                seek(at);
            }
            break;
        case PipelineEvent::Kind::endOfStream:
            if (!playing_ || endReported_) return;
            endReported_ = true;
            playing_ = false;
            lastPosition_ = queryDuration(playbin_).value_or(lastPosition_);
            gst_element_set_state(playbin_, GST_STATE_PAUSED);
            if (listener_) listener_->playbackReachedEnd();
            break;
        case PipelineEvent::Kind::error:
            fail(event.error);
            break;
        case PipelineEvent::Kind::durationChanged:
            break;
    }
}

void GstAudioBackend::fail(const MediaError& error) {
    failed_ = true;
    playing_ = false;
    if (playbin_) gst_element_set_state(playbin_, GST_STATE_NULL);
    prerolled_ = false;
    if (listener_) listener_->playbackFailed(error);
}

}  // namespace tq::desktop
