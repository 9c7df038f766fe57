// The demo web service: the product's web service played on this machine from the generated
// sample tours, so that the application has tours to show without the real service.
//
//   trelvoquest-demo-service [--port N] [--data DIR] [--state DIR] [--updated ID]... [--hold-archives]
//                            [--exit-with-parent]
//
// --port      the loopback port to listen on (default 0: a free one, printed when listening)
// --data      the generated sample tours (default: the "data" folder beside the program)
// --state     the service's own folder: ratings and updated tours (SQLite), its certificate, the
//             authority a client trusts (authority.pem) and the address it listens on
//             (endpoint); default: the "state" folder beside the program
// --updated   marks a tour as updated before serving, so the application's update check finds it
// --hold-archives  starts with the archive gate closed: a tile archive's reply stops halfway,
//             printing "holding archive NAME", until a POST to /demo/release on loopback (a POST
//             to /demo/hold closes the gate again); a test acts while a download is under way
// --exit-with-parent  ends the service when the program that started it ends
//
// Once it answers it prints "listening on 127.0.0.1:PORT" with the authority's path on one line.
// SIGINT or SIGTERM stops it. A service that cannot start says why in one line and exits 1.
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "DemoCatalogue.h"
#include "DemoService.h"
#include "LocalCertificates.h"

namespace fs = std::filesystem;

namespace {

struct Options {
    int port = 0;
    fs::path data;
    fs::path state;
    std::vector<std::string> updated;
    bool holdArchives = false;
    bool exitWithParent = false;
};

std::optional<int> portNumber(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    int port = std::stoi(text);
    return port <= 65535 ? std::optional<int>(port) : std::nullopt;
}

bool parse(int argc, char** argv, Options& options) {
    std::error_code error;
    fs::path self = fs::canonical("/proc/self/exe", error);
    fs::path beside = error ? fs::path(argv[0]).parent_path() : self.parent_path();
    options.data = beside / "data";
    options.state = beside / "state";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--port" && hasValue) {
            auto port = portNumber(argv[++i]);
            if (!port) return false;
            options.port = *port;
        } else if (arg == "--data" && hasValue) {
            options.data = argv[++i];
        } else if (arg == "--state" && hasValue) {
            options.state = argv[++i];
        } else if (arg == "--updated" && hasValue) {
            options.updated.push_back(argv[++i]);
        } else if (arg == "--hold-archives") {
            options.holdArchives = true;
        } else if (arg == "--exit-with-parent") {
            options.exitWithParent = true;
        } else {
            return false;
        }
    }
    return true;
}

// Written whole or not at all, so a client never reads half a certificate.
void writeAtomically(const fs::path& path, const std::string& text, fs::perms permissions) {
    fs::path temporary = path;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        if (!out) throw std::runtime_error("cannot write " + temporary.string());
    }
    fs::permissions(temporary, permissions);
    fs::rename(temporary, path);
}

int fail(const std::string& why) {
    std::cerr << "trelvoquest-demo-service: " << why << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::cerr << "usage: trelvoquest-demo-service [--port N] [--data DIR] [--state DIR] [--updated ID]... "
                     "[--hold-archives] [--exit-with-parent]\n";
        return 2;
    }
    if (options.exitWithParent) {
        // The signal comes when the thread that started us ends; the check after it covers a
        // parent that ended before the request was made.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1) return fail("the program that started the service has ended");
    }
    // The stop signals are waited for, not handled: blocked here, before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    fs::path endpoint;
    try {
        if (!fs::is_regular_file(options.data / "catalogue.json")) {
            return fail("no sample tours in " + options.data.string() + " (build the target tq_demo_data)");
        }
        fs::create_directories(options.state);
        tq::demo::DemoCatalogue catalogue(options.data / "catalogue.json", options.state / "demo-service.sqlite");
        for (const auto& id : options.updated) {
            if (!catalogue.markUpdated(id)) return fail("--updated " + id + ": no such tour");
        }
        // A fresh authority on every start; the client trusts the file written here.
        auto certificates = tq::local::issueLocalCertificates(tq::demo::serviceHostNames());
        writeAtomically(options.state / "authority.pem", certificates.authority.certificatePem, fs::perms::owner_read |
                        fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
        tq::demo::DemoService service(options.data, catalogue, certificates.server);
        service.holdArchives(options.holdArchives);
        int port = service.start(options.port);
        if (port < 0) return fail("cannot listen on 127.0.0.1:" + std::to_string(options.port) + ": the port is taken");
        std::string address = "127.0.0.1:" + std::to_string(port);
        endpoint = options.state / "endpoint";
        writeAtomically(endpoint, address + "\n", fs::perms::owner_read | fs::perms::owner_write |
                        fs::perms::group_read | fs::perms::others_read);
        std::cout << "trelvoquest-demo-service: listening on " << address << ", authority "
                  << fs::absolute(options.state / "authority.pem").string() << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
        service.stop();
        fs::remove(endpoint);
        return 0;
    } catch (const std::exception& error) {
        if (!endpoint.empty()) fs::remove(endpoint);
        return fail(error.what());
    }
}
