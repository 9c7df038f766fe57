// Feeds any text as an incoming link through the four ways a link reaches the application: the
// application delegate's user activity and opened address, and the scene's user activity and
// connection options. A tour may only be taken from an accepted product address, and it is the
// address's fifth component.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "app/LinkRouting.h"
#include "app/SceneDelegate.h"
#include "platform/foundation/Environment.h"

namespace {

const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        auto path = std::filesystem::temp_directory_path() / ("tq-fuzz-links-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] { std::filesystem::remove_all(scratch()); });
        return path;
    }();
    return dir;
}

void checkRoute(const tq::AppDelegate& app, const std::string& address) {
    if (!app.idTourToPush) return;
    if (!tq::hasAcceptedLinkPrefix(address)) std::abort();
    auto parts = tq::linkComponents(address);
    if (parts.size() < 5 || *app.idTourToPush != parts[4]) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string address(reinterpret_cast<const char*>(data), size);
    tq::EnvironmentConfig config;
    config.cacheDir = scratch() / "cache";
    config.configDir = scratch() / "config";
    config.bundleDir = scratch() / "bundle";
    config.manualClock = true;
    tq::Environment env(config);
    auto& app = env.shared<tq::AppDelegate>();
    auto scene = std::make_shared<tq::SceneDelegate>(app);

    app.continueUserActivity({address});
    checkRoute(app, address);
    app.openURL(address);
    if (address.rfind("fb", 0) != 0) checkRoute(app, address);
    scene->continueUserActivity({address});
    checkRoute(app, address);
    app.idTourToPush.reset();
    scene->willConnect({{tq::UserActivity{address}}});
    checkRoute(app, address);
    env.loop().runPending();
    return 0;
}
