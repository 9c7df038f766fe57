#include <gtest/gtest.h>

#include "platform/media/PanoramaView.h"
#include "support/MediaFixtures.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// A panorama whose colour says where one looks: red grows with the column (one step a degree on a
// 360-pixel picture), green with the row.
Image compassPicture(int width = 360, int height = 90) {
    Image image = Image::named("panorama");
    image.bytes = std::make_shared<const std::string>(test::pngBytes(width, height, [](int column, int row) {
        return test::Rgb{static_cast<std::uint8_t>(column % 256), static_cast<std::uint8_t>(row), 0};
    }));
    return image;
}

class PanoramaViewTest : public ::testing::Test {
protected:
    PanoramaViewTest() {
        view->setImage(compassPicture());
        view->setFieldOfView(90);
    }
    test::TestEnvironment env;
    std::shared_ptr<PanoramaView> view = std::make_shared<PanoramaView>(Rect(0, 0, 200, 100));
};

TEST_F(PanoramaViewTest, TheCentreLooksAlongTheHeadingWithTheAngleOffset) {
    ASSERT_TRUE(view->hasPicture());
    EXPECT_EQ(view->pictureWidth(), 360);
    for (float offset : {0.0f, 135.0f, 350.0f}) {
        SCOPED_TRACE(offset);
        view->setAngleOffset(offset);
        auto centre = view->pictureCoordinates(100, 50);
        ASSERT_TRUE(centre);
        EXPECT_NEAR(centre->first, offset, 1e-9);
        EXPECT_NEAR(centre->second, 45, 1e-9) << "the horizon is the picture's middle row";
    }
    // The edges of a 90° view see 45° to either side, across the picture's seam.
    view->setAngleOffset(10);
    EXPECT_NEAR(view->pictureCoordinates(0, 50)->first, 325, 1e-9);
    EXPECT_NEAR(view->pictureCoordinates(200, 50)->first, 55, 1e-9);
}

TEST_F(PanoramaViewTest, ProjectionsPlaceThePictureRowsDifferently) {
    view->setProjection(PanoramaProjection::cylindrical);
    // Half the view's height above the centre is 50 points at a focal length of 100: on a
    // cylinder of radius 360 / 2π the row is that much higher, in proportion.
    const double radius = 360 / (2 * std::numbers::pi);
    auto up = view->pictureCoordinates(100, 0);
    ASSERT_TRUE(up);
    EXPECT_NEAR(up->second, 45 - 0.5 * radius, 1e-9);
    view->setFieldOfView(160);
    EXPECT_FALSE(view->pictureCoordinates(100, 0)) << "above the cylinder the view sees nothing";

    view->setProjection(PanoramaProjection::spherical);
    auto pole = view->pictureCoordinates(100, 0);
    ASSERT_TRUE(pole);
    EXPECT_GT(pole->second, 0);
    EXPECT_LT(pole->second, 45);
}

TEST_F(PanoramaViewTest, TouchTurnsTheViewAndMotionFollowsTheDevice) {
    view->setAngleOffset(135);
    view->setControlMethod(PanoramaControlMethod::touch);
    EXPECT_TRUE(view->drag(-100, 0));
    EXPECT_NEAR(view->heading(), 180, 1e-9) << "dragging half the width to the left turns half the field of view";
    EXPECT_TRUE(view->drag(0, 10000));
    EXPECT_DOUBLE_EQ(view->pitch(), PanoramaView::kMaximumPitch);
    EXPECT_FALSE(view->deviceAttitudeChanged(10, 0));

    view->setControlMethod(PanoramaControlMethod::motion);
    EXPECT_FALSE(view->drag(50, 0));
    EXPECT_TRUE(view->deviceAttitudeChanged(-180, -5));
    EXPECT_NEAR(view->heading(), 315, 1e-9);
    EXPECT_DOUBLE_EQ(view->pitch(), -5);
}

TEST_F(PanoramaViewTest, RenderShowsThePixelsTheViewLooksAt) {
    view->setAngleOffset(100);
    auto pixels = view->render(3, 3);
    ASSERT_EQ(pixels.size(), 27u);
    auto centre = 4 * 3;
    EXPECT_NEAR(pixels[centre], 100, 1) << "red names the column at the centre";
    EXPECT_NEAR(pixels[centre + 1], 45, 1) << "green names the row";
    EXPECT_LT(pixels[3 * 3], pixels[centre]) << "to the left lie smaller columns";
}

TEST_F(PanoramaViewTest, BytesThatAreNoPictureLeaveTheViewBlank) {
    Image broken = Image::named("broken");
    broken.bytes = std::make_shared<const std::string>("not a picture");
    view->setImage(broken);
    EXPECT_FALSE(view->hasPicture());
    EXPECT_FALSE(view->pictureCoordinates(100, 50));
    auto pixels = view->render(2, 2);
    EXPECT_EQ(pixels, std::vector<std::uint8_t>(12, 0));
}

}  // namespace
}  // namespace tq
