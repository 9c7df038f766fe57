#include "platform/media/PanoramaView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tq {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

double wrapTurn(double degrees) {
    double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360.0 : wrapped;
}

}  // namespace

void PanoramaView::setProjection(PanoramaProjection projection) {
    projection_ = projection;
    changed("projection");
}

void PanoramaView::setControlMethod(PanoramaControlMethod method) {
    control_ = method;
    changed("controlMethod");
}

void PanoramaView::setAngleOffset(float degrees) {
    angleOffset_ = degrees;
    changed("angleOffset");
}

void PanoramaView::setFieldOfView(double degrees) {
    fieldOfView_ = std::clamp(degrees, 10.0, 170.0);
    changed("fieldOfView");
}

void PanoramaView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    pixels_ = {};
    if (image_ && image_->bytes) {
        if (auto decoded = decodeImagePixels(*image_->bytes)) pixels_ = std::move(*decoded);
    }
    changed("image");
}

double PanoramaView::heading() const { return wrapTurn(angleOffset_ + yaw_); }

void PanoramaView::turnTo(double yaw, double pitch) {
    yaw_ = yaw;
    pitch_ = std::clamp(pitch, -kMaximumPitch, kMaximumPitch);
    changed("heading");
}

bool PanoramaView::drag(double dx, double dy) {
    if (control_ != PanoramaControlMethod::touch || !isInteractiveInTree() || frame().width() <= 0) return false;
    // The picture follows the finger: dragging to the right turns the view to the left.
    const double degreesPerPoint = fieldOfView_ / frame().width();
    turnTo(yaw_ - dx * degreesPerPoint, pitch_ + dy * degreesPerPoint);
    return true;
}

bool PanoramaView::deviceAttitudeChanged(double yaw, double pitch) {
    if (control_ != PanoramaControlMethod::motion) return false;
    turnTo(yaw, pitch);
    return true;
}

std::optional<std::pair<double, double>> PanoramaView::pictureCoordinates(double x, double y) const {
    return sample(x, y, frame().width(), frame().height());
}

std::optional<std::pair<double, double>> PanoramaView::sample(double x, double y, double width, double height) const {
    if (!hasPicture() || width <= 0 || height <= 0) return std::nullopt;
    const double pictureWidth = pixels_.info.width;
    const double pictureHeight = pixels_.info.height;
    // The line of sight through (x, y), in the view's own frame, then tilted by the pitch.
    const double focal = (width / 2) / std::tan(fieldOfView_ / 2 / kDegrees);
    const double right = x - width / 2;
    const double up = height / 2 - y;
    const double tilt = pitch_ / kDegrees;
    const double forward = focal * std::cos(tilt) - up * std::sin(tilt);
    const double rise = focal * std::sin(tilt) + up * std::cos(tilt);
    const double across = std::hypot(forward, right);

    const double headingHere = heading() + std::atan2(right, forward) * kDegrees;
    const double column = wrapTurn(headingHere) / 360.0 * pictureWidth;
    double row = 0;
    if (projection_ == PanoramaProjection::cylindrical) {
        // The picture is wrapped round a cylinder whose circumference is its width.
        const double radius = pictureWidth / (2 * std::numbers::pi);
        row = pictureHeight / 2 - rise / across * radius;
        if (row < 0 || row >= pictureHeight) return std::nullopt;
    } else {
        const double elevation = std::atan2(rise, across) * kDegrees;
        row = std::clamp((0.5 - elevation / 180.0) * pictureHeight, 0.0, pictureHeight - 1);
    }
    return std::pair{column, row};
}

std::vector<std::uint8_t> PanoramaView::render(int width, int height) const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0) * 3, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto at = sample(x + 0.5, y + 0.5, width, height);
            if (!at) continue;
            auto column = std::min(static_cast<int>(at->first), pixels_.info.width - 1);
            auto row = std::min(static_cast<int>(at->second), pixels_.info.height - 1);
            auto from = (static_cast<std::size_t>(row) * pixels_.info.width + column) * 3;
            auto to = (static_cast<std::size_t>(y) * width + x) * 3;
            std::copy_n(pixels_.rgb.begin() + static_cast<std::ptrdiff_t>(from), 3,
                        out.begin() + static_cast<std::ptrdiff_t>(to));
        }
    }
    return out;
}

}  // namespace tq
