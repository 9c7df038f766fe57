#include <gtest/gtest.h>

#include "model/Json.h"
#include "model/LazyOrder.h"

namespace tq {
namespace {

TEST(Order, WholeNumberRule) {
    struct Case {
        std::optional<std::string> text;
        std::optional<std::int64_t> order;
    };
    const std::vector<Case> cases = {
        {std::nullopt, 0},
        {"12", 12},
        {"+3", 3},
        {"-2", -2},
        {"007", 7},
        {"07", 7},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"1.5", std::nullopt},
        {" 4", std::nullopt},
        {"4 ", std::nullopt},
        {"+-4", std::nullopt},
        {"0x10", std::nullopt},
        {"١٢", std::nullopt},  // digits of another script are not ASCII digits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.value_or("(absent)"));
        PointOfInterest point;
        point.poi_order = c.text;
        EXPECT_EQ(point.order(), c.order);
        PoiContent content;
        content.content_order = c.text;
        EXPECT_EQ(content.order(), c.order);
    }
}

// The first reading fixes the order, value or absence, so renumbering the text later (as the
// point list does) does not move a point already placed.
TEST(Order, ComputedOnceAndKept) {
    auto point = *decodeJson<PointOfInterestRef>(R"({"poi_order":"5"})");
    EXPECT_EQ(point->order(), 5);
    point->poi_order.emplace("1");
    EXPECT_EQ(point->order(), 5);

    auto late = *decodeJson<PointOfInterestRef>(R"({"poi_order":"5"})");
    late->poi_order.emplace("1");
    EXPECT_EQ(late->order(), 1);

    PoiContent content;
    content.content_order = "x";
    EXPECT_EQ(content.order(), std::nullopt);
    content.content_order.emplace("2");
    EXPECT_EQ(content.order(), std::nullopt);
}

}  // namespace
}  // namespace tq
