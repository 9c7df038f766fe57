#include "platform/foundation/Environment.h"

#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace tq {
namespace {

Environment* currentEnvironment = nullptr;

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::map<std::string, std::string> processEnvironment() {
    std::map<std::string, std::string> out;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string line(*entry);
        auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

}  // namespace

EnvironmentConfig EnvironmentConfig::forProgram(const std::filesystem::path& executable) {
    EnvironmentConfig config;
    const std::string home = envOr("HOME", "/tmp");
    config.cacheDir = std::filesystem::path(envOr("XDG_CACHE_HOME", home + "/.cache")) / "trelvoquest";
    config.configDir = std::filesystem::path(envOr("XDG_CONFIG_HOME", home + "/.config")) / "trelvoquest";
    if (const char* bundle = std::getenv("TRELVOQUEST_BUNDLE"); bundle && *bundle) {
        config.bundleDir = bundle;
    } else {
        config.bundleDir = executable.parent_path() / "bundle";
    }
    config.echoConsole = true;
    // No system location service is plugged in yet: the program reports location services off.
    config.device.locationServicesEnabled = false;
    config.preferredLanguages = SettingsStore::preferredLanguagesFromEnvironment(processEnvironment());
    if (envOr("TRELVOQUEST_IDIOM", "phone") == "pad") {
        config.device.idiom = DeviceIdiom::pad;
        config.device.screenBounds = {820, 1180};
    }
    return config;
}

Environment::Environment(EnvironmentConfig config)
    : config_(std::move(config)),
      console_(config_.echoConsole),
      bundle_(config_.bundleDir, config_.bundleIdentifier),
      random_(config_.randomSeed ? *config_.randomSeed : std::random_device{}()) {
    if (config_.manualClock) {
        clock_ = std::make_unique<ManualClock>();
    } else {
        clock_ = std::make_unique<SteadyClock>();
    }
    loop_ = std::make_unique<MainLoop>(*clock_);
    std::error_code ec;
    std::filesystem::create_directories(config_.cacheDir, ec);
    std::filesystem::create_directories(config_.configDir, ec);
    settings_ = std::make_unique<SettingsStore>(config_.configDir / "settings.json", config_.preferredLanguages);
    previous_ = currentEnvironment;
    currentEnvironment = this;
}

Environment::~Environment() {
    // Shared instances go first, newest first, while the loop and the rest are still there.
    while (!order_.empty()) {
        shared_.erase(order_.back());
        order_.pop_back();
    }
    if (currentEnvironment == this) currentEnvironment = previous_;
}

Environment& Environment::current() {
    if (!currentEnvironment) throw std::logic_error("no Environment has been built");
    return *currentEnvironment;
}

bool Environment::hasCurrent() { return currentEnvironment != nullptr; }

}  // namespace tq
