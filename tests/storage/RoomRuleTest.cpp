#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "storage/DiskStatus.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

constexpr std::int64_t maxInt64 = std::numeric_limits<std::int64_t>::max();

TEST(RoomRule, ATourFitsOnlyWithAUsableSizeBelowTheFreeSpace) {
    struct Case {
        std::optional<std::string> size;
        std::int64_t free;
        bool fits;
    };
    const Case cases[] = {
        {"100", 100000000, false},  // need equal to free does not fit
        {"99.9", 100000000, true},
        {"0.5", 500001, true},
        {"0.5", 500000, false},
        {"+1", 2000000, true},
        {"1e12", maxInt64, true},   // 10^18 bytes still counts
        {"0", 1, true},
        {"0", 0, false},             // no free space: nothing fits
        {std::nullopt, maxInt64, false},
        {"", maxInt64, false},
        {"abc", maxInt64, false},
        {" 5", maxInt64, false},
        {"5 ", maxInt64, false},
        {"5,5", maxInt64, false},
        {"0x10", maxInt64, false},
        {"-1", maxInt64, false},
        {"inf", maxInt64, false},
        {"nan", maxInt64, false},
        {"1e13", maxInt64, false},   // 10^19 bytes: beyond 64 bits
        {"1e39", maxInt64, false},   // beyond a 32-bit float
    };
    for (const auto& c : cases) {
        std::optional<std::string_view> size;
        if (c.size) size = *c.size;
        EXPECT_EQ(tourFits(size, c.free), c.fits) << (c.size ? *c.size : "<absent>") << " with " << c.free;
    }
}

TEST(RoomRule, NeedIsComputedInSinglePrecision) {
    EXPECT_EQ(tourNeedBytes("0.5"), 500000);
    EXPECT_EQ(tourNeedBytes("100"), 100000000);
    // 0.1f * 1000000.0f in float arithmetic, the fraction dropped.
    EXPECT_EQ(tourNeedBytes("0.1"), static_cast<std::int64_t>(0.1f * 1000000.0f));
    EXPECT_EQ(tourNeedBytes("12abc"), std::nullopt);
}

TEST(DiskStatus, MeasuresTheCacheVolumeOrTheOverride) {
    test::TestEnvironment env;
    EXPECT_GT(DiskStatus::availableDiskBytes(env.env()), 0);
    env->freeSpaceOverride() = 123;
    EXPECT_EQ(DiskStatus::availableDiskBytes(), 123);
    env->freeSpaceOverride() = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(DiskStatus::availableDiskBytes(), maxInt64);
}

TEST(DiskStatus, ACacheDirectoryNotYetMadeIsMeasuredOnItsVolume) {
    test::TempDir dir;
    EnvironmentConfig config;
    config.cacheDir = dir.path() / "cache";
    config.configDir = dir.path() / "config";
    config.bundleDir = dir.path();
    config.manualClock = true;
    Environment env(config);
    std::filesystem::remove_all(config.cacheDir);
    EXPECT_GT(DiskStatus::availableDiskBytes(env), 0);
}

}  // namespace
}  // namespace tq
