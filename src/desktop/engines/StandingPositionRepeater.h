#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/location/LocationBackend.h"

namespace tq {
class MainLoop;
class Timer;
}  // namespace tq

namespace tq::desktop {

// Reports the last known position again every second until a newer one comes or updates stop, as
// a phone standing still keeps reporting where it stands. A desktop source that does not move
// reports once; a map page that was not ready for that report shows the next one.
class StandingPositionRepeater {
public:
    using Deliver = std::function<void(const Location&)>;
    StandingPositionRepeater(MainLoop& loop, Deliver deliver);
    ~StandingPositionRepeater();
    StandingPositionRepeater(const StandingPositionRepeater&) = delete;
    StandingPositionRepeater& operator=(const StandingPositionRepeater&) = delete;

    // The position just reported: it is reported again a second from now, and every second after.
    void reported(const Location& location);
    // No more reports until the next `reported`.
    void stop();

    static constexpr double kRepeatSeconds = 1.0;

private:
    MainLoop& loop_;
    Deliver deliver_;
    std::shared_ptr<Timer> timer_;
};

}  // namespace tq::desktop
