#include <gtest/gtest.h>

#include "platform/net/Reachability.h"
#include "support/TestEnvironment.h"

namespace tq::test {
namespace {

TEST(ReachabilityTest, OverrideWinsOverRoutesAndInterfaces) {
    TestEnvironment env;
    const std::string host = "fr.trelvoquest-demo.com";
    env->hostRoutes()[host] = "127.0.0.1:1";
    env->reachabilityOverride() = false;
    EXPECT_FALSE(Reachability::isConnectedToNetwork(env.env(), host));
    env->reachabilityOverride() = true;
    env->hostRoutes().clear();
    EXPECT_TRUE(Reachability::isConnectedToNetwork(env.env(), host));
}

TEST(ReachabilityTest, ServiceRoutedToALocalServerIsReachable) {
    TestEnvironment env;
    const std::string host = "fr.trelvoquest-demo.com";
    env->hostRoutes()[host] = "127.0.0.1:1";
    EXPECT_TRUE(Reachability::isConnectedToNetwork(env.env(), host));
    // Routing another host says nothing about the service.
    env->hostRoutes().clear();
    env->hostRoutes()["other.example.org"] = "127.0.0.1:1";
    EXPECT_EQ(Reachability::isConnectedToNetwork(env.env(), host), Reachability::hasActiveNetworkInterface());
}

}  // namespace
}  // namespace tq::test
