#pragma once

#include <filesystem>
#include <vector>

#include "platform/web/WebViewBackend.h"

// The WebKitGTK engine is a module of its own, loaded when the first web view is made: a program
// that shows no web page never maps WebKit's libraries (about 50 ms of start-up). The module reads
// the web view types from the program that loads it.
//
// Its one entry point gives a factory of web view backends for pages that may read `folders`.
// The caller owns the factory it gets.
extern "C" tq::WebViewBackendFactory* tqMakeWebKitBackendFactory(const std::vector<std::filesystem::path>* folders);

namespace tq::desktop {
inline constexpr const char* webKitFactorySymbol = "tqMakeWebKitBackendFactory";
using MakeWebKitBackendFactory = WebViewBackendFactory* (*)(const std::vector<std::filesystem::path>*);
}  // namespace tq::desktop
