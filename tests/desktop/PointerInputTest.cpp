#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageScrollView.h"
#include "platform/ui/SegmentedControl.h"
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

// A click passes through a view faded out (alpha below 0.01) to the button beneath, as a touch
// does on the device; the same view shown again takes the click.
TEST(PointerInputTest, AClickPassesThroughAFadedOutView) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto screen = std::make_shared<ViewController>();
    auto button = std::make_shared<Button>(Rect(100, 100, 200, 60));
    button->setTitle("Beneath");
    int taps = 0;
    button->addAction(ControlEvent::touchUpInside, [&] { ++taps; });
    auto cover = std::make_shared<View>(Rect(0, 0, 600, 400));
    cover->setBackgroundColor(Color{0, 0, 0, 0.5});
    cover->setAlpha(0);
    screen->view().addSubview(button);
    screen->view().addSubview(cover);
    app.open(showInWindow(screen));
    ASSERT_TRUE(clickWidget(app.widgetOf(*button))) << "xdotool could not click";
    EXPECT_TRUE(app.waitFor([&] { return taps == 1; })) << "the faded-out view took the click";

    cover->setAlpha(1);
    app.turn();
    ASSERT_TRUE(clickWidget(app.widgetOf(*button))) << "xdotool could not click";
    app.turn();
    EXPECT_EQ(taps, 1) << "the click went through a view that is shown";
}

// On a desktop without a touchpad, Ctrl and the mouse wheel zoom a picture as a pinch does.
TEST(PointerInputTest, CtrlAndTheWheelZoomAPicture) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto viewer = std::make_shared<ImageViewerController>();
    auto& picture = viewer->imageScrollView();
    picture.setDisplayMode(ImageDisplayMode::fit);
    picture.setImage(Image::named("catalog-en"));
    app.open(showInWindow(viewer));
    GtkWidget* widget = app.widgetOf(picture);
    ASSERT_TRUE(widget);
    const double fitted = picture.zoomScale();
    ASSERT_TRUE(ctrlWheelOverWidget(widget, 2)) << "xdotool could not turn the wheel";
    EXPECT_TRUE(app.waitFor([&] { return picture.zoomScale() > fitted * 1.2; }))
        << "the picture stayed at " << picture.zoomScale() << " from " << fitted;
}

}  // namespace
}  // namespace tq::test

namespace tq::test {
namespace {

// A click on a segment of the settings screen selects it through SegmentedControl::select: the
// distance unit changes, and the drawn segments follow.
TEST(PointerInputTest, AClickOnASegmentChangesTheSetting) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto screen = StoryboardRegistry::shared().named("Settings-ipad")->instantiateViewController("ParameterViewController");
    ASSERT_TRUE(screen);
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    auto* units = dynamic_cast<SegmentedControl*>(screen->view().viewWithIdentifier("segUnits"));
    ASSERT_TRUE(units);
    const int before = units->selectedSegmentIndex();
    const int other = before == 1 ? 0 : 1;
    GtkWidget* segment = findWidget(app.widgetOf(*units), [&](GtkWidget* w) {
        if (!GTK_IS_TOGGLE_BUTTON(w)) return false;
        GtkWidget* label = gtk_button_get_child(GTK_BUTTON(w));
        return label && GTK_IS_LABEL(label) && units->titleForSegment(other) == std::string(gtk_label_get_text(GTK_LABEL(label)));
    });
    ASSERT_TRUE(segment);
    app.mirror().startRecording();
    ASSERT_TRUE(clickWidget(segment));
    EXPECT_TRUE(app.waitFor([&] { return units->selectedSegmentIndex() == other; })) << "the click did not select";
    app.turn();
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
    for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
}

}  // namespace
}  // namespace tq::test

#include <nlohmann/json.hpp>
#include <shumate/shumate.h>

#include "app/AppDelegate.h"
#include "model/Json.h"
#include "platform/map/MapView.h"
#include "screens/maps/MapController.h"
#include "service/Network.h"

namespace tq::test {
namespace {

bool insideWindow(GtkWidget* widget, GtkWidget* screen) {
    graphene_rect_t bounds;
    if (!gtk_widget_get_mapped(widget) || !gtk_widget_compute_bounds(widget, screen, &bounds)) return false;
    return bounds.size.width > 0 && bounds.size.height > 0 && bounds.origin.x >= 0 && bounds.origin.y >= 0 &&
           bounds.origin.x + bounds.size.width <= gtk_widget_get_width(screen) &&
           bounds.origin.y + bounds.size.height <= gtk_widget_get_height(screen);
}

// The native map of the fixture tour drawn on libshumate: each pin is a marker inside the window,
// and a click on one the map has not selected selects its annotation through the map view.
TEST(PointerInputTest, AClickOnAMapMarkerSelectsItsPin) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto tour = decodeJson<TourRef>(nlohmann::json::parse(fixtureText("full-tour.json"))["results"][0].dump());
    ASSERT_TRUE(tour.ok()) << tour.error();
    app.env->shared<AppDelegate>().didFinishLaunching();
    app.env->shared<Network>().currentTour = *tour;
    app.env->settings().setBool("PopUp-MapHand-Showed", true);  // a returning visitor: no hint over the map
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<MapController>("MapController");
    ASSERT_TRUE(screen);
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    app.env.advance(2.0);
    app.turn();
    ASSERT_TRUE(screen->map);
    const auto pins = screen->map->annotations();
    ASSERT_EQ(pins.size(), 3u);

    std::vector<GtkWidget*> markers;
    findWidget(app.widgetOf(*screen->map), [&](GtkWidget* w) {
        if (std::string(gtk_widget_get_name(w)) == "tq-map-marker") markers.push_back(w);
        return false;
    });
    app.screenshot("native-map-tablet");
    ASSERT_EQ(markers.size(), pins.size());
    for (GtkWidget* marker : markers) EXPECT_TRUE(insideWindow(marker, app.desktop->screen())) << gtk_widget_get_tooltip_text(marker);

    std::shared_ptr<MapAnnotation> target;
    GtkWidget* targetMarker = nullptr;
    for (std::size_t i = 0; i < pins.size() && !target; ++i) {
        const auto& selected = screen->map->selectedAnnotations();
        if (std::find(selected.begin(), selected.end(), pins[i]) != selected.end()) continue;
        for (GtkWidget* marker : markers) {
            const char* tip = gtk_widget_get_tooltip_text(marker);
            if (tip && pins[i]->title() == std::string(tip)) targetMarker = marker;
        }
        if (targetMarker) target = pins[i];
    }
    ASSERT_TRUE(target) << "no unselected pin has a marker";
    app.mirror().startRecording();
    ASSERT_TRUE(clickWidget(targetMarker)) << "xdotool could not click";
    EXPECT_TRUE(app.waitFor([&] {
        const auto& selected = screen->map->selectedAnnotations();
        return selected.size() == 1 && selected.front() == target;
    })) << "the click did not select the pin";
    app.turn();

    // A route between the pins is drawn as a line layer of the map.
    std::vector<LocationCoordinate> line;
    for (const auto& pin : pins) line.push_back(pin->coordinate());
    screen->map->addOverlay(std::make_shared<Polyline>(line));
    app.turn();
    EXPECT_TRUE(findWidget(app.widgetOf(*screen->map), [](GtkWidget* w) { return SHUMATE_IS_PATH_LAYER(w); }))
        << "the route is not drawn";
    app.screenshot("native-map-tablet-selected");
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
    for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
}

}  // namespace
}  // namespace tq::test

#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/TextField.h"

namespace tq::test {
namespace {

GtkWidget* entryIn(GtkWidget* widget) {
    if (GTK_IS_ENTRY(widget)) return widget;
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (GtkWidget* entry = entryIn(child)) return entry;
    }
    return nullptr;
}

// Keys typed one after the other into a focused field all stay: drawing the field after each one
// must not select its text again, or the next key would replace it.
TEST(PointerInputTest, KeysTypedIntoAFieldAllStay) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto screen = std::make_shared<ViewController>();
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    auto field = addView<TextField>(screen->view(), "field");
    sizeConstraint(screen->view(), field, LayoutAttribute::height, 40, "fieldHeight");
    app.turn();
    GtkWidget* entry = entryIn(app.widgetOf(*field));
    ASSERT_TRUE(entry);
    ASSERT_TRUE(gtk_widget_grab_focus(entry));
    app.turn();
    for (const char* key : {"g", "o", "t", "h"}) {
        // What a key press does in an entry: the selection goes, the key is inserted at the cursor.
        GtkEditable* editable = GTK_EDITABLE(entry);
        gtk_editable_delete_selection(editable);
        int position = gtk_editable_get_position(editable);
        gtk_editable_insert_text(editable, key, -1, &position);
        gtk_editable_set_position(editable, position);
        app.turn();
    }
    EXPECT_EQ(field->text(), "goth");
    EXPECT_STREQ(gtk_editable_get_text(GTK_EDITABLE(entry)), "goth");
}

}  // namespace
}  // namespace tq::test
