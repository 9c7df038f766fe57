#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Console.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/MainLoop.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SettingsStore.h"

namespace tq {

// A known screen written as width x height in points ("768x1024", "1024x768"); `size` receives the
// size as written, so that a screen held sideways keeps its orientation. None for any other text
// or size.
std::optional<ScreenModel> screenFromText(std::string_view text, Size* size = nullptr);
// Makes the device that screen, held as `size` says.
void applyScreen(DeviceDescription& device, const ScreenModel& model, Size size);

struct EnvironmentConfig {
    std::filesystem::path cacheDir;   // the user-domain cache directory of the application
    std::filesystem::path configDir;  // where the settings file lives
    std::filesystem::path bundleDir;  // the application bundle (resources)
    bool manualClock = false;
    bool echoConsole = false;
    std::vector<std::string> preferredLanguages;
    DeviceDescription device;
    std::optional<std::string> bundleIdentifier = Bundle::defaultIdentifier;
    // Fixes the random source, so that a shuffled order can be known in advance.
    std::optional<std::uint64_t> randomSeed;

    // The program's set-up: XDG directories, the bundle next to the binary (or TRELVOQUEST_BUNDLE),
    // the steady clock, console lines on standard error, languages from the locale variables.
    static EnvironmentConfig forProgram(const std::filesystem::path& executable);
};

// Owns everything the platform stand-in provides to one run of the application: main loop and
// clock, console, notification centre, settings, bundle, directories, device, and the shared
// instances created on first use. The program builds one; each test builds its own.
class Environment {
public:
    explicit Environment(EnvironmentConfig config);
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // The environment the shared instances of this process hang off.
    static Environment& current();
    static bool hasCurrent();

    Clock& clock() { return *clock_; }
    ManualClock* manualClock() { return dynamic_cast<ManualClock*>(clock_.get()); }
    MainLoop& loop() { return *loop_; }
    Console& console() { return console_; }
    NotificationCenter& notifications() { return notifications_; }
    SettingsStore& settings() { return *settings_; }
    const Bundle& bundle() const { return bundle_; }
    const std::filesystem::path& cacheDir() const { return config_.cacheDir; }
    const std::filesystem::path& configDir() const { return config_.configDir; }
    DeviceDescription& device() { return config_.device; }
    // The system's random source; seeded from the device unless the configuration fixes a seed.
    std::mt19937_64& random() { return random_; }

    // Network routing for tests and the demo: a host name answered by a local address ("127.0.0.1:8443"),
    // and an extra certificate authority trusted beside the system's.
    std::map<std::string, std::string>& hostRoutes() { return hostRoutes_; }
    std::optional<std::filesystem::path>& extraTrustedCertificate() { return extraCertificate_; }
    // When set, the reachability test answers this instead of looking at the interfaces.
    std::optional<bool>& reachabilityOverride() { return reachability_; }
    // When set, the free space of the cache volume in bytes, instead of asking the file system.
    std::optional<std::uint64_t>& freeSpaceOverride() { return freeSpace_; }

    // The single instance of T for this environment, built as T(Environment&) on first use and
    // destroyed with the environment, newest first.
    template <class T>
    T& shared() {
        auto key = std::type_index(typeid(T));
        auto it = shared_.find(key);
        if (it != shared_.end()) return *static_cast<T*>(it->second.get());
        auto instance = std::make_shared<T>(*this);
        T& ref = *instance;
        shared_[key] = instance;
        order_.push_back(key);
        return ref;
    }
    template <class T>
    T* existing() {
        auto it = shared_.find(std::type_index(typeid(T)));
        return it == shared_.end() ? nullptr : static_cast<T*>(it->second.get());
    }
    // Puts a ready-made instance in place (tests substitute collaborators this way).
    template <class T>
    void install(std::shared_ptr<T> instance) {
        auto key = std::type_index(typeid(T));
        if (!shared_.count(key)) order_.push_back(key);
        shared_[key] = std::move(instance);
    }

private:
    EnvironmentConfig config_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<MainLoop> loop_;
    Console console_;
    NotificationCenter notifications_;
    std::unique_ptr<SettingsStore> settings_;
    Bundle bundle_;
    std::mt19937_64 random_;
    std::map<std::string, std::string> hostRoutes_;
    std::optional<std::filesystem::path> extraCertificate_;
    std::optional<bool> reachability_;
    std::optional<std::uint64_t> freeSpace_;
    std::map<std::type_index, std::shared_ptr<void>> shared_;
    std::vector<std::type_index> order_;
    Environment* previous_ = nullptr;
};

}  // namespace tq
