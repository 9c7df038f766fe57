#pragma once

#include <string>

namespace tq {

class Environment;

// The one-shot test screens make before they call the web service.
class Reachability {
public:
    // The Environment's reachabilityOverride() when set; otherwise true when `serviceHost` is
    // routed to a local server (hostRoutes()), or when a network interface other than loopback is
    // up and running.
    static bool isConnectedToNetwork(Environment& env, const std::string& serviceHost);

    // Whether any interface other than loopback is up, running and has an address.
    static bool hasActiveNetworkInterface();
};

}  // namespace tq
