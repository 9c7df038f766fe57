#pragma once

#include <httplib.h>

#include <filesystem>
#include <memory>
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
    void stop();

private:
    void route(const httplib::Request& request, httplib::Response& response);
    void webService(const httplib::Request& request, const std::vector<std::string>& segments,
                    httplib::Response& response);
    void updateCheck(const httplib::Request& request, httplib::Response& response);
    void localRequest(const httplib::Request& request, const std::vector<std::string>& segments,
                      httplib::Response& response);
    void file(const std::filesystem::path& root, const std::vector<std::string>& segments, httplib::Response& response);

    std::filesystem::path data_;
    DemoCatalogue& catalogue_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread listener_;
};

// The segments of an address's path, each percent-decoded; none when the path is not one the
// service reads: a segment that decodes to "." or "..", or holds "/", "\" or a NUL, or a "%"
// that starts no escape.
std::optional<std::vector<std::string>> pathSegments(const std::string& target);

}  // namespace tq::demo
