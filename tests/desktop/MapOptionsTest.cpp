#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/tour/TourDetailController.h"

namespace tq::test {
namespace {

bool within(GtkWidget* widget, GtkWidget* ancestor) {
    for (; widget; widget = gtk_widget_get_parent(widget)) {
        if (widget == ancestor) return true;
    }
    return false;
}

// The web map's options, opened with a click on their button: a panel with a background of its
// own over the map, whose title nothing covers.
TEST(MapOptionsTest, TheOptionsAreAPanelOverTheMap) {
    for (const auto& device : {desktop::DeviceChoice::tablet(), desktop::DeviceChoice::phone()}) {
        const bool phone = device.idiom == DeviceIdiom::phone;
        SCOPED_TRACE(phone ? "phone" : "tablet");
        DesktopFixture app(device);
        app.service.serveFixtureTours();
        app.launch();
        auto nav = app.navigation();
        ASSERT_TRUE(nav);
        auto& delegate = app.env->shared<AppDelegate>();
        delegate.tourId = "418";
        delegate.isMyTour = false;
        app.env->settings().setBool("PopUp-MapHand-Showed", true);
        auto board = StoryboardRegistry::shared().named(phone ? "Main" : "Main-ipad");
        auto tour = board->instantiate<TourDetailController>("TourDetailController");
        nav->pushViewController(tour, false);
        app.settle();
        auto map = board->instantiate<MapLeafletController>("MapLeafletController");
        ASSERT_TRUE(map);
        nav->pushViewController(map, false);
        app.settle();
        app.env.advance(3.0);
        app.settle();
        ASSERT_TRUE(clickWidget(app.widgetOf(*map->btnShowOptions))) << "xdotool could not click";
        ASSERT_TRUE(app.waitFor([&] { return !map->popUpOptions->isHidden(); })) << "the options did not open";
        app.env.advance(1.0);
        app.settle();
        const auto png = app.screenshot(std::string("map-options-") + (phone ? "phone" : "tablet"));

        GtkWidget* root = app.desktop->screen();
        GtkWidget* title = app.widgetOf(*map->lblOptionsTitle);
        GtkWidget* panel = app.widgetOf(*map->popUpOptionsInnerView);
        ASSERT_TRUE(title && panel);
        graphene_rect_t t, p;
        ASSERT_TRUE(gtk_widget_compute_bounds(title, root, &t) && gtk_widget_compute_bounds(panel, root, &p));
        // The first letter of the title: what lies on top there is the title.
        for (double x : {t.origin.x + 12, t.origin.x + t.size.width / 2}) {
            GtkWidget* top = gtk_widget_pick(root, x, t.origin.y + t.size.height / 2, GTK_PICK_DEFAULT);
            EXPECT_TRUE(within(top, panel)) << "at " << x << " the title lies under " << (top ? gtk_widget_get_name(top) : "nothing")
                                            << " " << (top ? G_OBJECT_TYPE_NAME(top) : "");
        }
        // The panel's own background, in its corners' reach and between its rows.
        GdkTexture* texture = gdk_texture_new_from_filename(png.c_str(), nullptr);
        ASSERT_TRUE(texture);
        const int width = gdk_texture_get_width(texture), height = gdk_texture_get_height(texture);
        std::vector<guchar> pixels(std::size_t(width) * height * 4);
        gdk_texture_download(texture, pixels.data(), std::size_t(width) * 4);
        g_object_unref(texture);
        auto at = [&](double x, double y) {
            const guchar* q = &pixels[(std::size_t(y) * width + std::size_t(x)) * 4];
            return std::array<int, 4>{q[2], q[1], q[0], q[3]};
        };
        const std::array<int, 4> white{255, 255, 255, 255};
        EXPECT_EQ(at(p.origin.x + p.size.width - 16, p.origin.y + p.size.height - 16), white) << "no background of its own";
        EXPECT_EQ(at(p.origin.x + p.size.width - 16, p.origin.y + 4), white) << "no background behind its title";
    }
}

}  // namespace
}  // namespace tq::test
