#include <gio/gunixsocketaddress.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>
#include <string>
#include <vector>

#include "desktop/LinkChannel.h"
#include "support/TestEnvironment.h"

namespace tq::test {
namespace {

using desktop::handLinkToRunningProgram;
using desktop::LinkChannel;

// Runs GLib's loop (where the channel answers) until the second start, on its own thread, ends.
template <class T>
T whileLoopRuns(std::future<T> second) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (second.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the second start did not end within 20 s";
            break;
        }
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::yield();
    }
    return second.get();
}

bool handOff(const std::string& path, const std::string& address) {
    return whileLoopRuns(std::async(std::launch::async, [=] { return handLinkToRunningProgram(path, address); }));
}

TEST(LinkChannelTest, ASecondStartHandsItsLinkToTheRunningProgram) {
    TempDir runtime;
    const std::string path = (runtime.path() / "links").string();
    const std::string link = "https://www.trelvoquest.com/circuit/9102/old-lyon/1";

    // None runs yet: the start goes on as the first.
    EXPECT_FALSE(handOff(path, link));

    std::vector<std::string> routed;
    {
        LinkChannel channel(path, [&](const std::string& address) { routed.push_back(address); });
        ASSERT_TRUE(channel.listening());
        EXPECT_TRUE(handOff(path, link));
        EXPECT_TRUE(handOff(path, "https://www.trelvoquest.es/circuit/9121"));
        EXPECT_EQ(routed, (std::vector<std::string>{link, "https://www.trelvoquest.es/circuit/9121"}));

        // While it listens, another program does not take its channel away.
        LinkChannel other(path, [](const std::string&) { ADD_FAILURE() << "the second channel was handed a link"; });
        EXPECT_FALSE(other.listening());
        EXPECT_TRUE(handOff(path, link));
        EXPECT_EQ(routed.size(), 3u);
    }
    // The program that quit leaves no socket behind.
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(handOff(path, link));
}

TEST(LinkChannelTest, ASocketLeftByAKilledProgramIsTakenOver) {
    TempDir runtime;
    const std::string path = (runtime.path() / "links").string();
    // A socket file no one listens on, as a killed program leaves it.
    {
        GSocket* socket = g_socket_new(G_SOCKET_FAMILY_UNIX, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_DEFAULT, nullptr);
        GSocketAddress* address = g_unix_socket_address_new(path.c_str());
        ASSERT_TRUE(g_socket_bind(socket, address, TRUE, nullptr));
        g_object_unref(address);
        g_socket_close(socket, nullptr);
        g_object_unref(socket);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(handOff(path, "https://www.trelvoquest.com/circuit/9102"));

    int routed = 0;
    LinkChannel channel(path, [&](const std::string&) { ++routed; });
    ASSERT_TRUE(channel.listening());
    EXPECT_TRUE(handOff(path, "https://www.trelvoquest.com/circuit/9102"));
    EXPECT_EQ(routed, 1);
}

TEST(LinkChannelTest, ARequestThatIsNoLinkIsRefusedAndRoutesNothing) {
    TempDir runtime;
    const std::string path = (runtime.path() / "links").string();
    int routed = 0;
    LinkChannel channel(path, [&](const std::string&) { ++routed; });
    ASSERT_TRUE(channel.listening());
    EXPECT_EQ(channel.answer("quit"), "refused");
    EXPECT_EQ(channel.answer(""), "refused");
    // An address of more than one line, or beyond any real one, is not even sent.
    EXPECT_FALSE(handOff(path, "https://www.trelvoquest.com/circuit/1\nopen https://evil.example"));
    EXPECT_FALSE(handOff(path, "https://www.trelvoquest.com/circuit/" + std::string(20000, '9')));
    EXPECT_EQ(routed, 0);
}

}  // namespace
}  // namespace tq::test
