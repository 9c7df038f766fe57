#include <gtest/gtest.h>

#include "platform/foundation/DispatchScope.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using Log = std::vector<std::string>;

// A screen whose every control releases the screen itself (it pops or dismisses itself), then goes
// on with its own members, as a screen's close or next action does. Its actions hold the screen by
// a plain pointer, as a member function that closes its own screen does.
class SelfClosingScreen : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit SelfClosingScreen(std::shared_ptr<Log> log) : log_(std::move(log)) { setTitle("closing"); }

    std::shared_ptr<Button> button = std::make_shared<Button>(Rect(0, 0, 100, 40));
    std::shared_ptr<Control> control = std::make_shared<Control>(Rect(0, 40, 100, 40));
    std::shared_ptr<SegmentedControl> segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"a", "b"});
    std::shared_ptr<Slider> slider = std::make_shared<Slider>(Rect(0, 80, 100, 40));
    std::shared_ptr<Switch> toggle = std::make_shared<Switch>(Rect(0, 120, 100, 40));
    std::shared_ptr<TextField> field = std::make_shared<TextField>(Rect(0, 160, 100, 40));
    std::shared_ptr<StarRatingView> stars = std::make_shared<StarRatingView>(Rect(0, 200, 100, 40));
    std::shared_ptr<View> touchArea = std::make_shared<View>(Rect(0, 240, 100, 40));
    std::shared_ptr<TableView> table = std::make_shared<TableView>(Rect(0, 280, 390, 300));
    std::shared_ptr<BarButtonItem> closeItem = std::make_shared<BarButtonItem>(SystemBarItem::close);

    void closeThenCarryOn() {
        closeSelf();
        // Still inside the dispatch: the screen, its views and its controls must all be alive.
        log_->push_back(title() + " closed, button " + button->currentTitle() + ", " +
                        std::to_string(view().subviews().size()) + " views");
    }

    // TableViewDataSource / TableViewDelegate: one row, whose selection, swipe and deletion close.
    int numberOfRowsInSection(TableView&, int) override { return 1; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override {
        return tableView.dequeueReusableCell("cell", indexPath);
    }
    void commitEditingStyle(TableView&, TableCellEditingStyle, IndexPath) override { closeThenCarryOn(); }
    void didSelectRowAt(TableView&, IndexPath) override { closeThenCarryOn(); }
    std::optional<SwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAt(TableView&, IndexPath) override {
        ContextualAction hide;
        hide.title = "Hide";
        hide.handler = [this](std::function<void(bool)> done) {
            closeThenCarryOn();
            done(true);
        };
        return SwipeActionsConfiguration{{hide}, true};
    }

    void viewDidDisappear(bool) override { log_->push_back(title() + " gone, button " + button->currentTitle()); }

protected:
    void loadView() override {
        ViewController::loadView();
        button->setTitle("Close", ControlState::normal);
        button->addAction(ControlEvent::touchUpInside, [this] { closeThenCarryOn(); });
        control->addAction(ControlEvent::valueChanged, [this] { closeThenCarryOn(); });
        segments->addAction(ControlEvent::valueChanged, [this] { closeThenCarryOn(); });
        slider->addAction(ControlEvent::valueChanged, [this] { closeThenCarryOn(); });
        toggle->addAction(ControlEvent::valueChanged, [this] { closeThenCarryOn(); });
        field->addAction(ControlEvent::editingChanged, [this] { closeThenCarryOn(); });
        field->setShouldReturn([this](TextField&) {
            closeThenCarryOn();
            return true;
        });
        stars->setEditable(true);
        stars->setOnFinishTouch([this](double) { closeThenCarryOn(); });
        touchArea->addGestureRecognizer(
            std::make_shared<GestureRecognizer>(GestureKind::tap, [this](GestureRecognizer&) { closeThenCarryOn(); }));
        touchArea->addGestureRecognizer(
            GestureRecognizer::swipe(SwipeDirection::left, [this](GestureRecognizer&) { closeThenCarryOn(); }));
        table->registerCell("cell", [] { return std::make_shared<TableViewCell>(); });
        closeItem->setAction([this] { closeThenCarryOn(); });
        navigationItem().setRightBarButtonItem(closeItem);
        for (std::shared_ptr<View> v : std::initializer_list<std::shared_ptr<View>>{
                 button, control, segments, slider, toggle, field, stars, touchArea, table}) {
            view().addSubview(v);
        }
    }
    void viewDidLoad() override {
        // The screen is the table's source and delegate; the table holds them weakly.
        auto self = std::static_pointer_cast<SelfClosingScreen>(shared_from_this());
        table->setDataSource(std::static_pointer_cast<TableViewDataSource>(self));
        table->setDelegate(std::static_pointer_cast<TableViewDelegate>(self));
        table->reloadData();
    }

private:
    void closeSelf() {
        if (auto nav = navigationController()) {
            nav->popViewController(true);
        } else {
            dismiss(true);
        }
    }
    std::shared_ptr<Log> log_;
};

// How the screen is shown, and so how it closes itself.
enum class Shown { pushed, presented };

struct Case {
    const char* name;
    std::function<bool(SelfClosingScreen&, NavigationController&)> act;
    bool onlyPushed = false;
};

const Case cases[] = {
    {"ButtonTap", [](SelfClosingScreen& s, NavigationController&) { return s.button->tap(); }},
    {"SendActions",
     [](SelfClosingScreen& s, NavigationController&) {
         s.control->sendActions(ControlEvent::valueChanged);
         return true;
     }},
    {"SegmentSelect", [](SelfClosingScreen& s, NavigationController&) { return s.segments->select(1); }},
    {"SliderMove", [](SelfClosingScreen& s, NavigationController&) { return s.slider->moveTo(0.5F); }},
    {"SwitchToggle", [](SelfClosingScreen& s, NavigationController&) { return s.toggle->toggle(); }},
    {"TextTyped", [](SelfClosingScreen& s, NavigationController&) { return s.field->typeText("Lyon"); }},
    {"ReturnPressed", [](SelfClosingScreen& s, NavigationController&) { return s.field->pressReturn(); }},
    {"StarsTouched", [](SelfClosingScreen& s, NavigationController&) { return s.stars->touch(3); }},
    {"TapGesture", [](SelfClosingScreen& s, NavigationController&) { return s.touchArea->tapGesture(); }},
    {"SwipeGesture", [](SelfClosingScreen& s, NavigationController&) { return s.touchArea->swipe(SwipeDirection::left); }},
    {"RowSelected", [](SelfClosingScreen& s, NavigationController&) { return s.table->selectRow(IndexPath{0, 0}); }},
    {"RowSwipeAction",
     [](SelfClosingScreen& s, NavigationController&) { return s.table->performSwipeAction(IndexPath{0, 0}, "Hide"); }},
    {"RowDeleteConfirmed",
     [](SelfClosingScreen& s, NavigationController&) {
         s.table->setEditing(true, false);
         return s.table->tapDeleteConfirmation(IndexPath{0, 0});
     }},
    {"BarButtonItem", [](SelfClosingScreen& s, NavigationController&) { return s.closeItem->tap(); }},
    {"AlertAction",
     [](SelfClosingScreen& s, NavigationController&) {
         auto alert = std::make_shared<AlertController>("Leave?", "");
         alert->addAction({"OK", AlertActionStyle::defaultStyle, [&s] { s.closeThenCarryOn(); }});
         s.present(alert, true);
         return alert->tap("OK");
     }},
    {"BackButton",
     [](SelfClosingScreen& s, NavigationController& nav) {
         s.navigationItem().setRightBarButtonItem(nullptr);
         return nav.tapBackButton();
     },
     true},
};

class ScreenClosedByItsOwnControl : public ::testing::TestWithParam<std::tuple<Case, Shown>> {
protected:
    test::TestEnvironment env;
};

TEST_P(ScreenClosedByItsOwnControl, StaysAliveUntilTheDispatchEndsThenGoes) {
    const auto& [c, shown] = GetParam();
    if (c.onlyPushed && shown != Shown::pushed) GTEST_SKIP() << "only a pushed screen has a back button";
    auto log = std::make_shared<Log>();
    auto home = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);

    std::weak_ptr<SelfClosingScreen> weak;
    {
        auto screen = std::make_shared<SelfClosingScreen>(log);
        weak = screen;
        if (shown == Shown::pushed) {
            ASSERT_TRUE(nav->pushViewController(screen, false));
        } else {
            screen->setModalPresentationStyle(ModalPresentationStyle::fullScreen);
            ASSERT_TRUE(home->present(screen, false));
        }
    }
    auto* screen = weak.lock().get();
    ASSERT_TRUE(screen);

    EXPECT_TRUE(c.act(*screen, *nav));

    // Closed, and released as soon as the dispatch that closed it ended.
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_EQ(home->presentedViewController(), nullptr);
    EXPECT_FALSE(DispatchScope::isOpen());
    EXPECT_EQ(DispatchScope::heldCount(), 0u);
    ASSERT_FALSE(log->empty());
    EXPECT_EQ(log->front(), "closing gone, button Close");
    if (std::string(c.name) != "BackButton") {
        EXPECT_EQ(*log, (Log{"closing gone, button Close", "closing closed, button Close, 9 views"}));
    }
    env->loop().settle();
}

INSTANTIATE_TEST_SUITE_P(EveryPersonMethod, ScreenClosedByItsOwnControl,
                         ::testing::Combine(::testing::ValuesIn(cases), ::testing::Values(Shown::pushed, Shown::presented)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Shown::pushed ? "_Pushed" : "_Presented");
                         });

TEST(DispatchScope, OnlyTheOutermostScopeReleasesWhatWasHeld) {
    std::weak_ptr<int> weak;
    {
        DispatchScope outer;
        {
            DispatchScope inner;
            auto value = std::make_shared<int>(418);
            weak = value;
            DispatchScope::hold(value);
        }
        EXPECT_FALSE(weak.expired());
        EXPECT_EQ(DispatchScope::heldCount(), 1u);
    }
    EXPECT_TRUE(weak.expired());

    // With no scope open, holding keeps nothing.
    auto value = std::make_shared<int>(611);
    weak = value;
    DispatchScope::hold(value);
    value.reset();
    EXPECT_TRUE(weak.expired());
}

TEST(DispatchScope, ATaskOfTheMainLoopIsOneDispatch) {
    test::TestEnvironment env;
    auto home = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    std::weak_ptr<ViewController> weak;
    {
        auto tour = std::make_shared<ViewController>();
        weak = tour;
        nav->pushViewController(tour, false);
    }
    bool aliveAfterPop = false;
    env->loop().postAfter(1.0, [&] {
        nav->popViewController(true);
        aliveAfterPop = !weak.expired();
    });
    env->loop().advance(1.0);
    EXPECT_TRUE(aliveAfterPop);
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace tq
