#pragma once

#include <optional>

#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"

namespace tq {

// How a zoomable picture is first shown: whole (fit), covering the view (fill), as wide or as high
// as the view, or, automatically, whole when it is larger than the view and at its own size when not.
enum class ImageDisplayMode { automatic, fit, fill, fillWidth, fillHeight };

// A picture that a person zooms with two fingers and moves with one. The zoom scale is points of
// screen per pixel of the picture; the content size is the picture at that scale, and the offset
// is the corner of the picture shown at the view's top left.
class ImageScrollView : public ScrollView {
public:
    using ScrollView::ScrollView;

    const std::optional<Image>& image() const { return image_; }
    // A new picture is shown as the display mode says, from its top left.
    void setImage(std::optional<Image> image);
    ImageDisplayMode displayMode() const { return mode_; }
    void setDisplayMode(ImageDisplayMode mode);

    double zoomScale() const { return zoom_; }
    // The scale the display mode gives; pinching cannot go below it.
    double minimumZoomScale() const { return minimum_; }
    double maximumZoomScale() const { return minimum_ * kMaximumZoomFactor; }
    void setZoomScale(double scale);

    // A person pinches by `factor` around a point of the view: the picture under that point stays
    // under the fingers. Nothing happens without a picture.
    bool pinch(double factor, Point around);
    // A person drags the picture by (dx, dy) points; it stops at its edges.
    bool pan(double dx, double dy);

    void setFrame(Rect frame) override;

    static constexpr double kMaximumZoomFactor = 4.0;

private:
    void resetZoom();
    void applyZoom(double scale, Point around);
    Point clampedOffset(Point offset) const;

    std::optional<Image> image_;
    ImageDisplayMode mode_ = ImageDisplayMode::automatic;
    double zoom_ = 1.0;
    double minimum_ = 1.0;
};

// A screen that shows one picture full size in an image scroll view; subclasses add their bars.
class ImageViewerController : public ViewController {
public:
    ImageScrollView& imageScrollView();

protected:
    void loadView() override;

private:
    std::shared_ptr<ImageScrollView> scrollView_;
};

}  // namespace tq
