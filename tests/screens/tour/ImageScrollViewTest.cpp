#include <gtest/gtest.h>

#include "platform/ui/ImageScrollView.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

Image pictureOf(int width, int height) {
    Image image = Image::named("picture");
    image.pixelWidth = width;
    image.pixelHeight = height;
    return image;
}

TEST(ImageScrollView, DisplayModesChooseTheFirstScale) {
    struct Case {
        ImageDisplayMode mode;
        int width, height;
        double scale;
    };
    // The view is 200 × 100 points.
    const std::vector<Case> cases = {
        {ImageDisplayMode::fit, 400, 100, 0.5},        {ImageDisplayMode::fit, 100, 400, 0.25},
        {ImageDisplayMode::fit, 50, 50, 2.0},          {ImageDisplayMode::fill, 400, 100, 1.0},
        {ImageDisplayMode::fillWidth, 100, 400, 2.0},  {ImageDisplayMode::fillHeight, 400, 100, 1.0},
        {ImageDisplayMode::automatic, 50, 50, 1.0},    {ImageDisplayMode::automatic, 800, 100, 0.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ImageScrollView view(Rect(0, 0, 200, 100));
        view.setDisplayMode(c.mode);
        view.setImage(pictureOf(c.width, c.height));
        EXPECT_DOUBLE_EQ(view.zoomScale(), c.scale);
        EXPECT_DOUBLE_EQ(view.contentSize().width, c.width * c.scale);
        EXPECT_EQ(view.contentOffset(), (Point{0, 0}));
    }
}

TEST(ImageScrollView, PinchKeepsThePointUnderTheFingersAndStaysInRange) {
    ImageScrollView view(Rect(0, 0, 200, 100));
    view.setDisplayMode(ImageDisplayMode::fit);
    view.setImage(pictureOf(400, 200));
    ASSERT_DOUBLE_EQ(view.zoomScale(), 0.5);
    ASSERT_TRUE(view.pinch(2, {100, 50}));
    EXPECT_DOUBLE_EQ(view.zoomScale(), 1.0);
    EXPECT_EQ(view.contentOffset(), (Point{100, 50})) << "the picture's centre stays at the view's centre";
    ASSERT_TRUE(view.pinch(100, {0, 0}));
    EXPECT_DOUBLE_EQ(view.zoomScale(), view.maximumZoomScale());
    ASSERT_TRUE(view.pinch(0.001, {0, 0}));
    EXPECT_DOUBLE_EQ(view.zoomScale(), 0.5) << "never smaller than the whole picture";
    EXPECT_EQ(view.contentOffset(), (Point{0, 0}));
}

TEST(ImageScrollView, PanStopsAtThePictureEdges) {
    ImageScrollView view(Rect(0, 0, 200, 100));
    view.setDisplayMode(ImageDisplayMode::fill);
    view.setImage(pictureOf(400, 100));
    ASSERT_TRUE(view.pan(-150, 0));
    EXPECT_EQ(view.contentOffset(), (Point{150, 0}));
    ASSERT_TRUE(view.pan(-500, -500));
    EXPECT_EQ(view.contentOffset(), (Point{200, 0}));
    ASSERT_TRUE(view.pan(1000, 0));
    EXPECT_EQ(view.contentOffset(), (Point{0, 0}));

    ImageScrollView empty(Rect(0, 0, 200, 100));
    EXPECT_FALSE(empty.pan(10, 10));
    EXPECT_FALSE(empty.pinch(2, {0, 0}));
}

}  // namespace
}  // namespace tq
