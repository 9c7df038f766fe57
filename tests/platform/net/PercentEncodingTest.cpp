#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/net/FormEncoder.h"
#include "platform/net/PercentEncoding.h"

namespace tq {
namespace {

TEST(PercentEncoding, KeepsLettersDigitsAndTheChosenSetAndEscapesEveryOtherByte) {
    struct Case {
        std::string text;
        std::string_view keep;
        std::string expected;
    };
    const Case cases[] = {
        {"Abc-1.2_3~", PercentEncoding::unreserved, "Abc-1.2_3~"},
        {"a/b?c", PercentEncoding::unreserved, "a%2Fb%3Fc"},
        {"a/b?c", PercentEncoding::path, "a/b%3Fc"},
        {"a/b?c d", PercentEncoding::formComponent, "a/b?c%20d"},
        {"café", PercentEncoding::path, "caf%C3%A9"},
        {std::string("a\0b", 3), PercentEncoding::path, "a%00b"},
        {"[::1]:80", PercentEncoding::urlHost, "[::1]:80"},
        {"a b#", PercentEncoding::urlHost, "a%20b%23"},
        {"", PercentEncoding::unreserved, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(percentEncode(c.text, c.keep), c.expected) << c.text;
    EXPECT_EQ(escapeFormComponent("Saint-Jean #2/?"), "Saint-Jean%20%232/?");
}

TEST(PercentEncoding, APathSegmentEscapesWhatCouldChangeTheAddress) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"418", "418"},       {"CA", "CA"},           {"a-b_c.d~e", "a-b_c.d~e"}, {"a/b", "a%2Fb"},
        {"a b", "a%20b"},     {"?#%", "%3F%23%25"},   {"..", "%2E%2E"},           {".", "%2E"},
        {"1.5", "1.5"},       {"é", "%C3%A9"},        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(pathSegment(text), expected) << text;
}

}  // namespace
}  // namespace tq
