#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "NetTestSupport.h"

namespace tq::test {
namespace {

using HttpDeliveryTest = NetTest;

TEST_F(HttpDeliveryTest, EveryOutcomeRunsExactlyOnceOnTheMainLoop) {
    service.replyToPrefix("/ok/", ScriptedReply::text("fine"));
    service.reply("/bad", ScriptedReply::text("no", 500));
    const auto mainThread = std::this_thread::get_id();
    std::map<int, int> calls;
    bool offMainThread = false;
    const int count = 40;
    for (int i = 0; i < count; ++i) {
        auto path = i % 10 == 9 ? std::string("/bad") : "/ok/" + std::to_string(i);
        client().get(service.url(path), {}, [&, i](HttpResponse) {
            ++calls[i];
            offMainThread |= std::this_thread::get_id() != mainThread;
        });
    }
    EXPECT_TRUE(calls.empty()) << "a completion ran before the loop turned";
    env.settle();
    env.settle();
    ASSERT_EQ(calls.size(), static_cast<size_t>(count));
    for (const auto& [request, times] : calls) EXPECT_EQ(times, 1) << "request " << request;
    EXPECT_FALSE(offMainThread);
}

TEST_F(HttpDeliveryTest, RequestsRunTogetherAndTheReplyThatArrivesLastIsHandledLast) {
    auto first = ScriptedReply::text("first request");
    first.gate = "first";
    service.reply("/list/first", first);
    service.reply("/list/second", ScriptedReply::text("second request"));

    std::vector<std::string> handled;
    auto record = [&](HttpResponse response) { handled.push_back(response.body); };
    client().get(service.url("/list/first"), {}, record);
    ASSERT_TRUE(service.waitUntilHeld("first"));
    client().get(service.url("/list/second"), {}, record);

    ASSERT_TRUE(env.runUntil([&] { return handled.size() == 1; }));
    EXPECT_EQ(handled.front(), "second request");  // not stuck behind the held one
    service.release("first");
    env.settle();
    EXPECT_EQ(handled, (std::vector<std::string>{"second request", "first request"}));
}

TEST_F(HttpDeliveryTest, BurstToOneHostQueuesBehindSixConnections) {
    auto held = ScriptedReply::text("done");
    held.gate = "burst";
    service.replyToPrefix("/burst/", held);
    int finished = 0;
    for (int i = 0; i < 10; ++i) client().get(service.url("/burst/" + std::to_string(i)), {}, [&](HttpResponse) { ++finished; });
    ASSERT_TRUE(service.waitUntilHeld("burst", 6));
    EXPECT_FALSE(service.waitUntilHeld("burst", 7, 0.3));
    service.release("burst");
    env.settle();
    EXPECT_EQ(finished, 10);
}

TEST_F(HttpDeliveryTest, CompletionsOfADestroyedClientNeverRun) {
    auto held = ScriptedReply::text("too late");
    held.gate = "late";
    service.reply("/late", held);
    service.reply("/quick", ScriptedReply::text("quick"));
    bool ran = false;
    {
        auto& client = env->shared<HttpClient>();
        client.get(service.url("/late"), {}, [&](HttpResponse) { ran = true; });
        client.get(service.url("/quick"), {}, [&](HttpResponse) { ran = true; });
        ASSERT_TRUE(service.waitUntilHeld("late"));
        // Let the quick reply reach the loop's queue without running it.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (service.requestsTo("/quick").empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    env->install(std::shared_ptr<HttpClient>());  // the environment drops its client
    service.release("late");
    env.settle();
    EXPECT_FALSE(ran);
    EXPECT_EQ(env->loop().externalWorkInFlight(), 0);
}

}  // namespace
}  // namespace tq::test
