#pragma once

#include <memory>
#include <optional>
#include <string>

#include "desktop/engines/PipelineGate.h"
#include "desktop/engines/RoutingProxy.h"
#include "platform/media/MediaBackend.h"

// The GStreamer engine (audio and video backends) is a module of its own, loaded when GStreamer
// is first started: the home screen plays nothing, and mapping GStreamer's libraries at start
// delays the window's first frame. The module reads the backend types from the program that
// loads it. Nothing here needs GStreamer's headers.

namespace tq {
class Environment;
}

namespace tq::desktop {

// Where the video backends send their picture and sound: a sink description each. Without a video
// sink the frames are drawn into the layer's surface. Addresses on routed hosts are fetched
// through `routes`.
struct GstVideoOutput {
    std::string audioSink = "autoaudiosink";
    std::optional<std::string> videoSink;
    std::optional<EngineRoutes> routes;
    // When set, pipelines start once it opens; the item, rate, volume and seeks asked meanwhile
    // are kept for then.
    std::shared_ptr<PipelineGate> gate;
};

// What the module offers: GStreamer's start (false with the reason when it cannot run here), and
// the backends, made only once it has started.
struct GStreamerEngine {
    bool (*start)(std::string* reason);
    std::unique_ptr<AudioBackend> (*makeAudio)(Environment& env, const std::string& bytes, const std::string& sink);
    std::unique_ptr<VideoBackend> (*makeVideo)(Environment& env, const GstVideoOutput& output);
};

inline constexpr const char* gstreamerEngineSymbol = "tqGStreamerEngine";
using GetGStreamerEngine = const GStreamerEngine* (*)();

}  // namespace tq::desktop

// The module's one entry point; the engine lives as long as the process.
extern "C" const tq::desktop::GStreamerEngine* tqGStreamerEngine();
