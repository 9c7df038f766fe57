#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TableView.h"
#include "screens/browse/CatalogController.h"
#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// Rows of names that can be deleted, remembering which were.
class DeletableRows : public TableViewDataSource, public TableViewDelegate {
public:
    int numberOfRowsInSection(TableView&, int) override { return int(names.size()); }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath at) override {
        auto cell = table.dequeueReusableCell("row", at);
        cell->textLabel().setText(names[std::size_t(at.row)]);
        return cell;
    }
    void commitEditingStyle(TableView& table, TableCellEditingStyle style, IndexPath at) override {
        if (style != TableCellEditingStyle::deletion) return;
        deleted.push_back(names[std::size_t(at.row)]);
        names.erase(names.begin() + at.row);
        table.deleteRows({at});
    }
    std::vector<std::string> names = {"row 0", "row 1", "row 2", "row 3"};
    std::vector<std::string> deleted;
};

// A screen that hears swipes to the left, to the right and down, with a table of deletable rows
// and a button. The button's click follows every drag: once it is heard, so was the drag, and
// "nothing happened" is known without waiting on a clock.
struct SwipeScreen {
    std::shared_ptr<ViewController> screen = std::make_shared<ViewController>();
    std::shared_ptr<DeletableRows> rows = std::make_shared<DeletableRows>();
    std::shared_ptr<TableView> table = std::make_shared<TableView>(Rect(200, 100, 300, 176));
    std::shared_ptr<Button> marker = std::make_shared<Button>(Rect(20, 20, 120, 44));
    std::shared_ptr<Slider> slider = std::make_shared<Slider>(Rect(200, 320, 400, 40));
    std::vector<SwipeDirection> swipes;
    int markerTaps = 0;

    SwipeScreen() {
        auto& root = screen->view();
        root.setArrangement(Arrangement::fixed());
        root.setBackgroundColor(Color{1, 1, 1, 1});
        for (auto direction : {SwipeDirection::left, SwipeDirection::right, SwipeDirection::down}) {
            root.addGestureRecognizer(
                GestureRecognizer::swipe(direction, [this, direction](GestureRecognizer&) { swipes.push_back(direction); }));
        }
        marker->setTitle("Marker");
        marker->addAction(ControlEvent::touchUpInside, [this] { ++markerTaps; });
        root.addSubview(marker);
        table->setRowHeight(44);
        table->setDataSource(rows);
        table->setDelegate(rows);
        root.addSubview(table);
        table->reloadData();
        slider->setValue(0.5f);
        root.addSubview(slider);
    }
};

class SwipeDragTest : public ::testing::Test {
protected:
    SwipeDragTest() : app(desktop::DeviceChoice::tablet()) { app.open(showInWindow(s.screen)); }

    // Clicks the marker and waits until the click is heard: every event before it was handled.
    void settleEvents() {
        const int before = s.markerTaps;
        ASSERT_TRUE(clickWidget(app.widgetOf(*s.marker)));
        ASSERT_TRUE(app.waitFor([&] { return s.markerTaps == before + 1; })) << "the marker's click was not heard";
        app.turn();
    }
    GtkWidget* row(int index) {
        auto cell = s.table->cellForRowAt({0, index});
        return cell ? app.widgetOf(*cell) : nullptr;
    }
    // The swipe actions shown for a row, if any.
    GtkWidget* shownActions() {
        GtkWidget* found = nullptr;
        for (int i = 0; i < int(s.rows->names.size()) && !found; ++i) {
            if (GtkWidget* r = row(i)) {
                found = findWidget(r, [](GtkWidget* w) {
                    return GTK_IS_POPOVER(w) && gtk_widget_get_visible(w) &&
                           std::string(gtk_widget_get_name(w)) == "tq-swipe-actions";
                });
            }
        }
        return found;
    }

    DesktopFixture app;
    SwipeScreen s;
};

// A pointer dragged across the screen is a swipe in its direction when it goes far enough and
// mostly one way; the screen's recognizer of that direction hears it. A drag that a control takes
// for itself (a slider's knob) is no swipe.
TEST_F(SwipeDragTest, ADragAcrossAScreenIsASwipe) {
    struct Case {
        const char* name;
        double dx, dy;
        std::optional<SwipeDirection> heard;
        bool onSlider = false;
    };
    const Case cases[] = {
        {"to the left", -160, 0, SwipeDirection::left},
        {"to the right", 160, 10, SwipeDirection::right},
        {"down", 5, 160, SwipeDirection::down},
        {"up, which the screen does not hear", 0, -160, std::nullopt},
        {"too short", -30, 0, std::nullopt},
        {"slanting", 120, 110, std::nullopt},
        {"along a slider", 150, 0, std::nullopt, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        s.swipes.clear();
        const float before = s.slider->value();
        GtkWidget* target = c.onSlider ? app.widgetOf(*s.slider) : app.widgetOf(s.screen->view());
        ASSERT_TRUE(dragWidget(target, c.dx, c.dy)) << "xdotool could not drag";
        settleEvents();
        if (c.heard) {
            EXPECT_EQ(s.swipes, std::vector<SwipeDirection>{*c.heard});
        } else {
            EXPECT_TRUE(s.swipes.empty());
        }
        if (c.onSlider) {
            EXPECT_GT(s.slider->value(), before) << "the slider did not follow the drag";
        }
    }
}

// A row dragged to the left shows its swipe actions, whose button acts through the table; dragged
// past half its width it carries out the first action at once. Short, slanting and rightward drags
// do nothing.
TEST_F(SwipeDragTest, ARowDraggedToTheLeftOffersOrCarriesOutItsActions) {
    struct Case {
        const char* name;
        int row;
        double dx, dy;
        bool offers;
        std::vector<std::string> deleted;      // after the case
        std::vector<SwipeDirection> screenHears;  // a drag the row does not take is the screen's
    };
    const Case cases[] = {
        {"a short drag", 0, -25, 0, false, {}, {}},
        {"a drag to the right", 0, 140, 0, false, {}, {SwipeDirection::right}},
        {"a slanting drag", 0, -60, 50, false, {}, {}},
        {"a drag to the left offers Delete", 1, -100, 0, true, {"row 1"}, {}},
        {"a full drag deletes at once", 0, -220, 0, false, {"row 1", "row 0"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GtkWidget* target = row(c.row);
        ASSERT_TRUE(target);
        s.swipes.clear();
        app.mirror().startRecording();
        ASSERT_TRUE(dragWidget(target, c.dx, c.dy)) << "xdotool could not drag";
        if (c.offers) {
            ASSERT_TRUE(app.waitFor([&] { return shownActions() != nullptr; })) << "no actions shown";
            GtkWidget* remove = buttonLabelled(shownActions(), "Delete");
            ASSERT_TRUE(remove);
            ASSERT_TRUE(clickWidget(remove));
            EXPECT_TRUE(app.waitFor([&] { return s.rows->deleted == c.deleted; })) << "Delete did not delete the row";
        } else {
            settleEvents();
            EXPECT_FALSE(shownActions());
        }
        EXPECT_EQ(s.rows->deleted, c.deleted);
        EXPECT_EQ(s.swipes, c.screenHears);
        app.turn();
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
    }
}

// A stored tour as the download keeps it in the catalogue database.
std::string storedTour(const std::string& id) {
    return R"({"results":[{"circuit_id":")" + id + R"(","title":"Tour )" + id +
           R"(","language":"en","city":{"name":"Lyon","country_name":"France"}}],"status":"success"})";
}

// On the stored tours list, a full swipe to the left across a tour deletes it.
TEST(SwipeStoredToursTest, AFullSwipeDeletesAStoredTour) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto& db = app.env->shared<TourStore>().database;
    for (const char* id : {"30", "20"}) {
        bool added = false;
        db.addTour(id, storedTour(id), [&](bool success) { added = success; });
        ASSERT_TRUE(added);
    }
    auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    app.open(showInWindow(nav));
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<CatalogController>("CatalogController");
    ASSERT_TRUE(screen);
    screen->isFavorites = true;
    nav->pushViewController(screen, false);
    app.settle();
    ASSERT_EQ(screen->catalogue.size(), 2u);
    auto cell = screen->tableView->cellForRowAt({0, 0});
    ASSERT_TRUE(cell && app.widgetOf(*cell));
    // From near the row's trailing edge, across more than half of it.
    ASSERT_TRUE(dragWidget(app.widgetOf(*cell), -gtk_widget_get_width(app.widgetOf(*cell)) * 0.6, 0, 0.9));
    EXPECT_TRUE(app.waitFor([&] { return screen->catalogue.size() == 1u; })) << "the tour was not deleted";
    app.settle();
    ASSERT_EQ(screen->catalogue.size(), 1u);
    EXPECT_EQ(screen->catalogue.front()->circuit_id, "20");
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace tq::test
