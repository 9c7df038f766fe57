#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "desktop/KeyboardAccessory.h"
#include "desktop/KeyboardFocus.h"
#include "desktop/ViewWidget.h"
#include "desktop/presenters/Presenters.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "app/AppDelegate.h"
#include "screens/browse/SearchController.h"
#include "support/UiTestHelpers.h"
#include "ui/common/TextFieldHelpers.h"

namespace tq::test {
namespace {

// Rows of names, remembering which a person selected.
class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    explicit Rows(int count) {
        for (int i = 0; i < count; ++i) names.push_back("row " + std::to_string(i));
    }
    int numberOfRowsInSection(TableView&, int) override { return int(names.size()); }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath at) override {
        auto cell = table.dequeueReusableCell("row", at);
        cell->textLabel().setText(names[std::size_t(at.row)]);
        return cell;
    }
    void didSelectRowAt(TableView&, IndexPath at) override { selected.push_back(at.row); }
    void commitEditingStyle(TableView& table, TableCellEditingStyle style, IndexPath at) override {
        if (style != TableCellEditingStyle::deletion) return;
        deleted.push_back(names[std::size_t(at.row)]);
        names.erase(names.begin() + at.row);
        table.deleteRows({at});
    }
    std::vector<std::string> names;
    std::vector<int> selected;
    std::vector<std::string> deleted;
};

std::shared_ptr<Button> titledButton(const std::string& title, Rect frame, int* taps = nullptr) {
    auto button = std::make_shared<Button>(frame);
    button->setTitle(title);
    button->setIdentifier(title);
    if (taps) button->addAction(ControlEvent::touchUpInside, [taps] { ++*taps; });
    return button;
}

// A screen with a control of every kind that takes the focus, added out of reading order, and
// controls that must not take it: hidden, disabled, and inside a view that takes no touches. It is
// presented over a screen whose own button must never get the focus.
struct ControlsScreen {
    std::shared_ptr<ViewController> under = std::make_shared<ViewController>();
    std::shared_ptr<ViewController> screen = std::make_shared<ViewController>();
    std::shared_ptr<Rows> rows = std::make_shared<Rows>(12);
    std::shared_ptr<Button> underneath = titledButton("Underneath", Rect(20, 20, 200, 44));
    std::shared_ptr<Button> first, second, hidden, disabled, untouchable;
    std::shared_ptr<SegmentedControl> segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"km", "mi"});
    std::shared_ptr<Switch> toggle = std::make_shared<Switch>(Rect(20, 260, 60, 40));
    std::shared_ptr<Slider> slider = std::make_shared<Slider>(Rect(120, 260, 200, 40));
    std::shared_ptr<TextField> field = std::make_shared<TextField>(Rect(20, 320, 300, 34));
    std::shared_ptr<TableView> table = std::make_shared<TableView>(Rect(20, 380, 300, 220));
    int firstTaps = 0, secondTaps = 0, returns = 0;

    ControlsScreen() {
        under->view().setArrangement(Arrangement::fixed());
        under->view().addSubview(underneath);
        auto& root = screen->view();
        root.setArrangement(Arrangement::fixed());
        root.setBackgroundColor(Color{1, 1, 1, 1});
        // Added right to left: Tab still goes left to right.
        second = titledButton("Second", Rect(240, 20, 200, 44), &secondTaps);
        first = titledButton("First", Rect(20, 20, 200, 44), &firstTaps);
        root.addSubview(second);
        root.addSubview(first);
        hidden = titledButton("Hidden", Rect(20, 80, 200, 44));
        hidden->setHidden(true);
        disabled = titledButton("Disabled", Rect(20, 140, 200, 44));
        disabled->setEnabled(false);
        auto inert = std::make_shared<View>(Rect(240, 80, 200, 100));
        inert->setArrangement(Arrangement::fixed());
        inert->setUserInteractionEnabled(false);
        untouchable = titledButton("Untouchable", Rect(0, 0, 200, 44));
        inert->addSubview(untouchable);
        root.addSubview(hidden);
        root.addSubview(disabled);
        root.addSubview(inert);
        segments->setFrame(Rect(20, 200, 200, 40));
        segments->setSelectedSegmentIndex(0);
        root.addSubview(segments);
        root.addSubview(slider);
        root.addSubview(toggle);
        field->setPlaceholder("Keyword");
        field->setShouldReturn([this](TextField&) {
            ++returns;
            return true;
        });
        root.addSubview(field);
        table->setRowHeight(44);
        table->setDataSource(rows);
        table->setDelegate(rows);
        root.addSubview(table);
        table->reloadData();
    }
};

class KeyboardFocusTest : public ::testing::Test {
protected:
    KeyboardFocusTest() : app(desktop::DeviceChoice::tablet()) {
        app.open(showInWindow(controls.under));
        controls.under->present(controls.screen, false);
        app.turn();
    }

    GtkWidget* window() { return GTK_WIDGET(app.desktop->gtkWindow()); }
    GtkWidget* focus() { return gtk_root_get_focus(GTK_ROOT(window())); }
    static bool holds(GtkWidget* outer, GtkWidget* inner) {
        return outer && inner && (outer == inner || gtk_widget_is_ancestor(inner, outer));
    }
    bool focusIn(const View& view) { return holds(app.widgetOf(view), focus()); }
    // The toggle button of segment `index`, by its place in the drawn control.
    GtkWidget* segment(int index) {
        std::vector<GtkWidget*> buttons;
        findWidget(app.widgetOf(*controls.segments), [&](GtkWidget* w) {
            if (GTK_IS_TOGGLE_BUTTON(w)) buttons.push_back(w);
            return false;
        });
        return index < int(buttons.size()) ? buttons[std::size_t(index)] : nullptr;
    }
    GtkWidget* row(int index) {
        auto cell = controls.table->cellForRowAt({0, index});
        return cell ? app.widgetOf(*cell) : nullptr;
    }
    // Presses `keys` and waits until `done` holds, or fails naming `what`.
    void press(const std::vector<std::string>& keys, const std::function<bool()>& done, const std::string& what) {
        ASSERT_TRUE(pressKeys(window(), keys)) << "xdotool could not press the keys";
        EXPECT_TRUE(app.waitFor(done, 5.0)) << "after the keys, " << what;
        app.turn();
    }

    DesktopFixture app;
    ControlsScreen controls;
};

struct Stop {
    const char* name;
    std::function<bool()> focused;
};

// Tab goes through the controls of the screen on top in reading order, round the end, and Shift+Tab
// goes back; hidden, disabled and untouchable controls and the screen underneath are left out. The
// focused control is marked.
TEST_F(KeyboardFocusTest, TabGoesThroughTheTopScreenInReadingOrder) {
    const std::vector<Stop> stops = {
        {"the first button", [&] { return focusIn(*controls.first); }},
        {"the second button", [&] { return focusIn(*controls.second); }},
        {"the first segment", [&] { return holds(segment(0), focus()); }},
        {"the second segment", [&] { return holds(segment(1), focus()); }},
        {"the switch", [&] { return focusIn(*controls.toggle); }},
        {"the slider", [&] { return focusIn(*controls.slider); }},
        {"the text field", [&] { return focusIn(*controls.field); }},
    };
    const auto rowsInSight = controls.table->indexPathsForVisibleRows();
    ASSERT_GE(rowsInSight.size(), 4u);
    std::vector<Stop> chain = stops;
    for (const auto& path : rowsInSight) {
        const int index = path.row;
        chain.push_back({"a row", [this, index] { return holds(row(index), focus()); }});
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        SCOPED_TRACE(chain[i].name);
        press({"Tab"}, chain[i].focused, std::string("the focus is not on ") + chain[i].name + " (stop " + std::to_string(i) + ")");
        EXPECT_FALSE(focusIn(*controls.underneath) || focusIn(*controls.hidden) || focusIn(*controls.disabled) ||
                     focusIn(*controls.untouchable));
        if (i == 0) {
            EXPECT_TRUE(gtk_widget_get_state_flags(focus()) & GTK_STATE_FLAG_FOCUS_VISIBLE) << "the focus is not marked";
            app.screenshot("keyboard-focus-first-button");
        }
    }
    // Tab past the last row in sight brings the next row into sight and focuses it.
    const int lastInSight = rowsInSight.back().row;
    press({"Tab"}, [&] { return holds(row(lastInSight + 1), focus()); }, "the next row out of sight is not focused");
    EXPECT_TRUE(gtk_widget_get_state_flags(focus()) & GTK_STATE_FLAG_FOCUS_VISIBLE);
    app.screenshot("keyboard-focus-row");
    // Shift+Tab goes back the same way.
    press({"shift+Tab"}, [&] { return holds(row(lastInSight), focus()); }, "Shift+Tab did not go back a row");
    // From the last row, Tab goes round to the first control.
    for (int i = lastInSight + 1; i < int(controls.rows->names.size()); ++i) {
        press({"Tab"}, [&] { return holds(row(i), focus()); }, "Tab did not reach row " + std::to_string(i));
    }
    press({"Tab"}, [&] { return focusIn(*controls.first); }, "Tab did not go round to the first button");
    press({"shift+Tab"}, [&] { return holds(row(int(controls.rows->names.size()) - 1), focus()); },
          "Shift+Tab did not go round to the last row");
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

struct Activation {
    const char* name;
    std::function<GtkWidget*()> target;  // focused first, by a grab as Tab does
    std::vector<std::string> keys;
    std::function<bool()> done;
};

// Return (and Space for buttons) on the focused control goes through the control's person method.
TEST_F(KeyboardFocusTest, ReturnAndSpaceActivateTheFocusedControl) {
    const bool wasOn = controls.toggle->isOn();
    const float before = controls.slider->value();
    const Activation cases[] = {
        {"Return selects a row", [&] { return row(1); }, {"Return"},
         [&] { return controls.rows->selected == std::vector<int>{1}; }},
        {"Return taps a button", [&] { return app.widgetOf(*controls.first); }, {"Return"},
         [&] { return controls.firstTaps == 1; }},
        {"Space taps a button", [&] { return app.widgetOf(*controls.second); }, {"space"},
         [&] { return controls.secondTaps == 1; }},
        {"Space selects a segment", [&] { return segment(1); }, {"space"},
         [&] { return controls.segments->selectedSegmentIndex() == 1; }},
        {"Return turns a switch", [&] { return app.widgetOf(*controls.toggle); }, {"Return"},
         [&] { return controls.toggle->isOn() != wasOn; }},
        {"an arrow moves a slider", [&] { return app.widgetOf(*controls.slider); }, {"Right", "Right"},
         [&] { return controls.slider->value() > before; }},
        {"Return in a text field", [&] { return app.widgetOf(*controls.field); }, {"Return"},
         [&] { return controls.returns == 1; }},
        {"Return selects a segment", [&] { return segment(0); }, {"Return"},
         [&] { return controls.segments->selectedSegmentIndex() == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GtkWidget* target = c.target();
        ASSERT_TRUE(target);
        // Tab until the control has the focus, as a person would.
        for (int tabs = 0; tabs < 30 && !holds(target, focus()); ++tabs) {
            ASSERT_TRUE(pressKeys(window(), {"Tab"}));
            app.waitFor([&, previous = focus()] { return focus() != previous; }, 2.0);
        }
        ASSERT_TRUE(holds(target, focus())) << "Tab never reached it";
        app.mirror().startRecording();
        press(c.keys, c.done, std::string("nothing happened: ") + c.name);
        EXPECT_TRUE(holds(c.target(), focus()) || std::string(c.name) == "Return selects a row") << "the focus went";
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
    }
}

// While an alert is up, Tab stays among its buttons and Return never reaches the screen under it;
// Escape cancels the alert; shown, its focus starts on the cancel action, never a destructive one.
TEST_F(KeyboardFocusTest, AnAlertKeepsTheKeysAndEscapeCancelsIt) {
    press({"Tab"}, [&] { return focusIn(*controls.first); }, "the first button is not focused");
    bool cancelled = false, deleted = false;
    auto alert = std::make_shared<AlertController>("Delete", "Delete this tour?");
    alert->addAction({"Cancel", AlertActionStyle::cancel, [&] { cancelled = true; }});
    alert->addAction({"Delete", AlertActionStyle::destructive, [&] { deleted = true; }});
    controls.screen->present(alert, false);
    app.turn();
    GtkWidget* dialog = app.desktop->presenters().dialog();
    ASSERT_TRUE(dialog);
    for (int i = 0; i < 4; ++i) {
        GtkWidget* previous = focus();
        press({"Tab"}, [&] { return focus() != previous; }, "the focus did not move");
        EXPECT_TRUE(holds(dialog, focus())) << "Tab left the alert";
    }
    app.screenshot("keyboard-alert");
    press({"Escape"}, [&] { return cancelled && !topPresented(*controls.screen); }, "Escape did not cancel the alert");
    EXPECT_FALSE(deleted);
    EXPECT_EQ(controls.firstTaps, 0) << "a key reached the screen under the alert";

    // Shown again, the alert's focus starts on its cancel action: Return at once deletes nothing.
    cancelled = false;
    controls.screen->present(alert, false);
    app.turn();
    press({"Return"}, [&] { return cancelled && !topPresented(*controls.screen); }, "Return did not cancel the alert");
    EXPECT_FALSE(deleted);
}

// Escape from the keyboard goes back one screen.
TEST(KeyboardEscapeTest, EscapeGoesBackOneScreen) {
    DesktopFixture app(desktop::DeviceChoice::phone());
    auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    app.open(showInWindow(nav));
    nav->pushViewController(std::make_shared<ViewController>(), false);
    app.turn();
    ASSERT_EQ(nav->viewControllers().size(), 2u);
    ASSERT_TRUE(pressKeys(GTK_WIDGET(app.desktop->gtkWindow()), {"Escape"}));
    EXPECT_TRUE(app.waitFor([&] { return nav->viewControllers().size() == 1u; })) << "Escape did not go back";
    app.turn();
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

// A text field's keyboard toolbar shows under the field while it is first responder; its item is
// tapped by a click, and by Return after Tab; leaving the field by Tab puts the keyboard away.
TEST_F(KeyboardFocusTest, TheKeyboardToolbarShowsUnderTheFieldWhileItIsEdited) {
    addKeyboardToolbar(*controls.field);
    app.turn();
    auto& accessory = app.desktop->keyboardAccessory();
    auto bar = [&] { return accessory.bar(); };
    auto closeItem = [&]() -> GtkWidget* {
        return bar() ? findWidget(bar(), [](GtkWidget* w) { return GTK_IS_BUTTON(w) && gtk_widget_get_mapped(w); })
                     : nullptr;
    };
    GtkWidget* entry = app.widgetOf(*controls.field);
    struct Step {
        const char* name;
        std::function<bool()> act;
        std::function<bool()> done;
    };
    const Step steps[] = {
        {"a click in the field shows the bar", [&] { return clickWidget(entry); },
         [&] { return controls.field->isFirstResponder() && closeItem() && gtk_widget_get_mapped(closeItem()); }},
        {"typing keeps every letter", [&] { return pressKeys(window(), {"l", "y", "o", "n"}); },
         [&] { return controls.field->text() == "lyon" && closeItem(); }},
        {"a click on the close item puts the keyboard away", [&] { return clickWidget(closeItem()); },
         [&] { return !controls.field->isFirstResponder() && !bar(); }},
        {"a click in the field shows it again", [&] { return clickWidget(entry); },
         [&] { return controls.field->isFirstResponder() && closeItem(); }},
        {"Tab goes to the bar's item and the field stays edited", [&] { return pressKeys(window(), {"Tab"}); },
         [&] { return holds(closeItem(), focus()) && controls.field->isFirstResponder(); }},
        {"Return on the item puts the keyboard away", [&] { return pressKeys(window(), {"Return"}); },
         [&] { return !controls.field->isFirstResponder() && !bar(); }},
        {"Tab back into the field shows the bar", [&] {
             gtk_widget_grab_focus(desktop::viewWidgetState(app.widgetOf(*controls.toggle)).content);
             return pressKeys(window(), {"Tab", "Tab"});
         },
         [&] { return controls.field->isFirstResponder() && closeItem() && focusIn(*controls.field); }},
        {"Shift+Tab out of the field puts the keyboard away", [&] { return pressKeys(window(), {"shift+Tab"}); },
         [&] { return !controls.field->isFirstResponder() && !bar() && focusIn(*controls.slider); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(step.act()) << "xdotool could not act";
        EXPECT_TRUE(app.waitFor(step.done, 5.0))
            << step.name << " (focus on " << (focus() ? G_OBJECT_TYPE_NAME(focus()) : "nothing") << ", first responder "
            << controls.field->isFirstResponder() << ", bar " << (bar() != nullptr) << ")";
        app.turn();
        if (bar()) {
            // Right under the field, as wide as it, inside the window.
            graphene_rect_t field, shown;
            GtkWidget* stage = gtk_window_get_child(GTK_WINDOW(window()));
            ASSERT_TRUE(gtk_widget_compute_bounds(entry, stage, &field));
            ASSERT_TRUE(gtk_widget_compute_bounds(bar(), stage, &shown));
            EXPECT_NEAR(shown.origin.y, field.origin.y + field.size.height, 1);
            EXPECT_NEAR(shown.origin.x, field.origin.x, 1);
            EXPECT_GE(shown.size.width, field.size.width - 1);
            EXPECT_GT(shown.size.height, 20);
        }
        if (std::string(step.name) == "typing keeps every letter") {
            GtkWidget* stage = gtk_window_get_child(GTK_WINDOW(window()));
            auto path = std::filesystem::path(TQ_SCREENSHOT_DIR) / "keyboard-toolbar.png";
            EXPECT_TRUE(desktop::writePng(stage, path));
        }
    }
}

// The search screen used from the keyboard alone: Tab to the keyword segment, Space opens the
// keyword search with the field edited and its toolbar under it, the keys typed all stay, and Return
// searches and puts the keyboard away.
TEST(KeyboardOnTheSearchScreenTest, AKeywordSearchFromTheKeyboard) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    app.open(showInWindow(nav));
    auto screen = StoryboardRegistry::shared().named("Search-ipad")->instantiate<SearchController>("SearchController");
    ASSERT_TRUE(screen);
    nav->pushViewController(screen, false);
    app.settle();
    GtkWidget* window = GTK_WIDGET(app.desktop->gtkWindow());
    auto focus = [&] { return gtk_root_get_focus(GTK_ROOT(window)); };
    auto& control = *screen->segmentTypeSearch;
    std::vector<GtkWidget*> segments;
    findWidget(app.widgetOf(control), [&](GtkWidget* w) {
        if (GTK_IS_TOGGLE_BUTTON(w)) segments.push_back(w);
        return false;
    });
    ASSERT_EQ(int(segments.size()), control.numberOfSegments());
    GtkWidget* keywordSegment = segments.back();
    for (int tabs = 0; tabs < 40 && !(focus() && (focus() == keywordSegment)); ++tabs) {
        ASSERT_TRUE(pressKeys(window, {"Tab"}));
        app.waitFor([&, previous = focus()] { return focus() != previous; }, 2.0);
    }
    ASSERT_EQ(focus(), keywordSegment) << "Tab never reached the keyword segment";
    EXPECT_TRUE(gtk_widget_get_state_flags(keywordSegment) & GTK_STATE_FLAG_FOCUS_VISIBLE) << "the focus is not marked";
    app.turn();
    app.screenshot("keyboard-focus-search");
    auto& accessory = app.desktop->keyboardAccessory();
    ASSERT_TRUE(pressKeys(window, {"space"}));
    EXPECT_TRUE(app.waitFor([&] { return screen->txtKeyword->isFirstResponder() && accessory.bar(); }))
        << "the keyword search did not open with its toolbar";
    app.turn();
    ASSERT_TRUE(pressKeys(window, {"l", "y", "o", "n"}));
    EXPECT_TRUE(app.waitFor([&] { return screen->txtKeyword->text() == "lyon"; })) << "typed " << screen->txtKeyword->text();
    app.turn();
    EXPECT_TRUE(desktop::writePng(gtk_window_get_child(GTK_WINDOW(window)),
                                  std::filesystem::path(TQ_SCREENSHOT_DIR) / "keyboard-toolbar-search.png"));
    const auto asked = app.service.requests().size();
    ASSERT_TRUE(pressKeys(window, {"Return"}));
    EXPECT_TRUE(app.waitFor([&] {
        return !screen->txtKeyword->isFirstResponder() && !accessory.bar() && app.service.requests().size() > asked;
    })) << "Return did not search and put the keyboard away";
    app.settle();
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace tq::test
