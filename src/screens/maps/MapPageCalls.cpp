#include "screens/maps/MapPageCalls.h"

#include <cmath>

#include "platform/foundation/Numbers.h"

namespace tq::mapPage {
namespace {

// U+2028 and U+2029 in UTF-8.
constexpr std::string_view lineSeparator = "\xE2\x80\xA8";
constexpr std::string_view paragraphSeparator = "\xE2\x80\xA9";

const char* boolText(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string pageLanguage(std::int64_t tempLang) {
    if (tempLang == 0) return "en";
    if (tempLang == 1) return "fr";
    return "es";
}

std::string helpLanguage(std::int64_t tempLang) {
    if (tempLang == 2) return "es";
    if (tempLang == 1) return "fr";
    return "en";
}

std::string escapedLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
            case '\\': out += "\\\\"; continue;
            case '\'': out += "\\'"; continue;
            case '"': out += "\\\""; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            default: break;
        }
        auto rest = text.substr(i);
        if (rest.starts_with(lineSeparator) || rest.starts_with(paragraphSeparator)) {
            out += rest.starts_with(lineSeparator) ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        out += c;
    }
    return out;
}

std::string scriptSafeJson(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        auto rest = json.substr(i);
        if (rest.starts_with(lineSeparator) || rest.starts_with(paragraphSeparator)) {
            out += rest.starts_with(lineSeparator) ? "\\u2028" : "\\u2029";
            i += 2;
            continue;
        }
        out += json[i];
    }
    return out;
}

std::string numberArgument(const std::optional<std::string>& text) {
    if (!text) return "null";
    // A whole number is written back without leading zeros, which script would read as octal.
    if (auto whole = parseInt64(*text)) return std::to_string(*whole);
    if (auto value = parseDouble(*text)) return coordinateText(*value);
    return "null";
}

std::optional<std::string> floatArgument(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    return coordinateText(value);
}

std::string showMap(const ShowMapArguments& a) {
    return "showMap(" + numberArgument(a.poiCount) + "," + numberArgument(a.minZoom) + "," +
           numberArgument(a.maxZoom) + ",'" + escapedLiteral(a.language) + "','" + escapedLiteral(a.tileFolder) +
           "'," + scriptSafeJson(a.tourJson) + ",'" + floatArgument(a.largestSide).value_or("0.0") + "'," +
           boolText(a.isIpad) + ");";
}

std::string initializeMap(const std::string& tourJson, bool isIpad, const std::string& language,
                          const std::string& tileTemplate) {
    return "initializeMap(" + scriptSafeJson(tourJson) + "," + boolText(isIpad) + ",\"" + escapedLiteral(language) +
           "\",\"" + escapedLiteral(tileTemplate) + "\");";
}

std::string centreOnPoint(std::int64_t index) { return "next(" + std::to_string(index) + ")"; }

std::string centreAfterLoading(std::int64_t index) { return "next(" + std::to_string(index) + ");"; }

namespace {
std::optional<std::string> twoFloatCall(const char* function, double first, double second) {
    auto a = floatArgument(first);
    auto b = floatArgument(second);
    if (!a || !b) return std::nullopt;
    return std::string(function) + "(" + *a + "," + *b + ");";
}
}  // namespace

std::optional<std::string> panToLocation(double latitude, double longitude) {
    return twoFloatCall("panToLocation", latitude, longitude);
}

std::optional<std::string> currentLocation(double latitude, double longitude) {
    return twoFloatCall("currentLocation", latitude, longitude);
}

std::optional<std::string> deviceRotation(double heading) {
    auto text = floatArgument(heading);
    if (!text) return std::nullopt;
    return "deviceRotation(" + *text + ");";
}

std::string mapFollowsDirection(bool follows) { return std::string("mapFollowsDirection(") + boolText(follows) + ");"; }

std::string showAround(bool show, const std::string& language, const std::string& poisJson, bool isIpad) {
    return std::string("showAround(") + boolText(show) + ",\"" + escapedLiteral(language) + "\", " +
           scriptSafeJson(poisJson) + "," + boolText(isIpad) + ");";
}

std::optional<std::int64_t> pointNumber(std::string_view address) {
    auto colon = address.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    auto rest = address.substr(colon + 1);
    return parseInt64(rest.substr(0, rest.find(':')));
}

}  // namespace tq::mapPage
