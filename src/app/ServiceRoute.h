#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

class Environment;

// Which web service the program talks to. The application always asks for the product's own
// https addresses; a local service is reached by routing those host names to its address and
// trusting its authority beside the system's, so TLS and the addresses stay real.
enum class ServiceChoice {
    unset,    // the product's hosts, unless TQ_SERVICE_ROUTE and TQ_SERVICE_CA say otherwise
    local,    // the demo service on this machine
    product,  // the product's hosts, whatever the environment says
};

// "local" or "product"; none for anything else.
std::optional<ServiceChoice> serviceChoiceNamed(std::string_view name);

// Routes the product's host names (its three sites and its media host) to the chosen service.
// A local service's address and authority come from TQ_SERVICE_ROUTE ("host:port") and
// TQ_SERVICE_CA (a PEM file) when they are set, otherwise from the files the demo service writes
// while it runs: `demoStateFolder`/endpoint and `demoStateFolder`/authority.pem. Returns a
// one-line reason when the service cannot be reached that way; the Environment is then unchanged.
std::optional<std::string> routeToService(
    Environment& env, ServiceChoice choice, const std::filesystem::path& demoStateFolder,
    const std::function<const char*(const char*)>& environmentVariable = [](const char* name) {
        return std::getenv(name);
    });

}  // namespace tq
