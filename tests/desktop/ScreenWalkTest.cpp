#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "ContactSheet.h"
#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "app/AppDelegate.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

struct WalkCase {
    const char* name;
    desktop::DeviceChoice device;
};

// Every screen the storyboards register, drawn on a phone and on a tablet, upright and turned:
// every shown view with content has room inside the window (or its scroll view), siblings of a
// column or row are not drawn over each other, and no label is cut shorter than its lines allow.
// A PNG of each goes to build/screenshots/, with a contact sheet of them all.
class ScreenWalk : public ::testing::TestWithParam<WalkCase> {};

// Faults of the view tree itself, not of the window, that are known and left for later: listed as
// "<device>-<orientation>-<storyboard>-<screen>: <outlet>: <fault>". None is left today. One that
// no longer occurs is reported so that it leaves this list; any other fails.
const std::set<std::string> kKnownTreeFaults = {};

std::string fileName(std::string text) {
    for (auto& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    }
    return text;
}

TEST_P(ScreenWalk, EveryScreenHasRoomForWhatItShows) {
    DesktopFixture app(GetParam().device);
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto& registry = StoryboardRegistry::shared();
    std::vector<std::filesystem::path> shots;
    std::set<std::string> seen;
    int walked = 0;
    for (const auto& boardName : registry.names()) {
        auto board = registry.named(boardName);
        for (const auto& identifier : board->screenIdentifiers()) {
            auto screen = board->instantiateViewController(identifier);
            ASSERT_TRUE(screen) << boardName << "/" << identifier;
            auto window = showInWindow(std::make_shared<NavigationController>(screen));
            app.env.settle();
            app.open(window);
            for (int turn = 0; turn < 2; ++turn) {
                const bool landscape = app.env->device().isLandscape();
                const std::string where = std::string(GetParam().name) + "-" + (landscape ? "landscape" : "portrait") +
                                          "-" + boardName + "-" + identifier;
                app.turn();
                for (const auto& fault : layoutFaults(app.mirror(), app.desktop->screen())) {
                    const auto key = where + ": " + fault.substr(0, fault.find(" at ")).substr(0, fault.find(" ("));
                    if (kKnownTreeFaults.count(key)) {
                        seen.insert(key);
                        continue;
                    }
                    ADD_FAILURE() << where << ": " << fault << "\n" << describeLayout(app.mirror(), app.desktop->screen());
                }
                for (const auto& d : app.mirror().differences()) ADD_FAILURE() << where << ": " << d;
                for (const auto& d : placementsApartFromTheRules(app.mirror(), app.desktop->screen())) {
                    ADD_FAILURE() << where << ": " << d;
                }
                shots.push_back(app.screenshot(fileName(where)));
                for (const auto& fault : controlsDrawnAsNothing(app.mirror(), app.desktop->screen(), shots.back())) {
                    ADD_FAILURE() << where << ": " << fault;
                }
                app.desktop->rotate();
                app.env.advance(1.0);
                app.env.settle();
            }
            app.close();
            ++walked;
        }
    }
    EXPECT_GT(walked, 10);
    for (const auto& known : kKnownTreeFaults) {
        if (known.rfind(GetParam().name, 0) == 0 && !seen.count(known)) {
            std::cout << "settled, remove from the known faults: " << known << "\n";
        }
    }
    EXPECT_TRUE(writeContactSheet(shots, std::filesystem::path(TQ_SCREENSHOT_DIR) /
                                             (std::string("contact-sheet-") + GetParam().name + ".png")));
}

INSTANTIATE_TEST_SUITE_P(BothIdioms, ScreenWalk,
                         ::testing::Values(WalkCase{"phone", desktop::DeviceChoice::phone()},
                                           WalkCase{"tablet", desktop::DeviceChoice::tablet()}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq::test
