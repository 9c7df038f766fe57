#include <gtest/gtest.h>

#include <memory>
#include <string>
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

// Every screen of every storyboard, whoever registered it, on a phone and on a tablet, in
// portrait and after turning to landscape and back: a renderer must be able to place every view
// of it. A screen that lands later is walked here without anyone adding it.
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
            const std::string where = boardName + "/" + identifier + " on a " + GetParam().name;
            auto screen = board->instantiateViewController(identifier);
            ASSERT_TRUE(screen) << where;
            auto window = showInWindow(std::make_shared<NavigationController>(screen));
            env.settle();
            expectArranged(*screen, screen->view(), where + " in portrait");
            rotate(DeviceOrientation::landscapeLeft);
            env.advance(1.0);
            env.settle();
            expectArranged(*screen, screen->view(), where + " in landscape");
            rotate(DeviceOrientation::portrait);
            env.advance(1.0);
            env.settle();
            expectArranged(*screen, screen->view(), where + " back in portrait");
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
