#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tq::desktop {

// The engines that fetch by themselves (WebKit's network process, GStreamer's HTTP source) know
// nothing of the environment's host routes. They are pointed at this proxy instead: a CONNECT
// proxy on loopback that opens each tunnel to the route of a routed host, and to the host itself
// for any other. TLS runs inside the tunnel from end to end, so the engine still checks the
// certificate of whatever answers; the proxy only passes bytes.
class RoutingProxy {
public:
    // `routes`: host name to "address:port", as the Environment's host routes. Listens on
    // 127.0.0.1 on a free port; none, with the reason, when it cannot.
    static std::unique_ptr<RoutingProxy> start(std::map<std::string, std::string> routes, std::string& error);
    ~RoutingProxy();
    RoutingProxy(const RoutingProxy&) = delete;
    RoutingProxy& operator=(const RoutingProxy&) = delete;

    // "http://127.0.0.1:PORT", as proxy settings take it.
    std::string uri() const;

private:
    class Impl;
    explicit RoutingProxy(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// What an engine needs to reach the routed hosts: the proxy that carries their connections, the
// routes, and the authority their certificates chain to. That authority is trusted for the
// routed hosts only; every other host keeps the system's trust.
struct EngineRoutes {
    std::shared_ptr<RoutingProxy> proxy;
    std::map<std::string, std::string> routes;
    std::filesystem::path authority;

    bool isRouted(const std::string& host) const;
};

// The routes of the environment for the engines, with a proxy started for them; none when the
// environment routes no host or trusts no extra authority. `error` says why a proxy could not start.
struct RouteSource {
    std::map<std::string, std::string> routes;
    std::optional<std::filesystem::path> authority;
};
std::optional<EngineRoutes> startEngineRoutes(const RouteSource& source, std::string& error);

}  // namespace tq::desktop
