#include "platform/foundation/MainLoop.h"

#include <chrono>
#include <thread>
#include <utility>

#include "platform/foundation/DispatchScope.h"

namespace tq {

void Timer::invalidate() {
    valid_ = false;
    block_ = nullptr;
}

bool LoopGate::post(Task task) {
    std::lock_guard lock(mutex_);
    if (!loop_) return false;
    loop_->post(std::move(task));
    return true;
}

bool LoopGate::isOpen() const {
    std::lock_guard lock(mutex_);
    return loop_ != nullptr;
}

void LoopGate::close() {
    std::lock_guard lock(mutex_);
    loop_ = nullptr;
}

MainLoop::MainLoop(Clock& clock) : clock_(clock), gate_(new LoopGate(*this)) {}

// First of all, so that no other thread is inside `post` through the gate while the rest goes.
MainLoop::~MainLoop() { gate_->close(); }

void MainLoop::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }
    wake_.notify_all();
    wakeDriver();
}

void MainLoop::setWakeHook(std::function<void()> hook) {
    std::function<void()> replaced;
    std::lock_guard lock(hookMutex_);
    replaced = std::exchange(wakeHook_, std::move(hook));
}

void MainLoop::wakeDriver() {
    std::lock_guard lock(hookMutex_);
    if (wakeHook_) wakeHook_();
}

std::optional<double> MainLoop::nextDue() const {
    std::lock_guard lock(mutex_);
    for (const auto& [key, entry] : scheduled_) {
        if (!entry.timer || entry.timer->isValid()) return key.first;
    }
    return std::nullopt;
}

void MainLoop::scheduleAt(double when, Task task, std::shared_ptr<Timer> timer) {
    {
        std::lock_guard lock(mutex_);
        scheduled_.emplace(std::make_pair(when, sequence_++), Scheduled{std::move(task), std::move(timer)});
    }
    wake_.notify_all();
    wakeDriver();
}

void MainLoop::postAfter(double seconds, Task task) {
    scheduleAt(now() + (seconds > 0 ? seconds : 0), std::move(task));
}

std::shared_ptr<Timer> MainLoop::scheduledTimer(double interval, bool repeats, std::function<void(Timer&)> block) {
    std::shared_ptr<Timer> timer(new Timer(interval, repeats, std::move(block)));
    scheduleAt(now() + interval, [this, timer] { fireTimer(timer); }, timer);
    return timer;
}

void MainLoop::fireTimer(const std::shared_ptr<Timer>& timer) {
    if (!timer->valid_) return;
    auto block = timer->block_;  // the block may invalidate the timer while it runs
    if (!timer->repeats_) timer->valid_ = false;
    if (block) block(*timer);
    if (timer->repeats_ && timer->valid_) {
        scheduleAt(now() + (timer->interval_ > 0 ? timer->interval_ : 0.001), [this, timer] { fireTimer(timer); }, timer);
    }
}

void MainLoop::beginExternalWork() {
    std::lock_guard lock(mutex_);
    ++external_;
}

void MainLoop::endExternalWork() {
    {
        std::lock_guard lock(mutex_);
        --external_;
    }
    wake_.notify_all();
}

int MainLoop::externalWorkInFlight() const {
    std::lock_guard lock(mutex_);
    return external_;
}

bool MainLoop::runDueTimers() {
    bool ran = false;
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (scheduled_.empty() || scheduled_.begin()->first.first > clock_.now()) break;
            task = std::move(scheduled_.begin()->second.task);
            scheduled_.erase(scheduled_.begin());
        }
        DispatchScope scope;
        task();
        ran = true;
    }
    return ran;
}

int MainLoop::runPending() {
    std::deque<Task> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(posted_);
    }
    int count = 0;
    for (auto& task : batch) {
        DispatchScope scope;
        task();
        ++count;
    }
    if (runDueTimers()) ++count;
    return count;
}

void MainLoop::run() {
    for (;;) {
        runPending();
        std::unique_lock lock(mutex_);
        if (quit_) {
            quit_ = false;
            return;
        }
        if (!posted_.empty()) continue;
        if (scheduled_.empty()) {
            wake_.wait(lock, [this] { return quit_ || !posted_.empty() || !scheduled_.empty(); });
        } else {
            double wait = scheduled_.begin()->first.first - clock_.now();
            if (wait > 0) {
                if (clock_.isManual()) {
                    wake_.wait(lock, [this] { return quit_ || !posted_.empty(); });
                } else {
                    wake_.wait_for(lock, std::chrono::duration<double>(wait));
                }
            }
        }
    }
}

void MainLoop::quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
}

bool MainLoop::settle(double realSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(realSeconds);
    for (;;) {
        while (runPending() > 0) {
        }
        std::unique_lock lock(mutex_);
        if (posted_.empty() && external_ == 0) return true;
        if (!posted_.empty()) continue;
        if (wake_.wait_until(lock, deadline, [this] { return !posted_.empty() || external_ == 0; })) continue;
        return false;
    }
}

void MainLoop::advance(double seconds) {
    auto* manual = dynamic_cast<ManualClock*>(&clock_);
    double target = clock_.now() + seconds;
    for (;;) {
        while (runPending() > 0) {
        }
        double next;
        {
            std::lock_guard lock(mutex_);
            if (scheduled_.empty() || scheduled_.begin()->first.first > target) break;
            next = scheduled_.begin()->first.first;
        }
        if (manual && next > manual->now()) manual->setNow(next);
        if (!manual) std::this_thread::sleep_for(std::chrono::duration<double>(next - clock_.now()));
    }
    if (manual && manual->now() < target) manual->setNow(target);
    while (runPending() > 0) {
    }
}

}  // namespace tq
