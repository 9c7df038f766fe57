#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/Environment.h"

namespace tq::test {

// A fresh temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// An Environment for one test: temporary cache and config directories, the build's bundle, a
// manual clock, and console lines kept for reading.
struct TestEnvironmentOptions {
    std::filesystem::path bundleDir = TQ_TEST_BUNDLE_DIR;
    std::vector<std::string> preferredLanguages{"en-GB"};
    DeviceDescription device{};
    bool manualClock = true;
    // Tests shuffle the same way on every run unless they choose another seed.
    std::optional<std::uint64_t> randomSeed = 1;
};

class TestEnvironment {
public:
    explicit TestEnvironment(TestEnvironmentOptions options = {});
    ~TestEnvironment();

    Environment& env() { return *env_; }
    Environment* operator->() { return env_.get(); }
    const std::filesystem::path& root() const { return dir_.path(); }
    // Run posted work until nothing is in flight (bounded in real time); fails the test if it does not settle.
    void settle(double realSeconds = 20.0);
    void advance(double seconds);
    // Runs posted work until `condition` holds, while other work may stay in flight (a reply held
    // by the test web service, say); bounded in real time. Returns whether the condition came true.
    bool runUntil(const std::function<bool()>& condition, double realSeconds = 20.0);
    // Called after every settle, advance and runUntil: a fixture checks its invariants at each
    // step of a test without the test asking.
    void setAfterEachStep(std::function<void()> check) { afterEachStep_ = std::move(check); }

    // Builds a new Environment on the same directories, as a second launch of the program would.
    void relaunch(TestEnvironmentOptions options = {});

private:
    EnvironmentConfig configFor(const TestEnvironmentOptions& options) const;
    TempDir dir_;
    std::unique_ptr<Environment> env_;
    std::function<void()> afterEachStep_;
    void stepDone() {
        if (afterEachStep_) afterEachStep_();
    }
};

}  // namespace tq::test
