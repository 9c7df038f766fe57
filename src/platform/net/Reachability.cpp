#include "platform/net/Reachability.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include "platform/foundation/Environment.h"

namespace tq {

bool Reachability::isConnectedToNetwork(Environment& env, const std::string& serviceHost) {
    if (env.reachabilityOverride()) return *env.reachabilityOverride();
    if (env.hostRoutes().count(serviceHost)) return true;
    return hasActiveNetworkInterface();
}

bool Reachability::hasActiveNetworkInterface() {
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return false;
    bool found = false;
    for (ifaddrs* entry = interfaces; entry && !found; entry = entry->ifa_next) {
        if (!entry->ifa_addr) continue;
        int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        unsigned flags = entry->ifa_flags;
        found = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
    }
    freeifaddrs(interfaces);
    return found;
}

}  // namespace tq
