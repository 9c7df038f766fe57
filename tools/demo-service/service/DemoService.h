#pragma once

#include <httplib.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DemoCatalogue.h"
#include "LocalCertificates.h"

namespace tq::demo {

// The largest request body the service reads (the update-check form of one tour is far smaller).
inline constexpr std::size_t kMaxBodyBytes = 64 * 1024;

// The host names the demo service answers for: the product's three sites and its media host.
std::vector<std::string> serviceHostNames();

// The product's web service played on loopback over HTTPS from the generated sample tours:
// every operation the client calls, the media files, main images, thumbnails and tile archives
// the tours name, and the update check. Files are served from `dataFolder` only: the site's
// under www/, the media host's under media/.
class DemoService {
public:
    DemoService(std::filesystem::path dataFolder, DemoCatalogue& catalogue, const local::CertificatePem& certificate);
    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    // Listens on 127.0.0.1:port (0: a free one); the port, or -1 when it cannot bind.
    int start(int port);
    // Fails every held reply, then stops listening.
    void stop();

    // The archive gate, so that a test can act while a download is under way: while it is
    // closed, a tile archive's reply sends its headers and the first half of its body, prints
    // "holding archive NAME" and waits until the gate opens (the reply goes on) or the service
    // stops (the connection is dropped mid-body). Opened and closed on loopback too
    // ("/demo/hold", "/demo/release").
    void holdArchives(bool hold);

private:
    void route(const httplib::Request& request, httplib::Response& response);
    void webService(const httplib::Request& request, const std::vector<std::string>& segments,
                    httplib::Response& response);
    void updateCheck(const httplib::Request& request, httplib::Response& response);
    void localRequest(const httplib::Request& request, const std::vector<std::string>& segments,
                      httplib::Response& response);
    void file(const std::filesystem::path& root, const std::vector<std::string>& segments, httplib::Response& response);
    // Waits at the gate while it is closed; false when the service stops meanwhile.
    bool passArchiveGate(const std::string& name);

    std::filesystem::path data_;
    DemoCatalogue& catalogue_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread listener_;
    std::mutex gate_;
    std::condition_variable gateChanged_;
    bool holding_ = false;
    bool stopping_ = false;
};

// The segments of an address's path, each percent-decoded; none when the path is not one the
// service reads: a segment that decodes to "." or "..", or holds "/", "\" or a NUL, or a "%"
// that starts no escape.
std::optional<std::vector<std::string>> pathSegments(const std::string& target);

}  // namespace tq::demo
