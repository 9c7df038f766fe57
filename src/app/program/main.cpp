// The program: builds the Environment, runs the launch sequence and the main loop until it is
// closed (SIGINT or SIGTERM, or --run-for SECONDS). Console lines go to standard error.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/Application.h"
#include "app/ServiceRoute.h"
#include "app/storyboards/Storyboards.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/QuitOnSignal.h"
#include "platform/ui/Storyboard.h"

namespace {

struct Options {
    std::optional<std::string> openURL;
    std::optional<double> runFor;
    tq::ServiceChoice service = tq::ServiceChoice::unset;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--open-url" && i + 1 < argc) {
            options.openURL = argv[++i];
        } else if (arg == "--run-for" && i + 1 < argc) {
            char* end = nullptr;
            const char* text = argv[++i];
            double seconds = std::strtod(text, &end);
            if (end == text || *end != '\0' || !(seconds >= 0)) return false;
            options.runFor = seconds;
        } else if (arg == "--service" && i + 1 < argc) {
            auto choice = tq::serviceChoiceNamed(argv[++i]);
            if (!choice) return false;
            options.service = *choice;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << "usage: trelvoquest [--open-url URL] [--run-for SECONDS] [--service local|product]\n";
        return 2;
    }
    std::error_code ec;
    auto executable = std::filesystem::canonical("/proc/self/exe", ec);
    tq::Environment env(tq::EnvironmentConfig::forProgram(ec ? std::filesystem::path(argv[0]) : executable));
    // The demo service built beside the program keeps its address and authority in its state folder.
    auto demoState = (ec ? std::filesystem::path(argv[0]) : executable).parent_path() / "demo-service" / "state";
    if (auto why = tq::routeToService(env, options.service, demoState)) {
        std::cerr << "trelvoquest: " << *why << "\n";
        return 2;
    }
    tq::registerStoryboards(tq::StoryboardRegistry::shared());
    auto& application = env.shared<tq::Application>();
    application.launch();
    if (options.openURL) application.delegate().openURL(*options.openURL);
    std::cerr << "TrelvoQuest is running with the storyboard \"" << application.sceneConfiguration()->storyboardName
              << "\" (Ctrl-C to quit)\n";

    if (options.runFor) env.loop().postAfter(*options.runFor, [&env] { env.loop().quit(); });
    // Kept to the end, so that a second Ctrl-C while the program closes changes nothing.
    tq::QuitOnSignal quitOnSignal(env.loop(), {SIGINT, SIGTERM});
    env.loop().run();
    application.terminate();
    return 0;
}
