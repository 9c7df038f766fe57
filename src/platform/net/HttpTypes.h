#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tq {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// Why a request failed. The descriptions are the texts a user or a console line shows.
enum class HttpErrorKind {
    badURL,                   // the address is not a URL
    unsupportedURL,           // a scheme other than http or https
    cannotFindHost,           // the host name does not resolve
    cannotConnectToHost,      // nothing answers at the address
    timedOut,                 // no byte moved for the idle limit, or the connection took too long
    secureConnectionFailed,   // TLS handshake or certificate check failed
    networkConnectionLost,    // the connection closed before the reply was complete
    badServerResponse,        // the reply is not valid HTTP
    tooManyRedirects,
    secureConnectionRequired, // a redirect led to an address that is not https
    dataLengthExceedsMaximum, // the body is larger than the request allows
    cannotWriteToFile,        // a streamed download could not be written or moved into place
    unacceptableStatusCode,   // a complete reply whose status lies outside 200 to 299
    cancelled,
    unknown,
};

struct HttpError {
    HttpErrorKind kind = HttpErrorKind::unknown;
    std::string description;  // the failure's description, as callers print it
    std::string detail;       // libcurl's own words, for diagnosis

    static HttpError make(HttpErrorKind kind, std::string detail = {});
};

// The description that goes with each kind; the status code completes unacceptableStatusCode.
std::string describeHttpError(HttpErrorKind kind, long statusCode = 0);

// The acceptable answers of the web service: 200 to 299.
inline bool isAcceptableStatus(long statusCode) { return statusCode >= 200 && statusCode <= 299; }

struct HttpRequest {
    std::string url;
    std::string method = "GET";  // "GET" or "POST"
    HttpHeaders headers;
    std::string body;
    // Largest body accepted; 0 takes the client's default (a cap for bodies held in memory, none
    // for bodies streamed to a file).
    std::uint64_t maxBodyBytes = 0;
    // A reply outside 200 to 299 fails with unacceptableStatusCode (its body is still handed over
    // for a reply held in memory; a streamed download never writes it to the destination).
    bool validateStatus = true;

    static HttpRequest get(std::string url, HttpHeaders headers = {});
    static HttpRequest post(std::string url, std::string body, HttpHeaders headers = {});
};

struct HttpResponse {
    long statusCode = 0;          // 0 when no reply arrived
    HttpHeaders headers;          // of the final reply, after redirects
    std::string body;             // empty for a streamed download
    std::string url;              // the address that answered, after redirects
    std::uint64_t bodyBytes = 0;  // bytes received (also for a streamed download)
    std::optional<HttpError> error;

    bool succeeded() const { return !error.has_value(); }
    // The first header of that name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// Marks a reply whose status lies outside 200 to 299 as failed; a failure already there stays.
void validateStatus(HttpResponse& response);

}  // namespace tq
