#pragma once

namespace tq {

enum class DeviceIdiom { phone, pad };
enum class DeviceOrientation { portrait, portraitUpsideDown, landscapeLeft, landscapeRight };

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

// What the application may ask of the device it runs on.
struct DeviceDescription {
    DeviceIdiom idiom = DeviceIdiom::phone;
    Size screenBounds{390, 844};
    DeviceOrientation orientation = DeviceOrientation::portrait;

    bool isLandscape() const {
        return orientation == DeviceOrientation::landscapeLeft || orientation == DeviceOrientation::landscapeRight;
    }
    // Turning the device swaps the screen's width and height, as the platform reports them.
    void rotate(DeviceOrientation to) {
        bool wasLandscape = isLandscape();
        orientation = to;
        if (wasLandscape != isLandscape()) screenBounds = {screenBounds.height, screenBounds.width};
    }
};

}  // namespace tq
