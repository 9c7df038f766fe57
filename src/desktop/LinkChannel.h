#pragma once

// Links into a program that already runs. On the desktop a link is opened by starting the program
// with --open-url; when the program already runs, that second start hands the address over a
// local socket in the user's runtime folder to the running one, which routes it as a link opened
// at launch is routed, and ends. One request line per connection: "open ADDRESS", answered "ok".

#include <gio/gio.h>

#include <functional>
#include <string>

namespace tq::desktop {

// The socket of the user's running program: trelvoquest-links in the user's runtime folder.
std::string defaultLinkSocketPath();

// Hands `address` to the program that listens on `path`; whether it took it (false when none
// listens, or it did not answer within a few seconds).
bool handLinkToRunningProgram(const std::string& path, const std::string& address);

class LinkChannel {
public:
    // Listens on `path` and calls `onLink` on the main loop with each address handed over. A
    // socket file no program answers on (one killed) is replaced; one another program listens on
    // is left to it, and this channel does not listen.
    LinkChannel(std::string path, std::function<void(const std::string&)> onLink);
    ~LinkChannel();
    LinkChannel(const LinkChannel&) = delete;
    LinkChannel& operator=(const LinkChannel&) = delete;

    bool listening() const { return service_ != nullptr; }
    // The reply to one request line, after acting on it.
    std::string answer(const std::string& request);

private:
    std::string path_;
    std::function<void(const std::string&)> onLink_;
    GSocketService* service_ = nullptr;
};

}  // namespace tq::desktop
