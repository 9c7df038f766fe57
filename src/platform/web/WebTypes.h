#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>

namespace tq {

// A value handed back by page script: nothing (null or undefined), a number, a text or a truth value.
using ScriptValue = std::variant<std::monostate, double, std::string, bool>;

std::optional<double> scriptNumber(const ScriptValue& value);
std::optional<std::string> scriptText(const ScriptValue& value);
// The value as page script would print it: texts as they are, numbers without a needless ".0".
std::string describeScriptValue(const ScriptValue& value);

struct WebError {
    std::string domain;
    int code = 0;
    std::string description;
    bool operator==(const WebError&) const = default;
};

// Error codes the engine reports, with the platform's numbering.
namespace webErrors {
inline constexpr int cancelled = -999;           // a newer load took the place of this one
inline constexpr int fileDoesNotExist = -1100;   // a local page that is not there
inline constexpr int noPermissionsToRead = -1102;  // a local page outside the folder it may read
inline constexpr int badURL = -1000;
inline constexpr int javaScriptExceptionOccurred = 4;  // in the script error domain
inline constexpr int frameLoadInterrupted = 102;       // in the frame load domain: the policy stopped a redirect
inline const char* const urlDomain = "NSURLErrorDomain";
inline const char* const scriptDomain = "WKErrorDomain";
inline const char* const frameLoadDomain = "WebKitErrorDomain";
}  // namespace webErrors

enum class URLRequestCachePolicy { useProtocolCachePolicy, reloadIgnoringLocalCacheData, returnCacheDataElseLoad };

struct URLRequest {
    // Absolute text of the address; a request may carry none.
    std::optional<std::string> url;
    URLRequestCachePolicy cachePolicy = URLRequestCachePolicy::useProtocolCachePolicy;
    double timeoutInterval = 60.0;
};

enum class NavigationType { linkActivated, formSubmitted, backForward, reload, formResubmitted, other };

struct NavigationAction {
    URLRequest request;
    NavigationType navigationType = NavigationType::other;
    // False for a link that asks for a new window (no target frame).
    bool hasTargetFrame = true;
    bool isMainFrame = true;
};

enum class NavigationActionPolicy { cancel, allow };

// Called exactly once by the navigation delegate with its decision; it may be kept and called later.
using DecisionHandler = std::function<void(NavigationActionPolicy)>;

// Identifies one navigation in the delegate callbacks.
struct WebNavigation {
    int identifier = 0;
    std::optional<std::string> url;
};

using ScriptCompletion = std::function<void(const ScriptValue& result, const std::optional<WebError>& error)>;

// How a test answers an evaluated script: a value, or an error.
struct ScriptAnswer {
    ScriptValue value;
    std::optional<WebError> error;
    static ScriptAnswer withValue(ScriptValue v) { return {std::move(v), std::nullopt}; }
    static ScriptAnswer withError(WebError e) { return {std::monostate{}, std::move(e)}; }
};

}  // namespace tq
