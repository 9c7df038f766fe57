#include "screens/browse/WorldMapBridge.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/Numbers.h"

namespace tq {
namespace {

constexpr const char* kRequestScheme = "js-frame:";

// U+2028 and U+2029 end a line inside a script: written as escapes they stay inside a literal.
void escapeLineSeparators(std::string& text) {
    for (std::size_t at = text.find("\xE2\x80"); at != std::string::npos; at = text.find("\xE2\x80", at)) {
        if (at + 2 < text.size() && (text[at + 2] == '\xA8' || text[at + 2] == '\xA9')) {
            text.replace(at, 3, text[at + 2] == '\xA8' ? "\\u2028" : "\\u2029");
            at += 6;
        } else {
            at += 2;
        }
    }
}

}  // namespace

JsonResult<std::string> worldMapMarkersJson(const std::vector<PoiMap>& markers) {
    auto encoded = encodeJson(markers);
    if (encoded) escapeLineSeparators(*encoded);
    return encoded;
}

std::string javaScriptStringLiteral(const std::string& text) {
    std::string literal = "\"";
    for (char c : text) {
        switch (c) {
            case '"': literal += "\\\""; break;
            case '\\': literal += "\\\\"; break;
            case '\n': literal += "\\n"; break;
            case '\r': literal += "\\r"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[7];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
                    literal += escape;
                } else {
                    literal += c;
                }
        }
    }
    escapeLineSeparators(literal);
    return literal + "\"";
}

std::string worldMapInitializeCall(const std::string& markersJson, const std::string& tileTemplate, bool isTablet) {
    return "initializeMap(" + markersJson + "," + javaScriptStringLiteral(tileTemplate) + "," +
           (isTablet ? "true" : "false") + ");";
}

std::optional<std::string> worldMapLocationCall(double latitude, double longitude) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) return std::nullopt;
    return "currentLocation(" + coordinateText(latitude) + "," + coordinateText(longitude) + ");";
}

bool isWorldMapRequest(const std::string& address) { return address.rfind(kRequestScheme, 0) == 0; }

std::optional<std::string> worldMapTourRequest(const std::string& address) {
    if (!isWorldMapRequest(address)) return std::nullopt;
    const std::size_t start = std::string(kRequestScheme).size();
    std::string id = address.substr(start, address.find(':', start) - start);
    if (id.empty()) return std::nullopt;
    return id;
}

}  // namespace tq
