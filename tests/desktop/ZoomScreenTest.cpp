#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "screens/tour/ZoomImageController.h"
#include "support/MediaFixtures.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// A picture of known size, as the image loader hands one over.
Image loadedPicture(int width, int height) {
    Image image;
    image.source = Image::Source::remote;
    image.name = "https://media.example.test/picture.png";
    image.bytes = std::make_shared<const std::string>(
        pngBytes(width, height, [](int column, int row) { return Rgb{uint8_t(column % 256), 90, uint8_t(row % 256)}; }));
    image.pixelWidth = width;
    image.pixelHeight = height;
    return image;
}

graphene_rect_t boundsOn(GtkWidget* widget, GtkWidget* on) {
    graphene_rect_t r = GRAPHENE_RECT_INIT(0, 0, 0, 0);
    EXPECT_TRUE(widget && gtk_widget_compute_bounds(widget, on, &r));
    return r;
}

// Where the picture is drawn: in proportion, as large as its widget allows, centred in it.
graphene_rect_t drawnPicture(GtkWidget* picture, GtkWidget* on, const Image& image) {
    const auto area = boundsOn(picture, on);
    const double scale = std::min(area.size.width / image.pixelWidth, area.size.height / image.pixelHeight);
    const float w = float(image.pixelWidth * scale), h = float(image.pixelHeight * scale);
    return GRAPHENE_RECT_INIT(area.origin.x + (area.size.width - w) / 2, area.origin.y + (area.size.height - h) / 2, w, h);
}

// The zoom screen presented full screen, as the content screen presents it: the picture is drawn
// whole and clear of the bar at first, whatever its proportions, then Ctrl and the wheel zoom it
// and a drag moves it.
TEST(ZoomScreenTest, ThePictureIsFittedThenZoomedAndMoved) {
    struct Case {
        const char* name;
        desktop::DeviceChoice device;
        int width, height;
    };
    const Case cases[] = {
        {"a tall picture on a tablet", desktop::DeviceChoice::tablet(), 800, 1200},
        {"a wide picture on a tablet", desktop::DeviceChoice::tablet(), 1600, 600},
        {"a wide picture on a phone", desktop::DeviceChoice::phone(), 1200, 800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DesktopFixture app(c.device);
        app.env->shared<AppDelegate>().didFinishLaunching();
        auto opener = std::make_shared<ViewController>();
        app.open(showInWindow(std::make_shared<NavigationController>(opener)));
        auto board = StoryboardRegistry::shared().named((c.device.idiom == DeviceIdiom::phone) ? "Main" : "Main-ipad");
        auto zoom = board->instantiate<ZoomImageController>("ZoomImageController");
        ASSERT_TRUE(zoom);
        zoom->imageToZoom = loadedPicture(c.width, c.height);
        zoom->setModalPresentationStyle(ModalPresentationStyle::fullScreen);
        opener->present(zoom, false);
        app.env.advance(0.5);
        app.turn();
        app.screenshot(std::string("zoom-fitted-") + ((c.device.idiom == DeviceIdiom::phone) ? "phone-" : "tablet-") +
                       std::to_string(c.width) + "x" + std::to_string(c.height));

        GtkWidget* root = app.desktop->screen();
        auto& scroll = zoom->imageScrollView();
        GtkWidget* scrolled = app.widgetOf(scroll);
        GtkWidget* picture = findWidget(scrolled, [](GtkWidget* w) { return GTK_IS_PICTURE(w); });
        ASSERT_TRUE(picture);
        GtkWidget* bar = app.widgetOf(*zoom->view().viewWithIdentifier("toolbar"));
        const auto drawn = drawnPicture(picture, root, *zoom->imageToZoom);
        const auto barArea = boundsOn(bar, root);
        const auto visible = boundsOn(scrolled, root);
        // Whole: the picture lies inside what the screen shows of it, below the bar.
        EXPECT_GE(drawn.origin.y, barArea.origin.y + barArea.size.height - 0.5) << "its top lies under the bar";
        EXPECT_LE(drawn.origin.y + drawn.size.height, visible.origin.y + visible.size.height + 0.5) << "cut off below";
        EXPECT_GE(drawn.origin.x, visible.origin.x - 0.5);
        EXPECT_LE(drawn.origin.x + drawn.size.width, visible.origin.x + visible.size.width + 0.5) << "cut off at a side";
        // Fitted: it touches two opposite sides of what is shown.
        EXPECT_TRUE(std::abs(drawn.size.width - visible.size.width) < 1 || std::abs(drawn.size.height - visible.size.height) < 1)
            << "drawn at " << drawn.size.width << "x" << drawn.size.height << " in " << visible.size.width << "x"
            << visible.size.height;

        // Ctrl and the wheel: the window's pinch.
        const double fitted = scroll.zoomScale();
        ASSERT_TRUE(ctrlWheelOverWidget(scrolled, 3)) << "xdotool could not turn the wheel";
        EXPECT_TRUE(app.waitFor([&] { return scroll.zoomScale() > fitted * 1.5; }))
            << "the picture stayed at " << scroll.zoomScale() << " from " << fitted;
        app.turn();
        EXPECT_GT(drawnPicture(picture, root, *zoom->imageToZoom).size.width, drawn.size.width * 1.5) << "the zoom is not drawn";

        // A drag moves the zoomed picture.
        const Point before = scroll.contentOffset();
        ASSERT_TRUE(dragWidget(scrolled, -120, -120)) << "xdotool could not drag";
        EXPECT_TRUE(app.waitFor([&] {
            return std::abs(scroll.contentOffset().x - before.x) > 50 || std::abs(scroll.contentOffset().y - before.y) > 50;
        })) << "the drag did not move the picture from " << before.x << "," << before.y;
        app.turn();
        app.screenshot(std::string("zoom-zoomed-") + ((c.device.idiom == DeviceIdiom::phone) ? "phone-" : "tablet-") +
                       std::to_string(c.width) + "x" + std::to_string(c.height));
    }
}

}  // namespace
}  // namespace tq::test
