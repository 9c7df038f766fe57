#include "platform/net/HttpTransfer.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>

namespace tq {
namespace {

// A rejected reply's body is kept only as far as a caller might want to print it.
constexpr std::uint64_t kRejectedBodyKeep = 64 * 1024;
constexpr std::size_t kReadAheadRoom = 64;

HttpErrorKind kindForCurlCode(CURLcode code) {
    switch (code) {
        case CURLE_URL_MALFORMAT: return HttpErrorKind::badURL;
        // The first address is checked to be https before the start, so only a redirect gets here.
        case CURLE_UNSUPPORTED_PROTOCOL: return HttpErrorKind::secureConnectionRequired;
        case CURLE_COULDNT_RESOLVE_HOST: return HttpErrorKind::cannotFindHost;
        case CURLE_COULDNT_CONNECT: return HttpErrorKind::cannotConnectToHost;
        case CURLE_OPERATION_TIMEDOUT: return HttpErrorKind::timedOut;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_USE_SSL_FAILED:
            return HttpErrorKind::secureConnectionFailed;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            return HttpErrorKind::networkConnectionLost;
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_BAD_CONTENT_ENCODING:
            return HttpErrorKind::badServerResponse;
        case CURLE_TOO_MANY_REDIRECTS: return HttpErrorKind::tooManyRedirects;
        case CURLE_FILESIZE_EXCEEDED: return HttpErrorKind::dataLengthExceedsMaximum;
        case CURLE_WRITE_ERROR: return HttpErrorKind::cannotWriteToFile;
        case CURLE_ABORTED_BY_CALLBACK: return HttpErrorKind::cancelled;
        default: return HttpErrorKind::unknown;
    }
}

// Nothing travels in plain text: an "http:" address is asked for over https, at the same host and
// path. The service's own replies still name pictures and media with "http:".
std::string secureAddress(const std::string& url) {
    if (url.size() >= 5 && strncasecmp(url.c_str(), "http:", 5) == 0) return "https:" + url.substr(5);
    return url;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

HttpTransfer::HttpTransfer(HttpRequestId id, HttpRequest request, std::optional<std::filesystem::path> destination,
                           HttpClient::Completion completion, TransferSettings settings)
    : id_(id),
      request_(std::move(request)),
      destination_(std::move(destination)),
      completion_(std::move(completion)),
      settings_(std::move(settings)) {}

HttpTransfer::~HttpTransfer() {
    discardTemporaryFile();
    if (handle_) curl_easy_cleanup(handle_);
    curl_slist_free_all(headerList_);
    curl_slist_free_all(connectToList_);
}

std::optional<HttpError> HttpTransfer::start() {
    request_.url = secureAddress(request_.url);
    if (auto error = checkAddress()) return error;
    if (request_.method != "GET" && request_.method != "POST") {
        return HttpError::make(HttpErrorKind::unsupportedURL, "method " + request_.method + " is not supported");
    }
    if (destination_) {
        if (auto error = openTemporaryFile()) return error;
    }
    handle_ = curl_easy_init();
    if (!handle_) return HttpError::make(HttpErrorKind::unknown, "libcurl could not make a handle");
    configureHandle();
    return std::nullopt;
}

std::optional<HttpError> HttpTransfer::checkAddress() const {
    CURLU* url = curl_url();
    std::optional<HttpError> error;
    if (curl_url_set(url, CURLUPART_URL, request_.url.c_str(), 0) != CURLUE_OK) {
        error = HttpError::make(HttpErrorKind::badURL, request_.url);
    } else {
        char* scheme = nullptr;
        curl_url_get(url, CURLUPART_SCHEME, &scheme, 0);
        std::string_view name = scheme ? scheme : "";
        if (name != "https") error = HttpError::make(HttpErrorKind::unsupportedURL, request_.url);
        curl_free(scheme);
    }
    curl_url_cleanup(url);
    return error;
}

std::optional<HttpError> HttpTransfer::openTemporaryFile() {
    const auto& target = *destination_;
    // A unique name per transfer: two downloads to one target, or a file left by an interrupted
    // run, never collide.
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".part-XXXXXX")).string();
    int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0) {
        return HttpError::make(HttpErrorKind::cannotWriteToFile, std::string(std::strerror(errno)) + ": " + pattern);
    }
    ::fchmod(descriptor, 0644);
    temporaryPath_ = pattern;
    file_ = ::fdopen(descriptor, "wb");
    if (!file_) {
        ::close(descriptor);
        auto detail = std::string(std::strerror(errno)) + ": " + pattern;
        discardTemporaryFile();
        return HttpError::make(HttpErrorKind::cannotWriteToFile, detail);
    }
    return std::nullopt;
}

void HttpTransfer::configureHandle() {
    const auto& config = *settings_.configuration;
    curl_easy_setopt(handle_, CURLOPT_URL, request_.url.c_str());
    curl_easy_setopt(handle_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, errorBuffer_);
    // A redirect elsewhere than https fails before anything is asked of that address.
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, config.maxRedirects);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(config.connectTimeoutSeconds * 1000));
    // libcurl's idle limit: fewer than 1 byte per second over the whole period counts as stalled.
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, std::max(1L, static_cast<long>(std::ceil(config.idleTimeoutSeconds))));
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle_, CURLOPT_USERAGENT, config.userAgent.c_str());
    curl_easy_setopt(handle_, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &HttpTransfer::receiveBody);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &HttpTransfer::receiveHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
    if (auto limit = bodyLimit()) curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limit));

    for (const auto& [name, value] : request_.headers) {
        headerList_ = curl_slist_append(headerList_, (name + ": " + value).c_str());
    }
    if (request_.method == "POST") {
        // The service answers at once; waiting for "100 Continue" would only add a round trip.
        headerList_ = curl_slist_append(headerList_, "Expect:");
        curl_easy_setopt(handle_, CURLOPT_POST, 1L);
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request_.body.size()));
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, request_.body.data());
    }
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headerList_);

    for (const auto& entry : settings_.connectTo) connectToList_ = curl_slist_append(connectToList_, entry.c_str());
    if (connectToList_) curl_easy_setopt(handle_, CURLOPT_CONNECT_TO, connectToList_);
    configureTrust();
}

namespace {

CURLcode installTrustStore(CURL*, void* sslContext, void* store) {
    static_cast<const TrustStore*>(store)->installInto(sslContext);
    return CURLE_OK;
}

}  // namespace

void HttpTransfer::configureTrust() {
    if (!settings_.trustBundle) return;  // libcurl's default file, which its own cache keeps parsed
    // The store parsed once is installed into each new connection; libcurl then loads no file.
    if (settings_.trustStore &&
        curl_easy_setopt(handle_, CURLOPT_SSL_CTX_FUNCTION, &installTrustStore) == CURLE_OK) {
        curl_easy_setopt(handle_, CURLOPT_SSL_CTX_DATA, settings_.trustStore.get());
        curl_easy_setopt(handle_, CURLOPT_CAINFO, nullptr);
        curl_easy_setopt(handle_, CURLOPT_CAPATH, nullptr);
        return;
    }
    curl_blob blob{const_cast<char*>(settings_.trustBundle->data()), settings_.trustBundle->size(), CURL_BLOB_NOCOPY};
    curl_easy_setopt(handle_, CURLOPT_CAINFO_BLOB, &blob);
}

std::uint64_t HttpTransfer::bodyLimit() const {
    if (request_.maxBodyBytes > 0) return request_.maxBodyBytes;
    return destination_ ? 0 : settings_.configuration->maxMemoryBodyBytes;
}

size_t HttpTransfer::receiveBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<HttpTransfer*>(self)->onBody(data, size * count);
}

size_t HttpTransfer::receiveHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<HttpTransfer*>(self)->onHeader(std::string_view(data, size * count));
    return size * count;
}

bool HttpTransfer::bodyRejectedByStatus() {
    if (!statusAccepted_) {
        long status = 0;
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
        statusAccepted_ = !request_.validateStatus || isAcceptableStatus(status);
    }
    return !*statusAccepted_;
}

size_t HttpTransfer::onBody(const char* data, size_t length) {
    received_ += length;
    auto limit = bodyLimit();
    if (limit > 0 && received_ > limit) {
        exceededLimit_ = true;
        return 0;  // stops the transfer
    }
    bool rejected = bodyRejectedByStatus();
    if (file_ && !rejected) {
        if (std::fwrite(data, 1, length, file_) != length) {
            writeFailure_ = std::strerror(errno);
            return 0;
        }
    } else if (!rejected || body_.size() < kRejectedBodyKeep) {
        body_.append(data, length);
    }
    return length;
}

void HttpTransfer::onHeader(std::string_view line) {
    // Each reply of a redirect chain starts with its status line; keep only the last reply's headers.
    if (line.starts_with("HTTP/")) {
        receivedHeaders_.clear();
        return;
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::string name(trim(line.substr(0, colon)));
    std::string value(trim(line.substr(colon + 1)));
    if (!destination_ && name.size() == 14 && strncasecmp(name.c_str(), "content-length", 14) == 0) {
        auto expected = std::strtoull(value.c_str(), nullptr, 10);
        auto limit = bodyLimit();
        // A little room past the end lets a reader that looks ahead (the JSON parser reads up to
        // 64 bytes past the text) read the body where it lies instead of copying it first.
        if (expected > 0 && (limit == 0 || expected <= limit)) body_.reserve(expected + kReadAheadRoom);
    }
    receivedHeaders_.emplace_back(std::move(name), std::move(value));
}

HttpResponse HttpTransfer::baseResponse() {
    HttpResponse response;
    response.url = request_.url;
    if (handle_) {
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &response.statusCode);
        char* effective = nullptr;
        if (curl_easy_getinfo(handle_, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
            response.url = effective;
        }
    }
    response.headers = std::move(receivedHeaders_);
    response.bodyBytes = received_;
    response.body = std::move(body_);
    return response;
}

std::optional<HttpError> HttpTransfer::errorFor(CURLcode result) const {
    if (result == CURLE_OK) return std::nullopt;
    std::string detail = errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(result);
    if (exceededLimit_) return HttpError::make(HttpErrorKind::dataLengthExceedsMaximum, detail);
    if (!writeFailure_.empty()) return HttpError::make(HttpErrorKind::cannotWriteToFile, writeFailure_);
    auto kind = kindForCurlCode(result);
    auto error = HttpError::make(kind, detail);
    // An unexpected failure is best described in libcurl's own words.
    if (kind == HttpErrorKind::unknown) error.description = detail;
    return error;
}

bool HttpTransfer::readyRetryOnFreshConnection(CURLcode result) {
    if (retried_ || received_ > 0) return false;
    if (result != CURLE_SEND_ERROR && result != CURLE_RECV_ERROR && result != CURLE_GOT_NOTHING) return false;
    long status = 0, newConnections = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(handle_, CURLINFO_NUM_CONNECTS, &newConnections);
    if (status != 0 || newConnections != 0) return false;  // a reply began, or the connection was new
    retried_ = true;
    receivedHeaders_.clear();
    errorBuffer_[0] = '\0';
    curl_easy_setopt(handle_, CURLOPT_FRESH_CONNECT, 1L);
    return true;
}

HttpResponse HttpTransfer::finish(CURLcode result) {
    HttpResponse response = baseResponse();
    response.error = errorFor(result);
    if (!response.error && request_.validateStatus) validateStatus(response);
    if (destination_) {
        if (!response.error) response.error = moveIntoPlace();
        discardTemporaryFile();
    }
    return response;
}

HttpResponse HttpTransfer::abandon(HttpError error) {
    HttpResponse response = baseResponse();
    response.error = std::move(error);
    discardTemporaryFile();
    return response;
}

std::optional<HttpError> HttpTransfer::moveIntoPlace() {
    bool flushed = std::fflush(file_) == 0;
    int closeResult = std::fclose(file_);
    file_ = nullptr;
    if (!flushed || closeResult != 0) return HttpError::make(HttpErrorKind::cannotWriteToFile, std::strerror(errno));
    std::error_code ec;
    std::filesystem::rename(temporaryPath_, *destination_, ec);
    if (ec) return HttpError::make(HttpErrorKind::cannotWriteToFile, ec.message() + ": " + destination_->string());
    temporaryPath_.clear();
    return std::nullopt;
}

void HttpTransfer::discardTemporaryFile() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporaryPath_, ec);
        temporaryPath_.clear();
    }
}

}  // namespace tq
