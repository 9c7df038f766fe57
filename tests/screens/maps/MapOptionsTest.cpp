#include "MapScreenFixture.h"
#include "platform/services/FileURL.h"

namespace tq::test {
namespace {

class MapOptionsTest : public MapScreenTest {
protected:
    std::vector<std::string> rowLabels(MapLeafletController& screen) {
        std::vector<std::string> labels;
        auto& table = *screen.tableViewOptions;
        table.reloadData();
        for (int i = 0; i < table.numberOfRows(0); ++i) labels.push_back(table.cellForRowAt({0, i})->textLabel().text());
        return labels;
    }
    std::string joined(const char* a, const char* b) { return app().text(a) + " " + app().text(b); }
};

TEST_F(MapOptionsTest, TheRowsDependOnTheKindOfTour) {
    struct Case {
        MapMode mode;
        bool custom;
        std::vector<std::string> labels;
    };
    const std::vector<Case> cases{
        {MapMode::online, true, {joined("CenterOn", "OnMap"), joined("CenterOn", "OnPoint")}},
        {MapMode::downloaded, true, {joined("CenterOn", "OnMap"), joined("CenterOn", "OnPoint")}},
        {MapMode::downloaded, false,
         {app().text("Locate"), app().text("StartGyroscope"), app().text("CenterOnMap"), joined("CenterOn", "OnPoint"),
          joined("CenterOn", "OnPosition")}},
        {MapMode::online, false,
         {app().text("SeeAround"), app().text("Locate"), app().text("StartGyroscope"), app().text("CenterOnMap"),
          joined("CenterOn", "OnPoint"), joined("CenterOn", "OnPosition")}},
    };
    for (const auto& c : cases) {
        auto tour = fixture([&](nlohmann::json& t) { t["use_custom_map"] = c.custom ? "1" : "0"; });
        auto screen = openMap(c.mode, tour);
        ASSERT_TRUE(screen);
        EXPECT_EQ(rowLabels(*screen), c.labels) << (c.custom ? "custom " : "") << static_cast<int>(c.mode);
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapOptionsTest, ChoosingARowRunsItsActionAndClosesThePanel) {
    struct Case {
        int row;
        std::string script;
    };
    auto screen = openMap(MapMode::downloaded, fixture());
    ASSERT_TRUE(screen);
    screen->currentPoiIndex = 1;
    for (const Case& c : {Case{1, "mapFollowsDirection(true);"}, Case{2, "centerMap();"}, Case{3, "next(1)"},
                          Case{1, "mapFollowsDirection(false);"}}) {
        ASSERT_TRUE(screen->btnShowOptions->tap());
        env.advance(0.2);
        EXPECT_FALSE(screen->popUpOptions->isHidden());
        EXPECT_EQ(screen->popUpOptionsInnerView->alpha(), 1.0);
        ASSERT_TRUE(screen->tableViewOptions->selectRow({0, c.row}));
        EXPECT_EQ(screen->map->evaluatedSources().back(), c.script);
        EXPECT_FALSE(screen->tableViewOptions->indexPathForSelectedRow());
        EXPECT_EQ(screen->popUpOptions->alpha(), 0.0);
        env.advance(0.3);
        EXPECT_TRUE(screen->popUpOptions->isHidden());
    }
    EXPECT_EQ(rowLabels(*screen)[1], app().text("StartGyroscope"));
}

TEST_F(MapOptionsTest, HelpPageAndHandPictureFollowTheKindOfTourAndItsLanguage) {
    struct Case {
        MapMode mode;
        bool custom;
        std::int64_t tempLang;
        std::string page;
        std::string picture;
    };
    const Case cases[] = {
        {MapMode::online, false, 0, "HowItWorks-en", "mapHand-en"},
        {MapMode::downloaded, false, 1, "HowItWorksPreload-fr", "mapHand-fr"},
        {MapMode::downloaded, true, 2, "HowItWorksPerso-es", "mapHand-es"},
        {MapMode::online, true, 1, "HowItWorksPerso-fr", "mapHand-fr"},
    };
    for (const auto& c : cases) {
        app().tempLang = c.tempLang;
        auto screen = openMap(c.mode, fixture([&](nlohmann::json& t) { t["use_custom_map"] = c.custom ? "1" : "0"; }));
        ASSERT_TRUE(screen);
        auto page = env->bundle().pathForResource(c.page, "html");
        ASSERT_TRUE(page) << c.page;
        auto* load = screen->webViewHow->lastNavigation();
        ASSERT_TRUE(load);
        EXPECT_EQ(load->url(), fileURL(*page));
        EXPECT_EQ(load->action.request.timeoutInterval, 60.0);
        EXPECT_EQ(screen->mapHandImage->image(), Image::named(c.picture));
        EXPECT_TRUE(env->bundle().pathForResource(c.picture, "png")) << c.picture;
        EXPECT_EQ(screen->btnShowHowItWorks->title(), app().text("HowItWorks"));
        EXPECT_EQ(screen->btnShowOptions->title(), app().text("PracticalsOptions"));
        EXPECT_EQ(screen->lblOptionsTitle->text(), app().text("PracticalsOptionsLabel"));
        EXPECT_EQ(screen->rightBarButton->title(), app().text("List"));
        nav->popToRootViewController(false);
        env.settle();
    }
}

TEST_F(MapOptionsTest, TheHelpPanelOpensAndCloses) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnShowHowItWorks->tap());
    EXPECT_FALSE(screen->popUpHow->isHidden());
    EXPECT_EQ(screen->popUpHow->alpha(), 0.9);
    ASSERT_TRUE(screen->btnCloseHowItWorks->tap());
    EXPECT_EQ(screen->popUpHow->alpha(), 0.0);
    EXPECT_FALSE(screen->popUpHow->isHidden());
    env.advance(0.3);
    EXPECT_TRUE(screen->popUpHow->isHidden());
}

TEST_F(MapOptionsTest, TheHandHintShowsOnceEverAndIsMarkedBeforeItShows) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(env->settings().boolForKey("PopUp-MapHand-Showed"));
    EXPECT_FALSE(screen->popUp->isHidden());
    EXPECT_EQ(screen->popUp->alpha(), 1.0);
    EXPECT_EQ(screen->popUpBG->alpha(), 0.7);
    ASSERT_TRUE(screen->btnClosePopup->tap());
    env.advance(0.5);
    EXPECT_TRUE(screen->popUp->isHidden());
    EXPECT_TRUE(screen->popUpBG->isHidden());
    nav->popToRootViewController(false);
    env.settle();

    auto again = openMap(MapMode::online, fixture());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->popUp->isHidden());
}

TEST_F(MapOptionsTest, AHintAlreadyShownOnTheNativeMapDoesNotShowHere) {
    env->settings().setBool("PopUp-MapHand-Showed", true);
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->popUp->isHidden());
}

// A bundle with the map page and the dictionaries but no help page.
class MapWithoutHelpPagesTest : public MapScreenTest {
protected:
    MapWithoutHelpPagesTest() : MapScreenTest({.bundleDir = bundleWithoutHelp()}) {}
    static std::filesystem::path bundleWithoutHelp() {
        static TempDir bundle;
        for (const char* file : {"main.html", "TrelvoQuestLanguageEN.plist", "TrelvoQuestLanguageFR.plist",
                                 "TrelvoQuestLanguageES.plist"}) {
            std::filesystem::copy_file(std::filesystem::path(TQ_TEST_BUNDLE_DIR) / file, bundle.path() / file,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        return bundle.path();
    }
};

TEST_F(MapWithoutHelpPagesTest, AMissingHelpPageIsSkippedWithAConsoleLine) {
    auto screen = openMap(MapMode::online, fixture());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->webViewHow->navigations().empty());
    EXPECT_TRUE(consoleHas("help page HowItWorks-en.html is missing"));
}

}  // namespace
}  // namespace tq::test
