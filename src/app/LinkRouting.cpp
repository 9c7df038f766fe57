#include "app/LinkRouting.h"

#include "app/AppDelegate.h"
#include "product/NotificationNames.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"

namespace tq {

bool hasAcceptedLinkPrefix(const std::string& address) {
    for (const auto& prefix : ProductSites::linkPrefixes()) {
        if (address.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

std::vector<std::string> linkComponents(const std::string& address) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto slash = address.find('/', start);
        parts.push_back(address.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

bool routeIncomingLink(AppDelegate& app, const std::string& address) {
    if (!hasAcceptedLinkPrefix(address)) return false;
    auto parts = linkComponents(address);
    if (parts.size() >= 5) {
        app.idTourToPush = parts[4];
    } else {
        app.idTourToPush.reset();
    }
    if (parts.size() >= 7) app.idPoiToPush = parts[6];
    if (!app.idTourToPush) return false;
    app.environment().notifications().post(Notifications::openTourFromScan);
    return true;
}

}  // namespace tq
