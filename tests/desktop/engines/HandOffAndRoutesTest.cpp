#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "EngineHarness.h"
#include "desktop/engines/DesktopHandOff.h"
#include "desktop/engines/OsrmMapBackend.h"
#include "platform/map/MapService.h"
#include "platform/services/SystemURLOpener.h"
#include "platform/ui/UiApplication.h"

namespace tq::test {
namespace {

TEST(DesktopHandOff, AnAddressNothingOnTheDesktopOpensGivesAConsoleLineAndARefusal) {
    EngineHarness harness(EngineKind::real);
    std::optional<bool> accepted;
    UiApplication::shared().open("itms-apps://store.example/app/id1?action=write-review", [&](bool ok) { accepted = ok; });
    ASSERT_TRUE(harness.waitFor([&] { return accepted.has_value(); }, 5, "the hand-off's answer"));
    EXPECT_FALSE(*accepted);
    EXPECT_TRUE(harness.env().console().containsPrefix(
        "No application on this desktop opens itms-apps://store.example/app/id1?action=write-review"));
    EXPECT_EQ(UiApplication::shared().openedAddresses().size(), 1u) << "still recorded";
}

TEST(DesktopHandOff, WithoutTheDesktopEnginesNothingLeavesTheProgram) {
    TestEnvironment env;
    EXPECT_FALSE(env->shared<SystemURLOpener>().hasHandOff());
    std::optional<bool> accepted;
    UiApplication::shared().open("geo:46.8,-71.2", [&](bool ok) { accepted = ok; });
    env.settle();
    EXPECT_EQ(accepted, true);
}

// A routing service on loopback that answers what the test gives it.
class RoutingService {
public:
    RoutingService() {
        server_.Get(R"(/route/v1/.*)", [this](const httplib::Request& request, httplib::Response& response) {
            paths_.push_back(request.path + "?" + request.params.begin()->first);
            response.status = status_;
            response.set_content(body_, "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~RoutingService() {
        server_.stop();
        thread_.join();
    }
    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void answer(int status, std::string body) {
        status_ = status;
        body_ = std::move(body);
    }
    std::vector<std::string> paths_;

private:
    httplib::Server server_;
    int port_ = 0;
    int status_ = 200;
    std::string body_;
    std::thread thread_;
};

DirectionsRequest walkInQuebec() {
    DirectionsRequest request;
    request.source = MapItem{{46.8126, -71.2031}};
    request.destination = MapItem{{46.8119, -71.2049}};
    request.transportType = DirectionsTransportType::walking;
    return request;
}

TEST(RoutingService, RoutesComeBackAsLinesAndAFailureIsTheNoRoutePath) {
    EngineHarness harness(EngineKind::real);
    auto& env = harness.testEnv();
    RoutingService service;
    MapService::of(env.env()).setBackend(std::make_unique<desktop::OsrmMapBackend>(env.env(), service.address() + "/"));
    service.answer(200, R"({"code":"Ok","routes":[{"distance":210.5,"duration":160,"legs":[{"summary":"Rue du Petit-Champlain"}],
        "geometry":{"type":"LineString","coordinates":[[-71.2031,46.8126],[-71.2040,46.8122],[-71.2049,46.8119]]}}]})");
    std::optional<DirectionsOutcome> outcome;
    MapService::of(env.env()).calculateDirections(walkInQuebec(), [&](const DirectionsOutcome& o) { outcome = o; });
    ASSERT_TRUE(harness.waitFor([&] { return outcome.has_value(); }, 10, "the routes"));
    ASSERT_FALSE(outcome->error) << outcome->error->message;
    ASSERT_EQ(outcome->routes.size(), 1u);
    EXPECT_EQ(outcome->routes[0].distance, 210.5);
    EXPECT_EQ(outcome->routes[0].name, "Rue du Petit-Champlain");
    ASSERT_EQ(outcome->routes[0].polyline->coordinates().size(), 3u);
    EXPECT_EQ(outcome->routes[0].polyline->coordinates()[0], (LocationCoordinate{46.8126, -71.2031}));
    ASSERT_EQ(service.paths_.size(), 1u);
    EXPECT_EQ(service.paths_[0].rfind("/route/v1/foot/-71.2031,46.8126;-71.2049,46.8119", 0), 0u) << service.paths_[0];

    service.answer(500, "{}");
    outcome.reset();
    MapService::of(env.env()).calculateDirections(walkInQuebec(), [&](const DirectionsOutcome& o) { outcome = o; });
    ASSERT_TRUE(harness.waitFor([&] { return outcome.has_value(); }, 10, "the routes"));
    EXPECT_TRUE(outcome->error) << "a service that fails: no route";
    EXPECT_TRUE(outcome->routes.empty());
}

TEST(RoutingService, RepliesThatCannotBeReadAreErrors) {
    const char* replies[] = {
        "not json",
        "[]",
        R"({"code":"NoRoute","routes":[]})",
        R"({"code":"Ok"})",
        R"({"code":"Ok","routes":[]})",
        R"({"code":"Ok","routes":[{"distance":"far","duration":1,"geometry":{"coordinates":[]}}]})",
        R"({"code":"Ok","routes":[{"distance":1,"duration":1,"geometry":{"coordinates":[[1]]}}]})",
        R"({"code":"Ok","routes":[{"distance":1,"duration":1}]})",
    };
    for (const char* reply : replies) {
        auto outcome = desktop::readOsrmReply(reply);
        EXPECT_TRUE(outcome.error) << reply;
        EXPECT_TRUE(outcome.routes.empty()) << reply;
    }
}

}  // namespace
}  // namespace tq::test
