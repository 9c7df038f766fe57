#include "ContentScreenFixture.h"
#include "platform/ui/GestureRecognizer.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;

std::vector<PoiContentRef> threeTexts() {
    return {makeContent("1", "txt", "First", "one"), makeContent("2", "txt", "Second", "two"),
            makeContent("3", "txt", "Third", "three")};
}

class ContentNavigationTest : public ContentScreenTest {};

TEST_F(ContentNavigationTest, StepsThroughThePointAndReturnsToTheMapAfterTheLast) {
    auto screen = open(threeTexts());
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->title(), "1/3");
    EXPECT_EQ(screen->lblTitle->text(), "First");
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    EXPECT_DOUBLE_EQ(screen->lblPrev->alpha(), 0.5);
    EXPECT_EQ(screen->lblNext->text(), app().text("Next"));
    EXPECT_EQ(screen->lblPrev->text(), app().text("Prev"));
    EXPECT_EQ(screen->rightBarButton->title(), app().text("List"));

    tapAndWait(screen->btnNext);
    EXPECT_EQ(screen->title(), "2/3");
    EXPECT_EQ(screen->lblTitle->text(), "Second");
    EXPECT_TRUE(screen->btnPrev->isEnabled());
    EXPECT_DOUBLE_EQ(screen->lblPrev->alpha(), 1.0);
    EXPECT_DOUBLE_EQ(screen->btnPrev->alpha(), 1.0);

    ASSERT_TRUE(screen->view().swipe(SwipeDirection::right));
    EXPECT_EQ(screen->title(), "3/3");
    EXPECT_EQ(screen->currentContent, screen->contents[2]);
    EXPECT_EQ(screen->lblNext->text(), app().text("ReturnMap"));
    EXPECT_EQ(nav->topViewController(), screen);

    tapAndWait(screen->btnNext, 1.0);
    EXPECT_EQ(nav->topViewController(), map);
}

TEST_F(ContentNavigationTest, PreviousBackToTheFirstDimsItAndGoesNoFurther) {
    auto screen = open(threeTexts());
    tapAndWait(screen->btnNext);
    ASSERT_TRUE(screen->view().swipe(SwipeDirection::left));
    EXPECT_EQ(screen->title(), "1/3");
    EXPECT_EQ(screen->lblTitle->text(), "First");
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    EXPECT_DOUBLE_EQ(screen->lblPrev->alpha(), 0.8);
    EXPECT_DOUBLE_EQ(screen->btnPrev->alpha(), 0.8);

    auto shown = screen->shownIndexes.size();
    ASSERT_TRUE(screen->view().swipe(SwipeDirection::left));
    EXPECT_EQ(screen->currentIndex, 1);
    EXPECT_EQ(screen->title(), "1/3");
    EXPECT_EQ(screen->shownIndexes.size(), shown) << "nothing before the first content";
}

TEST_F(ContentNavigationTest, IndexesOutsideThePointAreIgnored) {
    auto screen = open(threeTexts());
    tapAndWait(screen->btnNext);
    for (std::int64_t index : {0, -1, 4, 100}) {
        SCOPED_TRACE(index);
        screen->showContentAtIndex(index);
        EXPECT_EQ(screen->title(), "2/3");
        EXPECT_EQ(screen->currentIndex, 2);
        EXPECT_EQ(screen->currentContent, screen->contents[1]);
    }
}

TEST_F(ContentNavigationTest, PointWithoutContentsShowsAnEmptyScreenWithNothingToPress) {
    auto screen = open({});
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->title(), "");
    EXPECT_EQ(screen->currentContent, nullptr);
    EXPECT_FALSE(screen->btnNext->isEnabled());
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    EXPECT_FALSE(screen->btnShow->isEnabled());
    EXPECT_FALSE(screen->rightBarButton->isEnabled());
    EXPECT_TRUE(screen->webViewText->isHidden());
    screen->view().swipe(SwipeDirection::right);
    screen->view().swipe(SwipeDirection::left);
    env.advance(1.0);
    EXPECT_EQ(nav->topViewController(), screen);
    EXPECT_TRUE(nav->tapBackButton());
    EXPECT_EQ(nav->topViewController(), map);
}

TEST_F(ContentNavigationTest, EachAppearanceShowsTheCurrentContentAgainAMomentLater) {
    auto screen = open(threeTexts());
    EXPECT_EQ(screen->shownIndexes, std::vector<std::int64_t>{1});
    tapAndWait(screen->btnNext);
    auto other = std::make_shared<ViewController>();
    nav->pushViewController(other, false);
    nav->popViewController(false);
    env.advance(0.1);
    EXPECT_EQ(screen->shownIndexes.size(), 2u);
    env.advance(0.1);
    EXPECT_EQ(screen->shownIndexes, (std::vector<std::int64_t>{1, 2, 2}));
}

TEST_F(ContentNavigationTest, HomeReturnsToTheInterfaceLanguageAndTheHomeScreen) {
    app().lang = 0;
    app().tempLang = 1;
    app().loadLanguageDictionary();
    auto screen = open(threeTexts());
    auto home = screen->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->image(), Image::named("home"));
    EXPECT_TRUE(screen->navigationItem().leftItemsSupplementBackButton());
    ASSERT_TRUE(home->tap());
    EXPECT_EQ(nav->topViewController(), this->home);
    EXPECT_EQ(app().tempLang, 0);
    EXPECT_EQ(app().text("Next"), "Next");
}

TEST_F(ContentNavigationTest, TurningTheDeviceShowsTheMatchingLayout) {
    auto screen = open(threeTexts());
    EXPECT_FALSE(screen->viewPortrait->isHidden());
    EXPECT_TRUE(screen->viewLandscape->isHidden());
    test::rotate(DeviceOrientation::landscapeLeft);
    EXPECT_TRUE(screen->viewPortrait->isHidden());
    EXPECT_FALSE(screen->viewLandscape->isHidden());
    EXPECT_FALSE(screen->webViewText->isHidden()) << "a text reads in either orientation";
    test::rotate(DeviceOrientation::portrait);
    EXPECT_FALSE(screen->viewPortrait->isHidden());
    EXPECT_TRUE(screen->viewLandscape->isHidden());
}

struct ScreenCase {
    Size screen;
    double bottomBar;
    bool landscape;
};

class ContentScreenSizeTest : public ContentScreenTest, public ::testing::WithParamInterface<ScreenCase> {
protected:
    ContentScreenSizeTest() : ContentScreenTest(options()) {}
    static test::TestEnvironmentOptions options() {
        test::TestEnvironmentOptions options;
        options.device.screenBounds = GetParam().screen;
        return options;
    }
};

TEST_P(ContentScreenSizeTest, BottomBarAndLayoutFollowTheScreen) {
    auto screen = open(threeTexts());
    EXPECT_DOUBLE_EQ(screen->constBottomViewHeight->constant(), GetParam().bottomBar);
    EXPECT_EQ(screen->viewLandscape->isHidden(), !GetParam().landscape);
    EXPECT_EQ(screen->viewPortrait->isHidden(), GetParam().landscape);
}

INSTANTIATE_TEST_SUITE_P(Screens, ContentScreenSizeTest,
                         ::testing::Values(ScreenCase{{375, 667}, 70, false}, ScreenCase{{667, 375}, 70, true},
                                           ScreenCase{{390, 844}, 60, false}, ScreenCase{{1024, 768}, 60, true}));

}  // namespace
}  // namespace tq
