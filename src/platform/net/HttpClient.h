#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/net/FormEncoder.h"
#include "platform/net/HttpTypes.h"

namespace tq {

class Environment;
class TrustStore;

// The limits every request runs under; the defaults are the program's.
struct HttpClientConfiguration {
    double connectTimeoutSeconds = 60.0;
    // A transfer during which no byte moves for this long fails as timed out.
    double idleTimeoutSeconds = 60.0;
    long maxRedirects = 16;
    // A burst of requests to one host queues behind this many connections instead of flooding it.
    long maxConnectionsPerHost = 6;
    // The cap on a body held in memory when the request sets none: a guard against an endless
    // body, with room for a catalogue of tens of thousands of rich tours (160 MB at 50,000).
    std::uint64_t maxMemoryBodyBytes = 256ull * 1024 * 1024;
    std::string userAgent = "TrelvoQuest/1.0";
    // The system's certificate authorities, joined with the Environment's extra certificate.
    std::filesystem::path systemCertificates = "/etc/ssl/certs/ca-certificates.crt";
};

using HttpRequestId = std::uint64_t;

// The process's HTTP client: requests run on one I/O thread, and each outcome (success or failure)
// is handed to its completion exactly once, on the main loop. TLS verification is always on.
//
// The Environment's hostRoutes() send a host name to a local address while the URL, Host header
// and TLS name stay the real ones; its extraTrustedCertificate() is trusted beside the system's.
// Both are read when a request is submitted.
//
// Destroying the client (with its Environment) stops the I/O thread and drops every transfer: no
// completion runs afterwards, not even one already queued on the loop.
class HttpClient {
public:
    using Completion = std::function<void(HttpResponse)>;

    explicit HttpClient(Environment& env);
    HttpClient(Environment& env, HttpClientConfiguration configuration);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Runs the request and hands over its reply with the body in memory.
    HttpRequestId send(HttpRequest request, Completion completion);
    HttpRequestId get(std::string url, HttpHeaders headers, Completion completion);
    // A POST whose body is the form encoding of `fields`, sent with the given content type.
    HttpRequestId postForm(std::string url, const FormObject& fields, std::string contentType, HttpHeaders headers,
                           Completion completion);

    // Streams the body to a temporary file beside `destination` and moves it there once the whole
    // reply has arrived with an acceptable status. On any failure nothing is left behind and an
    // existing destination stays as it was. The reply handed over has an empty body.
    HttpRequestId download(HttpRequest request, std::filesystem::path destination, Completion completion);

    // Stops a transfer; its completion runs with a `cancelled` error unless it has already been
    // handed to the loop. Unknown or finished ids are ignored.
    void cancel(HttpRequestId id);

    const HttpClientConfiguration& configuration() const { return configuration_; }

private:
    class IoThread;
    HttpRequestId submit(HttpRequest request, std::optional<std::filesystem::path> destination, Completion completion);
    std::shared_ptr<const std::string> trustBundle();
    std::shared_ptr<const TrustStore> trustStore();

    Environment& env_;
    HttpClientConfiguration configuration_;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<IoThread> io_;
    HttpRequestId nextId_ = 1;
    // The trust bundle last built from the system file and the extra certificate.
    std::filesystem::path bundleSourcePath_;
    std::shared_ptr<const std::string> trustBundle_;
    std::shared_ptr<const TrustStore> trustStore_;  // trustBundle_ parsed
};

}  // namespace tq
