#include <gtest/gtest.h>

#include <optional>

#include "platform/foundation/NotificationCenter.h"

namespace tq {
namespace {

TEST(NotificationCenter, DeliversSynchronouslyInRegistrationOrderByNameOnly) {
    NotificationCenter center;
    std::vector<int> calls;
    auto a = center.addObserver("DownloadComplete", [&] { calls.push_back(1); });
    auto b = center.addObserver("DownloadError", [&] { calls.push_back(9); });
    auto c = center.addObserver("DownloadComplete", [&] { calls.push_back(2); });
    center.post("DownloadComplete");
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
}

TEST(NotificationCenter, ObserverGoesAwayWithItsOwner) {
    NotificationCenter center;
    int calls = 0;
    {
        struct Screen {
            ObserverToken token;
        } screen;
        screen.token = center.addObserver("UpdateComplete", [&] { ++calls; });
        center.post("UpdateComplete");
    }
    center.post("UpdateComplete");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount("UpdateComplete"), 0u);
}

TEST(NotificationCenter, ObserverRemovedDuringDeliveryIsNotCalled) {
    NotificationCenter center;
    std::optional<ObserverToken> second;
    int secondCalls = 0;
    auto first = center.addObserver("OpenTourFromScan", [&] { second.reset(); });
    second = center.addObserver("OpenTourFromScan", [&] { ++secondCalls; });
    center.post("OpenTourFromScan");
    EXPECT_EQ(secondCalls, 0);
}

}  // namespace
}  // namespace tq
