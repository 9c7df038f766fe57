#include "platform/foundation/Environment.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/foundation/Numbers.h"

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

std::optional<ScreenModel> screenFromText(std::string_view text, Size* size) {
    const auto by = text.find('x');
    if (by == std::string_view::npos) return std::nullopt;
    auto width = parseInt32(text.substr(0, by));
    auto height = parseInt32(text.substr(by + 1));
    if (!width || !height) return std::nullopt;
    if (size) *size = {double(*width), double(*height)};
    return knownScreen({double(*width), double(*height)});
}

void applyScreen(DeviceDescription& device, const ScreenModel& model, Size size) {
    device.idiom = model.idiom;
    device.screenBounds = size;
    device.orientation = size.width > size.height ? DeviceOrientation::landscapeLeft : DeviceOrientation::portrait;
}

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
    // A screen of a known size, as width x height in points (1024x768 is a tablet held sideways);
    // it sets the idiom too.
    if (const std::string screen = envOr("TRELVOQUEST_SCREEN", ""); !screen.empty()) {
        Size size;
        if (auto model = screenFromText(screen, &size)) {
            applyScreen(config.device, *model, size);
        } else {
            std::string known;
            for (const auto& s : knownScreens()) {
                known += (known.empty() ? "" : ", ") + std::to_string(int(s.portrait.width)) + "x" +
                         std::to_string(int(s.portrait.height));
            }
            std::fprintf(stderr, "TRELVOQUEST_SCREEN: \"%s\" is not a known screen (width x height in points: %s)\n",
                         screen.c_str(), known.c_str());
        }
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
