#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/TableView.h"
#include "screens/browse/CatalogController.h"
#include "screens/tour/TourDetailController.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// Real pointer clicks on the drawn widgets reach the application through the person methods, and
// after each one the widgets follow the tree: a button opens its screen, a table row opens its
// tour, the back button pops, an alert's action dismisses it.
TEST(PointerInputTest, ClicksOnDrawnWidgetsReachTheApplication) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.service.serveFixtureTours();
    app.launch();
    app.desktop->rotate();  // upright, the home screen's buttons have their sizes without pictures
    app.env.advance(1.0);
    app.turn();
    auto nav = app.navigation();
    ASSERT_TRUE(nav);
    auto top = [&] { return nav->topViewController(); };
    auto catalogue = [&] { return std::dynamic_pointer_cast<CatalogController>(top()); };
    bool alertHandled = false;

    struct ClickCase {
        const char* name;
        std::function<GtkWidget*()> target;
        std::function<bool()> done;
    };
    const ClickCase cases[] = {
        {"a button opens its screen",
         [&]() -> GtkWidget* {
             auto* button = top()->view().viewWithIdentifier("btnCatalog");
             return button ? app.widgetOf(*button) : nullptr;
         },
         [&] { return catalogue() != nullptr; }},
        {"a table row opens its tour",
         [&]() -> GtkWidget* {
             std::shared_ptr<TableViewCell> cell;
             app.waitFor([&] {
                 auto screen = catalogue();
                 cell = screen && screen->tableView ? screen->tableView->cellForRowAt({0, 0}) : nullptr;
                 return cell && app.widgetOf(*cell) && gtk_widget_get_mapped(app.widgetOf(*cell));
             });
             app.turn();
             return cell ? app.widgetOf(*cell) : nullptr;
         },
         [&] { return std::dynamic_pointer_cast<TourDetailController>(top()) != nullptr; }},
        {"the back button pops",
         [&]() -> GtkWidget* {
             return findWidget(app.widgetOf(nav->navigationBar()), [](GtkWidget* w) {
                 return GTK_IS_BUTTON(w) && std::string(gtk_widget_get_name(w)) == "back";
             });
         },
         [&] { return catalogue() != nullptr; }},
        {"an alert action dismisses",
         [&]() -> GtkWidget* {
             auto alert = std::make_shared<AlertController>("Download", "The tour is ready.");
             alert->addAction({"OK", AlertActionStyle::defaultStyle, [&] { alertHandled = true; }});
             top()->present(alert, true);
             app.turn();
             return buttonLabelled(GTK_WIDGET(app.desktop->gtkWindow()), "OK");
         },
         [&] { return alertHandled && !topPresented(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GtkWidget* target = c.target();
        ASSERT_TRUE(target) << "nothing drawn to click";
        app.turn();
        app.mirror().startRecording();
        ASSERT_TRUE(clickWidget(target)) << "xdotool could not click";
        EXPECT_TRUE(app.waitFor(c.done)) << "the click did not reach the application ";
        app.turn();
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
    }
}

}  // namespace
}  // namespace tq::test
