#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// Numbers that travel as text (identifiers, counters, orders, coordinates, sizes) are converted
// here and nowhere else. The rules are the C locale's, whatever the user's locale: the whole text
// must be the number (no blank before or after, nothing trailing), and a value out of range gives
// nothing rather than a clamped or wrapped value.

// An optional "+" or "-" followed by one or more ASCII digits, within the 64-bit signed range.
std::optional<std::int64_t> parseInt64(std::string_view text);

// As parseInt64, within the 32-bit signed range.
std::optional<std::int32_t> parseInt32(std::string_view text);

// A decimal number: optional sign, digits with an optional "." fraction (".5" and "5." count),
// an optional exponent ("1e-5", "2.5E+3"). Only finite values: "inf", "nan", hexadecimal and
// values beyond the double range give nothing.
std::optional<double> parseDouble(std::string_view text);

// The text a latitude or longitude is written with in addresses and pages: the shortest text that
// reads back as the same double, always with a fractional part ("45.0", not "45"), and in exponent
// form below 0.0001 in magnitude ("1e-05", "-2.5e-07").
std::string coordinateText(double value);

}  // namespace tq
