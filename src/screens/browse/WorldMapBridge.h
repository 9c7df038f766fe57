#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Json.h"
#include "model/Replies.h"

namespace tq {

// The texts the search screen evaluates in the world-map page, and the reading of the page's
// "js-frame:" requests. Every value from the web service reaches the page as data: a marker's
// text can never end its string and run as script.

// The console capture the page gets at the end of each document's loading, in every frame.
inline constexpr const char* kWorldMapLogCapture =
    "function captureLog(msg) { window.webkit.messageHandlers.logHandler.postMessage(msg); } "
    "window.console.log = captureLog;";

// The markers as a compact JSON array, present fields only, with U+2028 and U+2029 escaped so the
// text stays one JavaScript literal; the encoder's error when they cannot be encoded.
JsonResult<std::string> worldMapMarkersJson(const std::vector<PoiMap>& markers);

// A text as a double-quoted JavaScript string literal.
std::string javaScriptStringLiteral(const std::string& text);

// initializeMap(<markers>,"<tile template>",<true on a tablet>);
std::string worldMapInitializeCall(const std::string& markersJson, const std::string& tileTemplate, bool isTablet);

// currentLocation(<latitude>,<longitude>); nothing for a coordinate that is not finite.
std::optional<std::string> worldMapLocationCall(double latitude, double longitude);

// The tour a "js-frame:<id>" address asks to open: the text between the first and second ":".
// Nothing for another address, or for one without an identifier.
std::optional<std::string> worldMapTourRequest(const std::string& address);

// Whether an address is a request of the page rather than a page to load.
bool isWorldMapRequest(const std::string& address);

}  // namespace tq
