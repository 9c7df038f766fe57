#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "NetTestSupport.h"

namespace tq::test {
namespace {

// A plain-text HTTP server on loopback that answers every connection with a small page and counts
// the connections, so a test can show that nothing ever reached it.
class PlainServer {
public:
    PlainServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~PlainServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_; }

private:
    void serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0) continue;
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            ++connections_;
            const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nplain";
            [[maybe_unused]] auto sent = ::send(client, reply, sizeof reply - 1, MSG_NOSIGNAL);
            ::close(client);
        }
    }
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

class PlaintextTest : public NetTest {
protected:
    void SetUp() override {
        NetTest::SetUp();
        env->hostRoutes()["plain.example.org"] = plain.address();
    }
    PlainServer plain;
};

TEST_F(PlaintextTest, ARedirectToPlainHttpFailsEveryKindOfRequest) {
    service.reply("/moved", ScriptedReply::redirect("http://plain.example.org/catalogue"));
    auto folder = env.root() / "downloads";
    std::filesystem::create_directories(folder);
    auto destination = folder / "tour.zip";

    struct Case {
        const char* label;
        std::function<HttpResponse()> run;
    };
    const Case cases[] = {
        {"in-memory GET", [&] { return fetch("/moved"); }},
        {"streamed download", [&] { return download("/moved", destination); }},
        {"form POST",
         [&] {
             std::optional<HttpResponse> outcome;
             client().postForm(service.url("/moved"), {{"id", "418"}}, kFormContentType, {},
                               [&](HttpResponse response) { outcome = std::move(response); });
             env.settle();
             return outcome.value_or(HttpResponse{});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto response = c.run();
        EXPECT_EQ(kindOf(response), HttpErrorKind::secureConnectionRequired);
        EXPECT_EQ(response.error->description,
                  "The resource could not be loaded because a secure connection is required.");
        EXPECT_NE(response.body, "plain");
    }
    EXPECT_EQ(service.requestsTo("/moved").size(), 3u);
    EXPECT_EQ(plain.connections(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder));  // no download, no temporary file
}

TEST_F(PlaintextTest, AnHttpAddressIsAskedForOverHttpsAtTheSameHostAndPath) {
    service.reply("/public/media/intro.mp3", ScriptedReply::bytes("ID3 audio"));
    auto host = service.hostNames().at(0);
    auto response = fetch(HttpRequest::get("http://" + host + "/public/media/intro.mp3"));
    ASSERT_TRUE(response.succeeded()) << response.error->description;
    EXPECT_EQ(response.body, "ID3 audio");
    EXPECT_EQ(response.url, "https://" + host + "/public/media/intro.mp3");
    EXPECT_EQ(service.requestsTo("/public/media/intro.mp3").at(0).host, host);

    auto file = env.root() / "intro.mp3";
    std::optional<HttpResponse> streamed;
    client().download(HttpRequest::get("HTTP://" + host + "/public/media/intro.mp3"), file,
                      [&](HttpResponse r) { streamed = std::move(r); });
    env.settle();
    ASSERT_TRUE(streamed && streamed->succeeded());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(plain.connections(), 0);
}

}  // namespace
}  // namespace tq::test
