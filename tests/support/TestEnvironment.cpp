#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
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
}

void TestEnvironment::relaunch(TestEnvironmentOptions options) {
    env_.reset();
    env_ = std::make_unique<Environment>(configFor(options));
}

}  // namespace tq::test
