#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tq {

class AppDelegate;

// A link arriving from outside (a user activity carrying a web page address, or an opened URL).
struct UserActivity {
    std::optional<std::string> webpageURL;
};

// Whether the whole address text begins with one of the product sites' scheme-and-host prefixes.
// The test is a plain prefix test, so a host that merely starts with a product host is accepted too.
bool hasAcceptedLinkPrefix(const std::string& address);
// The address cut at every "/", empty components kept.
std::vector<std::string> linkComponents(const std::string& address);

// Takes the tour (component 4) and point (component 6) of an accepted link into the application
// delegate's pending identifiers and posts "OpenTourFromScan" when a tour identifier is pending.
// Answers whether it posted.
bool routeIncomingLink(AppDelegate& app, const std::string& address);

}  // namespace tq
