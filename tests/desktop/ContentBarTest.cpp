#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "screens/tour/ContentController.h"
#include "support/MediaFixtures.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

constexpr const char* kPicturePath = "/public/media/pictures/large.png";

PoiContentRef picture(const std::string& id, const std::string& type) {
    auto c = std::make_shared<PoiContent>();
    c->content_id = id;
    c->type = type;
    c->title = "Terrasse";
    const std::string address = std::string("https://") + kFixtureMediaHost + kPicturePath;
    c->metadata = R"({"status": 1, "filePath": ")" + address + R"(", "thumbnailUrl": ")" + address +
                  R"(", "panorama": ")" + address + R"(", "duration": 95})";
    c->parseMetadata();
    return c;
}

graphene_rect_t boundsOn(GtkWidget* widget, GtkWidget* on) {
    graphene_rect_t r = GRAPHENE_RECT_INIT(0, 0, 0, 0);
    EXPECT_TRUE(widget && gtk_widget_compute_bounds(widget, on, &r));
    return r;
}

// The content screen's pictures stay above its bottom bar, whatever their size.
TEST(ContentBarTest, PicturesStayAboveTheBottomBar) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.service.reply(kPicturePath, ScriptedReply::bytes(pngBytes(1200, 1600, [](int, int) { return Rgb{255, 0, 0}; }), "image/png"));
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<ContentController>("ContentController");
    ASSERT_TRUE(screen);
    screen->contents = {picture("1", "img"), picture("2", "panorama"), picture("3", "video")};
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    GtkWidget* root = app.desktop->screen();
    for (int index = 1; index <= 3; ++index) {
        SCOPED_TRACE(index);
        if (index > 1) {
            ASSERT_TRUE(clickWidget(app.widgetOf(*screen->btnNext)));
            ASSERT_TRUE(app.waitFor([&] { return screen->currentIndex == index; }));
        }
        app.settle();
        app.env.advance(1.0);
        app.settle();
        const auto png = app.screenshot("content-bar-" + std::to_string(index));
        // The picture is pure red: none of it may show in the bar.
        const auto bar = boundsOn(app.widgetOf(*screen->viewBottom), root);
        GdkTexture* texture = gdk_texture_new_from_filename(png.c_str(), nullptr);
        ASSERT_TRUE(texture);
        const int width = gdk_texture_get_width(texture), height = gdk_texture_get_height(texture);
        std::vector<guchar> pixels(std::size_t(width) * height * 4);
        gdk_texture_download(texture, pixels.data(), std::size_t(width) * 4);
        g_object_unref(texture);
        int red = 0, shown = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const guchar* p = &pixels[(std::size_t(y) * width + x) * 4];  // B, G, R, A
                if (!(p[2] > 240 && p[1] < 20 && p[0] < 20)) continue;
                ++shown;
                if (y >= int(bar.origin.y) && y < int(bar.origin.y + bar.size.height)) ++red;
            }
        }
        EXPECT_GT(shown, 1000) << "the picture is not drawn";
        EXPECT_EQ(red, 0) << "the picture runs over the bottom bar";
        if (index > 1) {
            // The press on Next has ended (the pointer still rests there): its column looks as the
            // Previous column does, a touch screen's button having no look of its own between presses.
            auto at = [&](GtkWidget* w) {
                const auto b = boundsOn(w, root);
                const guchar* p = &pixels[(std::size_t(b.origin.y + 3) * width + std::size_t(b.origin.x + b.size.width - 4)) * 4];
                return std::array<int, 3>{p[2], p[1], p[0]};
            };
            EXPECT_EQ(at(app.widgetOf(*screen->btnNext)), at(app.widgetOf(*screen->btnPrev))) << "the pressed look stays";
        }
    }
}

}  // namespace
}  // namespace tq::test
