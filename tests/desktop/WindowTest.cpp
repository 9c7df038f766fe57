#include <gtest/gtest.h>

#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "screens/browse/HomeController.h"

namespace tq::test {
namespace {

TEST(DesktopWindowTest, OpensOnTheHomeScreen) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.launch();
    ASSERT_TRUE(app.navigation());
    EXPECT_EQ(gtk_widget_get_width(app.desktop->screen()), 1024);
    EXPECT_EQ(gtk_widget_get_height(app.desktop->screen()), 768);
    app.screenshot("home-tablet-landscape");
    app.desktop->rotate();
    app.env.advance(1.0);
    app.turn();
    EXPECT_EQ(gtk_widget_get_width(app.desktop->screen()), 768);
    EXPECT_EQ(gtk_widget_get_height(app.desktop->screen()), 1024);
    EXPECT_TRUE(app.env->device().isPortrait());
    app.screenshot("home-tablet-portrait");
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace tq::test
