#include "support/TestWebService.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "product/ProductSites.h"
#include "platform/foundation/FileSystem.h"
#include "HttpsServer.h"

namespace tq::test {
namespace {

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

RecordedRequest recordOf(const httplib::Request& request) {
    RecordedRequest record;
    record.method = request.method;
    record.target = request.target;
    auto question = record.target.find('?');
    record.path = record.target.substr(0, question);
    if (question != std::string::npos) record.query = record.target.substr(question + 1);
    record.host = request.get_header_value("Host");
    for (const auto& [name, value] : request.headers) record.headers.emplace_back(name, value);
    record.body = request.body;
    return record;
}

// Sends `size` bytes, `chunk` at a time, stopping early (and so closing the connection) at
// `closeAfter` when it is set. `bytesAt(offset, count)` points at the bytes to send next.
template <class BytesAt>
void provideBody(httplib::Response& response, std::size_t size, const std::string& contentType, std::size_t chunk,
                 std::optional<std::size_t> closeAfter, BytesAt bytesAt) {
    chunk = std::max<std::size_t>(1, chunk);
    response.set_content_provider(
        size, contentType, [bytesAt, chunk, closeAfter](size_t offset, size_t length, httplib::DataSink& sink) mutable {
            if (closeAfter && offset >= *closeAfter) return false;
            size_t count = std::min(length, chunk);
            if (closeAfter) count = std::min(count, *closeAfter - offset);
            const char* bytes = bytesAt(offset, count);
            return bytes && sink.write(bytes, count);
        });
}

// An open file whose bytes are read into one buffer, reused for every chunk of the reply.
struct FileSource {
    explicit FileSource(const std::filesystem::path& path) : descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileSource() {
        if (descriptor >= 0) ::close(descriptor);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    const char* read(std::size_t offset, std::size_t count) {
        buffer.resize(count);
        std::size_t done = 0;
        while (done < count) {
            auto n = ::pread(descriptor, buffer.data() + done, count - done, static_cast<off_t>(offset + done));
            if (n <= 0) return nullptr;
            done += static_cast<std::size_t>(n);
        }
        return buffer.data();
    }

    int descriptor;
    std::string buffer;
};

}  // namespace

std::optional<std::string> RecordedRequest::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (sameName(key, name)) return value;
    }
    return std::nullopt;
}

ScriptedReply ScriptedReply::json(std::string body, int status) {
    ScriptedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

ScriptedReply ScriptedReply::text(std::string body, int status) {
    ScriptedReply reply = json(std::move(body), status);
    reply.contentType = "text/plain; charset=utf-8";
    return reply;
}

ScriptedReply ScriptedReply::bytes(std::string body, std::string contentType) {
    ScriptedReply reply = json(std::move(body));
    reply.contentType = std::move(contentType);
    return reply;
}

ScriptedReply ScriptedReply::fromFile(std::filesystem::path file, std::string contentType) {
    ScriptedReply reply;
    reply.file = std::move(file);
    reply.contentType = std::move(contentType);
    return reply;
}

ScriptedReply ScriptedReply::redirect(std::string location, int status) {
    ScriptedReply reply = text("", status);
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

class TestWebService::Server {
public:
    Server(std::vector<std::string> names, int idleSeconds) : hostNames(std::move(names)) {
        auto certificate = local::selfSignedCertificate(hostNames);
        certificatePath = dir.path() / "service-certificate.pem";
        EXPECT_TRUE(writeFileAtomically(certificatePath, certificate.certificatePem));
        http = makeServer(certificate, idleSeconds);
        port = local::listenOnLoopback(*http, 0, listener);
    }

    ~Server() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        http->stop();
        listener.join();
    }

    std::vector<std::string> hostNames;
    TempDir dir;
    std::filesystem::path certificatePath;
    std::unique_ptr<httplib::SSLServer> http;
    int port = 0;
    std::thread listener;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    // Scripted replies are held shared, so answering never copies a body.
    using SharedHandler = std::function<std::shared_ptr<const ScriptedReply>(const RecordedRequest&)>;
    static SharedHandler fixed(ScriptedReply reply) {
        return [shared = std::make_shared<const ScriptedReply>(std::move(reply))](const RecordedRequest&) { return shared; };
    }
    std::map<std::string, SharedHandler> exact;
    std::map<std::string, SharedHandler> prefixes;
    struct Gate {
        bool open = false;
        int waiting = 0;
    };
    std::map<std::string, Gate> gates;
    std::vector<RecordedRequest> log;
    bool stopping = false;

private:
    std::unique_ptr<httplib::SSLServer> makeServer(const local::CertificatePem& certificate, int idleSeconds) {
        // Enough threads for the client's connections to every host, plus replies held at a gate.
        // Idle connections are kept a while (a second unless the test asks otherwise), as a real
        // server keeps them. A test that stops the service while a client still holds a
        // connection waits for that time, so fixtures destroy their clients first.
        auto server = local::makeHttpsServer(certificate, idleSeconds, 64);
        auto serve = [this](const httplib::Request& request, httplib::Response& response) { answer(request, response); };
        server->Get(".*", serve);
        server->Post(".*", serve);
        server->Put(".*", serve);
        server->Delete(".*", serve);
        server->Patch(".*", serve);
        return server;
    }

    SharedHandler handlerFor(const RecordedRequest& request) const {
        if (auto it = exact.find(request.target); it != exact.end()) return it->second;
        if (auto it = exact.find(request.path); it != exact.end()) return it->second;
        const SharedHandler* best = nullptr;
        std::size_t bestLength = 0;
        for (const auto& [prefix, handler] : prefixes) {
            if (request.target.starts_with(prefix) && (!best || prefix.size() >= bestLength)) {
                best = &handler;
                bestLength = prefix.size();
            }
        }
        return best ? *best : SharedHandler{};
    }

    // Holds the reply for its delay and its gate; false when the service is stopping.
    bool wait(const ScriptedReply& reply) {
        std::unique_lock lock(mutex);
        if (reply.delaySeconds > 0) {
            changed.wait_for(lock, std::chrono::duration<double>(reply.delaySeconds), [this] { return stopping; });
        }
        if (!reply.gate.empty()) {
            ++gates[reply.gate].waiting;
            changed.notify_all();
            changed.wait(lock, [&] { return stopping || gates[reply.gate].open; });
            --gates[reply.gate].waiting;
        }
        return !stopping;
    }

    void answer(const httplib::Request& request, httplib::Response& response) {
        RecordedRequest record = recordOf(request);
        SharedHandler handler;
        {
            std::lock_guard lock(mutex);
            log.push_back(record);
            handler = handlerFor(record);
        }
        auto reply = handler ? handler(record) : std::make_shared<const ScriptedReply>(ScriptedReply::text("not found", 404));
        if (!wait(*reply)) {
            response.status = 503;
            return;
        }
        send(reply, response);
    }

    // The reply is shared with its script, never copied: a large body goes out from where the
    // script holds it, in one write unless the reply asks for chunks.
    static void send(const std::shared_ptr<const ScriptedReply>& reply, httplib::Response& response) {
        response.status = reply->status;
        for (const auto& [name, value] : reply->headers) response.set_header(name, value);
        if (!reply->file.empty()) {
            std::error_code ec;
            auto size = std::filesystem::file_size(reply->file, ec);
            auto source = std::make_shared<FileSource>(reply->file);
            if (ec || source->descriptor < 0) {
                response.status = 500;
                return;
            }
            provideBody(response, size, reply->contentType, reply->chunkBytes, reply->closeAfterBytes,
                        [source](size_t offset, size_t count) { return source->read(offset, count); });
        } else if (reply->body.empty()) {
            response.set_content("", reply->contentType);
        } else {
            auto chunk = reply->closeAfterBytes ? reply->chunkBytes : reply->body.size();
            provideBody(response, reply->body.size(), reply->contentType, chunk, reply->closeAfterBytes,
                        [reply](size_t offset, size_t) { return reply->body.data() + offset; });
        }
    }
};

std::vector<std::string> TestWebService::defaultHostNames() {
    return {ProductSites::french, ProductSites::english, ProductSites::spanish, kFixtureMediaHost};
}

TestWebService::TestWebService(std::vector<std::string> hostNames, int idleSeconds)
    : server_(std::make_unique<Server>(std::move(hostNames), idleSeconds)) {}

TestWebService::~TestWebService() = default;

int TestWebService::port() const { return server_->port; }

std::string TestWebService::address() const { return "127.0.0.1:" + std::to_string(server_->port); }

const std::vector<std::string>& TestWebService::hostNames() const { return server_->hostNames; }

const std::filesystem::path& TestWebService::certificatePath() const { return server_->certificatePath; }

std::string TestWebService::url(const std::string& pathAndQuery, const std::string& host) const {
    return "https://" + (host.empty() ? server_->hostNames.front() : host) + pathAndQuery;
}

void TestWebService::connect(Environment& env) const {
    for (const auto& host : server_->hostNames) env.hostRoutes()[host] = address();
    env.extraTrustedCertificate() = server_->certificatePath;
}

void TestWebService::reply(const std::string& path, ScriptedReply reply) {
    std::lock_guard lock(server_->mutex);
    server_->exact[path] = Server::fixed(std::move(reply));
}

void TestWebService::replyToPrefix(const std::string& prefix, ScriptedReply reply) {
    std::lock_guard lock(server_->mutex);
    server_->prefixes[prefix] = Server::fixed(std::move(reply));
}

void TestWebService::handle(const std::string& prefix, Handler handler) {
    std::lock_guard lock(server_->mutex);
    server_->prefixes[prefix] = [handler = std::move(handler)](const RecordedRequest& request) {
        return std::make_shared<const ScriptedReply>(handler(request));
    };
}

void TestWebService::release(const std::string& gate) {
    {
        std::lock_guard lock(server_->mutex);
        server_->gates[gate].open = true;
    }
    server_->changed.notify_all();
}

bool TestWebService::waitUntilHeld(const std::string& gate, int count, double realSeconds) const {
    std::unique_lock lock(server_->mutex);
    return server_->changed.wait_for(lock, std::chrono::duration<double>(realSeconds), [&] {
        auto it = server_->gates.find(gate);
        return it != server_->gates.end() && it->second.waiting >= count;
    });
}

std::vector<RecordedRequest> TestWebService::requests() const {
    std::lock_guard lock(server_->mutex);
    return server_->log;
}

std::vector<RecordedRequest> TestWebService::requestsTo(const std::string& path) const {
    std::vector<RecordedRequest> out;
    for (auto& request : requests()) {
        if (request.path == path) out.push_back(std::move(request));
    }
    return out;
}

std::size_t TestWebService::requestCount() const {
    std::lock_guard lock(server_->mutex);
    return server_->log.size();
}

void TestWebService::clearRequests() {
    std::lock_guard lock(server_->mutex);
    server_->log.clear();
}

void TestWebService::serveFixtureTours() {
    replyToPrefix("/public/webservice/getSimpleListCatalogV2/", ScriptedReply::json(fixtureText("catalogue.json")));
    replyToPrefix("/public/webservice/getFullCircuit/", ScriptedReply::json(fixtureText("full-tour.json")));
}

std::string fixtureText(const std::string& name) {
    auto path = std::filesystem::path(TQ_TEST_SOURCE_DIR) / "tests" / "support" / "fixtures" / name;
    auto text = readFile(path);
    if (!text) ADD_FAILURE() << "fixture missing: " << path;
    return text.value_or("");
}

int closedLocalPort() {
    int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(sock);
    return ntohs(address.sin_port);
}

}  // namespace tq::test
