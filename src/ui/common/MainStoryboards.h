#pragma once

#include "platform/foundation/Device.h"

namespace tq {

// The application's two main storyboards, one per device idiom. A screen that lays itself out for
// the idiom registers in both, each instance knowing which it was made for.
struct MainStoryboard {
    const char* name;
    DeviceIdiom idiom;
};
inline constexpr MainStoryboard kMainStoryboards[] = {{"Main", DeviceIdiom::phone}, {"Main-ipad", DeviceIdiom::pad}};

}  // namespace tq
