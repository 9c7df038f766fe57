#include "platform/foundation/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tq {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars takes no leading "+"; a "+" is accepted here, and only before a digit or a point.
std::string_view withoutPlusSign(std::string_view text, bool& ok) {
    ok = true;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-' || text.front() == '+') ok = false;
    }
    return text;
}

// The decimal grammar parseDouble accepts, checked before from_chars, which would also take
// "inf", "nan" and "nan(...)".
bool isDecimalText(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

std::optional<std::int64_t> parseInt64(std::string_view text) {
    bool ok = false;
    text = withoutPlusSign(text, ok);
    if (!ok || text.empty()) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
    auto wide = parseInt64(text);
    if (!wide || *wide < std::numeric_limits<std::int32_t>::min() || *wide > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*wide);
}

std::optional<double> parseDouble(std::string_view text) {
    if (!isDecimalText(text)) return std::nullopt;
    bool ok = false;
    text = withoutPlusSign(text, ok);
    if (!ok) return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string coordinateText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[64];
    const double magnitude = std::fabs(value);
    // Very small and very large magnitudes are written with an exponent, as the platform's
    // default description of a double does; everything else in plain decimal notation.
    const bool exponentForm = (magnitude != 0 && magnitude < 1e-4) || magnitude > 0x1.0p54;
    auto format = exponentForm ? std::chars_format::scientific : std::chars_format::fixed;
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    std::string text(buffer, result.ptr);
    if (!exponentForm && text.find('.') == std::string::npos) text += ".0";
    return text;
}

}  // namespace tq
