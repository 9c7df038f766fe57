#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TourScreenFixture.h"
#include "support/ViewMirror.h"

namespace tq::test {
namespace {

// Every test of the tour screen runs with the fixture's mirror; this one walks the screen through
// rotations, a language change, the share sheet and leaving, checking after each step even where
// the step does not end on the loop.
TEST_F(TourScreenTest, AMirrorBuiltFromReportsAloneFollowsTheTourScreen) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    ASSERT_TRUE(screen);
    const std::string height = "document.body.scrollHeight";
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"the description pages give their heights",
         [&] {
             screen->descriptionView->driver().answerScript(height, 812.0);
             screen->descriptionViewLand->driver().answerScript(height, 400.0);
         }},
        {"the device turns to landscape",
         [&] {
             rotate(DeviceOrientation::landscapeLeft);
             env.settle();
             env.advance(1.0);
         }},
        {"and back",
         [&] {
             rotate(DeviceOrientation::portrait);
             env.settle();
             env.advance(1.0);
         }},
        {"another language version is chosen",
         [&] {
             if (screen->segLanguage->numberOfSegments() > 1) screen->segLanguage->select(1);
             env.settle();
             env.advance(1.0);
         }},
        {"the share sheet opens",
         [&] {
             screen->btnShare->tap();
             env.settle();
         }},
        {"the screen is left",
         [&] {
             if (auto presented = screen->presentedViewController()) presented->dismiss(false);
             nav->popViewController(false);
             env.settle();
             env.advance(1.0);
         }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        expectMirrorFollows();
    }
    EXPECT_GT(mirror->reports(), 0);
}

}  // namespace
}  // namespace tq::test
