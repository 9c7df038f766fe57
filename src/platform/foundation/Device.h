#pragma once

#include <optional>
#include <span>

namespace tq {

enum class DeviceIdiom { phone, pad };
// Numbered as the platform numbers them (portrait 1, landscape with the device turned right 4).
// Lying flat or unknown says nothing about the interface, which keeps its last orientation.
enum class DeviceOrientation {
    unknown = 0,
    portrait = 1,
    portraitUpsideDown = 2,
    landscapeLeft = 3,
    landscapeRight = 4,
    faceUp = 5,
    faceDown = 6,
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

// A screen the layouts are made for: its idiom and its size held upright, in points. The list
// holds every size the screens' own size tables key on, so that each of their branches can run.
struct ScreenModel {
    DeviceIdiom idiom;
    Size portrait;
};

inline std::span<const ScreenModel> knownScreens() {
    static constexpr ScreenModel screens[] = {
        {DeviceIdiom::phone, {320, 568}},  {DeviceIdiom::phone, {375, 667}}, {DeviceIdiom::phone, {375, 812}},
        {DeviceIdiom::phone, {390, 844}},  {DeviceIdiom::phone, {414, 896}}, {DeviceIdiom::pad, {768, 1024}},
        {DeviceIdiom::pad, {820, 1180}},   {DeviceIdiom::pad, {834, 1194}},
    };
    return screens;
}

// The known screen of that size, held either way up; none for any other size.
inline std::optional<ScreenModel> knownScreen(Size size) {
    for (const auto& screen : knownScreens()) {
        const Size p = screen.portrait;
        if ((size.width == p.width && size.height == p.height) || (size.width == p.height && size.height == p.width)) {
            return screen;
        }
    }
    return std::nullopt;
}

// What the application may ask of the device it runs on.
struct DeviceDescription {
    DeviceIdiom idiom = DeviceIdiom::phone;
    Size screenBounds{390, 844};
    DeviceOrientation orientation = DeviceOrientation::portrait;
    // The device's location services switch, as the headless location backend starts with it.
    bool locationServicesEnabled = true;

    bool isLandscape() const {
        return orientation == DeviceOrientation::landscapeLeft || orientation == DeviceOrientation::landscapeRight;
    }
    // The height of the status bar across the top of the screen: none on a phone held sideways.
    double statusBarHeight() const {
        if (idiom == DeviceIdiom::pad) return 24;
        return isLandscape() ? 0 : 47;
    }
    bool isPortrait() const {
        return orientation == DeviceOrientation::portrait || orientation == DeviceOrientation::portraitUpsideDown;
    }
    // Turning the device swaps the screen's width and height, as the platform reports them. Laying it
    // flat (or an unknown orientation) leaves the screen as it was.
    void rotate(DeviceOrientation to) {
        orientation = to;
        if (!isLandscape() && !isPortrait()) return;
        bool screenLandscape = screenBounds.width > screenBounds.height;
        if (screenLandscape != isLandscape()) screenBounds = {screenBounds.height, screenBounds.width};
    }
};

}  // namespace tq
