#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/location/LocationTypes.h"

namespace tq {
class Environment;
}

namespace tq::desktop {

class PipelineGate;

// How the program's real engines are set up: what the command line says (--location, --route,
// --routing-service) and where sound and pictures go (TQ_AUDIO_SINK, TQ_VIDEO_SINK in the
// environment: gst-launch descriptions such as "fakesink sync=true").
struct EngineOptions {
    std::optional<LocationCoordinate> location;
    std::optional<std::string> routeFile;
    std::optional<std::string> routingService;
    std::string audioSink = "autoaudiosink";
    // None: frames are drawn into the window's video surfaces.
    std::optional<std::string> videoSink;
    // When set, GStreamer and the video pipelines start once the program opens it (after the
    // window's first frame); none: at once.
    std::shared_ptr<PipelineGate> pipelineGate;

    // The sinks from the process environment, the rest empty.
    static EngineOptions fromEnvironment();
};

// The engine options main.cpp's option table takes, with their argument's name.
struct EngineOptionSpec {
    const char* name;
    const char* argument;
    const char* help;
};
const std::vector<EngineOptionSpec>& engineOptionSpecs();

// Takes one engine option and its argument; the fault in words when the argument is not right
// (or the name is no engine option).
std::optional<std::string> parseEngineOption(const std::string& name, const std::string& argument,
                                             EngineOptions& options);

// Puts the real engines behind the environment's backends: WebKitGTK for web views (started on
// the first web view), GStreamer for audio and video (loaded when first started), GeoClue for location (or the positions given
// on the command line), the desktop's default applications for hand-offs, and the routing service
// for directions when one is given. Pages and media reach the environment's routed hosts as the
// application's own client does (see RoutingProxy.h), so set the routes first. Console lines say what could not be set up; what cannot be set
// up keeps its headless engine. Call after GTK is initialised, before the launch.
void installEngines(Environment& env, const EngineOptions& options);

}  // namespace tq::desktop
