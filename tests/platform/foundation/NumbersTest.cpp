#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/foundation/Numbers.h"

namespace tq {
namespace {

TEST(Numbers, WholeNumbers) {
    const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases = {
        {"0", 0}, {"42", 42}, {"+42", 42}, {"-42", -42}, {"0042", 42},
        {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt}, {"-9223372036854775809", std::nullopt},
        {"", std::nullopt}, {"+", std::nullopt}, {"-", std::nullopt}, {"++1", std::nullopt}, {"+-1", std::nullopt},
        {" 1", std::nullopt}, {"1 ", std::nullopt}, {"1.0", std::nullopt}, {"1e3", std::nullopt}, {"12a", std::nullopt},
        {"0x1A", std::nullopt}, {std::string("1\0", 2), std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseInt64(text), expected) << text;
    EXPECT_EQ(parseInt32("2147483647"), 2147483647);
    EXPECT_EQ(parseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(parseInt32("-2147483648"), INT32_MIN);
}

TEST(Numbers, DecimalNumbers) {
    const std::vector<std::pair<std::string, std::optional<double>>> cases = {
        {"0", 0.0}, {"45.764043", 45.764043}, {"-4.835659", -4.835659}, {"+1.5", 1.5}, {".5", 0.5}, {"5.", 5.0},
        {"1e-5", 1e-5}, {"2.5E+3", 2500.0}, {"12", 12.0},
        {"", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt}, {"1e", std::nullopt}, {"1e+", std::nullopt},
        {"12,5", std::nullopt}, {" 1.5", std::nullopt}, {"1.5 ", std::nullopt}, {"1.5.2", std::nullopt},
        {"inf", std::nullopt}, {"-infinity", std::nullopt}, {"nan", std::nullopt}, {"0x1p3", std::nullopt},
        {"1e400", std::nullopt}, {"+-1", std::nullopt}, {"--1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseDouble(text), expected) << text;
}

TEST(Numbers, CoordinateText) {
    const std::vector<std::pair<double, std::string>> cases = {
        {45.0, "45.0"},
        {-4.835659, "-4.835659"},
        {45.764043, "45.764043"},
        {0.1, "0.1"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {-0.000025, "-2.5e-05"},
        {1e-300, "1e-300"},
        {180.0, "180.0"},
        {123456789.0, "123456789.0"},
        {1.0 / 3.0, "0.3333333333333333"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(coordinateText(value), text);
        EXPECT_EQ(parseDouble(text), value) << text;  // reads back as the same double
    }
}

}  // namespace
}  // namespace tq
