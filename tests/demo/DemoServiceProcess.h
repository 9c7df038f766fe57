#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/TestEnvironment.h"

namespace tq::test {

// The demo service program, started for one test on a free loopback port with a state folder of
// its own, and stopped (SIGTERM, then waited for) with the object.
class DemoServiceProcess {
public:
    struct Options {
        std::filesystem::path data = TQ_DEMO_DATA_DIR;
        std::vector<std::string> arguments{};  // more options for the program
        int port = 0;
    };

    DemoServiceProcess() : DemoServiceProcess(Options{}) {}
    explicit DemoServiceProcess(Options options);
    ~DemoServiceProcess();
    DemoServiceProcess(const DemoServiceProcess&) = delete;
    DemoServiceProcess& operator=(const DemoServiceProcess&) = delete;

    // Whether the service said it listens; otherwise it has ended, with `exitStatus` and `output`.
    bool listening() const { return port_ > 0; }
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::filesystem::path authority() const { return state_.path() / "authority.pem"; }
    std::filesystem::path stateFolder() const { return state_.path(); }
    std::optional<int> exitStatus() const { return exitStatus_; }
    // Everything the program printed so far.
    std::string output() const;
    pid_t pid() const { return pid_; }

    // Routes the product's hosts to the service and trusts its authority.
    void connect(Environment& env) const;

    // Stops the service and waits for it; its exit status.
    int stop();

private:
    TempDir state_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::optional<int> exitStatus_;
};

// One exchange over TLS with the service, its bytes written as given: a request a real client
// would never send included.
struct RawReply {
    bool answered = false;  // a status line came back
    int status = 0;
    std::string body;
    std::string whole;  // everything received
};

struct RawRequest {
    RawRequest(std::string host, std::string head, std::string body = {},
               std::optional<std::size_t> cutAfter = std::nullopt)
        : host(std::move(host)), head(std::move(head)), body(std::move(body)), cutAfter(cutAfter) {}

    std::string host;  // the TLS name
    std::string head;  // request line and headers, each ending in "\r\n"; the blank line is added
    std::string body;
    // When set, only this many bytes of the body are sent before the connection is closed.
    std::optional<std::size_t> cutAfter;
};

RawReply exchange(const DemoServiceProcess& service, const RawRequest& request);

}  // namespace tq::test
