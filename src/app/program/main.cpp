// The program: builds the Environment, runs the launch sequence and then the loop until it is
// closed (the window closed, SIGINT or SIGTERM, or --run-for SECONDS). By default it opens a
// window on the desktop that stands for a tablet; --headless runs the view tree with no window.
// Console lines go to standard error. A start with --open-url while the program already runs on
// the desktop hands the address to the running one and ends (desktop/LinkChannel.h).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/Application.h"
#include "app/ServiceRoute.h"
#include "app/storyboards/Storyboards.h"
#include "desktop/DesktopWindow.h"
#include "desktop/FirstFrame.h"
#include "desktop/Inspector.h"
#include "desktop/LinkChannel.h"
#include "desktop/LoopSource.h"
#include "desktop/engines/PipelineGate.h"
#include "desktop/engines/InstallEngines.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/QuitOnSignal.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"

namespace {

struct Options {
    std::optional<std::string> openURL;
    std::optional<double> runFor;
    // Test-only: the socket on which the window answers what it shows (desktop/Inspector.h).
    std::optional<std::string> inspectSocket;
    // For benchmarks: "first frame" on standard output once the window has drawn its first frame.
    bool reportFirstFrame = false;
    bool headless = false;
    bool nativeMap = false;
    tq::desktop::DeviceChoice device = tq::desktop::DeviceChoice::tablet();
    tq::ServiceChoice service = tq::ServiceChoice::unset;
    // The window's real engines: sinks from TQ_AUDIO_SINK and TQ_VIDEO_SINK, the rest from the options.
    tq::desktop::EngineOptions engines = tq::desktop::EngineOptions::fromEnvironment();
    // Why the last option was refused, when its reader can say more than "wants ARGUMENT".
    std::string refusal;
};

// The program's options, one a line: name, its argument (none for a flag), what it does, and how
// it is read (false refuses the value).
struct OptionSpec {
    const char* name;
    const char* argument;
    const char* help;
    bool (*read)(Options&, const char* value);
};

bool readSeconds(const char* text, std::optional<double>& out) {
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds >= 0)) return false;
    out = seconds;
    return true;
}

// The engines' options (--location, --route, --routing-service) say what is wrong with a value.
bool readEngineOption(Options& options, const char* name, const char* value) {
    auto fault = tq::desktop::parseEngineOption(name, value, options.engines);
    if (fault) options.refusal = *fault;
    return !fault;
}

const OptionSpec kOptions[] = {
    {"--open-url", "URL", "opens an address as if a link to it had been followed",
     [](Options& o, const char* v) { return o.openURL = v, true; }},
    {"--run-for", "SECONDS", "quits after so many seconds", [](Options& o, const char* v) { return readSeconds(v, o.runFor); }},
    {"--inspect-socket", "PATH", "for tests driving the window: answers on this local socket what the window shows",
     [](Options& o, const char* v) { return o.inspectSocket = v, true; }},
    {"--report-first-frame", nullptr, "for benchmarks: prints \"first frame\" on standard output once the window is drawn",
     [](Options& o, const char*) { return o.reportFirstFrame = true; }},
    {"--headless", nullptr, "runs the application with no window", [](Options& o, const char*) { return o.headless = true; }},
    {"--native-map", nullptr, "a tour's map opens on the native map instead of the web map",
     [](Options& o, const char*) { return o.nativeMap = true; }},
    {"--device", "tablet|phone", "the device the window stands for: tablet 1024x768 (default) or phone 375x812",
     [](Options& o, const char* v) {
         std::string name = v;
         if (name == "tablet") o.device = tq::desktop::DeviceChoice::tablet();
         else if (name == "phone") o.device = tq::desktop::DeviceChoice::phone();
         else return false;
         return true;
     }},
    {"--service", "local|product", "the web service to talk to: the local demo service, or the product's own hosts",
     [](Options& o, const char* v) {
         auto choice = tq::serviceChoiceNamed(v);
         if (!choice) return false;
         o.service = *choice;
         return true;
     }},
    {"--location", "LAT,LON", "the visitor stands here (for a desktop without a positioning source)",
     [](Options& o, const char* v) { return readEngineOption(o, "--location", v); }},
    {"--route", "FILE", "the visitor walks these timed positions, one \"SECONDS LAT LON\" a line",
     [](Options& o, const char* v) { return readEngineOption(o, "--route", v); }},
    {"--routing-service", "URL", "directions on the native map from this OSRM routing service",
     [](Options& o, const char* v) { return readEngineOption(o, "--routing-service", v); }},
};

// Reads the options; on a refused one, returns the line that says what is wrong with it.
std::optional<std::string> parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const OptionSpec* spec = nullptr;
        for (const auto& candidate : kOptions) {
            if (argv[i] == std::string(candidate.name)) spec = &candidate;
        }
        if (!spec) return "unknown option \"" + std::string(argv[i]) + "\"";
        const char* value = nullptr;
        if (spec->argument) {
            if (i + 1 >= argc) return std::string(spec->name) + " wants " + spec->argument;
            value = argv[++i];
        }
        if (!spec->read(options, value)) {
            if (!options.refusal.empty()) return options.refusal;
            return std::string(spec->name) + " wants " + spec->argument + ", not \"" + value + "\"";
        }
    }
    return std::nullopt;
}

void printUsage() {
    std::cerr << "usage: trelvoquest";
    for (const auto& spec : kOptions) {
        std::cerr << " [" << spec.name << (spec.argument ? std::string(" ") + spec.argument : "") << "]";
    }
    std::cerr << "\n";
    for (const auto& spec : kOptions) {
        std::string left = std::string(spec.name) + (spec.argument ? std::string(" ") + spec.argument : "");
        std::cerr << "  " << left << std::string(left.size() < 26 ? 26 - left.size() : 1, ' ') << spec.help << "\n";
    }
}

// The loop with no window, until a signal or --run-for.
void runHeadless(tq::Environment& env) {
    // Kept to the end, so that a second Ctrl-C while the program closes changes nothing.
    tq::QuitOnSignal quitOnSignal(env.loop(), {SIGINT, SIGTERM});
    env.loop().run();
}

// GLib's loop with the window, until the window is closed, a signal or --run-for.
void runWindow(tq::Environment& env, const Options& options) {
    std::unique_ptr<tq::desktop::LoopSource> source;
    auto quit = [&source] {
        if (source) source->quit();
    };
    tq::desktop::DesktopWindow window(env, tq::UiApplication::shared().keyWindow(), quit);
    source = std::make_unique<tq::desktop::LoopSource>(
        env.loop(), false, [&window] { return window.hasPendingChanges(); }, [&window] { window.flush(); });
    source->quitOnSignals();
    std::optional<tq::desktop::Inspector> inspector;
    if (options.inspectSocket) inspector.emplace(window, *options.inspectSocket);
    // A link handed over by a second start is routed as one opened at launch, on the
    // application's loop, and the window comes to the front.
    tq::desktop::LinkChannel links(tq::desktop::defaultLinkSocketPath(), [&env, &window](const std::string& address) {
        env.loop().post([address] { tq::Application::shared().delegate().openURL(address); });
        gtk_window_present(window.gtkWindow());
    });
    // The videos start once the window shows the first screen, which their decoders would delay.
    auto gate = options.engines.pipelineGate;
    tq::desktop::onFirstFrame(GTK_WIDGET(window.gtkWindow()), [&env, gate, report = options.reportFirstFrame] {
        if (report) std::cout << "first frame" << std::endl;
        if (gate) env.loop().post([gate] { gate->open(); });
    });
    if (options.runFor) env.loop().postAfter(*options.runFor, quit);
    source->run();
    source.reset();  // before the window it draws
}

// Ends the process once the program has torn down what it owns. The engines' own threads (a video's
// decoders being loaded, a stream still being read) may outlive that teardown, and the C library's
// exit would finalise the shared libraries under them: a library loaded on such a thread afterwards
// runs GLib's type set-up a second time, which aborts. Nothing is left to finalise that the system
// does not take back with the process. The sanitized build leaves through exit, where LeakSanitizer
// checks: a check made earlier, while those threads still run, counts their thread-specific blocks
// as leaks.
[[noreturn]] void leaveProcess(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    std::exit(status);
#else
    std::_Exit(status);
#endif
}

int runProgram(int argc, char** argv) {
    Options options;
    if (auto fault = parseOptions(argc, argv, options)) {
        std::cerr << "trelvoquest: " << *fault << "\n";
        printUsage();
        return 2;
    }
    if (options.openURL && !options.headless &&
        tq::desktop::handLinkToRunningProgram(tq::desktop::defaultLinkSocketPath(), *options.openURL)) {
        std::cerr << "trelvoquest: the link went to the program already running\n";
        return 0;
    }
    if (!options.headless && !tq::desktop::openDisplay()) {
        std::cerr << "trelvoquest: cannot open a display for the window; run it with --headless to go without one\n";
        return 2;
    }
    std::error_code ec;
    auto executable = std::filesystem::canonical("/proc/self/exe", ec);
    auto config = tq::EnvironmentConfig::forProgram(ec ? std::filesystem::path(argv[0]) : executable);
    if (!options.headless) options.device.applyTo(config.device);
    tq::Environment env(config);
    // The demo service built beside the program keeps its address and authority in its state folder.
    auto demoState = (ec ? std::filesystem::path(argv[0]) : executable).parent_path() / "demo-service" / "state";
    if (auto why = tq::routeToService(env, options.service, demoState)) {
        std::cerr << "trelvoquest: " << *why << "\n";
        return 2;
    }
    // The window plays, shows and locates for real; headless, the engines only record.
    if (!options.headless) {
        options.engines.pipelineGate = std::make_shared<tq::desktop::PipelineGate>();
        tq::desktop::installEngines(env, options.engines);
    }
    tq::registerStoryboards(tq::StoryboardRegistry::shared());
    if (options.nativeMap) tq::openToursOnNativeMap(tq::StoryboardRegistry::shared());
    auto& application = env.shared<tq::Application>();
    application.launch();
    if (options.openURL) application.delegate().openURL(*options.openURL);
    std::cerr << "TrelvoQuest is running with the storyboard \"" << application.sceneConfiguration()->storyboardName
              << "\" (Ctrl-C to quit)\n";

    if (options.headless) {
        if (options.runFor) env.loop().postAfter(*options.runFor, [&env] { env.loop().quit(); });
        runHeadless(env);
    } else {
        runWindow(env, options);
    }
    application.terminate();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    leaveProcess(runProgram(argc, argv));
}
