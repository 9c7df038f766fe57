#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// The texts the web map evaluates in its page, built in one place so that the screen and the page
// tests send exactly the same thing.
//
// Nothing taken from a tour may run as script in the page: texts are quoted as string literals
// with every character that could end the literal escaped, numbers go in only when they are finite
// decimals, and JSON goes in as JSON. A call that would need a number it does not have is not
// built at all (no value).
namespace mapPage {

// "en" for 0, "fr" for 1, "es" for anything else.
std::string pageLanguage(std::int64_t tempLang);
// The help page and hand picture code: "es" for 2, "fr" for 1, "en" otherwise.
std::string helpLanguage(std::int64_t tempLang);

// The body of a JavaScript string literal (without its quotes): backslash, both quotes, line
// breaks, U+2028 and U+2029 escaped.
std::string escapedLiteral(std::string_view text);
// JSON with U+2028 and U+2029 escaped, so that it stays one expression in any engine.
std::string scriptSafeJson(std::string_view json);
// A number text that comes from the service (poi_count, zooms): the same value as a JavaScript
// number, or "null" when the text is no finite decimal.
std::string numberArgument(const std::optional<std::string>& text);
// A floating-point argument ("48.0", "1e-05"); nothing when it is not finite.
std::optional<std::string> floatArgument(double value);

struct ShowMapArguments {
    std::optional<std::string> poiCount, minZoom, maxZoom;
    std::string language;    // pageLanguage
    std::string tileFolder;  // absolute folder path
    std::string tourJson;
    double largestSide = 0;
    bool isIpad = false;
};
std::string showMap(const ShowMapArguments& arguments);
std::string initializeMap(const std::string& tourJson, bool isIpad, const std::string& language,
                          const std::string& tileTemplate);

// "next(i)": centre on a point.
std::string centreOnPoint(std::int64_t index);
// "next(i);": centre after the page has drawn the tour.
std::string centreAfterLoading(std::int64_t index);

inline constexpr const char* poiValue = "poiValue();";
inline constexpr const char* poiAroundValue = "poiAroundValue();";
inline constexpr const char* centerMap = "centerMap();";
inline constexpr const char* removeCurrentLocation = "removeCurrentLocation();";

std::optional<std::string> panToLocation(double latitude, double longitude);
std::optional<std::string> currentLocation(double latitude, double longitude);
std::optional<std::string> deviceRotation(double heading);
std::string mapFollowsDirection(bool follows);
std::string showAround(bool show, const std::string& language, const std::string& poisJson, bool isIpad);

// The point number of a "js-frame:" address that names none of the page's words: the text between
// the first ":" and the next one, as a signed 64-bit decimal (optional sign); nothing otherwise.
std::optional<std::int64_t> pointNumber(std::string_view address);

}  // namespace mapPage
}  // namespace tq
