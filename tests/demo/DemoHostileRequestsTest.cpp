#include <gtest/gtest.h>

#include "DemoServiceProcess.h"
#include "platform/foundation/FileSystem.h"
#include "product/ProductSites.h"

namespace tq::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSecret = "SECRET-OUTSIDE-THE-DATA-FOLDER";
// The envelope of failure, in its usual form or in the update check's (a reason as its results).
bool isFailure(const std::string& body) {
    return body.starts_with(R"({"results":)") && body.ends_with(R"(,"status":"error"})");
}

// A data folder of its own: the generated catalogue, one picture, and a link that leads out of
// the folder to a secret beside it.
class HostileFixture : public ::testing::Test {
public:
    TempDir root;
    fs::path data = root.path() / "data";
    std::unique_ptr<DemoServiceProcess> service;

    void SetUp() override {
        fs::create_directories(data / "www/public/assets/circuits/resized");
        fs::create_directories(root.path() / "outside");
        fs::copy_file(fs::path(TQ_DEMO_DATA_DIR) / "catalogue.json", data / "catalogue.json");
        ASSERT_TRUE(writeFileAtomically(data / "www/public/assets/circuits/resized/9101.jpg", "picture"));
        ASSERT_TRUE(writeFileAtomically(root.path() / "outside/secret.txt", kSecret));
        ASSERT_TRUE(writeFileAtomically(root.path() / "secret.txt", kSecret));
        fs::create_directory_symlink("../../outside", data / "www/outside");
        service = std::make_unique<DemoServiceProcess>(DemoServiceProcess::Options{data, {}, 0});
        ASSERT_TRUE(service->listening()) << service->output();
    }

    static std::string get(const std::string& target, const std::string& host = ProductSites::french,
                           const std::string& headers = "api-version: 1.1\r\n") {
        return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + headers + "Connection: close\r\n";
    }
};

struct HostileCase {
    const char* name;
    std::string head;
    std::string body;
    std::optional<std::size_t> cutAfter;
};

class DemoHostileRequestsTest : public HostileFixture, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(DemoHostileRequestsTest, GetsAFailureAndReadsNothingOutsideTheDataFolder) {
    const auto& c = GetParam();
    auto reply = exchange(*service, RawRequest(ProductSites::french, c.head, c.body, c.cutAfter));
    EXPECT_EQ(reply.whole.find(kSecret), std::string::npos) << "the secret was served";
    if (c.cutAfter) {
        // A request cut short may get no answer at all, never a success.
        EXPECT_TRUE(!reply.answered || reply.status >= 400 || isFailure(reply.body)) << reply.whole;
    } else {
        ASSERT_TRUE(reply.answered) << reply.whole;
        EXPECT_TRUE((reply.status >= 400 && reply.status < 500) || isFailure(reply.body)) << reply.whole;
    }
    // The service is still there and still answers a good request.
    auto after = exchange(*service, RawRequest(ProductSites::french, get("/public/assets/circuits/resized/9101.jpg")));
    EXPECT_EQ(after.status, 200) << after.whole;
    EXPECT_EQ(after.body, "picture");
}

std::string form(std::size_t bytes) { return "tours%5B%5D%5Bid%5D=9101&tours%5B%5D%5Bdate%5D=" + std::string(bytes, 'x'); }

std::string post(const std::string& target, const std::string& body, const std::string& extra = "") {
    return "POST " + target + " HTTP/1.1\r\nHost: " + std::string(ProductSites::english) +
           "\r\nContent-Type: application/x-www-form-urlencoded; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n" + extra + "Connection: close\r\n";
}

const std::string kUpdate = "/public/webservice/isUpdatesAvailableIos";
const std::string kCatalogue = "/public/webservice/getSimpleListCatalogV2/newApi/";

INSTANTIATE_TEST_SUITE_P(
    Table, DemoHostileRequestsTest,
    ::testing::Values(
        HostileCase{"dot_dot", HostileFixture::get("/../secret.txt"), "", {}},
        HostileCase{"dot_dot_deeper", HostileFixture::get("/public/assets/../../../secret.txt"), "", {}},
        HostileCase{"escaped_dot_dot", HostileFixture::get("/%2e%2e/%2e%2e/secret.txt"), "", {}},
        HostileCase{"escaped_slash", HostileFixture::get("/public/..%2f..%2f..%2fsecret.txt"), "", {}},
        HostileCase{"media_dot_dot", HostileFixture::get("/public/media/%2E%2E/%2E%2E/%2E%2E/secret.txt",
                                                         ProductSites::media), "", {}},
        HostileCase{"link_out_of_the_folder", HostileFixture::get("/outside/secret.txt"), "", {}},
        HostileCase{"escaped_nul", HostileFixture::get("/public/assets/circuits/resized/9101.jpg%00.txt"), "", {}},
        HostileCase{"raw_nul", HostileFixture::get(std::string("/public/assets/circuits/resized/9101.jpg\0x", 41)),
                    "", {}},
        HostileCase{"the_catalogue_file", HostileFixture::get("/catalogue.json"), "", {}},
        HostileCase{"form_of_ten_megabytes", post(kUpdate, form(10 << 20)), form(10 << 20), {}},
        HostileCase{"form_with_unknown_field", post(kUpdate, "tours%5B%5D%5Bid%5D=9101&x=1"),
                    "tours%5B%5D%5Bid%5D=9101&x=1", {}},
        HostileCase{"form_of_bad_escapes", post(kUpdate, "tours%5B%5D%5Bid%5D=%ZZ&tours%5B%5D%5Bdate%5D=%"),
                    "tours%5B%5D%5Bid%5D=%ZZ&tours%5B%5D%5Bdate%5D=%", {}},
        HostileCase{"missing_version_header", HostileFixture::get(kCatalogue + "?callback=no", ProductSites::french, ""),
                    "", {}},
        HostileCase{"missing_callback", HostileFixture::get(kCatalogue), "", {}},
        HostileCase{"unknown_operation", HostileFixture::get("/public/webservice/dropAllTours/?callback=no"), "", {}},
        HostileCase{"too_many_arguments", HostileFixture::get("/public/webservice/getFullCircuit/9101/2?callback=no"),
                    "", {}},
        HostileCase{"coordinates_not_numbers",
                    HostileFixture::get("/public/webservice/searchByProximity/north/1e999/all/?callback=no"), "", {}},
        HostileCase{"rating_out_of_range",
                    HostileFixture::get("/public/webservice/setRating/9101/11/device?callback=no"), "", {}},
        HostileCase{"unknown_method", "DELETE /public/webservice/getFullCircuit/9101?callback=no HTTP/1.1\r\nHost: " +
                                          std::string(ProductSites::french) + "\r\nConnection: close\r\n", "", {}},
        HostileCase{"cut_mid_body", post(kUpdate, form(4000)), form(4000), 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileFixture, TheUpdateCheckFormIsReadStrictly) {
    // The form the client sends is read; its error form names what is wrong.
    std::string good = "tours%5B%5D%5Bdate%5D=2026-11-02%2009%3A30%3A00&tours%5B%5D%5Bid%5D=9101";
    auto reply = exchange(*service, RawRequest(ProductSites::english, post(kUpdate, good), good));
    EXPECT_EQ(reply.body, R"({"results":[],"status":"success"})");
    std::string noDate = "tours%5B%5D%5Bid%5D=9101";
    reply = exchange(*service, RawRequest(ProductSites::english, post(kUpdate, noDate), noDate));
    EXPECT_EQ(reply.body, R"({"results":"tours[][id] and tours[][date] are expected","status":"error"})");
}

}  // namespace
}  // namespace tq::test
