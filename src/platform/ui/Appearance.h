#pragma once

#include <optional>
#include <string>

#include "platform/ui/Style.h"

namespace tq {

class Environment;

// The look every navigation bar of the application takes, set once when the scene connects.
struct NavigationBarAppearance {
    explicit NavigationBarAppearance(Environment&) {}
    std::optional<std::string> backIndicatorImage;
    std::optional<std::string> backIndicatorTransitionMaskImage;
    std::optional<Color> barTintColor;
    bool blackBarStyle = false;
};

}  // namespace tq
