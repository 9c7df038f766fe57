#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

namespace tq::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("tq-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

EnvironmentConfig TestEnvironment::configFor(const TestEnvironmentOptions& options) const {
    EnvironmentConfig config;
    config.cacheDir = dir_.path() / "cache";
    config.configDir = dir_.path() / "config";
    config.bundleDir = options.bundleDir;
    config.manualClock = options.manualClock;
    config.preferredLanguages = options.preferredLanguages;
    config.device = options.device;
    config.randomSeed = options.randomSeed;
    return config;
}

TestEnvironment::TestEnvironment(TestEnvironmentOptions options)
    : env_(std::make_unique<Environment>(configFor(options))) {}

TestEnvironment::~TestEnvironment() {
    if (env_) env_->loop().settle(5.0);
    env_.reset();
}

void TestEnvironment::settle(double realSeconds) {
    EXPECT_TRUE(env_->loop().settle(realSeconds)) << "work still in flight after " << realSeconds << " s";
    stepDone();
}

void TestEnvironment::advance(double seconds) {
    env_->loop().advance(seconds);
    stepDone();
}

bool TestEnvironment::runUntil(const std::function<bool()>& condition, double realSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(realSeconds);
    for (;;) {
        while (env_->loop().runPending() > 0) {
        }
        if (condition()) {
            stepDone();
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        // Outside work posts its results from another thread; look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TestEnvironment::relaunch(TestEnvironmentOptions options) {
    env_.reset();
    env_ = std::make_unique<Environment>(configFor(options));
}

}  // namespace tq::test
