#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/net/HttpClient.h"
#include "NetTestSupport.h"

namespace tq::test {
namespace {

using HttpClientTest = NetTest;

TEST_F(HttpClientTest, GetSendsHeadersUnderTheRealHostAndHandsOverStatusHeadersAndBody) {
    auto reply = ScriptedReply::json(R"({"results":[],"status":"success"})");
    reply.headers.emplace_back("X-Served-By", "test");
    service.reply("/public/webservice/getCountryWhereToursIOS/", reply);

    auto response = fetch(HttpRequest::get(service.url("/public/webservice/getCountryWhereToursIOS/?callback=no",
                                                       service.hostNames().at(0)),
                                           {{"api-version", "1.1"}}));

    EXPECT_TRUE(response.succeeded()) << response.error->description;
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.body, R"({"results":[],"status":"success"})");
    EXPECT_EQ(response.header("x-served-by"), "test");
    ASSERT_EQ(service.requestCount(), 1u);
    auto request = service.requests().front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/public/webservice/getCountryWhereToursIOS/?callback=no");
    EXPECT_EQ(request.query, "callback=no");
    EXPECT_EQ(request.host, service.hostNames().at(0));
    EXPECT_EQ(request.header("api-version"), "1.1");
}

TEST_F(HttpClientTest, StatusOutsideTwoHundredsFailsButKeepsTheReply) {
    for (int status : {300, 404, 500}) {
        service.reply("/status", ScriptedReply::text("nope", status));
        auto response = fetch("/status");
        EXPECT_EQ(kindOf(response), HttpErrorKind::unacceptableStatusCode) << status;
        EXPECT_EQ(response.statusCode, status);
        EXPECT_EQ(response.error->description,
                  "Response status code was unacceptable: " + std::to_string(status) + ".");
    }
    for (int status : {200, 204, 299}) {
        service.reply("/status", ScriptedReply::text("", status));
        EXPECT_TRUE(fetch("/status").succeeded()) << status;
    }
}

TEST_F(HttpClientTest, StatusCheckCanBeLeftToTheCaller) {
    service.reply("/missing", ScriptedReply::text("gone", 404));
    auto request = HttpRequest::get(service.url("/missing"));
    request.validateStatus = false;
    auto response = fetch(request);
    EXPECT_TRUE(response.succeeded());
    EXPECT_EQ(response.body, "gone");
    validateStatus(response);
    EXPECT_EQ(kindOf(response), HttpErrorKind::unacceptableStatusCode);
}


TEST_F(HttpClientTest, ConnectionRefusedIsReportedAsCannotConnect) {
    env->hostRoutes()[service.hostNames().at(0)] = "127.0.0.1:" + std::to_string(closedLocalPort());
    auto response = fetch("/anything");
    EXPECT_EQ(kindOf(response), HttpErrorKind::cannotConnectToHost);
    EXPECT_EQ(response.error->description, "Could not connect to the server.");
    EXPECT_EQ(response.statusCode, 0);
}

TEST_F(HttpClientTest, ServerClosingMidBodyIsAFailureNotATruncatedSuccess) {
    auto reply = ScriptedReply::bytes(std::string(200000, 'x'));
    reply.closeAfterBytes = 70000;
    service.reply("/truncated", reply);
    auto response = fetch("/truncated");
    EXPECT_EQ(kindOf(response), HttpErrorKind::networkConnectionLost);
    EXPECT_EQ(response.error->description, "The network connection was lost.");
}

TEST_F(HttpClientTest, BodyOverTheCapFails) {
    service.reply("/big", ScriptedReply::bytes(std::string(300000, 'b')));
    auto request = HttpRequest::get(service.url("/big"));
    request.maxBodyBytes = 100000;
    auto response = fetch(request);
    EXPECT_EQ(kindOf(response), HttpErrorKind::dataLengthExceedsMaximum);
    EXPECT_EQ(response.error->description, "resource exceeds maximum size");

    request.maxBodyBytes = 300000;
    EXPECT_TRUE(fetch(request).succeeded());
}

std::string deflated(const std::string& text) {
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(text.data()), text.size());
    out.resize(size);
    return out;
}

TEST_F(HttpClientTest, CompressedBodyIsCappedByItsDecodedSize) {
    // The announced length is the small compressed one; the cap must hold on what it expands to.
    auto packed = ScriptedReply::bytes(deflated(std::string(300000, ' ')));
    packed.headers.emplace_back("Content-Encoding", "deflate");
    service.reply("/packed", packed);
    auto request = HttpRequest::get(service.url("/packed"));
    request.maxBodyBytes = 400000;
    auto whole = fetch(request);
    ASSERT_TRUE(whole.succeeded());
    EXPECT_EQ(whole.body, std::string(300000, ' '));

    request.maxBodyBytes = 100000;
    EXPECT_EQ(kindOf(fetch(request)), HttpErrorKind::dataLengthExceedsMaximum);
}

TEST_F(HttpClientTest, RedirectIsFollowedToTheFinalReply) {
    service.reply("/old", ScriptedReply::redirect(service.url("/new", kFixtureMediaHost), 301));
    service.reply("/new", ScriptedReply::text("moved here"));
    auto response = fetch("/old");
    EXPECT_TRUE(response.succeeded());
    EXPECT_EQ(response.body, "moved here");
    EXPECT_EQ(response.url, std::string("https://") + kFixtureMediaHost + "/new");
    EXPECT_EQ(service.requestsTo("/new").front().host, kFixtureMediaHost);
}

TEST_F(HttpClientTest, EndlessRedirectsStopAtTheLimit) {
    service.reply("/loop", ScriptedReply::redirect("/loop"));
    auto response = fetch("/loop");
    EXPECT_EQ(kindOf(response), HttpErrorKind::tooManyRedirects);
    EXPECT_EQ(service.requestsTo("/loop").size(), 17u);  // the first request and 16 redirects
}

TEST_F(HttpClientTest, CertificateThatIsNotTrustedOrNamesAnotherHostFailsTheConnection) {
    service.reply("/secure", ScriptedReply::text("secret"));
    {
        SCOPED_TRACE("certificate not trusted");
        env->extraTrustedCertificate().reset();
        auto response = fetch("/secure");
        EXPECT_EQ(kindOf(response), HttpErrorKind::secureConnectionFailed);
        EXPECT_EQ(response.error->description,
                  "An SSL error has occurred and a secure connection to the server cannot be made.");
    }
    {
        SCOPED_TRACE("host name not in the certificate");
        service.connect(env.env());
        env->hostRoutes()["other.example.org"] = service.address();
        EXPECT_EQ(kindOf(fetch(HttpRequest::get("https://other.example.org/secure"))),
                  HttpErrorKind::secureConnectionFailed);
    }
    EXPECT_TRUE(service.requestsTo("/secure").empty());
}

TEST_F(HttpClientTest, AddressesThatAreNoHttpUrlsFailWithoutARequest) {
    struct Case {
        std::string url;
        HttpErrorKind kind;
    };
    for (const auto& [url, kind] : {Case{"", HttpErrorKind::badURL}, Case{"https://bad host/x", HttpErrorKind::badURL},
                                    Case{"ftp://" + service.hostNames().at(0) + "/x", HttpErrorKind::unsupportedURL},
                                    Case{"file:///etc/passwd", HttpErrorKind::unsupportedURL}}) {
        EXPECT_EQ(kindOf(fetch(HttpRequest::get(url))), kind) << url;
    }
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(HttpClientTest, FormPostSendsTheEncodedBodyWithTheCallersContentType) {
    service.reply("/public/webservice/isUpdatesAvailableIos", ScriptedReply::json(R"({"results":[],"status":"success"})"));
    std::optional<HttpResponse> outcome;
    FormObject fields{{"tours", FormValue::List{FormValue::Object{{"id", "418"}, {"date", "2024-03-18 09:41:07"}}}}};
    client().postForm(service.url("/public/webservice/isUpdatesAvailableIos", service.hostNames().at(1)), fields,
                      kFormContentType, {}, [&](HttpResponse response) { outcome = std::move(response); });
    env.settle();
    ASSERT_TRUE(outcome && outcome->succeeded());
    auto request = service.requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.host, service.hostNames().at(1));
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_FALSE(request.header("api-version"));
    EXPECT_EQ(request.body, "tours%5B%5D%5Bdate%5D=2024-03-18%2009%3A41%3A07&tours%5B%5D%5Bid%5D=418");
}

TEST_F(HttpClientTest, ServerThatStaysSilentPastTheIdleLimitTimesOut) {
    HttpClientConfiguration configuration;
    configuration.idleTimeoutSeconds = 1;
    env->install(std::make_shared<HttpClient>(env.env(), configuration));
    auto slow = ScriptedReply::text("late");
    slow.delaySeconds = 3;
    service.reply("/slow", slow);
    auto response = fetch("/slow");
    EXPECT_EQ(kindOf(response), HttpErrorKind::timedOut);
    EXPECT_EQ(response.error->description, "The request timed out.");
}

}  // namespace
}  // namespace tq::test
