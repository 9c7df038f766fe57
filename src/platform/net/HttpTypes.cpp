#include "platform/net/HttpTypes.h"

#include <algorithm>
#include <cctype>

namespace tq {

std::string describeHttpError(HttpErrorKind kind, long statusCode) {
    switch (kind) {
        case HttpErrorKind::badURL: return "bad URL";
        case HttpErrorKind::unsupportedURL: return "unsupported URL";
        case HttpErrorKind::cannotFindHost: return "A server with the specified hostname could not be found.";
        case HttpErrorKind::cannotConnectToHost: return "Could not connect to the server.";
        case HttpErrorKind::timedOut: return "The request timed out.";
        case HttpErrorKind::secureConnectionFailed:
            return "An SSL error has occurred and a secure connection to the server cannot be made.";
        case HttpErrorKind::networkConnectionLost: return "The network connection was lost.";
        case HttpErrorKind::badServerResponse: return "bad server response";
        case HttpErrorKind::tooManyRedirects: return "too many HTTP redirects";
        case HttpErrorKind::secureConnectionRequired:
            return "The resource could not be loaded because a secure connection is required.";
        case HttpErrorKind::dataLengthExceedsMaximum: return "resource exceeds maximum size";
        case HttpErrorKind::cannotWriteToFile: return "The file could not be written.";
        case HttpErrorKind::unacceptableStatusCode:
            return "Response status code was unacceptable: " + std::to_string(statusCode) + ".";
        case HttpErrorKind::cancelled: return "cancelled";
        case HttpErrorKind::unknown: break;
    }
    return "An unknown error occurred.";
}

HttpError HttpError::make(HttpErrorKind kind, std::string detail) {
    return HttpError{kind, describeHttpError(kind), std::move(detail)};
}

HttpRequest HttpRequest::get(std::string url, HttpHeaders headers) {
    HttpRequest request;
    request.url = std::move(url);
    request.headers = std::move(headers);
    return request;
}

HttpRequest HttpRequest::post(std::string url, std::string body, HttpHeaders headers) {
    HttpRequest request;
    request.method = "POST";
    request.url = std::move(url);
    request.body = std::move(body);
    request.headers = std::move(headers);
    return request;
}

std::optional<std::string> HttpResponse::header(std::string_view name) const {
    auto sameName = [name](const std::string& candidate) {
        return candidate.size() == name.size() &&
               std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    for (const auto& [key, value] : headers) {
        if (sameName(key)) return value;
    }
    return std::nullopt;
}

void validateStatus(HttpResponse& response) {
    if (response.error || isAcceptableStatus(response.statusCode)) return;
    response.error = HttpError{HttpErrorKind::unacceptableStatusCode,
                               describeHttpError(HttpErrorKind::unacceptableStatusCode, response.statusCode), {}};
}

}  // namespace tq
