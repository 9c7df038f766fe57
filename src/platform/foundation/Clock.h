#pragma once

#include <chrono>

namespace tq {

// Seconds on a monotonic time line. The program reads the steady clock; tests move a manual one.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    virtual bool isManual() const { return false; }
};

class SteadyClock final : public Clock {
public:
    double now() const override;
};

class ManualClock final : public Clock {
public:
    double now() const override { return now_; }
    bool isManual() const override { return true; }
    void setNow(double seconds) { now_ = seconds; }

private:
    double now_ = 0.0;
};

}  // namespace tq
