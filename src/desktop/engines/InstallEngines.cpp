#include "desktop/engines/InstallEngines.h"

#include <dlfcn.h>

#include <cstdlib>

#include "desktop/engines/DesktopHandOff.h"
#include "desktop/engines/GeoClueLocationBackend.h"
#include "desktop/engines/GStreamerModule.h"
#include "desktop/engines/OsrmMapBackend.h"
#include "desktop/engines/RoutingProxy.h"
#include "desktop/engines/SimulatedLocationBackend.h"
#include "desktop/engines/webkit/WebKitModule.h"
#include "platform/foundation/Environment.h"
#include "platform/location/LocationService.h"
#include "platform/map/MapService.h"
#include "platform/media/MediaBackend.h"
#include "platform/services/SystemURLOpener.h"
#include "platform/web/WebView.h"

namespace tq::desktop {

EngineOptions EngineOptions::fromEnvironment() {
    EngineOptions options;
    if (const char* sink = std::getenv("TQ_AUDIO_SINK"); sink && *sink) options.audioSink = sink;
    if (const char* sink = std::getenv("TQ_VIDEO_SINK"); sink && *sink) options.videoSink = sink;
    return options;
}

const std::vector<EngineOptionSpec>& engineOptionSpecs() {
    static const std::vector<EngineOptionSpec> specs{
        {"--location", "LAT,LON", "the visitor stands here (for desktops without a positioning source)"},
        {"--route", "FILE", "the visitor walks these timed positions: SECONDS LAT LON [ACCURACY] a line"},
        {"--routing-service", "URL", "directions from this OSRM routing service"},
    };
    return specs;
}

std::optional<std::string> parseEngineOption(const std::string& name, const std::string& argument,
                                             EngineOptions& options) {
    if (name == "--location") {
        auto coordinate = parseCoordinatePair(argument);
        if (!coordinate) return "--location wants LAT,LON in degrees, such as 48.8584,2.2945";
        options.location = coordinate;
        return std::nullopt;
    }
    if (name == "--route") {
        if (argument.empty()) return "--route wants a file";
        options.routeFile = argument;
        return std::nullopt;
    }
    if (name == "--routing-service") {
        if (argument.rfind("http://", 0) != 0 && argument.rfind("https://", 0) != 0) {
            return "--routing-service wants an http:// or https:// address";
        }
        options.routingService = argument;
        return std::nullopt;
    }
    return name + " is no engine option";
}

namespace {

void installLocation(Environment& env, const EngineOptions& options) {
    std::vector<TimedPosition> route;
    if (options.routeFile) {
        auto read = readRoute(*options.routeFile);
        if (auto* fault = std::get_if<std::string>(&read)) {
            env.console().log(*fault + "; the route is not used");
        } else {
            route = std::get<std::vector<TimedPosition>>(read);
        }
    }
    if (route.empty() && options.location) route.push_back({0, Location{*options.location, 5}});
    if (!route.empty()) {
        LocationService::of(env).setBackend(std::make_unique<SimulatedLocationBackend>(env, std::move(route)));
    } else {
        LocationService::of(env).setBackend(std::make_unique<GeoClueLocationBackend>(env));
    }
}

// Where a module of the engines lies: beside the program, or where the build put it.
std::filesystem::path modulePath(const char* name, const char* built) {
    std::error_code ec;
    auto beside = std::filesystem::canonical("/proc/self/exe", ec).parent_path() / name;
    if (!ec && std::filesystem::exists(beside, ec)) return beside;
    return built;
}

// Loads the GStreamer module once for the process; null (with the reason) when it cannot be
// loaded. Main loop only.
const GStreamerEngine* gstreamerEngine(std::string* reason) {
    static const GStreamerEngine* engine = nullptr;
    static std::string fault;
    static bool tried = false;
    if (!tried) {
        tried = true;
        auto path = modulePath("tq_gstreamer_engine.so", TQ_GSTREAMER_MODULE);
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            // The module stays for the life of the process, as GStreamer does.
            auto get = reinterpret_cast<GetGStreamerEngine>(dlsym(module, gstreamerEngineSymbol));
            if (get) engine = get();
            else fault = path.string() + " is not the GStreamer engine";
        } else {
            fault = std::string("GStreamer cannot be loaded: ") + dlerror();
        }
    }
    if (!engine && reason) *reason = fault;
    return engine;
}

// GStreamer loaded and started; false (with the reason) when it cannot run here.
bool startGStreamer(std::string* reason = nullptr) {
    const GStreamerEngine* engine = gstreamerEngine(reason);
    return engine && engine->start(reason);
}

void installMedia(Environment& env, const EngineOptions& options, const std::optional<EngineRoutes>& routes) {
    if (options.pipelineGate) {
        // GStreamer is loaded and started when the gate opens; a machine where it cannot run
        // says so then.
        Console* console = &env.console();
        options.pipelineGate->whenOpen([console] {
            std::string reason;
            if (!startGStreamer(&reason)) console->log("No sound or video: " + reason);
        });
    } else if (std::string reason; !startGStreamer(&reason)) {
        env.console().log("No sound or video: " + reason);
        return;
    }
    auto& media = env.shared<MediaEngine>();
    Environment* environment = &env;
    std::string audioSink = options.audioSink;
    // Without GStreamer a player keeps its headless backend.
    media.setAudioBackendFactory(
        [environment, audioSink](const AudioFileInfo&, const std::string& bytes) -> std::unique_ptr<AudioBackend> {
            if (!startGStreamer()) return nullptr;
            return gstreamerEngine(nullptr)->makeAudio(*environment, bytes, audioSink);
        });
    GstVideoOutput output{options.audioSink, options.videoSink, routes, options.pipelineGate};
    media.setVideoBackendFactory([environment, output]() -> std::unique_ptr<VideoBackend> {
        // A gated backend waits for the gate before it starts GStreamer; the module is needed now.
        if ((!output.gate || output.gate->isOpen()) ? !startGStreamer() : !gstreamerEngine(nullptr)) return nullptr;
        return gstreamerEngine(nullptr)->makeVideo(*environment, output);
    });
}

// Loads the module once for the process; null (with a console line) when it cannot be loaded.
WebViewBackendFactory* webKitFactory(Console& console, const WebKitEngineSettings& settings) {
    auto path = modulePath("tq_webkit_engine.so", TQ_WEBKIT_MODULE);
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        console.log(std::string("No web pages: the web engine cannot be loaded: ") + dlerror());
        return nullptr;
    }
    auto make = reinterpret_cast<MakeWebKitBackendFactory>(dlsym(module, webKitFactorySymbol));
    if (!make) {
        console.log("No web pages: " + path.string() + " is not the web engine");
        return nullptr;
    }
    // The module stays for the life of the process: WebKit cannot be unloaded.
    return make(&settings);
}

void installWeb(Environment& env, const std::optional<EngineRoutes>& routes) {
    // Nothing of WebKit is loaded until a web view is made.
    struct Lazy {
        WebKitEngineSettings settings;
        // Carries the pages' connections to the routed hosts while web views may be made.
        std::shared_ptr<RoutingProxy> proxy;
        bool tried = false;
        std::unique_ptr<WebViewBackendFactory> factory;
    };
    auto lazy = std::make_shared<Lazy>();
    Console* console = &env.console();
    lazy->settings.folders = {env.bundle().root(), env.cacheDir()};
    lazy->settings.log = [console](const std::string& line) { console->log(line); };
    if (routes) {
        lazy->proxy = routes->proxy;
        lazy->settings.proxyUri = routes->proxy->uri();
        lazy->settings.routes = routes->routes;
        lazy->settings.authority = routes->authority;
    }
    env.shared<WebEngine>().setBackendFactory(
        [lazy, console](WebViewBackend::Host& host,
                        const WebViewConfiguration& configuration) -> std::unique_ptr<WebViewBackend> {
            if (!lazy->tried) {
                lazy->tried = true;
                lazy->factory.reset(webKitFactory(*console, lazy->settings));
            }
            // Without the engine the view keeps the headless one.
            return lazy->factory ? (*lazy->factory)(host, configuration) : nullptr;
        });
}

}  // namespace

void installEngines(Environment& env, const EngineOptions& options) {
    std::string error;
    auto routes = startEngineRoutes({env.hostRoutes(), env.extraTrustedCertificate()}, error);
    if (!error.empty()) env.console().log("Pages and media cannot reach the routed hosts: " + error);
    installWeb(env, routes);
    installMedia(env, options, routes);
    installLocation(env, options);
    Console* console = &env.console();
    env.shared<SystemURLOpener>().setHandOff(
        [console](const std::string& address) { return launchDefaultApplication(*console, address); });
    if (options.routingService) {
        MapService::of(env).setBackend(std::make_unique<OsrmMapBackend>(env, *options.routingService));
    }
}

}  // namespace tq::desktop
