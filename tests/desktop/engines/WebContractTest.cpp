#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "desktop/NativeWidget.h"
#include "platform/services/FileURL.h"
#include "platform/web/WebView.h"
#include "support/TestWebService.h"

namespace tq::test {
namespace {

// The application's side of a page: it records what the web view reports and cancels the
// "js-frame:" addresses, as the map screens do.
struct ScreenSide : WebNavigationDelegate, WebUIDelegate, ScriptMessageHandler {
    std::vector<std::string> decided;
    std::vector<std::string> cancelled;
    std::vector<int> finished;
    std::vector<std::string> failures;
    std::vector<std::string> messages;
    std::vector<std::string> newWindows;
    std::vector<std::string> panels;

    void decidePolicyForNavigationAction(WebView&, const NavigationAction& action, DecisionHandler handler) override {
        auto address = action.request.url.value_or("");
        decided.push_back(address);
        if (address.rfind("js-frame:", 0) == 0) {
            cancelled.push_back(address);
            handler(NavigationActionPolicy::cancel);
        } else {
            handler(NavigationActionPolicy::allow);
        }
    }
    void didFinishNavigation(WebView&, const WebNavigation& navigation) override { finished.push_back(navigation.identifier); }
    void didFailNavigation(WebView&, const WebNavigation&, const WebError& error) override {
        failures.push_back(error.description);
    }
    void didFailProvisionalNavigation(WebView&, const WebNavigation&, const WebError& error) override {
        failures.push_back(error.description);
    }
    std::shared_ptr<WebView> createWebViewWithConfiguration(WebView&, const WebViewConfiguration&,
                                                            const NavigationAction& action) override {
        newWindows.push_back(action.request.url.value_or(""));
        return nullptr;
    }
    void runJavaScriptConfirmPanel(WebView&, const std::string& message, std::function<void(bool)> completion) override {
        panels.push_back(message);
        completion(true);
    }
    void userContentControllerDidReceiveScriptMessage(UserContentController&, const ScriptMessage& message) override {
        messages.push_back(describeScriptValue(message.body));
    }
};

// The map screens' console capture: the page's console.log goes to "logHandler".
constexpr const char* logCapture =
    "console.log = function (message) { window.webkit.messageHandlers.logHandler.postMessage(String(message)); };";

class WebContract : public ::testing::TestWithParam<EngineKind> {
protected:
    WebContract() : harness(GetParam()) {
        WebViewConfiguration configuration;
        configuration.userContentController().addUserScript({logCapture, UserScriptInjectionTime::atDocumentStart, true});
        configuration.userContentController().addScriptMessageHandler(&screen, "logHandler");
        web = std::make_shared<WebView>(Rect(0, 0, 800, 600), configuration);
        web->setNavigationDelegate(&screen);
        web->setUIDelegate(&screen);
        if (auto* native = dynamic_cast<desktop::NativeWidgetProvider*>(&web->backend())) {
            harness.show(native->nativeWidget());
        }
        if (!harness.real()) {
            // The headless page answers the one script these tests ask about its layout.
            web->driver().setScriptResponder([](const std::string& source) -> std::optional<ScriptAnswer> {
                if (source == "document.body.scrollHeight") return ScriptAnswer::withValue(1234.0);
                if (source == "throw new Error('broken')") {
                    return ScriptAnswer::withError({webErrors::scriptDomain, webErrors::javaScriptExceptionOccurred, "broken"});
                }
                return std::nullopt;
            });
        }
    }

    void loadPage(const std::string& html) {
        int before = static_cast<int>(screen.finished.size());
        web->loadHTMLString(html, "https://contract.example/");
        harness.waitFor([&] { return static_cast<int>(screen.finished.size()) > before; }, 20, "the page to load");
    }

    // What the page does by itself. The real page runs the script; the headless page's side is
    // played through its driver, as the screens' tests do.
    void pageNavigates(const std::string& address) {
        if (harness.real()) {
            web->evaluateJavaScript("window.location.href = '" + address + "'; 0");
        } else {
            web->driver().tapLink(address, NavigationType::other);
        }
    }
    void pageLogs(const std::string& line) {
        if (harness.real()) {
            web->evaluateJavaScript("console.log('" + line + "'); 0");
        } else {
            web->driver().postScriptMessage("logHandler", line);
        }
    }
    void pageOpensInNewWindow(const std::string& address) {
        if (harness.real()) {
            web->evaluateJavaScript("var a = document.createElement('a'); a.href = '" + address +
                                    "'; a.target = '_blank'; document.body.appendChild(a); a.click(); 0");
        } else {
            web->driver().tapLinkInNewWindow(address);
        }
    }

    EngineHarness harness;
    ScreenSide screen;
    std::shared_ptr<WebView> web;
};

TEST_P(WebContract, APageLoadsAndItsScriptsAnswerWithTheirTypeOrTheirError) {
    loadPage("<html><body style='margin:0'><div style='height:1234px'>tall</div></body></html>");
    EXPECT_TRUE(screen.failures.empty());

    std::optional<ScriptValue> height;
    web->evaluateJavaScript("document.body.scrollHeight", [&](const ScriptValue& value, const auto&) { height = value; });
    ASSERT_TRUE(harness.waitFor([&] { return height.has_value(); }, 10, "the height"));
    ASSERT_TRUE(std::holds_alternative<double>(*height)) << describeScriptValue(*height);
    EXPECT_EQ(std::get<double>(*height), 1234.0) << "the real height, so descriptions fit their text";

    std::optional<WebError> error;
    bool answered = false;
    web->evaluateJavaScript("throw new Error('broken')", [&](const ScriptValue&, const std::optional<WebError>& e) {
        answered = true;
        error = e;
    });
    ASSERT_TRUE(harness.waitFor([&] { return answered; }, 10, "the script's error"));
    ASSERT_TRUE(error.has_value()) << "a script that throws answers an error";
    EXPECT_EQ(error->domain, webErrors::scriptDomain);
}

TEST_P(WebContract, AJsFrameAddressGoesToThePolicyAndIsCancelledWhileThePageStays) {
    loadPage("<html><body><p id='here'>map</p></body></html>");
    auto loads = screen.finished.size();
    pageNavigates("js-frame:showPoi:2");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.cancelled.empty(); }, 10, "the js-frame: decision"));
    EXPECT_EQ(screen.cancelled, std::vector<std::string>{"js-frame:showPoi:2"});
    harness.pass(0.3);
    EXPECT_EQ(screen.finished.size(), loads) << "nothing loaded";
    EXPECT_TRUE(screen.failures.empty());
    EXPECT_EQ(web->lastNavigation()->phase, WebNavigationRecord::Phase::cancelled);
}

TEST_P(WebContract, TheConsoleCaptureAtDocumentStartReachesLogHandler) {
    loadPage("<html><body><script>console.log('from the page');</script></body></html>");
    if (!harness.real()) pageLogs("from the page");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.messages.empty(); }, 10, "the page's console line"));
    EXPECT_EQ(screen.messages.front(), "from the page") << "the capture ran before the page's own script";
    pageLogs("later");
    ASSERT_TRUE(harness.waitFor([&] { return screen.messages.size() == 2; }, 10, "the second console line"));
    EXPECT_EQ(screen.messages.back(), "later");
}

TEST_P(WebContract, ANewWindowLinkIsReportedAndOpensNothing) {
    loadPage("<html><body><p>links</p></body></html>");
    pageOpensInNewWindow("https://example.org/elsewhere");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.newWindows.empty(); }, 10, "the new-window link"));
    EXPECT_EQ(screen.newWindows, std::vector<std::string>{"https://example.org/elsewhere"});
}

INSTANTIATE_TEST_SUITE_P(Engines, WebContract, ::testing::Values(EngineKind::headless, EngineKind::real), engineName);

// A server's redirect goes through the navigation policy before anything of the new address
// loads. The real engine meets a real redirect from a routed test service; the headless page's
// server is played through its driver.
class RedirectContract : public ::testing::TestWithParam<EngineKind> {
protected:
    static constexpr const char* kHost = "pages.routed.example";

    RedirectContract()
        : service({kHost}), harness(GetParam(), [this](Environment& env) { service.connect(env); }) {
        web = std::make_shared<WebView>(Rect(0, 0, 800, 600));
        web->setNavigationDelegate(&screen);
        if (auto* native = dynamic_cast<desktop::NativeWidgetProvider*>(&web->backend())) {
            harness.show(native->nativeWidget());
        } else {
            web->driver().setHoldsLoads(true);
        }
        ScriptedReply landed = ScriptedReply::text("<html><body>landed</body></html>");
        landed.contentType = "text/html; charset=utf-8";
        service.reply("/landed", landed);
        service.reply("/outside", landed);
    }

    std::string address(const std::string& path) const { return std::string("https://") + kHost + path; }

    // Loads /start, which the server redirects to `target`.
    void loadRedirectedTo(const std::string& target) {
        service.reply("/start", ScriptedReply::redirect(address(target)));
        web->load(URLRequest{address("/start")});
        if (harness.real()) return;
        ASSERT_TRUE(web->driver().redirectLoading(address(target)));
        web->driver().finishLoading();
    }

    TestWebService service;
    EngineHarness harness;
    // Allows every address but "/outside", as the description pages keep outside addresses out.
    struct Policy : ScreenSide {
        void decidePolicyForNavigationAction(WebView& view, const NavigationAction& action,
                                             DecisionHandler handler) override {
            auto address = action.request.url.value_or("");
            if (address.find("/outside") != std::string::npos) {
                decided.push_back(address);
                cancelled.push_back(address);
                handler(NavigationActionPolicy::cancel);
                return;
            }
            ScreenSide::decidePolicyForNavigationAction(view, action, std::move(handler));
        }
    } screen;
    std::shared_ptr<WebView> web;
};

TEST_P(RedirectContract, AnAllowedRedirectLoadsUnderTheSameNavigation) {
    loadRedirectedTo("/landed");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.finished.empty() || !screen.failures.empty(); }, 20,
                                "the redirected page"));
    EXPECT_EQ(screen.decided, (std::vector<std::string>{address("/start"), address("/landed")}));
    EXPECT_EQ(screen.finished, std::vector<int>{1}) << "one navigation, finished once";
    EXPECT_TRUE(screen.failures.empty());
    EXPECT_EQ(web->navigations().size(), 1u);
    EXPECT_EQ(web->url(), address("/landed"));
}

TEST_P(RedirectContract, ARefusedRedirectFailsTheNavigationAndLoadsNothingOfItsAddress) {
    loadRedirectedTo("/outside");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.failures.empty(); }, 20, "the navigation's failure"));
    harness.pass(0.3);
    EXPECT_EQ(screen.cancelled, std::vector<std::string>{address("/outside")});
    EXPECT_TRUE(screen.finished.empty());
    EXPECT_EQ(screen.failures.size(), 1u);
    ASSERT_TRUE(web->lastNavigation()->error);
    EXPECT_EQ(web->lastNavigation()->error->code, webErrors::frameLoadInterrupted);
    EXPECT_TRUE(service.requestsTo("/outside").empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, RedirectContract, ::testing::Values(EngineKind::headless, EngineKind::real),
                         engineName);

// Only the real engine runs page script: the page's panels reach the host, and its answer
// reaches the page.
TEST(WebKitEngine, APagesConfirmAsksTheHostAndGetsItsAnswer) {
    EngineHarness harness(EngineKind::real);
    ScreenSide screen;
    auto web = std::make_shared<WebView>(Rect(0, 0, 800, 600));
    web->setNavigationDelegate(&screen);
    web->setUIDelegate(&screen);
    harness.show(dynamic_cast<desktop::NativeWidgetProvider&>(web->backend()).nativeWidget());
    web->loadHTMLString("<html><body>panels</body></html>");
    ASSERT_TRUE(harness.waitFor([&] { return !screen.finished.empty(); }, 20, "the page"));
    std::optional<ScriptValue> answer;
    web->evaluateJavaScript("confirm('Leave the tour?')", [&](const ScriptValue& value, const auto&) { answer = value; });
    ASSERT_TRUE(harness.waitFor([&] { return answer.has_value(); }, 10, "the confirm's answer"));
    EXPECT_EQ(screen.panels, std::vector<std::string>{"Leave the tour?"});
    EXPECT_EQ(*answer, ScriptValue(true));
}

}  // namespace
}  // namespace tq::test
