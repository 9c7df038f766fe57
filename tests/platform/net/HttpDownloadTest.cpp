#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/foundation/FileSystem.h"
#include "NetTestSupport.h"

namespace tq::test {
namespace {

class HttpDownloadTest : public NetTest {
protected:
    std::filesystem::path folder() { return env.root() / "downloads"; }

    void SetUp() override {
        NetTest::SetUp();
        std::filesystem::create_directories(folder());
    }

    std::string randomBytes(std::size_t size) {
        std::mt19937 random(42);
        std::string bytes(size, '\0');
        for (auto& c : bytes) c = static_cast<char>(random());
        return bytes;
    }

    // Files in the download folder other than `keep`.
    std::vector<std::string> leftovers(const std::string& keep = {}) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
        }
        return names;
    }
};

TEST_F(HttpDownloadTest, LargeFileArrivesWholeUnderItsName) {
    auto source = env.root() / "source.mp4";
    auto bytes = randomBytes(5 * 1024 * 1024 + 17);
    ASSERT_TRUE(writeFileAtomically(source, bytes));
    service.reply("/public/media/video/21.mp4", ScriptedReply::fromFile(source, "video/mp4"));

    auto target = folder() / "2121.mp4";
    auto response = download("/public/media/video/21.mp4", target);

    ASSERT_TRUE(response.succeeded()) << response.error->description;
    EXPECT_TRUE(response.body.empty());
    EXPECT_EQ(response.bodyBytes, bytes.size());
    EXPECT_EQ(readFile(target), bytes);
    EXPECT_TRUE(leftovers("2121.mp4").empty());
}

TEST_F(HttpDownloadTest, FailedDownloadLeavesNothingAndKeepsTheOldFile) {
    auto truncated = ScriptedReply::bytes(randomBytes(400000));
    truncated.closeAfterBytes = 150000;
    service.reply("/cut", truncated);
    service.reply("/missing", ScriptedReply::text("<html>not found</html>", 404));

    struct Case {
        const char* path;
        HttpErrorKind kind;
    };
    for (const auto& [path, kind] : {Case{"/cut", HttpErrorKind::networkConnectionLost},
                                     Case{"/missing", HttpErrorKind::unacceptableStatusCode}}) {
        SCOPED_TRACE(path);
        auto fresh = folder() / "fresh.jpg";
        EXPECT_EQ(kindOf(download(path, fresh)), kind);
        EXPECT_FALSE(std::filesystem::exists(fresh));

        auto existing = folder() / "existing.jpg";
        ASSERT_TRUE(writeFileAtomically(existing, "previous picture"));
        EXPECT_EQ(kindOf(download(path, existing)), kind);
        EXPECT_EQ(readFile(existing), "previous picture");
        EXPECT_TRUE(leftovers("existing.jpg").empty());
    }
}

TEST_F(HttpDownloadTest, TwoDownloadsToOneTargetNeverMixTheirBytes) {
    service.reply("/a", ScriptedReply::bytes(std::string(300000, 'a')));
    service.reply("/b", ScriptedReply::bytes(std::string(300000, 'b')));
    auto target = folder() / "same.bin";
    int succeeded = 0;
    for (const char* path : {"/a", "/b"}) {
        client().download(HttpRequest::get(service.url(path)), target, [&](HttpResponse response) {
            succeeded += response.succeeded();
        });
    }
    env.settle();
    EXPECT_EQ(succeeded, 2);
    auto bytes = readFile(target).value_or("");
    EXPECT_TRUE(bytes == std::string(300000, 'a') || bytes == std::string(300000, 'b'));
    EXPECT_TRUE(leftovers("same.bin").empty());
}

TEST_F(HttpDownloadTest, MissingFolderFailsAsAWriteErrorWithoutARequest) {
    service.reply("/file", ScriptedReply::bytes("data"));
    auto response = download("/file", folder() / "no-such-folder" / "file.bin");
    EXPECT_EQ(kindOf(response), HttpErrorKind::cannotWriteToFile);
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(HttpDownloadTest, CancelledDownloadReportsCancelledAndLeavesNothing) {
    auto held = ScriptedReply::bytes("never sent");
    held.gate = "hold";
    service.reply("/held", held);
    std::optional<HttpResponse> outcome;
    auto id = client().download(HttpRequest::get(service.url("/held")), folder() / "held.bin",
                                [&](HttpResponse response) { outcome = std::move(response); });
    ASSERT_TRUE(service.waitUntilHeld("hold"));
    client().cancel(id);
    env.settle();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(kindOf(*outcome), HttpErrorKind::cancelled);
    EXPECT_TRUE(leftovers().empty());
    service.release("hold");
}

// A server closes connections that sit idle, and the client may send its next request on one just
// closed. That request has received nothing: it goes again on a new connection instead of failing.
TEST(HttpDownloadOverKeptConnections, ConnectionsTheServerClosedWhileIdleFailNoDownload) {
    TestWebService service;  // closes a connection idle for a second
    TestEnvironment env;
    service.connect(env.env());
    service.replyToPrefix("/media/", ScriptedReply::bytes(std::string(20000, 'm')));
    auto folder = env.root() / "downloads";
    std::filesystem::create_directories(folder);

    std::vector<std::string> failures;
    for (int round = 0; round < 3; ++round) {
        for (int file = 0; file < 12; ++file) {
            auto name = std::to_string(round) + "-" + std::to_string(file);
            env->shared<HttpClient>().download(HttpRequest::get(service.url("/media/" + name)), folder / name,
                                               [&, name](HttpResponse response) {
                                                   if (!response.succeeded()) failures.push_back(name + ": " + response.error->detail);
                                               });
        }
        env.settle();
        // Real time for the service to close the connections the client keeps.
        if (round < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    }
    EXPECT_EQ(failures, std::vector<std::string>{});
}

}  // namespace
}  // namespace tq::test
