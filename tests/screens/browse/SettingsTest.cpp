#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutRules.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "screens/browse/ParameterDetailViewController.h"
#include "screens/browse/ParametersController.h"
#include "app/storyboards/Storyboards.h"
#include "support/MirroredScreenTest.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

test::TestEnvironmentOptions padOptions() {
    test::TestEnvironmentOptions options;
    options.device.idiom = DeviceIdiom::pad;
    options.device.screenBounds = {820, 1180};
    return options;
}

// A visitor on the home screen, which hides the navigation bar, with the application launched in
// English and every screen registered.
class SettingsTest : public test::MirroredScreenTest {
protected:
    explicit SettingsTest(test::TestEnvironmentOptions options = {}) : env(std::move(options)) { launch(); }

    void launch() {
        app().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        home = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(home);
        nav->setNavigationBarHidden(true);
        window = test::showInWindow(nav);
        mirrorWindow(env, window);
    }

    // Quits and starts the program again on the same settings file.
    void relaunch() {
        window.reset();
        nav.reset();
        home.reset();
        env.relaunch();
        launch();
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }

    // The home screen pushes the settings screen from "Settings-ipad".
    std::shared_ptr<ParametersController> openSettings() {
        auto screen = StoryboardRegistry::shared().named("Settings-ipad")->instantiate<ParametersController>(
            "ParameterViewController");
        EXPECT_TRUE(screen);
        if (screen) nav->pushViewController(screen, true);
        return screen;
    }

    std::vector<std::string> rowTitles(ParametersController& screen) {
        std::vector<std::string> titles;
        for (const auto& cell : screen.tableViewInformation->visibleCells()) titles.push_back(cell->textLabel().text());
        return titles;
    }

    std::vector<std::string> dictionaryTitles() {
        std::vector<std::string> titles;
        for (const auto& entry : informationEntries()) titles.push_back(app().text(entry.titleKey));
        return titles;
    }

    test::TestEnvironment env;
    std::shared_ptr<ViewController> home;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

TEST_F(SettingsTest, OpeningGivesUpTheTourLanguageAndShowsTheStoredChoices) {
    const auto english = app().dictLang;
    env->settings().setString("distanceUnit", "miles, I think");
    app().distanceUnit = "miles, I think";
    app().openListDirectly = true;
    app().tempLang = kSpanish;
    app().loadLanguageDictionary();
    int syncs = env->settings().synchronizeCount();
    env->settings().remove("lang");

    auto screen = openSettings();
    ASSERT_TRUE(screen);
    EXPECT_EQ(app().tempLang, kEnglish);
    EXPECT_EQ(app().dictLang, english);
    EXPECT_EQ(env->settings().integerForKey("lang"), kEnglish);
    EXPECT_TRUE(env->settings().holdsValue("lang"));
    EXPECT_GT(env->settings().synchronizeCount(), syncs);

    EXPECT_EQ(screen->segLang->selectedSegmentIndex(), 0);
    EXPECT_EQ(screen->segUnits->selectedSegmentIndex(), 1) << "any unit other than km shows miles";
    EXPECT_EQ(screen->segOpenApp->selectedSegmentIndex(), 1);
    EXPECT_FALSE(nav->isNavigationBarHidden());
    EXPECT_EQ(screen->scrollView->contentSize(), (Size{400, 1100}));
    EXPECT_EQ(screen->segLang->titleTextAttributes(ControlState::selected)->foregroundColor, Color::white());
    EXPECT_EQ(screen->segUnits->titleTextAttributes(ControlState::normal)->foregroundColor, Color::black());
}

TEST_F(SettingsTest, ChoosingALanguageRelabelsTheScreenAndStoresIt) {
    struct Case {
        int index;
        std::vector<std::string> texts;  // language, unit, opening screen, title
        std::vector<std::string> unitSegments, openSegments;
    };
    const std::vector<Case> cases = {
        {2, {"Idioma de la interfaz", "Distancia en", "Elija la pantalla de apertura de la aplicación", "Acerca de nosotros"},
         {"Kilómetros", "Millas"}, {"Clásico", "Catálogo"}},
        {1, {"Langue de l'interface", "Unité de distance", "Choisir l'écran d'ouverture de l'application", "À propos"},
         {"Kilomètres", "Miles"}, {"Classique", "Catalogue"}},
        {0, {"Interface language", "Distance unit", "Choose the opening screen of the application", "About"},
         {"Kilometers", "Miles"}, {"Classic", "Catalog"}},
    };
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_TRUE(screen->segLang->select(c.index));
        EXPECT_EQ((std::vector<std::string>{screen->lblLanguage->text(), screen->lblUnit->text(),
                                            screen->lblOpenAppTitle->text(), screen->title()}),
                  c.texts);
        EXPECT_EQ((std::vector<std::string>{*screen->segUnits->titleForSegment(0), *screen->segUnits->titleForSegment(1)}),
                  c.unitSegments);
        EXPECT_EQ(
            (std::vector<std::string>{*screen->segOpenApp->titleForSegment(0), *screen->segOpenApp->titleForSegment(1)}),
            c.openSegments);
        EXPECT_EQ(app().lang, c.index);
        EXPECT_EQ(app().tempLang, c.index);
        EXPECT_EQ(env->settings().integerForKey("lang"), c.index);
        // The rows and the About text come from the new language's dictionary.
        EXPECT_EQ(rowTitles(*screen), dictionaryTitles());
        EXPECT_NE(screen->webView->lastHTML()->find(app().text("AboutIntro")), std::string::npos);
    }
}

TEST_F(SettingsTest, UnitAndOpeningScreenAreWrittenToTheStateAndTheSettings) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->segUnits->select(1));
    EXPECT_EQ(app().distanceUnit, "mile");
    EXPECT_EQ(env->settings().stringForKey("distanceUnit"), "mile");
    ASSERT_TRUE(screen->segUnits->select(0));
    EXPECT_EQ(app().distanceUnit, "km");
    EXPECT_EQ(env->settings().stringForKey("distanceUnit"), "km");

    ASSERT_TRUE(screen->segOpenApp->select(1));
    EXPECT_TRUE(app().openListDirectly);
    EXPECT_TRUE(env->settings().boolForKey("openAppList"));
    ASSERT_TRUE(screen->segOpenApp->select(0));
    EXPECT_FALSE(app().openListDirectly);
    EXPECT_TRUE(env->settings().holdsValue("openAppList"));
    EXPECT_FALSE(env->settings().boolForKey("openAppList"));
}

TEST_F(SettingsTest, ChoicesSurviveARelaunch) {
    {
        auto screen = openSettings();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->segLang->select(1));
        ASSERT_TRUE(screen->segUnits->select(1));
        ASSERT_TRUE(screen->segOpenApp->select(1));
    }
    relaunch();
    EXPECT_EQ(app().lang, kFrench);
    EXPECT_EQ(app().tempLang, kFrench);
    EXPECT_EQ(app().distanceUnit, "mile");
    EXPECT_TRUE(app().openListDirectly);

    auto screen = openSettings();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->segLang->selectedSegmentIndex(), 1);
    EXPECT_EQ(screen->segUnits->selectedSegmentIndex(), 1);
    EXPECT_EQ(screen->segOpenApp->selectedSegmentIndex(), 1);
    EXPECT_EQ(screen->lblUnit->text(), "Unité de distance");
}

TEST_F(SettingsTest, TheTableHasNineRowsEvenWhenATitleIsMissing) {
    auto screen = StoryboardRegistry::shared().named("Main")->instantiate<ParametersController>("ParameterViewController");
    ASSERT_TRUE(screen);
    nav->pushViewController(screen, true);
    EXPECT_EQ(rowTitles(*screen), dictionaryTitles());
    EXPECT_EQ(screen->tableViewInformation->numberOfSections(), 1);
    EXPECT_FALSE(screen->canEditRowAt(*screen->tableViewInformation, {0, 0}));

    app().dictLang.erase("CreditsTitle");
    screen->loadInformationTexts();
    screen->tableViewInformation->reloadData();
    auto titles = rowTitles(*screen);
    ASSERT_EQ(titles.size(), 9u);
    EXPECT_EQ(titles[4], "");
    EXPECT_EQ(titles[5], app().text("CreditsMapTitle")) << "the rows after it keep their places";

    // Its row still opens the right page.
    ASSERT_TRUE(screen->tableViewInformation->selectRow(IndexPath{0, 5}));
    auto page = std::dynamic_pointer_cast<ParameterDetailViewController>(nav->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->textInfo, app().text("CreditsMapText"));
    EXPECT_EQ(page->storyboard()->name(), "Main");
}

TEST_F(SettingsTest, ARowOpensItsInformationPage) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->tableViewInformation->selectRow(IndexPath{0, 3}));
    auto page = std::dynamic_pointer_cast<ParameterDetailViewController>(nav->topViewController());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->textInfo, app().text("HowToCreateTour"));
    EXPECT_EQ(page->titleInfo, app().text("HowToCreateTourTitle"));
    EXPECT_EQ(page->title(), app().text("HowToCreateTourTitle"));
    EXPECT_EQ(page->webView->lastHTML(), informationPageHtml(app().text("HowToCreateTour")));
    EXPECT_EQ(page->storyboard()->name(), "Settings-ipad");
}

TEST_F(SettingsTest, TheAboutTextIsLaidOutForAPhoneAndALinkInItLoadsInside) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    auto html = screen->webView->lastHTML();
    ASSERT_TRUE(html);
    EXPECT_EQ(*html, aboutPageHtml(app().text("AboutIntro"), false));
    EXPECT_NE(html->find("font-size:15px"), std::string::npos);
    EXPECT_FALSE(screen->webView->navigations().back().baseURL);

    int link = screen->webView->driver().tapLink("https://www.openstreetmap.org/copyright");
    env.settle();
    EXPECT_EQ(screen->webView->navigation(link)->phase, WebNavigationRecord::Phase::finished);
    EXPECT_TRUE(UiApplication::shared().openedAddresses().empty());
}

TEST_F(SettingsTest, WithoutAnAboutTextTheViewSaysSo) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    app().dictLang.erase("AboutIntro");
    screen->loadInformationTexts();
    EXPECT_EQ(screen->webView->lastHTML(), aboutPageHtml("no description", false));
}

class SettingsOnPadTest : public SettingsTest {
protected:
    SettingsOnPadTest() : SettingsTest(padOptions()) {}
};

TEST_F(SettingsOnPadTest, TheAboutTextUsesTheLargerTemplate) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->webView->lastHTML(), aboutPageHtml(app().text("AboutIntro"), true));
    EXPECT_NE(screen->webView->lastHTML()->find("font-size:18px"), std::string::npos);
}

// Opened upright, then turned either way: the choices, the About text and the information rows
// span the screen's new width (with the choices' 20-point sides), and every row stays in sight.
TEST_F(SettingsOnPadTest, TurnedTheScreenFollowsTheNewWidth) {
    auto screen = openSettings();
    ASSERT_TRUE(screen);
    env.settle();
    for (const auto orientation : {DeviceOrientation::landscapeLeft, DeviceOrientation::portrait}) {
        test::rotate(orientation);
        env.advance(1.0);
        env.settle();
        const Size size = env->device().screenBounds;
        const auto plan = planLayout(*window, Rect(0, 0, size.width, size.height));
        auto rect = [&](const View& view) {
            const auto* placed = plan.placement(view);
            return placed ? placed->rect : Rect();
        };
        const std::string where = size.width > size.height ? "landscape" : "portrait";
        EXPECT_EQ(rect(*screen->scrollView).width(), size.width) << where;
        for (const View* choice : std::initializer_list<const View*>{screen->segLang.get(), screen->segUnits.get(),
                                                                      screen->segOpenApp.get(),
                                                                      screen->lblOpenAppTitle.get()}) {
            EXPECT_EQ(rect(*choice).origin.x, 20) << where << ": " << choice->identifier();
            EXPECT_EQ(rect(*choice).width(), size.width - 40) << where << ": " << choice->identifier();
        }
        EXPECT_EQ(rect(*screen->webView).width(), size.width) << where;
        EXPECT_EQ(rect(*screen->tableViewInformation).width(), size.width) << where;
        const auto cells = screen->tableViewInformation->visibleCells();
        ASSERT_EQ(cells.size(), 9u) << where;
        for (const auto& cell : cells) EXPECT_EQ(rect(*cell).width(), size.width) << where;
    }
}

}  // namespace
}  // namespace tq
