#include "ContentScreenFixture.h"
#include "screens/tour/PanoramaViewController.h"
#include "screens/tour/ZoomImageController.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;
using test::mediaAddress;
using test::plainMediaAddress;

const std::string kPicture = "/public/media/img/22_fresque.png";
const std::string kPanorama = "/public/media/panorama/360_12.png";

class ContentViewersTest : public ContentScreenTest {
protected:
    PoiContentRef picture() {
        return makeContent("22", "img", "Fresque", "", {{"filePath", plainMediaAddress(kPicture)}});
    }
    PoiContentRef panorama() {
        return makeContent("12", "panorama", "Terrasse", "", {{"filePath", plainMediaAddress("/public/media/panorama/12.png")}});
    }
    std::shared_ptr<PanoramaViewController> openPanorama(const std::shared_ptr<ContentController>& screen) {
        tapAndWait(screen->btnShow);
        auto viewer = std::dynamic_pointer_cast<PanoramaViewController>(nav->topViewController());
        env.settle();
        return viewer;
    }
};

TEST_F(ContentViewersTest, ZoomShowsThePictureWholeFullScreenAndCloses) {
    service.reply(kPicture, test::ScriptedReply::bytes(test::pngBytes(400, 100), "image/png"));
    auto screen = open({picture()});
    env.settle();
    ASSERT_TRUE(screen->imgImage->image());
    tapAndWait(screen->btnShow);
    auto zoom = std::dynamic_pointer_cast<ZoomImageController>(screen->presentedViewController());
    ASSERT_TRUE(zoom);
    EXPECT_EQ(zoom->presentationStyleInEffect(), ModalPresentationStyle::fullScreen);
    EXPECT_EQ(zoom->btnClose->title(), app().text("Close"));
    auto& scroll = zoom->imageScrollView();
    EXPECT_EQ(scroll.displayMode(), ImageDisplayMode::fit);
    ASSERT_TRUE(scroll.image());
    EXPECT_EQ(scroll.image()->name, mediaAddress(kPicture));
    const double width = scroll.frame().width();
    EXPECT_DOUBLE_EQ(scroll.zoomScale(), width / 400);
    EXPECT_DOUBLE_EQ(scroll.contentSize().width, width) << "the whole picture across the screen";

    ASSERT_TRUE(scroll.pinch(3, {width / 2, 10}));
    EXPECT_DOUBLE_EQ(scroll.zoomScale(), 3 * width / 400);
    ASSERT_TRUE(scroll.pan(-50, 0));
    EXPECT_GT(scroll.contentOffset().x, 0);

    ASSERT_TRUE(zoom->btnClose->tap());
    EXPECT_FALSE(screen->presentedViewController());
}

TEST_F(ContentViewersTest, ZoomWithoutAPictureDoesNothing) {
    service.reply(kPicture, test::ScriptedReply::text("not a picture"));
    auto screen = open({picture()});
    env.settle();
    ASSERT_FALSE(screen->imgImage->image());
    tapAndWait(screen->btnShow);
    EXPECT_FALSE(screen->presentedViewController());
}

TEST_F(ContentViewersTest, PanoramaOpensOnItsPictureUnderMotionControl) {
    service.reply(kPanorama, test::ScriptedReply::bytes(test::pngBytes(360, 90), "image/png"));
    auto screen = open({panorama()});
    auto viewer = openPanorama(screen);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->imagePath, mediaAddress(kPanorama));
    auto& view = *viewer->panoramaView;
    EXPECT_EQ(view.projection(), PanoramaProjection::cylindrical);
    EXPECT_EQ(view.controlMethod(), PanoramaControlMethod::motion);
    EXPECT_FLOAT_EQ(view.angleOffset(), 135);
    ASSERT_TRUE(view.hasPicture());
    EXPECT_EQ(view.pictureWidth(), 360);
    EXPECT_FALSE(viewer->imageView->isDescendant(viewer->view()));
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
    EXPECT_EQ(viewer->btnClose->title(), app().text("Close"));
    EXPECT_EQ(viewer->btnswitchControlMethod->title(), app().text("Touch"));

    EXPECT_FALSE(view.drag(100, 0)) << "a finger does not steer under motion control";
    EXPECT_TRUE(view.deviceAttitudeChanged(30, 0));
    EXPECT_DOUBLE_EQ(view.heading(), 165);
}

TEST_F(ContentViewersTest, SwitchButtonTogglesTouchAndMotionControl) {
    service.reply(kPanorama, test::ScriptedReply::bytes(test::pngBytes(360, 90), "image/png"));
    auto viewer = openPanorama(open({panorama()}));
    ASSERT_TRUE(viewer);
    auto& view = *viewer->panoramaView;
    ASSERT_TRUE(viewer->btnswitchControlMethod->tap());
    EXPECT_EQ(view.controlMethod(), PanoramaControlMethod::touch);
    EXPECT_EQ(viewer->btnswitchControlMethod->title(), app().text("Motion"));
    auto heading = view.heading();
    EXPECT_TRUE(view.drag(-view.frame().width() / 2, 0));
    EXPECT_NEAR(view.heading(), heading + view.fieldOfView() / 2, 1e-9);
    EXPECT_FALSE(view.deviceAttitudeChanged(0, 0)) << "the device's moves are ignored under touch control";

    ASSERT_TRUE(viewer->btnswitchControlMethod->tap());
    EXPECT_EQ(view.controlMethod(), PanoramaControlMethod::motion);
    EXPECT_EQ(viewer->btnswitchControlMethod->title(), app().text("Touch"));
}

TEST_F(ContentViewersTest, PanoramaThatCannotBeLoadedSaysWhyAndClosesBackToTheContent) {
    service.reply(kPanorama, test::ScriptedReply::text("gone", 404));
    auto screen = open({panorama()});
    ProgressOverlay::shared().show();
    auto viewer = openPanorama(screen);
    ASSERT_TRUE(viewer);
    EXPECT_FALSE(viewer->panoramaView->hasPicture());
    auto lines = console();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("Error: ", 0), 0u) << lines.back();
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());

    auto shown = screen->shownIndexes.size();
    ASSERT_TRUE(viewer->btnClose->tap());
    EXPECT_EQ(nav->topViewController(), screen);
    env.advance(0.2);
    EXPECT_EQ(screen->shownIndexes.size(), shown + 1) << "the content is shown again on the way back";
}

TEST_F(ContentViewersTest, DownloadedPanoramaOpensItsStoredPicture) {
    auto folder = storeTour();
    writeFile(folder / "360_12360_12.jpg", test::pngBytes(40, 10));
    auto viewer = openPanorama(open({panorama()}));
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(viewer->panoramaView->hasPicture());
    EXPECT_EQ(viewer->panoramaView->pictureWidth(), 40);
}

}  // namespace
}  // namespace tq
