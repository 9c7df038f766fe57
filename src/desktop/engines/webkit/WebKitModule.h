#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/web/WebViewBackend.h"

// The WebKitGTK engine is a module of its own, loaded when the first web view is made: a program
// that shows no web page never maps WebKit's libraries (about 50 ms of start-up). The module reads
// the web view types from the program that loads it.

namespace tq::desktop {

// How the module's pages reach the network and the disk.
struct WebKitEngineSettings {
    // Local folders pages may read (the bundle, the cache directory).
    std::vector<std::filesystem::path> folders;
    // Routed hosts (host name to "address:port") are reached through the proxy at `proxyUri`, and
    // the certificate each shows is accepted for that host alone when it chains to `authority`.
    // No proxy: every host is reached directly with the system's trust.
    std::string proxyUri;
    std::map<std::string, std::string> routes;
    std::filesystem::path authority;
    // Where the engine says what it could not set up.
    std::function<void(const std::string&)> log;
};

inline constexpr const char* webKitFactorySymbol = "tqMakeWebKitBackendFactory";
using MakeWebKitBackendFactory = WebViewBackendFactory* (*)(const WebKitEngineSettings*);
}  // namespace tq::desktop

// The module's one entry point: a factory of web view backends set up by `settings`. The caller
// owns the factory it gets.
extern "C" tq::WebViewBackendFactory* tqMakeWebKitBackendFactory(const tq::desktop::WebKitEngineSettings* settings);
