#pragma once

#include <gst/gst.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "desktop/engines/GStreamerModule.h"
#include "desktop/engines/GstSupport.h"
#include "desktop/engines/RoutingProxy.h"
#include "platform/media/MediaBackend.h"

namespace tq {
class Environment;
}

namespace tq::desktop {

class GtkVideoSurface;

// Shows one video player's items with GStreamer: a playbin on the item's address, its frames
// taken from an appsink and set, as textures, on the picture of the layer's surface (a
// GtkVideoSurface). Rate 0 pauses; other rates play at that speed.
class GstVideoBackend : public VideoBackend {
public:
    GstVideoBackend(Environment& env, GstVideoOutput output);
    ~GstVideoBackend() override;
    GstVideoBackend(const GstVideoBackend&) = delete;
    GstVideoBackend& operator=(const GstVideoBackend&) = delete;

    void setListener(MediaBackendListener* listener) override { listener_ = listener; }
    void setItem(std::shared_ptr<VideoPlayerItem> item) override;
    void itemDurationChanged() override {}
    void setRate(double rate) override;
    double position() const override;
    void seek(double seconds) override;
    void setVolume(double volume, bool muted) override;
    void setSurface(std::shared_ptr<VideoSurface> surface) override;

    // How many frames reached a surface (tests read it).
    int framesDrawn() const { return framesDrawn_; }

private:
    struct Frames;
    void onEvent(const PipelineEvent& event);
    void applyRate();
    void drawLatestFrame();
    void teardown();
    // Builds and starts the pipeline of the present item.
    void startPipeline();

    Environment& env_;
    GstVideoOutput output_;
    MediaBackendListener* listener_ = nullptr;
    std::shared_ptr<VideoPlayerItem> item_;
    GstElement* playbin_ = nullptr;
    std::unique_ptr<BusLink> bus_;
    std::shared_ptr<Frames> frames_;
    std::shared_ptr<GtkVideoSurface> surface_;
    double rate_ = 0;
    double appliedRate_ = 1;
    bool prerolled_ = false;
    bool ended_ = false;
    bool failed_ = false;
    std::optional<double> pendingSeek_;
    double lastPosition_ = 0;
    double volume_ = 1;
    bool muted_ = false;
    int framesDrawn_ = 0;
    // Counts the items set, so that a start held by the gate is for the item still there.
    int itemGeneration_ = 0;
    std::shared_ptr<GstVideoBackend*> self_;
};

}  // namespace tq::desktop
