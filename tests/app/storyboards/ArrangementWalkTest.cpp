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
    const char* name;
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
        EXPECT_EQ(window->frame(), Rect(0, 0, screenSize.width, screenSize.height)) << where;
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

INSTANTIATE_TEST_SUITE_P(BothIdioms, ArrangementWalk,
                         ::testing::Values(DeviceCase{"phone", DeviceIdiom::phone, {390, 844}},
                                           DeviceCase{"tablet", DeviceIdiom::pad, {820, 1180}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq::test
