#pragma once

#include <gst/gst.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "desktop/engines/GstSupport.h"
#include "platform/media/MediaBackend.h"

namespace tq {
class Environment;
class Timer;
}  // namespace tq

namespace tq::desktop {

// Sounds one audio player's track with GStreamer: a playbin reading the player's bytes from memory
// (an appsrc that can seek), into the configured sink. The volume fade runs on the main loop's
// clock, as every other delay of the application does.
class GstAudioBackend : public AudioBackend {
public:
    // `bytes` is the player's whole file; the player keeps it for as long as the backend lives.
    GstAudioBackend(Environment& env, const std::string& bytes, const std::string& sinkDescription);
    ~GstAudioBackend() override;
    GstAudioBackend(const GstAudioBackend&) = delete;
    GstAudioBackend& operator=(const GstAudioBackend&) = delete;

    void setListener(MediaBackendListener* listener) override { listener_ = listener; }
    void play() override;
    void pause() override;
    bool isPlaying() const override { return playing_; }
    double position() const override;
    void seek(double seconds) override;
    double volume() const override;
    void setVolume(double volume, double fadeSeconds) override;

private:
    struct Source;
    static void onSourceSetup(GstElement* playbin, GstElement* source, gpointer data);
    void onEvent(const PipelineEvent& event);
    void preroll();
    void fail(const MediaError& error);
    void applyVolume();

    Environment& env_;
    MediaBackendListener* listener_ = nullptr;
    GstElement* playbin_ = nullptr;
    std::shared_ptr<Source> source_;
    std::unique_ptr<BusLink> bus_;
    bool prerolled_ = false;
    bool playing_ = false;
    bool failed_ = false;
    bool endReported_ = false;
    std::optional<double> pendingSeek_;
    double lastPosition_ = 0;
    double rampFrom_ = 1.0;
    double rampTo_ = 1.0;
    double rampStart_ = 0;
    double rampDuration_ = 0;
    std::shared_ptr<Timer> rampTimer_;
};

}  // namespace tq::desktop
