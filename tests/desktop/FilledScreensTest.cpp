#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "app/AppDelegate.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/TourDetailController.h"

namespace tq::test {
namespace {

struct FilledCase {
    const char* name;
    desktop::DeviceChoice device;
    const char* board;
    LanguageIndex language;
};

// The screens of a tour, filled from the web service and drawn upright and turned: every text they
// show fits its room (a fact of the tour, a button title in a bar shared with others) and every
// control a person can press draws something, in each
// interface language on the narrowest screen. A PNG of each goes to build/screenshots/.
class FilledScreens : public ::testing::TestWithParam<FilledCase> {};

TEST_P(FilledScreens, TheTourAndItsMapShowTheirTextsWhole) {
    DesktopFixture app(GetParam().device);
    app.service.serveFixtureTours();
    app.launch();
    auto nav = app.navigation();
    ASSERT_TRUE(nav);
    auto& delegate = app.env->shared<AppDelegate>();
    delegate.lang = delegate.tempLang = GetParam().language;
    delegate.loadLanguageDictionary();
    delegate.tourId = "418";
    delegate.isMyTour = false;
    auto board = StoryboardRegistry::shared().named(GetParam().board);
    auto tour = board->instantiate<TourDetailController>("TourDetailController");
    ASSERT_TRUE(tour);
    nav->pushViewController(tour, false);
    app.settle();
    ASSERT_EQ(tour->lblNearOfLand->text(), delegate.text("Start City"));
    auto map = board->instantiate<MapLeafletController>("MapLeafletController");
    ASSERT_TRUE(map);
    for (const auto& screen : {std::static_pointer_cast<ViewController>(tour), std::static_pointer_cast<ViewController>(map)}) {
        if (screen != nav->topViewController()) nav->pushViewController(screen, false);
        app.settle();
        for (int turn = 0; turn < 2; ++turn) {
            app.env.advance(3.0);  // the map's bar fades in
            app.settle();
            const std::string where = std::string(GetParam().name) + "-" +
                                      (app.env->device().isLandscape() ? "landscape" : "portrait") + "-" +
                                      (screen == map ? "map" : "tour");
            // Texts only: the other faults of these screens are the screen walk's.
            for (const auto& fault : layoutFaults(app.mirror(), app.desktop->screen())) {
                if (fault.find(": text ") != std::string::npos || fault.find(": label cut") != std::string::npos) {
                    ADD_FAILURE() << where << ": " << fault;
                }
            }
            const auto shot = app.screenshot("filled-" + where);
            for (const auto& fault : controlsDrawnAsNothing(app.mirror(), app.desktop->screen(), shot)) {
                ADD_FAILURE() << where << ": " << fault;
            }
            app.desktop->rotate();
            app.env.advance(1.0);
            app.settle();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothIdioms, FilledScreens,
                         ::testing::Values(FilledCase{"phone_en", desktop::DeviceChoice::phone(), "Main", kEnglish},
                                           FilledCase{"phone_fr", desktop::DeviceChoice::phone(), "Main", kFrench},
                                           FilledCase{"phone_es", desktop::DeviceChoice::phone(), "Main", kSpanish},
                                           FilledCase{"tablet_en", desktop::DeviceChoice::tablet(), "Main-ipad", kEnglish}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq::test
