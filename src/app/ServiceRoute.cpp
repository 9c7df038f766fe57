#include "app/ServiceRoute.h"

#include <charconv>
#include <fstream>

#include "platform/foundation/Environment.h"
#include "product/ProductSites.h"

namespace tq {
namespace {

// "host:port" with a port from 1 to 65535 and a host without blanks.
bool isRoute(std::string_view route) {
    auto colon = route.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    auto host = route.substr(0, colon), portText = route.substr(colon + 1);
    if (host.find_first_of(" \t\r\n/") != std::string_view::npos) return false;
    int port = 0;
    auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    return error == std::errc() && end == portText.data() + portText.size() && port >= 1 && port <= 65535;
}

std::optional<std::string> firstLineOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    return line;
}

std::optional<std::string> connect(Environment& env, const std::string& route, const std::filesystem::path& authority) {
    if (!isRoute(route)) return "the service address \"" + route + "\" is not host:port";
    std::error_code error;
    if (!std::filesystem::is_regular_file(authority, error)) {
        return "the service authority " + authority.string() + " is not a readable file";
    }
    // The engines' TLS databases take an absolute file name only, and the run command hands over
    // one relative to where it stands: resolved here, once, against the folder the program starts in.
    auto absolute = std::filesystem::absolute(authority, error);
    if (error) return "the service authority " + authority.string() + " has no absolute path: " + error.message();
    for (const char* host : {ProductSites::french, ProductSites::english, ProductSites::spanish, ProductSites::media}) {
        env.hostRoutes()[host] = route;
    }
    env.extraTrustedCertificate() = absolute.lexically_normal();
    return std::nullopt;
}

}  // namespace

std::optional<ServiceChoice> serviceChoiceNamed(std::string_view name) {
    if (name == "local") return ServiceChoice::local;
    if (name == "product") return ServiceChoice::product;
    return std::nullopt;
}

std::optional<std::string> routeToService(Environment& env, ServiceChoice choice,
                                          const std::filesystem::path& demoStateFolder,
                                          const std::function<const char*(const char*)>& environmentVariable) {
    if (choice == ServiceChoice::product) return std::nullopt;
    const char* route = environmentVariable("TQ_SERVICE_ROUTE");
    const char* authority = environmentVariable("TQ_SERVICE_CA");
    bool given = route && *route;
    if (given || (authority && *authority)) {
        if (!given) return std::string("TQ_SERVICE_CA is set without TQ_SERVICE_ROUTE");
        if (!authority || !*authority) return std::string("TQ_SERVICE_ROUTE is set without TQ_SERVICE_CA");
        return connect(env, route, authority);
    }
    if (choice == ServiceChoice::unset) return std::nullopt;
    auto endpoint = firstLineOf(demoStateFolder / "endpoint");
    if (!endpoint) {
        return "no demo service is running (" + (demoStateFolder / "endpoint").string() +
               " is missing): start trelvoquest-demo-service, or set TQ_SERVICE_ROUTE and TQ_SERVICE_CA";
    }
    return connect(env, *endpoint, demoStateFolder / "authority.pem");
}

}  // namespace tq
