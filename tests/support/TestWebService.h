#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TestEnvironment.h"

namespace tq::test {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// The host of the media addresses inside the fixture tours.
inline constexpr const char* kFixtureMediaHost = "media.trelvoquest.com";

// One request as the test web service received it.
struct RecordedRequest {
    std::string method;
    std::string target;  // path and query exactly as sent
    std::string path;    // the target before "?"
    std::string query;   // the target after "?", without it
    std::string host;    // the Host header
    HeaderList headers;
    std::string body;

    // The first header of that name, compared without regard to case.
    std::optional<std::string> header(const std::string& name) const;
};

// What the service answers to one request.
struct ScriptedReply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json; charset=utf-8";
    HeaderList headers;
    // Real time the server waits before answering (the client's own timers are not involved).
    double delaySeconds = 0;
    // When set, the reply waits until release(gate) is called.
    std::string gate;
    // When set, the body is this file, sent in chunks rather than held in memory.
    std::filesystem::path file;
    std::size_t chunkBytes = 64 * 1024;
    // When set, the reply announces its full length but the connection closes after this many bytes.
    std::optional<std::size_t> closeAfterBytes;

    static ScriptedReply json(std::string body, int status = 200);
    static ScriptedReply text(std::string body, int status = 200);
    static ScriptedReply bytes(std::string body, std::string contentType = "application/octet-stream");
    static ScriptedReply fromFile(std::filesystem::path file, std::string contentType = "application/octet-stream");
    static ScriptedReply redirect(std::string location, int status = 302);
};

// The product's web service, played on 127.0.0.1 over HTTPS for one test. Each test scripts the
// replies per path; an unscripted path gets 404. Every request is logged. `connect` makes an
// Environment reach this server under the real https addresses of the given host names.
class TestWebService {
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    // Host names the service answers for when a test names none: the three product sites (French
    // first) and the fixtures' media host.
    static std::vector<std::string> defaultHostNames();

    // The service closes a connection that has been idle for `idleSeconds` (0: as soon as a
    // reply has gone and no request follows within a few milliseconds), without telling the
    // client beforehand, as a real server does.
    explicit TestWebService(std::vector<std::string> hostNames = defaultHostNames(), int idleSeconds = 1);
    ~TestWebService();
    TestWebService(const TestWebService&) = delete;
    TestWebService& operator=(const TestWebService&) = delete;

    int port() const;
    std::string address() const;  // "127.0.0.1:<port>"
    const std::vector<std::string>& hostNames() const;
    // The PEM file of the service's self-signed certificate.
    const std::filesystem::path& certificatePath() const;
    // "https://<host><pathAndQuery>", with the first host name when none is given.
    std::string url(const std::string& pathAndQuery, const std::string& host = {}) const;

    // Routes every host name of the service to it and trusts its certificate.
    void connect(Environment& env) const;

    // Scripts the reply to one path (or, when the key holds "?", to one path and query). A later
    // script for the same key replaces the earlier one.
    void reply(const std::string& path, ScriptedReply reply);
    // Scripts the reply to every path that begins with `prefix`; the longest matching prefix wins,
    // and an exact script wins over any prefix.
    void replyToPrefix(const std::string& prefix, ScriptedReply reply);
    // The reply is computed per request.
    void handle(const std::string& prefix, Handler handler);

    // Lets every reply waiting on `gate`, and every later one, go.
    void release(const std::string& gate);
    // Waits (a bounded real time) until `count` replies are waiting on `gate`.
    bool waitUntilHeld(const std::string& gate, int count = 1, double realSeconds = 10.0) const;

    std::vector<RecordedRequest> requests() const;
    std::vector<RecordedRequest> requestsTo(const std::string& path) const;
    std::size_t requestCount() const;
    void clearRequests();

    // Scripts the fixture tours: the catalogue and the full-tour replies of the service.
    void serveFixtureTours();

private:
    class Server;
    std::unique_ptr<Server> server_;
};

// The text of a file under tests/support/fixtures/; fails the test when it cannot be read.
std::string fixtureText(const std::string& name);

// A loopback port on which nothing listens.
int closedLocalPort();

}  // namespace tq::test
