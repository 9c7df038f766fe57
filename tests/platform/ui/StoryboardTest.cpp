#include <gtest/gtest.h>

#include "RecordingScreen.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using Log = std::vector<std::string>;

// A dummy list screen, as a screen file would register it.
class NetworkScreen : public ViewController {
public:
    bool forNetwork = true;
    static void registerIn(StoryboardRegistry& registry) {
        for (const char* name : {"Main", "Main-ipad"}) {
            registry.storyboard(name).registerScreen("NetworkController", [] { return std::make_shared<NetworkScreen>(); });
        }
    }
};

// A dummy tour screen with a button wired to a segue, whose preparation configures the destination.
class TourScreen : public ViewController {
public:
    std::vector<std::string> prepared;
    std::shared_ptr<Button> btnPresentedBy = std::make_shared<Button>();

    void prepareForSegue(StoryboardSegue& segue, const std::any&) override {
        prepared.push_back(segue.identifier());
        if (auto network = segue.destinationAs<NetworkScreen>()) {
            EXPECT_FALSE(network->parent());  // prepared before it is shown
            network->forNetwork = false;
            network->setTitle("PresentedBy");
        }
    }
    bool shouldPerformSegue(const std::string& identifier, const std::any&) override { return identifier != "blocked"; }

    static void registerIn(StoryboardRegistry& registry) {
        auto& main = registry.storyboard("Main");
        main.registerScreen("TourDetailController", [] {
            auto screen = std::make_shared<TourScreen>();
            screen->btnPresentedBy->setIdentifier("btnPresentedBy");
            std::weak_ptr<TourScreen> weak = screen;
            screen->btnPresentedBy->addAction(ControlEvent::touchUpInside, [weak] {
                if (auto s = weak.lock()) s->triggerSegue("showNetworkPresentedBy", s->btnPresentedBy);
            });
            screen->view().addSubview(screen->btnPresentedBy);
            return screen;
        });
        main.addSegue({.identifier = "showNetworkPresentedBy", .destination = "NetworkController", .source = "TourDetailController"});
        main.addSegue({.identifier = "showContentList", .destination = "NetworkController", .kind = SegueKind::popover,
                       .anchorIdentifier = "btnPresentedBy"});
        main.addSegue({.identifier = "blocked", .destination = "NetworkController"});
        main.addSegue({.identifier = "zoom", .destination = "NetworkController", .kind = SegueKind::presentModally,
                       .presentationStyle = ModalPresentationStyle::fullScreen});
        main.addSegue({.identifier = "nowhere", .destination = "NoSuchScreen"});
    }
};

class StoryboardTest : public ::testing::Test {
protected:
    StoryboardTest() {
        auto& registry = StoryboardRegistry::shared();
        NetworkScreen::registerIn(registry);
        TourScreen::registerIn(registry);
        registry.storyboard("Main").setInitialScreen("TourDetailController");
    }
    std::shared_ptr<TourScreen> showTour() {
        auto tour = StoryboardRegistry::shared().named("Main")->instantiate<TourScreen>("TourDetailController");
        nav = std::make_shared<NavigationController>(tour);
        test::showInWindow(nav);
        return tour;
    }
    test::TestEnvironment env;
    std::shared_ptr<NavigationController> nav;
};

TEST_F(StoryboardTest, RegistryFindsStoryboardsByNameAndBuildsScreensByIdentifier) {
    auto& registry = StoryboardRegistry::shared();
    EXPECT_EQ(registry.names(), (std::vector<std::string>{"Main", "Main-ipad"}));
    EXPECT_EQ(registry.named("Settings-ipad"), nullptr);
    auto main = registry.named("Main");
    auto network = main->instantiateViewController("NetworkController");
    ASSERT_NE(network, nullptr);
    EXPECT_EQ(network->storyboard(), main);
    EXPECT_EQ(network->storyboardIdentifier(), "NetworkController");
    EXPECT_NE(main->instantiateViewController("NetworkController"), network);  // a new screen each time
    EXPECT_EQ(main->instantiateViewController("Missing"), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TourScreen>(main->instantiateInitialViewController()), nullptr);
    EXPECT_EQ(registry.named("Main-ipad")->instantiateInitialViewController(), nullptr);
}

TEST_F(StoryboardTest, TappingAWiredButtonPreparesThenPushesTheDestination) {
    auto tour = showTour();
    ASSERT_TRUE(test::tapButton(*tour, "btnPresentedBy"));
    EXPECT_EQ(tour->prepared, (std::vector<std::string>{"showNetworkPresentedBy"}));
    auto network = std::dynamic_pointer_cast<NetworkScreen>(nav->topViewController());
    ASSERT_NE(network, nullptr);
    EXPECT_FALSE(network->forNetwork);
    EXPECT_EQ(network->navigationItem().title(), "PresentedBy");
    EXPECT_TRUE(nav->operations().back().animated);
}

TEST_F(StoryboardTest, SeguesPresentModallyOrAsPopoversAnchoredWhereTheySay) {
    auto tour = showTour();
    ASSERT_TRUE(tour->performSegue("zoom"));
    auto zoom = tour->presentedViewController();
    ASSERT_NE(zoom, nullptr);
    EXPECT_EQ(zoom->presentationStyleInEffect(), ModalPresentationStyle::fullScreen);
    zoom->dismiss(false);

    ASSERT_TRUE(tour->performSegue("showContentList"));
    auto list = tour->presentedViewController();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->modalPresentationStyle(), ModalPresentationStyle::popover);
    EXPECT_EQ(list->popoverPresentationController()->sourceView(), tour->btnPresentedBy);
}

TEST_F(StoryboardTest, UnknownOrRefusedSeguesDoNothing) {
    auto tour = showTour();
    EXPECT_FALSE(tour->performSegue("noSuchSegue"));
    EXPECT_FALSE(tour->performSegue("nowhere"));  // its destination is not registered
    EXPECT_FALSE(tour->triggerSegue("blocked"));
    EXPECT_TRUE(tour->prepared.empty());
    EXPECT_EQ(nav->viewControllers().size(), 1u);

    auto loose = std::make_shared<TourScreen>();  // not made by a storyboard
    EXPECT_FALSE(loose->performSegue("showNetworkPresentedBy"));
}

TEST_F(StoryboardTest, ASegueRegisteredForOneSourceIsNotTakenByAnother) {
    auto network = StoryboardRegistry::shared().named("Main")->instantiateViewController("NetworkController");
    auto localNav = std::make_shared<NavigationController>(network);
    EXPECT_FALSE(network->performSegue("showNetworkPresentedBy"));
    EXPECT_TRUE(network->performSegue("blocked"));  // registered for any source; only triggers ask first
    EXPECT_EQ(localNav->viewControllers().size(), 2u);
}

}  // namespace
}  // namespace tq
