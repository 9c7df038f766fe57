#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string_view>

#include "app/ServiceRoute.h"
#include "platform/foundation/FileSystem.h"
#include "product/ProductSites.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// A demo service's state folder as the service leaves it while it runs, and a set of
// environment variables.
struct ServiceRouteCase {
    const char* name;
    ServiceChoice choice;
    std::map<std::string, std::string> variables;  // "@" stands for the folder's authority file
    bool serviceRunning;                           // the endpoint and authority files exist
    std::string expectedRoute;                     // empty: no routes
    std::string expectedError;                     // a part of the one-line reason, or empty
};

class ServiceRouteTest : public ::testing::TestWithParam<ServiceRouteCase> {};

TEST_P(ServiceRouteTest, RoutesTheProductHostsOrSaysWhyNot) {
    const auto& c = GetParam();
    test::TestEnvironment env;
    test::TempDir state;
    auto authority = (state.path() / "authority.pem").string();
    if (c.serviceRunning) {
        ASSERT_TRUE(writeFileAtomically(state.path() / "endpoint", "127.0.0.1:4431\n"));
        ASSERT_TRUE(writeFileAtomically(state.path() / "authority.pem", "-----BEGIN CERTIFICATE-----\n"));
    }
    auto variable = [&](const char* name) -> const char* {
        auto it = c.variables.find(name);
        if (it == c.variables.end()) return nullptr;
        return it->second == "@" ? authority.c_str() : it->second.c_str();
    };
    auto error = routeToService(env.env(), c.choice, state.path(), variable);

    if (c.expectedError.empty()) {
        EXPECT_FALSE(error) << *error;
    } else {
        ASSERT_TRUE(error);
        EXPECT_NE(error->find(c.expectedError), std::string::npos) << *error;
    }
    if (c.expectedRoute.empty()) {
        EXPECT_TRUE(env->hostRoutes().empty());
        EXPECT_FALSE(env->extraTrustedCertificate());
        return;
    }
    for (const char* host : {ProductSites::french, ProductSites::english, ProductSites::spanish, ProductSites::media}) {
        EXPECT_EQ(env->hostRoutes()[host], c.expectedRoute) << host;
    }
    ASSERT_TRUE(env->extraTrustedCertificate());
    EXPECT_EQ(env->extraTrustedCertificate()->string(), authority);
}

const std::map<std::string, std::string> kGiven = {{"TQ_SERVICE_ROUTE", "127.0.0.1:5000"}, {"TQ_SERVICE_CA", "@"}};

INSTANTIATE_TEST_SUITE_P(
    Choices, ServiceRouteTest,
    ::testing::Values(
        ServiceRouteCase{"product_ignores_the_environment", ServiceChoice::product, kGiven, true, "", ""},
        ServiceRouteCase{"unset_without_variables_is_the_product", ServiceChoice::unset, {}, true, "", ""},
        ServiceRouteCase{"unset_follows_the_variables", ServiceChoice::unset, kGiven, true, "127.0.0.1:5000", ""},
        ServiceRouteCase{"local_reads_the_running_service", ServiceChoice::local, {}, true, "127.0.0.1:4431", ""},
        ServiceRouteCase{"local_prefers_the_variables", ServiceChoice::local, kGiven, true, "127.0.0.1:5000", ""},
        ServiceRouteCase{"local_without_a_service", ServiceChoice::local, {}, false, "", "no demo service is running"},
        ServiceRouteCase{"route_without_authority", ServiceChoice::local, {{"TQ_SERVICE_ROUTE", "127.0.0.1:5000"}},
                         true, "", "without TQ_SERVICE_CA"},
        ServiceRouteCase{"authority_without_route", ServiceChoice::unset, {{"TQ_SERVICE_CA", "@"}}, true, "",
                         "without TQ_SERVICE_ROUTE"},
        ServiceRouteCase{"route_without_port", ServiceChoice::local,
                         {{"TQ_SERVICE_ROUTE", "127.0.0.1"}, {"TQ_SERVICE_CA", "@"}}, true, "", "not host:port"},
        ServiceRouteCase{"port_out_of_range", ServiceChoice::local,
                         {{"TQ_SERVICE_ROUTE", "127.0.0.1:70000"}, {"TQ_SERVICE_CA", "@"}}, true, "", "not host:port"},
        ServiceRouteCase{"missing_authority_file", ServiceChoice::local,
                         {{"TQ_SERVICE_ROUTE", "127.0.0.1:5000"}, {"TQ_SERVICE_CA", "/nonexistent/ca.pem"}}, true, "",
                         "not a readable file"}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs a test from inside a folder and goes back where it was, so that relative paths mean that folder.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(before_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path before_;
};

// The run command hands the authority over relative to the checkout; the engines' TLS databases
// refuse a relative file name, so the program keeps the absolute one it resolved at start.
TEST(ServiceRouteRelativeTest, TheAuthorityIsKeptByItsAbsolutePath) {
    test::TempDir root;
    auto state = root.path() / "build" / "demo-service" / "state";
    std::filesystem::create_directories(state);
    ASSERT_TRUE(writeFileAtomically(state / "endpoint", "127.0.0.1:4431\n"));
    ASSERT_TRUE(writeFileAtomically(state / "authority.pem", "-----BEGIN CERTIFICATE-----\n"));
    struct Case {
        const char* name;
        const char* authorityVariable;  // null: the state folder's files are read
        std::filesystem::path stateFolder;
    };
    for (const Case& c : {Case{"variable", "build/demo-service/state/authority.pem", "unused"},
                          Case{"variable_with_dots", "./build/../build/demo-service/state/authority.pem", "unused"},
                          Case{"state_folder", nullptr, "build/demo-service/state"}}) {
        SCOPED_TRACE(c.name);
        test::TestEnvironment env;
        std::optional<std::string> error;
        {
            WorkingFolder inside(root.path());
            auto variable = [&](const char* name) -> const char* {
                if (!c.authorityVariable) return nullptr;
                return std::string_view(name) == "TQ_SERVICE_ROUTE" ? "127.0.0.1:5000" : c.authorityVariable;
            };
            error = routeToService(env.env(), ServiceChoice::local, c.stateFolder, variable);
        }
        ASSERT_FALSE(error) << *error;
        ASSERT_TRUE(env->extraTrustedCertificate());
        const auto& kept = *env->extraTrustedCertificate();
        EXPECT_TRUE(kept.is_absolute()) << kept;
        EXPECT_EQ(kept, (std::filesystem::absolute(root.path()) / "build/demo-service/state/authority.pem").lexically_normal());
        // Still the same file once the program stands elsewhere.
        EXPECT_TRUE(std::filesystem::is_regular_file(kept)) << kept;
    }
}

TEST(ServiceChoiceTest, OnlyLocalAndProductAreNames) {
    EXPECT_EQ(serviceChoiceNamed("local"), ServiceChoice::local);
    EXPECT_EQ(serviceChoiceNamed("product"), ServiceChoice::product);
    EXPECT_FALSE(serviceChoiceNamed("Local"));
    EXPECT_FALSE(serviceChoiceNamed(""));
}

}  // namespace
}  // namespace tq
