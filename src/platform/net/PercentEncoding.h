#pragma once

#include <string>
#include <string_view>

namespace tq {

// The program's one percent-encoder: ASCII letters and digits, and the characters of `keep`, stay
// as they are; every other byte of the (UTF-8) text becomes "%" and two upper-case hex digits.
std::string percentEncode(std::string_view text, std::string_view keep);

// Sets of characters to keep, beside letters and digits.
namespace PercentEncoding {
// What never needs escaping anywhere in an address.
inline constexpr std::string_view unreserved = "-._~";
// A local path: its slashes stay.
inline constexpr std::string_view path = "-._~/";
// A key or value of a form body, as the web service reads them.
inline constexpr std::string_view formComponent = "-._~/?";
// What may stand in the host part of an address.
inline constexpr std::string_view urlHost = "!$&'()*+,-.:;=[]_~";
}  // namespace PercentEncoding

// One segment of an address path: everything but the unreserved characters is escaped, and a
// segment of dots only is escaped whole, so that an identifier can never mean "here" or "up".
std::string pathSegment(std::string_view text);

}  // namespace tq
