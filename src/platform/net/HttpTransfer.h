#pragma once

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/net/HttpClient.h"
#include "platform/net/TrustStore.h"

namespace tq {

// What a transfer takes from the client and the Environment when it is submitted, so that the I/O
// thread never reads either.
struct TransferSettings {
    const HttpClientConfiguration* configuration = nullptr;
    std::vector<std::string> connectTo;              // libcurl connect-to entries, "host::127.0.0.1:8443"
    std::shared_ptr<const std::string> trustBundle;  // PEM authorities; none: libcurl's default file
    std::shared_ptr<const TrustStore> trustStore;    // the same authorities, parsed once
};

// One request on the I/O thread: its libcurl handle, what has been received so far and, for a
// streamed download, the temporary file. Used only by the client's I/O thread.
class HttpTransfer {
public:
    HttpTransfer(HttpRequestId id, HttpRequest request, std::optional<std::filesystem::path> destination,
                 HttpClient::Completion completion, TransferSettings settings);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    HttpRequestId id() const { return id_; }
    CURL* handle() const { return handle_; }
    HttpClient::Completion takeCompletion() { return std::move(completion_); }

    // Sets up the libcurl handle (and the temporary file of a download). An error means the
    // transfer cannot start and is the outcome to deliver.
    std::optional<HttpError> start();
    // Whether a failed transfer is to be sent again, and if so readies it for a new connection.
    // A kept connection that the server closed while it sat idle fails the next request sent on
    // it before any reply arrives; that request is sent once more on a connection of its own.
    bool readyRetryOnFreshConnection(CURLcode result);
    // The outcome once libcurl has finished with the handle; moves a download into place.
    HttpResponse finish(CURLcode result);
    // The outcome of a transfer stopped before its end; drops any temporary file.
    HttpResponse abandon(HttpError error);

private:
    static size_t receiveBody(char* data, size_t size, size_t count, void* self);
    static size_t receiveHeader(char* data, size_t size, size_t count, void* self);
    size_t onBody(const char* data, size_t length);
    void onHeader(std::string_view line);
    std::optional<HttpError> checkAddress() const;
    std::optional<HttpError> openTemporaryFile();
    void configureHandle();
    void configureTrust();
    std::uint64_t bodyLimit() const;
    bool bodyRejectedByStatus();
    std::optional<HttpError> errorFor(CURLcode result) const;
    std::optional<HttpError> moveIntoPlace();
    void discardTemporaryFile();
    HttpResponse baseResponse();

    HttpRequestId id_;
    HttpRequest request_;
    std::optional<std::filesystem::path> destination_;
    HttpClient::Completion completion_;
    TransferSettings settings_;

    CURL* handle_ = nullptr;
    curl_slist* headerList_ = nullptr;
    curl_slist* connectToList_ = nullptr;
    char errorBuffer_[CURL_ERROR_SIZE] = {};

    HttpHeaders receivedHeaders_;
    std::string body_;
    std::uint64_t received_ = 0;
    std::optional<bool> statusAccepted_;  // known once the first body byte arrives
    bool exceededLimit_ = false;
    bool retried_ = false;
    std::string writeFailure_;

    std::filesystem::path temporaryPath_;
    std::FILE* file_ = nullptr;
};

}  // namespace tq
