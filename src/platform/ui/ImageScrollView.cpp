#include "platform/ui/ImageScrollView.h"

#include <algorithm>

#include "platform/foundation/Environment.h"

namespace tq {

void ImageScrollView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    changed("image");
    resetZoom();
}

void ImageScrollView::setDisplayMode(ImageDisplayMode mode) {
    mode_ = mode;
    changed("displayMode");
    resetZoom();
}

void ImageScrollView::setFrame(Rect frame) {
    ScrollView::setFrame(frame);
    resetZoom();
}

void ImageScrollView::resetZoom() {
    if (!image_ || image_->pixelWidth <= 0 || image_->pixelHeight <= 0 || frame().width() <= 0 ||
        frame().height() <= 0) {
        minimum_ = 1.0;
        zoom_ = 1.0;
        setContentSize({});
        setContentOffset({0, 0});
        changed("zoomScale");
        return;
    }
    const double across = frame().width() / image_->pixelWidth;
    const double down = frame().height() / image_->pixelHeight;
    switch (mode_) {
    case ImageDisplayMode::fit: minimum_ = std::min(across, down); break;
    case ImageDisplayMode::fill: minimum_ = std::max(across, down); break;
    case ImageDisplayMode::fillWidth: minimum_ = across; break;
    case ImageDisplayMode::fillHeight: minimum_ = down; break;
    case ImageDisplayMode::automatic: minimum_ = std::min({across, down, 1.0}); break;
    }
    setContentOffset({0, 0});
    applyZoom(minimum_, {0, 0});
}

void ImageScrollView::setZoomScale(double scale) { applyZoom(scale, {0, 0}); }

void ImageScrollView::applyZoom(double scale, Point around) {
    scale = std::clamp(scale, minimumZoomScale(), maximumZoomScale());
    const double ratio = scale / zoom_;
    // The picture's point under `around` stays there.
    Point offset{(contentOffset().x + around.x) * ratio - around.x, (contentOffset().y + around.y) * ratio - around.y};
    zoom_ = scale;
    if (image_) setContentSize({image_->pixelWidth * zoom_, image_->pixelHeight * zoom_});
    setContentOffset(clampedOffset(offset));
    changed("zoomScale");
}

Point ImageScrollView::clampedOffset(Point offset) const {
    const double maxX = std::max(0.0, contentSize().width - frame().width());
    const double maxY = std::max(0.0, contentSize().height - frame().height());
    return {std::clamp(offset.x, 0.0, maxX), std::clamp(offset.y, 0.0, maxY)};
}

bool ImageScrollView::pinch(double factor, Point around) {
    if (!image_ || factor <= 0 || !isInteractiveInTree()) return false;
    applyZoom(zoom_ * factor, around);
    return true;
}

bool ImageScrollView::pan(double dx, double dy) {
    if (!image_ || !isScrollEnabled() || !isInteractiveInTree()) return false;
    setContentOffset(clampedOffset({contentOffset().x - dx, contentOffset().y - dy}));
    return true;
}

ImageScrollView& ImageViewerController::imageScrollView() {
    loadViewIfNeeded();
    return *scrollView_;
}

void ImageViewerController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    // The picture fills the screen; bars a subclass adds lie over it, placed by their offsets.
    root->setArrangement(Arrangement::overlay());
    scrollView_ = std::make_shared<ImageScrollView>(Rect(0, 0, size.width, size.height));
    scrollView_->setIdentifier("imageScrollView");
    root->addSubview(scrollView_);
    setView(root);
}

}  // namespace tq
