#include "platform/net/HttpClient.h"

#include <curl/curl.h>

#include <csignal>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/Environment.h"
#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpTransfer.h"

namespace tq {
namespace {

void initialiseProcessOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        // With signals off in libcurl, a peer that closes a connection would otherwise end the
        // process with SIGPIPE while TLS writes to the socket.
        std::signal(SIGPIPE, SIG_IGN);
    });
}

std::vector<std::string> connectToEntries(const std::map<std::string, std::string>& routes) {
    std::vector<std::string> entries;
    for (const auto& [host, address] : routes) {
        // An empty port matches the URL's port, whatever it is.
        entries.push_back(host + "::" + address);
    }
    return entries;
}

}  // namespace

// The I/O thread: one libcurl multi handle driving every transfer. Transfers and cancellations
// reach it through a locked inbox; outcomes leave it through the loop's gate, which drops them
// once the loop has gone.
class HttpClient::IoThread {
public:
    IoThread(MainLoop& loop, std::shared_ptr<bool> alive, long maxConnectionsPerHost)
        : loop_(loop), gate_(loop.gate()), alive_(std::move(alive)) {
        multi_ = curl_multi_init();
        curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, maxConnectionsPerHost);
        // TLS sessions are shared between the client's connections, so a new connection to a host
        // already met resumes its session instead of running a full handshake. Every user of the
        // share runs on this thread: it needs no lock.
        share_ = curl_share_init();
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        thread_ = std::thread([this] { run(); });
    }

    ~IoThread() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        curl_multi_wakeup(multi_);
        thread_.join();
        // Transfers that never reached the loop are dropped here: their completions never run.
        int dropped = static_cast<int>(incoming_.size() + active_.size());
        for (auto& [id, transfer] : active_) curl_multi_remove_handle(multi_, transfer->handle());
        active_.clear();
        incoming_.clear();
        curl_multi_cleanup(multi_);
        curl_share_cleanup(share_);
        for (int i = 0; i < dropped; ++i) loop_.endExternalWork();
    }

    void add(std::unique_ptr<HttpTransfer> transfer) {
        {
            std::lock_guard lock(mutex_);
            incoming_.push_back(std::move(transfer));
        }
        curl_multi_wakeup(multi_);
    }

    void cancel(HttpRequestId id) {
        {
            std::lock_guard lock(mutex_);
            cancels_.push_back(id);
        }
        curl_multi_wakeup(multi_);
    }

private:
    void run() {
        while (takeInbox()) {
            int running = 0;
            curl_multi_perform(multi_, &running);
            collectFinished();
            curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
        }
    }

    // Starts the new transfers and applies the cancellations; false once the client is stopping.
    bool takeInbox() {
        std::vector<std::unique_ptr<HttpTransfer>> incoming;
        std::vector<HttpRequestId> cancels;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return false;
            incoming.swap(incoming_);
            cancels.swap(cancels_);
        }
        for (auto& transfer : incoming) begin(std::move(transfer));
        for (auto id : cancels) stop(id);
        return true;
    }

    void begin(std::unique_ptr<HttpTransfer> transfer) {
        if (auto error = transfer->start()) {
            deliver(*transfer, transfer->abandon(*error));
            return;
        }
        curl_easy_setopt(transfer->handle(), CURLOPT_SHARE, share_);
        curl_multi_add_handle(multi_, transfer->handle());
        auto id = transfer->id();
        active_[id] = std::move(transfer);
    }

    void stop(HttpRequestId id) {
        auto it = active_.find(id);
        if (it == active_.end()) return;
        curl_multi_remove_handle(multi_, it->second->handle());
        deliver(*it->second, it->second->abandon(HttpError::make(HttpErrorKind::cancelled)));
        active_.erase(it);
    }

    void collectFinished() {
        std::vector<CURL*> retries;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            HttpTransfer* finished = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &finished);
            CURLcode result = message->data.result;
            curl_multi_remove_handle(multi_, message->easy_handle);
            if (finished->readyRetryOnFreshConnection(result)) {
                retries.push_back(message->easy_handle);
                continue;
            }
            auto it = active_.find(finished->id());
            deliver(*finished, finished->finish(result));
            active_.erase(it);
        }
        for (CURL* handle : retries) curl_multi_add_handle(multi_, handle);
    }

    void deliver(HttpTransfer& transfer, HttpResponse response) {
        gate_->post([alive = alive_, loop = &loop_, completion = transfer.takeCompletion(),
                    response = std::move(response)]() mutable {
            // The client may have gone since the outcome was queued; its completions go with it.
            if (*alive && completion) completion(std::move(response));
            loop->endExternalWork();
        });
    }

    MainLoop& loop_;  // main thread only: the client goes before its loop
    std::shared_ptr<LoopGate> gate_;
    std::shared_ptr<bool> alive_;
    CURLM* multi_ = nullptr;
    CURLSH* share_ = nullptr;
    std::mutex mutex_;
    std::vector<std::unique_ptr<HttpTransfer>> incoming_;
    std::vector<HttpRequestId> cancels_;
    bool stopping_ = false;
    std::map<HttpRequestId, std::unique_ptr<HttpTransfer>> active_;  // I/O thread only
    std::thread thread_;
};

HttpClient::HttpClient(Environment& env) : HttpClient(env, HttpClientConfiguration{}) {}

HttpClient::HttpClient(Environment& env, HttpClientConfiguration configuration)
    : env_(env), configuration_(std::move(configuration)), alive_(std::make_shared<bool>(true)) {
    initialiseProcessOnce();
    io_ = std::make_unique<IoThread>(env_.loop(), alive_, configuration_.maxConnectionsPerHost);
}

HttpClient::~HttpClient() {
    *alive_ = false;
    io_.reset();
}

HttpRequestId HttpClient::send(HttpRequest request, Completion completion) {
    return submit(std::move(request), std::nullopt, std::move(completion));
}

HttpRequestId HttpClient::get(std::string url, HttpHeaders headers, Completion completion) {
    return send(HttpRequest::get(std::move(url), std::move(headers)), std::move(completion));
}

HttpRequestId HttpClient::postForm(std::string url, const FormObject& fields, std::string contentType,
                                   HttpHeaders headers, Completion completion) {
    headers.emplace_back("Content-Type", std::move(contentType));
    return send(HttpRequest::post(std::move(url), encodeForm(fields), std::move(headers)), std::move(completion));
}

HttpRequestId HttpClient::download(HttpRequest request, std::filesystem::path destination, Completion completion) {
    return submit(std::move(request), std::move(destination), std::move(completion));
}

void HttpClient::cancel(HttpRequestId id) { io_->cancel(id); }

HttpRequestId HttpClient::submit(HttpRequest request, std::optional<std::filesystem::path> destination,
                                 Completion completion) {
    auto id = nextId_++;
    TransferSettings settings{&configuration_, connectToEntries(env_.hostRoutes()), trustBundle(), trustStore()};
    env_.loop().beginExternalWork();
    io_->add(std::make_unique<HttpTransfer>(id, std::move(request), std::move(destination), std::move(completion),
                                            std::move(settings)));
    return id;
}

std::shared_ptr<const std::string> HttpClient::trustBundle() {
    const auto& extra = env_.extraTrustedCertificate();
    if (!extra) return nullptr;
    if (trustBundle_ && bundleSourcePath_ == *extra) return trustBundle_;
    std::string bundle = readFile(configuration_.systemCertificates).value_or("");
    bundle += "\n";
    bundle += readFile(*extra).value_or("");
    bundleSourcePath_ = *extra;
    trustBundle_ = std::make_shared<const std::string>(std::move(bundle));
    trustStore_.reset();
    return trustBundle_;
}

std::shared_ptr<const TrustStore> HttpClient::trustStore() {
    auto bundle = trustBundle();
    if (!bundle) return nullptr;
    if (!trustStore_) trustStore_ = TrustStore::fromPem(*bundle);
    return trustStore_;
}

}  // namespace tq
