#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "platform/ui/TableView.h"
#include "screens/browse/CatalogController.h"
#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

std::string storedTour(const std::string& id) {
    return R"({"results":[{"circuit_id":")" + id + R"(","title":"Tour )" + id +
           R"(","language":"en","city":{"name":"Lyon","country_name":"France"}}],"status":"success"})";
}

// A mapped widget named `name` below `root`.
GtkWidget* shownNamed(GtkWidget* root, const std::string& name) {
    if (!root) return nullptr;
    return findWidget(root, [&](GtkWidget* w) { return gtk_widget_get_mapped(w) && name == gtk_widget_get_name(w); });
}

// The stored tours list, with three tours, in the window.
class StoredToursEditingTest : public ::testing::Test {
protected:
    StoredToursEditingTest() : app(desktop::DeviceChoice::tablet()) {}

    void SetUp() override {
        app.env->shared<AppDelegate>().didFinishLaunching();
        auto& db = app.env->shared<TourStore>().database;
        for (const char* id : {"30", "20", "10"}) {
            bool added = false;
            db.addTour(id, storedTour(id), [&](bool success) { added = success; });
            ASSERT_TRUE(added);
        }
        nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
        app.open(showInWindow(nav));
        screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<CatalogController>("CatalogController");
        ASSERT_TRUE(screen);
        screen->isFavorites = true;
        nav->pushViewController(screen, false);
        app.settle();
        ASSERT_EQ(screen->catalogue.size(), 3u);
    }

    GtkWidget* row(int index) {
        auto cell = screen->tableView->cellForRowAt({0, index});
        return cell ? app.widgetOf(*cell) : nullptr;
    }
    int rowsShowing(const std::string& control) {
        int count = 0;
        for (int i = 0; i < int(screen->catalogue.size()); ++i) count += shownNamed(row(i), control) ? 1 : 0;
        return count;
    }
    // The bar button that turns editing mode on and off.
    GtkWidget* editButton() { return buttonLabelled(app.widgetOf(nav->view()), screen->navigationItem().rightBarButtonItem()->title()); }

    DesktopFixture app;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<CatalogController> screen;
};

// In editing mode every stored tour shows a round delete control; clicking it reveals that row's
// Delete button, which deletes the tour; a click elsewhere on the row hides the button and deletes
// nothing; leaving editing mode hides the controls.
TEST_F(StoredToursEditingTest, TheDeleteControlRevealsDeleteWhichDeletesTheTour) {
    EXPECT_EQ(rowsShowing("tq-delete-control"), 0) << "controls shown out of editing mode";
    ASSERT_TRUE(editButton());
    ASSERT_TRUE(clickWidget(editButton()));
    ASSERT_TRUE(app.waitFor([&] { return screen->tableView->isEditing() && rowsShowing("tq-delete-control") == 3; }))
        << "editing mode did not show a delete control on every row";
    EXPECT_EQ(rowsShowing("tq-delete-confirmation"), 0);

    ASSERT_TRUE(clickWidget(shownNamed(row(1), "tq-delete-control")));
    ASSERT_TRUE(app.waitFor([&] { return shownNamed(row(1), "tq-delete-confirmation") != nullptr; }))
        << "the delete control did not reveal Delete";
    EXPECT_EQ(rowsShowing("tq-delete-confirmation"), 1);
    EXPECT_EQ(screen->catalogue.size(), 3u) << "the delete control alone deleted";
    app.turn();
    app.screenshot("stored-tours-editing");

    // A click on the row's middle takes back the Delete button.
    ASSERT_TRUE(clickWidget(row(1)));
    ASSERT_TRUE(app.waitFor([&] { return rowsShowing("tq-delete-confirmation") == 0; }))
        << "a click on the row did not hide Delete";
    EXPECT_EQ(screen->catalogue.size(), 3u) << "a click on the row deleted";

    const std::string doomed = screen->catalogue[1]->circuit_id.value();
    ASSERT_TRUE(clickWidget(shownNamed(row(1), "tq-delete-control")));
    ASSERT_TRUE(app.waitFor([&] { return shownNamed(row(1), "tq-delete-confirmation") != nullptr; }));
    ASSERT_TRUE(clickWidget(shownNamed(row(1), "tq-delete-confirmation")));
    ASSERT_TRUE(app.waitFor([&] { return screen->catalogue.size() == 2u; })) << "Delete did not delete the tour";
    app.settle();
    for (const auto& tour : screen->catalogue) EXPECT_NE(tour->circuit_id.value(), doomed);
    EXPECT_EQ(rowsShowing("tq-delete-control"), 2);
    EXPECT_EQ(rowsShowing("tq-delete-confirmation"), 0) << "Delete still shown on the row that took its place";

    ASSERT_TRUE(clickWidget(editButton()));
    ASSERT_TRUE(app.waitFor([&] { return !screen->tableView->isEditing() && rowsShowing("tq-delete-control") == 0; }))
        << "leaving editing mode left the controls";
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace tq::test
