#include <gtest/gtest.h>

#include "RecordingScreen.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/NavigationController.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using test::RecordingScreen;
using Log = std::vector<std::string>;

class NavigationTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingScreen> screen(const std::string& name) { return std::make_shared<RecordingScreen>(name, log); }

    test::TestEnvironment env;
    std::shared_ptr<Log> log = std::make_shared<Log>();
};

TEST_F(NavigationTest, PushAndPopTellTheLeavingAndArrivingScreensWhy) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    EXPECT_EQ(*log, (Log{"home.didLoad", "home.willAppear(moving)", "home.didAppear"}));

    log->clear();
    auto catalogue = screen("catalogue");
    ASSERT_TRUE(nav->pushViewController(catalogue, true));
    EXPECT_EQ(*log, (Log{"home.willDisappear", "catalogue.didLoad", "catalogue.willAppear(moving)", "home.didDisappear",
                         "catalogue.didAppear"}));
    EXPECT_EQ(catalogue->navigationController(), nav);

    log->clear();
    auto popped = nav->popViewController(true);
    EXPECT_EQ(popped, catalogue);
    EXPECT_EQ(*log, (Log{"catalogue.willDisappear(moving)", "home.willAppear", "catalogue.didDisappear", "home.didAppear"}));
    EXPECT_EQ(catalogue->navigationController(), nullptr);
    EXPECT_EQ(nav->topViewController(), home);
    ASSERT_EQ(nav->operations().size(), 2u);
    EXPECT_TRUE(nav->operations()[1].animated);
}

TEST_F(NavigationTest, PopToRootOnlyTellsTheTopScreenAndReturnsEveryScreenRemoved) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    auto tour = screen("tour");
    auto map = screen("map");
    nav->pushViewController(tour, false);
    nav->pushViewController(map, false);
    log->clear();

    auto popped = nav->popToRootViewController(false);
    EXPECT_EQ(popped, (std::vector<std::shared_ptr<ViewController>>{tour, map}));
    EXPECT_EQ(*log, (Log{"map.willDisappear(moving)", "home.willAppear", "map.didDisappear", "home.didAppear"}));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_FALSE(nav->operations().back().animated);
    EXPECT_EQ(tour->parent(), nullptr);
}

TEST_F(NavigationTest, RequestsThatMakeNoSenseChangeNothing) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    auto stranger = screen("stranger");
    log->clear();

    EXPECT_EQ(nav->popViewController(true), nullptr);          // only the root is left
    EXPECT_TRUE(nav->popToViewController(*stranger, true).empty());  // not in the stack
    EXPECT_FALSE(nav->pushViewController(home, true));          // already in it
    EXPECT_FALSE(nav->pushViewController(nullptr, true));
    EXPECT_FALSE(nav->pushViewController(nav, true));
    EXPECT_TRUE(log->empty());
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(NavigationTest, PopToAGivenScreenStopsThere) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    auto catalogue = screen("catalogue");
    nav->pushViewController(catalogue, false);
    nav->pushViewController(screen("tour"), false);
    nav->pushViewController(screen("rating"), false);

    auto popped = nav->popToViewController(*nav->viewControllers()[1], true);
    EXPECT_EQ(popped.size(), 2u);
    EXPECT_EQ(nav->topViewController(), catalogue);
    EXPECT_TRUE(catalogue->isVisible());
}

TEST_F(NavigationTest, ScreensPushedBeforeTheStackIsShownAppearOnlyWhenOnTop) {
    // The home screen opens the catalogue from its viewDidLoad, before anything is on screen.
    class OpeningHome : public RecordingScreen {
    public:
        using RecordingScreen::RecordingScreen;
        std::shared_ptr<RecordingScreen> next;

    protected:
        void viewDidLoad() override {
            RecordingScreen::viewDidLoad();
            navigationController()->pushViewController(next, false);
        }
    };
    auto home = std::make_shared<OpeningHome>("home", log);
    home->next = screen("catalogue");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    EXPECT_EQ(*log, (Log{"home.didLoad", "catalogue.didLoad", "catalogue.willAppear(moving)", "catalogue.didAppear"}));
    EXPECT_EQ(nav->topViewController(), home->next);
    ASSERT_EQ(nav->view().subviews().size(), 2u);  // the bar, then the top screen's view
    EXPECT_EQ(nav->view().subviews()[1], home->next->viewPointer());
}

TEST_F(NavigationTest, BackButtonShowsAndWorksAsTheNavigationItemSays) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    EXPECT_FALSE(nav->tapBackButton());  // nothing to go back to

    auto tour = screen("tour");
    nav->pushViewController(tour, true);
    tour->navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>("home", [] {}));
    EXPECT_FALSE(nav->isBackButtonShown());  // the left item replaces it
    tour->navigationItem().setLeftItemsSupplementBackButton(true);
    EXPECT_TRUE(nav->isBackButtonShown());

    nav->navigationBar().setUserInteractionEnabled(false);  // the screen is locked during an update
    EXPECT_FALSE(nav->tapBackButton());
    nav->navigationBar().setUserInteractionEnabled(true);
    EXPECT_TRUE(nav->tapBackButton());
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_TRUE(nav->operations().back().animated);
}

TEST_F(NavigationTest, TitleAndBarStateAreWhatTheScreensSet) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    home->setTitle("2/5");
    EXPECT_EQ(home->navigationItem().title(), "2/5");
    nav->setNavigationBarHidden(true, false);
    EXPECT_TRUE(nav->isNavigationBarHidden());
    nav->navigationBar().setTintColor(Color::black());
    nav->navigationBar().setBarStyle(BarStyle::black);
    EXPECT_EQ(nav->navigationBar().tintColor(), Color::black());
}

TEST_F(NavigationTest, NewBarsTakeTheApplicationsBarLook) {
    auto& look = env->shared<NavigationBarAppearance>();
    look.barTintColor = Color::black();
    look.blackBarStyle = true;
    look.backIndicatorImage = "back.png";
    NavigationController nav;
    EXPECT_EQ(nav.navigationBar().barTintColor(), Color::black());
    EXPECT_EQ(nav.navigationBar().barStyle(), BarStyle::black);
    EXPECT_EQ(nav.navigationBar().backIndicatorImage(), "back.png");
}

TEST_F(NavigationTest, ShowPushesInsideAStackAndPresentsOutsideOne) {
    auto home = screen("home");
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    auto search = screen("search");
    home->show(search);
    EXPECT_EQ(nav->topViewController(), search);

    auto lonely = screen("lonely");
    auto zoom = screen("zoom");
    lonely->show(zoom);
    EXPECT_EQ(lonely->presentedViewController(), zoom);
}

}  // namespace
}  // namespace tq
