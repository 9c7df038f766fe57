// Pages and media fetched by the real engines themselves reach routed hosts as the application's
// own client does: at the routed address, trusting the routed service's authority for those
// hosts alone.
#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "desktop/NativeWidget.h"
#include "platform/media/VideoPlayer.h"
#include "platform/web/WebView.h"
#include "support/TestPng.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

constexpr const char* kPageHost = "pages.routed.example";
constexpr const char* kMediaHost = "media.routed.example";

struct PageSide : WebNavigationDelegate {
    int finished = 0;
    std::vector<WebError> failures;
    void didFinishNavigation(WebView&, const WebNavigation&) override { ++finished; }
    void didFailNavigation(WebView&, const WebNavigation&, const WebError& error) override { failures.push_back(error); }
    void didFailProvisionalNavigation(WebView&, const WebNavigation&, const WebError& error) override {
        failures.push_back(error);
    }
};

class RoutedFetch : public ::testing::Test {
protected:
    RoutedFetch() : service({kPageHost, kMediaHost}), harness(EngineKind::real, [this](Environment& env) {
                                                          service.connect(env);
                                                      }) {
        std::string page = std::string("<html><body><p>routed</p><img id='pic' src='https://") + kMediaHost +
                           "/pic.png'></body></html>";
        ScriptedReply html = ScriptedReply::text(page);
        html.contentType = "text/html; charset=utf-8";
        service.reply("/page.html", html);
        auto png = makePng(40, 30, [](int, int) { return Rgba{200, 40, 40, 255}; });
        service.reply("/pic.png", ScriptedReply::bytes(png, "image/png"));
    }

    std::shared_ptr<WebView> showWebView() {
        auto web = std::make_shared<WebView>(Rect(0, 0, 800, 600));
        web->setNavigationDelegate(&side);
        harness.show(dynamic_cast<desktop::NativeWidgetProvider&>(web->backend()).nativeWidget());
        return web;
    }

    // The page's answer to `script`, waited for.
    std::optional<ScriptValue> ask(WebView& web, const std::string& script) {
        std::optional<ScriptValue> answer;
        web.evaluateJavaScript(script, [&](const ScriptValue& value, const auto&) { answer = value; });
        harness.waitFor([&] { return answer.has_value(); }, 10, "the answer to " + script);
        return answer;
    }

    TestWebService service;
    EngineHarness harness;
    PageSide side;
};

TEST_F(RoutedFetch, APageAndItsPictureOnRoutedHostsComeFromTheRoutedService) {
    auto web = showWebView();
    web->load(URLRequest{std::string("https://") + kPageHost + "/page.html"});
    ASSERT_TRUE(harness.waitFor([&] { return side.finished > 0 || !side.failures.empty(); }, 20, "the routed page"));
    ASSERT_TRUE(side.failures.empty()) << side.failures.front().description;
    ASSERT_TRUE(harness.waitFor(
        [&] {
            auto width = ask(*web, "(function () { var p = document.getElementById('pic'); "
                                   "return p.complete ? p.naturalWidth : -1; })()");
            return width && scriptNumber(*width) != -1.0;
        },
        10, "the picture to settle"));
    EXPECT_EQ(ask(*web, "document.getElementById('pic').naturalWidth"), ScriptValue(40.0)) << "the picture was drawn";
    auto pictures = service.requestsTo("/pic.png");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures.front().host, kMediaHost) << "the address stays the real one";
}

TEST_F(RoutedFetch, AnUnroutedHostWithACertificateTheSystemDoesNotTrustIsRefused) {
    auto web = showWebView();
    // The same service, its certificate valid for 127.0.0.1 but trusted for the routed hosts only.
    web->load(URLRequest{"https://" + service.address() + "/page.html"});
    ASSERT_TRUE(harness.waitFor([&] { return side.finished > 0 || !side.failures.empty(); }, 20, "the refusal"));
    EXPECT_EQ(side.finished, 0);
    EXPECT_TRUE(service.requestsTo("/page.html").empty()) << "no request crossed an untrusted connection";
}

// A routed address over https or http (upgraded, as the application's client does) plays; an
// unrouted host with an untrusted certificate takes the failure path.
TEST_F(RoutedFetch, MediaByAddressPlaysFromRoutedHostsOnly) {
    auto clip = makeVideoFile(harness.testEnv().root(), 1.0);
    // The test service answers no ranges, and says so: the clip streams from its start.
    auto reply = ScriptedReply::fromFile(clip, "video/ogg");
    reply.headers.emplace_back("Accept-Ranges", "none");
    service.reply("/clip.ogv", reply);
    struct Case {
        std::string address;
        bool plays;
    };
    const std::vector<Case> cases = {
        {std::string("https://") + kMediaHost + "/clip.ogv", true},
        {std::string("http://") + kMediaHost + "/clip.ogv", true},
        {"https://" + service.address() + "/clip.ogv", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        service.clearRequests();
        auto player = VideoPlayer::withURL(harness.env(), c.address);
        int ends = 0;
        auto token = observePlayToEnd(harness.env(), player->currentItem(), [&] { ++ends; });
        player->setMuted(true);
        player->play();
        if (c.plays) {
            ASSERT_TRUE(harness.waitFor([&] { return player->currentTime() > 0.2; }, 10, "the position to advance"));
            ASSERT_TRUE(harness.waitFor([&] { return ends > 0; }, 10, "the end of the clip"));
            EXPECT_EQ(service.requestsTo("/clip.ogv").front().host, kMediaHost);
        } else {
            ASSERT_TRUE(harness.waitFor(
                [&] { return player->currentItem()->status() == VideoPlayerItemStatus::failed; }, 10, "the failure"));
            EXPECT_EQ(ends, 0);
            EXPECT_TRUE(service.requestsTo("/clip.ogv").empty()) << "no request crossed an untrusted connection";
        }
        player->pause();
    }
}

}  // namespace
}  // namespace tq::test
