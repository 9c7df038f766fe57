#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/services/ImageDecoding.h"
#include "platform/ui/View.h"

namespace tq {

enum class PanoramaProjection { spherical, cylindrical };
// What turns the view: the device's own movement, or a finger dragged across the picture.
enum class PanoramaControlMethod { motion, touch };

// A 360° picture seen from its centre. The picture's width spans a full turn; its middle row lies
// on the horizon. The view looks along a heading (degrees, 0 at the picture's left edge) turned by
// the angle offset, and a pitch (degrees up from the horizon), and shows what lies in its field of
// view through the chosen projection: on a cylinder the picture's rows keep their height, on a
// sphere they spread from pole to pole.
class PanoramaView : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }

    PanoramaProjection projection() const { return projection_; }
    void setProjection(PanoramaProjection projection);
    PanoramaControlMethod controlMethod() const { return control_; }
    void setControlMethod(PanoramaControlMethod method);
    float angleOffset() const { return angleOffset_; }
    void setAngleOffset(float degrees);
    double fieldOfView() const { return fieldOfView_; }
    void setFieldOfView(double degrees);

    // The picture, decoded from its bytes. One that does not decode leaves the view without one.
    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);
    bool hasPicture() const { return !pixels_.rgb.empty(); }
    int pictureWidth() const { return pixels_.info.width; }
    int pictureHeight() const { return pixels_.info.height; }

    // Where the view looks now, the angle offset included: heading in [0, 360), pitch in degrees.
    double heading() const;
    double pitch() const { return pitch_; }

    // A person drags a finger by (dx, dy) points: under touch control the picture follows it;
    // under motion control nothing moves. Returns whether the view turned.
    bool drag(double dx, double dy);
    // The device's attitude, in degrees: under motion control the view looks where the device
    // points; under touch control it is ignored. Returns whether the view turned.
    bool deviceAttitudeChanged(double yaw, double pitch);

    // The picture's pixel (column, row) seen through the view's point (x, y), or nothing where the
    // line of sight misses the picture (above or below a cylinder), or without a picture.
    std::optional<std::pair<double, double>> pictureCoordinates(double x, double y) const;
    // What the view shows as `width` × `height` samples of three bytes (red, green, blue), the
    // nearest picture pixel each; black where the picture does not reach.
    std::vector<std::uint8_t> render(int width, int height) const;

    // How far the view may look up or down.
    static constexpr double kMaximumPitch = 80.0;

private:
    std::optional<std::pair<double, double>> sample(double x, double y, double width, double height) const;
    void turnTo(double yaw, double pitch);

    PanoramaProjection projection_ = PanoramaProjection::spherical;
    PanoramaControlMethod control_ = PanoramaControlMethod::motion;
    float angleOffset_ = 0;
    double fieldOfView_ = 90;
    double yaw_ = 0;
    double pitch_ = 0;
    std::optional<Image> image_;
    DecodedPixels pixels_;
};

}  // namespace tq
