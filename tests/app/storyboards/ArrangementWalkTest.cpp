#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/AppDelegate.h"
#include "app/storyboards/Storyboards.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "support/ArrangementWalk.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

struct DeviceCase {
    std::string name;
    DeviceIdiom idiom;
    Size portraitScreen;
};

// Every screen of every storyboard, whoever registered it, on a phone and on a tablet, loaded in
// portrait and in landscape, and each time turned to the other orientation and back: a renderer
// must be able to place every view of it, and every view it shows stays within the screen's sides. A screen that lands later is walked here without anyone adding it.
const char* orientationName(DeviceOrientation orientation) {
    return orientation == DeviceOrientation::portrait ? "portrait" : "landscape";
}

class ArrangementWalk : public ::testing::TestWithParam<DeviceCase> {
protected:
    static TestEnvironmentOptions optionsFor(const DeviceCase& device) {
        TestEnvironmentOptions options;
        options.device.idiom = device.idiom;
        options.device.screenBounds = device.portraitScreen;
        return options;
    }

    void expectArranged(const ViewController& screen, View& root, const std::string& where) {
        for (const auto& fault : arrangementFaults(root)) ADD_FAILURE() << where << ": " << fault;
        auto window = screen.window();
        ASSERT_TRUE(window) << where;
        const auto screenSize = env->device().screenBounds;
        const Rect whole(0, 0, screenSize.width, screenSize.height);
        EXPECT_EQ(window->frame(), whole) << where;
        // Every size the screens know, laid out by the rules alone.
        for (const auto& fault : layoutFaults(*window, whole)) ADD_FAILURE() << where << ": " << fault;
        for (const auto& fault : sidewaysFaults(*window, whole)) ADD_FAILURE() << where << ": " << fault;
    }

    TestWebService service;
    TestEnvironment env{optionsFor(GetParam())};
};

TEST_P(ArrangementWalk, EveryRegisteredScreenDeclaresHowItsViewsArePlaced) {
    service.connect(env.env());
    env->shared<AppDelegate>().didFinishLaunching();
    auto& registry = StoryboardRegistry::shared();
    registerStoryboards(registry);

    int walked = 0;
    for (const auto& boardName : registry.names()) {
        auto board = registry.named(boardName);
        for (const auto& identifier : board->screenIdentifiers()) {
            // Loaded in one orientation, then turned to the other and back: a screen follows the
            // device rather than keeping the size it was loaded at.
            for (const auto& [loaded, turned] : {std::pair{DeviceOrientation::portrait, DeviceOrientation::landscapeLeft},
                                                 std::pair{DeviceOrientation::landscapeLeft, DeviceOrientation::portrait}}) {
                rotate(loaded);
                env.advance(1.0);
                env.settle();
                const std::string where = boardName + "/" + identifier + " on a " + GetParam().name + " loaded in " +
                                          orientationName(loaded);
                auto screen = board->instantiateViewController(identifier);
                ASSERT_TRUE(screen) << where;
                auto window = showInWindow(std::make_shared<NavigationController>(screen));
                env.settle();
                expectArranged(*screen, screen->view(), where);
                for (const auto orientation : {turned, loaded}) {
                    rotate(orientation);
                    env.advance(1.0);
                    env.settle();
                    expectArranged(*screen, screen->view(), where + ", turned to " + orientationName(orientation));
                }
            }
            ++walked;
        }
    }
    EXPECT_GT(walked, 0);
}

// Every screen size the program knows, phones and tablets.
std::vector<DeviceCase> knownDevices() {
    std::vector<DeviceCase> out;
    for (const auto& screen : knownScreens()) {
        out.push_back({(screen.idiom == DeviceIdiom::pad ? "tablet_" : "phone_") +
                           std::to_string(int(screen.portrait.width)) + "x" + std::to_string(int(screen.portrait.height)),
                       screen.idiom, screen.portrait});
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(KnownScreens, ArrangementWalk, ::testing::ValuesIn(knownDevices()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tq::test
