#include <filesystem>

#include "HomeScreenFixture.h"
#include "platform/foundation/FileSystem.h"

namespace tq {
namespace {

using namespace test;
namespace fs = std::filesystem;

TEST_F(HomeScreenTest, TheApplicationOpensOnTheHomeScreen) {
    launch();
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_TRUE(home->isVisible());
    EXPECT_TRUE(nav->isNavigationBarHidden());
    EXPECT_EQ(home->navigationItem().backButtonDisplayMode(), BackButtonDisplayMode::minimal);
    EXPECT_EQ(overlay().cornerRadius(), 40);
    EXPECT_FALSE(home->portraitButtonView->isHidden());
    EXPECT_TRUE(home->landscapeButtonView->isHidden());
    EXPECT_EQ(home->btnSettings->cornerRadius(), 16);
}

TEST_F(HomeScreenTest, EveryAppearanceChecksTheStoredToursForUpdates) {
    bool added = false;
    db().addTour("418", fixtureText("full-tour.json"), [&](bool success) { added = success; });
    ASSERT_TRUE(added);
    service.reply("/public/webservice/isUpdatesAvailableIos", ScriptedReply::json(R"({"results":[],"status":"success"})"));
    launch();
    env.settle();
    EXPECT_EQ(service.requestsTo("/public/webservice/isUpdatesAvailableIos").size(), 1u);
    pushPlainScreen();
    nav->popViewController(false);
    env.settle();
    EXPECT_EQ(service.requestsTo("/public/webservice/isUpdatesAvailableIos").size(), 2u);
}

TEST_F(HomeScreenTest, ButtonImagesAndLogoFollowTheInterfaceLanguage) {
    struct Case {
        std::int64_t lang;
        std::string code;
        std::string logo;
    };
    launch();
    for (const Case& c : {Case{0, "en", "trelvo-en"}, Case{1, "fr", "trelvo-fr"}, Case{2, "es", "trelvo-en"}}) {
        app().lang = c.lang;
        pushPlainScreen();
        nav->popViewController(false);
        EXPECT_EQ(home->imageLogo->image(), Image::named(c.logo));
        EXPECT_EQ(home->imageLogoLand->image(), Image::named(c.logo));
        for (const auto& [button, name] : {std::pair{home->btnSettings, "about-"}, std::pair{home->btnSearchLand, "search-"},
                                           std::pair{home->btnMyTours, "favoris-"}, std::pair{home->btnCatalogLand, "catalog-"}}) {
            EXPECT_EQ(button->image(ControlState::normal), Image::named(name + c.code));
            EXPECT_EQ(button->image(ControlState::selected), Image::named(name + c.code + "-sh"));
        }
        EXPECT_EQ(home->btnCompass->image(ControlState::normal), Image::named("boussole-" + c.code));
        // The compass keeps its one image when selected.
        EXPECT_FALSE(home->btnCompassLand->image(ControlState::selected));
    }
}

struct ScreenSizeCase {
    Size size;
    DeviceIdiom idiom;
    double logoWidth, catalogWidth, catalogHeight, compassWidth;
};

class HomeScreenSizeTest : public HomeScreenTest, public ::testing::WithParamInterface<ScreenSizeCase> {
protected:
    static TestEnvironmentOptions sized() {
        TestEnvironmentOptions options;
        options.device.screenBounds = GetParam().size;
        options.device.idiom = GetParam().idiom;
        return options;
    }
    HomeScreenSizeTest() : HomeScreenTest(sized()) {}
};

TEST_P(HomeScreenSizeTest, LayoutConstantsFollowTheScreenSides) {
    launch();
    const auto& c = GetParam();
    EXPECT_EQ(home->constLogoWidth->constant(), c.logoWidth);
    EXPECT_EQ(home->constBtnCatalogWidth->constant(), c.catalogWidth);
    EXPECT_EQ(home->constBtnCatalogHeight->constant(), c.catalogHeight);
    EXPECT_EQ(home->constBtnCompassWidth->constant(), c.compassWidth);
}

// The layout's own constants are logo 260, catalogue 120 by 110, compass 190.
INSTANTIATE_TEST_SUITE_P(Sides, HomeScreenSizeTest,
                         ::testing::Values(ScreenSizeCase{{320, 568}, DeviceIdiom::phone, 216, 120, 90, 150},
                                           ScreenSizeCase{{375, 812}, DeviceIdiom::phone, 220, 120, 110, 170},
                                           ScreenSizeCase{{768, 1024}, DeviceIdiom::pad, 350, 150, 140, 270},
                                           ScreenSizeCase{{1024, 768}, DeviceIdiom::pad, 350, 150, 140, 270},
                                           ScreenSizeCase{{834, 1194}, DeviceIdiom::pad, 260, 140, 131, 190},
                                           ScreenSizeCase{{390, 844}, DeviceIdiom::phone, 260, 120, 110, 190},
                                           ScreenSizeCase{{820, 1180}, DeviceIdiom::pad, 260, 120, 110, 190}));

TEST_F(HomeScreenTest, TheButtonsOpenTheCatalogueAndTheStoredTours) {
    service.serveFixtureTours();
    launch();
    ASSERT_TRUE(home->btnCatalog->tap());
    env.settle();
    auto catalogue = std::dynamic_pointer_cast<CatalogController>(nav->topViewController());
    ASSERT_TRUE(catalogue);
    EXPECT_FALSE(catalogue->isFavorites);
    EXPECT_FALSE(nav->isNavigationBarHidden());
    EXPECT_EQ(catalogue->catalogue.size(), 3u);

    nav->popToRootViewController(false);
    EXPECT_TRUE(nav->isNavigationBarHidden());
    ASSERT_TRUE(home->btnMyTours->tap());
    auto stored = std::dynamic_pointer_cast<CatalogController>(nav->topViewController());
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->isFavorites);
    EXPECT_TRUE(app().isMyTour);
}

TEST_F(HomeScreenTest, SearchAndSettingsArePushedFromTheirOwnStoryboards) {
    // The factories hold their screens weakly: a screen holds its storyboard, so a strong capture
    // would keep both alive for ever.
    auto search = std::make_shared<ViewController>();
    auto settings = std::make_shared<ViewController>();
    StoryboardRegistry::shared().storyboard("Search-ipad").registerScreen("SearchController", [weak = std::weak_ptr(search)] { return weak.lock(); });
    StoryboardRegistry::shared().storyboard("Settings-ipad").registerScreen("ParameterViewController",
                                                                            [weak = std::weak_ptr(settings)] { return weak.lock(); });
    launch();
    ASSERT_TRUE(home->btnSearch->tap());
    EXPECT_EQ(nav->topViewController(), search);
    nav->popToRootViewController(false);
    ASSERT_TRUE(home->btnSettings->tap());
    EXPECT_EQ(nav->topViewController(), settings);
}

class HomeOpeningOnTheListTest : public HomeScreenTest {};

TEST_F(HomeOpeningOnTheListTest, TheOnlineCatalogueOpensAtOnce) {
    service.serveFixtureTours();
    env->settings().setBool("openAppList", true);
    launch();
    env.settle();
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    auto catalogue = std::dynamic_pointer_cast<CatalogController>(nav->topViewController());
    ASSERT_TRUE(catalogue);
    EXPECT_FALSE(catalogue->isFavorites);
    EXPECT_EQ(catalogue->catalogue.size(), 3u);
}

// ---- Background videos

TEST_F(HomeScreenTest, TheVideoOfTheOrientationStartsHalfASecondAfterAppearing) {
    launch();
    ASSERT_TRUE(home->player && home->playerLand);
    ASSERT_TRUE(home->playerLayer && home->playerLayerLand);
    EXPECT_FALSE(home->playerLayer->isHidden());
    EXPECT_TRUE(home->playerLayerLand->isHidden());
    EXPECT_EQ(home->playerLayer->videoGravity(), VideoGravity::resizeAspectFill);
    EXPECT_EQ(home->playerLayerLand->frame().width(), 844);
    EXPECT_EQ(home->constTopBlackOverlay->constant(), 40);
    env.advance(0.4);
    EXPECT_FALSE(home->player->isPlaying());
    env.advance(0.1);
    EXPECT_TRUE(home->player->isPlaying());
    EXPECT_FALSE(home->playerLand->isPlaying());

    env.advance(2.0);
    EXPECT_GT(home->player->currentTime(), 0);
    pushPlainScreen();
    EXPECT_FALSE(home->player->isPlaying());
    EXPECT_EQ(home->player->currentTime(), 0);
    EXPECT_FALSE(home->isViewVisible);
    nav->popViewController(false);
    EXPECT_TRUE(home->isViewVisible);
    env.advance(0.5);
    EXPECT_TRUE(home->player->isPlaying());
}

TEST_F(HomeScreenTest, TurningTheDeviceSwapsPanelsAndVideos) {
    launch();
    env.advance(1.0);
    rotate(DeviceOrientation::landscapeLeft);
    EXPECT_TRUE(home->portraitButtonView->isHidden());
    EXPECT_FALSE(home->landscapeButtonView->isHidden());
    EXPECT_TRUE(home->playerLayer->isHidden());
    EXPECT_FALSE(home->playerLayerLand->isHidden());
    EXPECT_TRUE(home->playerLand->isPlaying());
    EXPECT_EQ(home->player->currentTime(), 0);
    EXPECT_EQ(home->constTopBlackOverlay->constant(), 0);

    rotate(DeviceOrientation::portrait);
    EXPECT_FALSE(home->portraitButtonView->isHidden());
    EXPECT_FALSE(home->playerLayer->isHidden());
    EXPECT_TRUE(home->playerLayerLand->isHidden());
    EXPECT_TRUE(home->player->isPlaying());
    EXPECT_EQ(home->playerLand->currentTime(), 0);
    EXPECT_EQ(home->constTopBlackOverlay->constant(), 40);
}

// A copy of the bundle whose home videos are missing or broken.
class HomeWithoutVideosTest : public HomeScreenTest {
protected:
    static TempDir& bundle() {
        static TempDir dir;
        return dir;
    }
    static TestEnvironmentOptions brokenVideos() {
        fs::copy(TQ_TEST_BUNDLE_DIR, bundle().path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::remove(bundle().path() / "vertical.mp4");
        writeFileAtomically(bundle().path() / "horrizontal.mp4", "not a video");
        TestEnvironmentOptions options;
        options.bundleDir = bundle().path();
        return options;
    }
    HomeWithoutVideosTest() : HomeScreenTest(brokenVideos()) {}
};

TEST_F(HomeWithoutVideosTest, TheScreenWorksWithoutItsVideos) {
    launch();
    EXPECT_FALSE(home->player);
    EXPECT_FALSE(home->playerLand);
    int lines = 0;
    for (const auto& line : env->console().lines()) lines += line.find("Home video") != std::string::npos;
    EXPECT_EQ(lines, 2);
    env.advance(1.0);
    rotate(DeviceOrientation::landscapeRight);
    EXPECT_FALSE(home->landscapeButtonView->isHidden());
    pushPlainScreen();
    nav->popViewController(false);
    EXPECT_TRUE(home->isVisible());
}

}  // namespace
}  // namespace tq
