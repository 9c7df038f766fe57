#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingScreen.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using test::RecordingScreen;
using Log = std::vector<std::string>;

class PresentationTest : public ::testing::Test {
protected:
    explicit PresentationTest(DeviceIdiom idiom = DeviceIdiom::phone) : env(options(idiom)) {}
    static test::TestEnvironmentOptions options(DeviceIdiom idiom) {
        test::TestEnvironmentOptions o;
        o.device.idiom = idiom;
        return o;
    }
    std::shared_ptr<RecordingScreen> screen(const std::string& name) { return std::make_shared<RecordingScreen>(name, log); }
    // home at the root of a navigation stack, with `tour` pushed on it, on screen.
    void showStack() {
        home = screen("home");
        nav = std::make_shared<NavigationController>(home);
        test::showInWindow(nav);
        tour = screen("tour");
        nav->pushViewController(tour, false);
        log->clear();
    }

    test::TestEnvironment env;
    std::shared_ptr<Log> log = std::make_shared<Log>();
    std::shared_ptr<RecordingScreen> home;
    std::shared_ptr<RecordingScreen> tour;
    std::shared_ptr<NavigationController> nav;
};

class TabletPresentationTest : public PresentationTest {
protected:
    TabletPresentationTest() : PresentationTest(DeviceIdiom::pad) {}
};

TEST_F(PresentationTest, AScreenInAStackPresentsThroughItsContainerAndCompletionWaitsForTheNextTurn) {
    showStack();
    auto alert = std::make_shared<AlertController>("Error", "TourEmptyError");
    bool completed = false;
    ASSERT_TRUE(tour->present(alert, true, [&] { completed = true; }));
    EXPECT_EQ(alert->presentingViewController(), nav);
    EXPECT_EQ(tour->presentedViewController(), alert);
    EXPECT_EQ(test::topAlert(), alert);
    EXPECT_TRUE(alert->wasPresentedAnimated());
    EXPECT_FALSE(completed);
    env.settle();
    EXPECT_TRUE(completed);
    EXPECT_TRUE(log->empty());  // an alert leaves the screen beneath it on screen
}

TEST_F(PresentationTest, PresentingOverAPresentationIsRefusedUntilItIsDismissed) {
    showStack();
    auto first = std::make_shared<AlertController>("Notice", "");
    auto second = std::make_shared<AlertController>("Download", "");
    ASSERT_TRUE(nav->present(first, true));
    bool secondCompleted = false;
    EXPECT_FALSE(home->present(second, true, [&] { secondCompleted = true; }));
    env.settle();
    EXPECT_FALSE(secondCompleted);
    EXPECT_EQ(test::topAlert(), first);

    // What the download alerts do: dismiss whatever is shown, then present at once.
    nav->dismiss(true);
    EXPECT_TRUE(nav->present(second, true));
    EXPECT_EQ(test::topAlert(), second);
    EXPECT_EQ(first->presentingViewController(), nullptr);
}

TEST_F(PresentationTest, FullScreenCoversThePresenterWhichReturnsOnDismissal) {
    showStack();
    auto player = screen("player");
    player->setModalPresentationStyle(ModalPresentationStyle::fullScreen);
    ASSERT_TRUE(tour->present(player, true));
    EXPECT_EQ(*log, (Log{"tour.willDisappear", "player.didLoad", "player.willAppear", "tour.didDisappear", "player.didAppear"}));
    EXPECT_EQ(player->presentationStyleInEffect(), ModalPresentationStyle::fullScreen);
    EXPECT_EQ(player->view().superview(), nav->window().get());

    log->clear();
    bool dismissed = false;
    player->dismiss(true, [&] { dismissed = true; });  // the presented screen dismisses itself
    EXPECT_EQ(*log, (Log{"player.willDisappear", "tour.willAppear", "player.didDisappear", "tour.didAppear"}));
    EXPECT_EQ(tour->presentedViewController(), nullptr);
    EXPECT_EQ(player->view().superview(), nullptr);
    env.settle();
    EXPECT_TRUE(dismissed);
}

TEST_F(PresentationTest, DismissingWithNothingPresentedStillCompletes) {
    showStack();
    bool completed = false;
    tour->dismiss(true, [&] { completed = true; });
    env.settle();
    EXPECT_TRUE(completed);
    EXPECT_EQ(nav->topViewController(), tour);
}

TEST_F(PresentationTest, DismissingAPresenterTakesAwayEverythingAboveIt) {
    showStack();
    auto list = screen("list");
    auto zoom = screen("zoom");
    nav->present(list, true);
    list->present(zoom, true);
    EXPECT_EQ(test::topPresented(), zoom);
    log->clear();
    nav->dismiss(true);
    EXPECT_EQ(*log, (Log{"zoom.willDisappear", "list.willDisappear", "zoom.didDisappear", "list.didDisappear"}));
    EXPECT_EQ(test::topPresented(), nullptr);
    EXPECT_EQ(zoom->presentingViewController(), nullptr);
}

TEST_F(PresentationTest, TappingAnAlertButtonDismissesItThenRunsItsHandler) {
    showStack();
    auto alert = std::make_shared<AlertController>("Error", "TourEmptyError");
    bool presentedWhenHandled = true;
    alert->addAction({"OK", AlertActionStyle::cancel, [&] {
                          presentedWhenHandled = static_cast<bool>(nav->presentedViewController());
                          nav->popToRootViewController(true);
                      }});
    nav->present(alert, true);
    EXPECT_FALSE(test::tapAlertButton("Cancel"));
    EXPECT_TRUE(test::tapAlertButton("OK"));
    EXPECT_FALSE(presentedWhenHandled);
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_EQ(test::topAlert(), nullptr);
}

TEST_F(PresentationTest, AnAlertHandlerCanPresentTheNextAlertAtOnce) {
    showStack();
    auto confirm = std::make_shared<AlertController>("Tour", "startDownloading?");
    auto started = std::make_shared<AlertController>("Preloading", "PreloadStarted");
    confirm->addAction({"No", AlertActionStyle::cancel, nullptr});
    confirm->addAction({"Yes", AlertActionStyle::defaultStyle, [&] { tour->present(started, true); }});
    tour->present(confirm, true);
    EXPECT_EQ(confirm->actionTitles(), (std::vector<std::string>{"No", "Yes"}));
    EXPECT_TRUE(test::tapAlertButton("Yes"));
    EXPECT_EQ(test::topAlert(), started);
}

class KeepPopover : public PopoverPresentationControllerDelegate {
public:
    ModalPresentationStyle adaptivePresentationStyle(PopoverPresentationController&) override {
        return ModalPresentationStyle::none;
    }
};

TEST_F(PresentationTest, APopoverOnAPhoneBecomesFullScreenUnlessItsDelegateAnswersNone) {
    showStack();
    auto list = screen("list");
    list->setModalPresentationStyle(ModalPresentationStyle::popover);
    tour->present(list, true);
    EXPECT_EQ(list->presentationStyleInEffect(), ModalPresentationStyle::fullScreen);
    EXPECT_FALSE(tour->isVisible());
    list->dismiss(false);

    auto kept = screen("kept");
    kept->setModalPresentationStyle(ModalPresentationStyle::popover);
    auto delegate = std::make_shared<KeepPopover>();
    kept->popoverPresentationController()->setDelegate(delegate);
    auto anchor = std::make_shared<BarButtonItem>("List", [] {});
    kept->popoverPresentationController()->setBarButtonItem(anchor);
    kept->popoverPresentationController()->setPermittedArrowDirections(PopoverArrowDirection::up);
    tour->present(kept, true);
    EXPECT_EQ(kept->presentationStyleInEffect(), ModalPresentationStyle::popover);
    EXPECT_TRUE(kept->popoverPresentationController()->hasAnchor());
    EXPECT_TRUE(tour->isVisible());
}

TEST_F(PresentationTest, AShareSheetOnAPhoneHasNoPopover) {
    auto sheet = std::make_shared<ActivityViewController>(std::vector<ActivityItem>{std::string("link")});
    EXPECT_EQ(sheet->popoverPresentationController(), nullptr);
}

TEST_F(TabletPresentationTest, ShareSheetsAndActionSheetsBecomePopoversOnATablet) {
    showStack();
    auto sheet = std::make_shared<ActivityViewController>(std::vector<ActivityItem>{std::string("link")});
    sheet->setModalTransitionStyle(ModalTransitionStyle::flipHorizontal);
    ASSERT_NE(sheet->popoverPresentationController(), nullptr);
    auto share = std::make_shared<BarButtonItem>(SystemBarItem::action);
    sheet->popoverPresentationController()->setBarButtonItem(share);
    tour->present(sheet, true);
    EXPECT_EQ(sheet->presentationStyleInEffect(), ModalPresentationStyle::popover);
    EXPECT_EQ(sheet->popoverPresentationController()->barButtonItem(), share);
    sheet->cancel();

    // No anchor: shown all the same instead of stopping the program.
    auto menu = std::make_shared<AlertController>("", "", AlertStyle::actionSheet);
    ASSERT_NE(menu->popoverPresentationController(), nullptr);
    EXPECT_TRUE(tour->present(menu, true));
    EXPECT_FALSE(menu->popoverPresentationController()->hasAnchor());
    EXPECT_EQ(std::make_shared<AlertController>("", "")->popoverPresentationController(), nullptr);
}

// A popover shows its screen at the screen's preferred content size, or the default one; adapted
// to full screen on a phone it takes the device's screen.
TEST_F(TabletPresentationTest, APopoverTakesItsPreferredContentSize) {
    showStack();
    const Size device = env->device().screenBounds;
    struct Case {
        const char* name;
        Size preferred;
        Size expected;
    };
    const Case cases[] = {
        {"asks for a size", {400, 300}, {400, 300}},
        {"asks for none", {}, kDefaultPopoverContentSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = screen("list");
        list->setModalPresentationStyle(ModalPresentationStyle::popover);
        list->setPreferredContentSize(c.preferred);
        EXPECT_EQ(list->presentedContentSize(), device) << "not presented yet";
        ASSERT_TRUE(tour->present(list, true));
        EXPECT_EQ(list->presentedContentSize(), c.expected);
        EXPECT_EQ(list->view().frame().size, c.expected);
        EXPECT_TRUE(tour->isVisible()) << "a popover leaves its presenter in sight";
        list->dismiss(false);
    }
}

TEST_F(PresentationTest, APopoverAdaptedToFullScreenTakesTheScreen) {
    showStack();
    auto list = screen("list");
    list->setModalPresentationStyle(ModalPresentationStyle::popover);
    list->setPreferredContentSize({400, 300});
    ASSERT_TRUE(tour->present(list, true));
    EXPECT_EQ(list->presentedContentSize(), env->device().screenBounds);
}

class TourLink : public ActivityItemSource {
public:
    std::string activityViewControllerPlaceholderItem(ActivityViewController&) override { return "Old Lyon"; }
    std::optional<std::string> activityViewControllerItemForActivityType(ActivityViewController&,
                                                                         const std::optional<std::string>& type) override {
        askedFor.push_back(type.value_or("none"));
        return "https://example.test/circuit/12/old-lyon";
    }
    std::string activityViewControllerSubjectForActivityType(ActivityViewController&, const std::optional<std::string>&) override {
        return "Old Lyon";
    }
    std::vector<std::string> askedFor;
};

TEST_F(PresentationTest, ChoosingAnActivityResolvesTheItemsDismissesAndReports) {
    showStack();
    auto source = std::make_shared<TourLink>();
    auto sheet = std::make_shared<ActivityViewController>(std::vector<ActivityItem>{source, std::string("plain")});
    sheet->setExcludedActivityTypes({activity_type::airDrop, activity_type::print, "com.apple.reminders.RemindersEditorExtension"});
    std::optional<std::string> reported;
    bool completed = false;
    sheet->setCompletionWithItemsHandler([&](const std::optional<std::string>& type, bool done) {
        reported = type;
        completed = done;
    });
    tour->present(sheet, true);

    auto offered = sheet->availableActivityTypes();
    EXPECT_EQ(std::count(offered.begin(), offered.end(), activity_type::airDrop), 0);
    EXPECT_EQ(std::count(offered.begin(), offered.end(), activity_type::mail), 1);
    EXPECT_EQ(sheet->placeholderItems(), (std::vector<std::string>{"Old Lyon", "plain"}));
    EXPECT_FALSE(sheet->choose(activity_type::airDrop));
    EXPECT_FALSE(sheet->choose("com.apple.reminders.RemindersEditorExtension"));
    EXPECT_EQ(test::topShareSheet(), sheet);

    EXPECT_TRUE(sheet->choose(activity_type::copyToPasteboard));
    EXPECT_EQ(sheet->sharedItems(), (std::vector<std::string>{"https://example.test/circuit/12/old-lyon", "plain"}));
    EXPECT_EQ(sheet->sharedSubject(), "Old Lyon");
    EXPECT_EQ(source->askedFor, (std::vector<std::string>{activity_type::copyToPasteboard}));
    EXPECT_EQ(reported, std::optional<std::string>(activity_type::copyToPasteboard));
    EXPECT_TRUE(completed);
    EXPECT_EQ(test::topPresented(), nullptr);
}

TEST_F(PresentationTest, CancellingTheShareSheetReportsNoActivity) {
    showStack();
    auto sheet = std::make_shared<ActivityViewController>(std::vector<ActivityItem>{std::string("link")});
    bool called = false;
    bool completed = true;
    sheet->setCompletionWithItemsHandler([&](const std::optional<std::string>& type, bool done) {
        called = !type.has_value();
        completed = done;
    });
    tour->present(sheet, true);
    sheet->cancel();
    EXPECT_TRUE(called);
    EXPECT_FALSE(completed);
    EXPECT_EQ(test::topPresented(), nullptr);
}

TEST_F(PresentationTest, OpeningAnAddressIsRecordedAndAnswered) {
    auto& app = UiApplication::shared();
    std::vector<bool> answers;
    app.open("https://www.example.org/", [&](bool ok) { answers.push_back(ok); });
    app.open("", [&](bool ok) { answers.push_back(ok); });
    app.open("app-settings:", [&](bool ok) { answers.push_back(ok); });  // no system settings here
    env.settle();
    EXPECT_EQ(app.openedAddresses(), (std::vector<std::string>{"https://www.example.org/", "app-settings:"}));
    EXPECT_EQ(answers, (std::vector<bool>{true, false, false}));
}

}  // namespace
}  // namespace tq
