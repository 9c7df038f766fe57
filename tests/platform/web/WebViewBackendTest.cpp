#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/web/WebView.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// Another engine, as a desktop front end would plug in: it keeps what the view asks of it and
// reports through the host it was given.
struct RecordingEngine : WebViewBackend {
    RecordingEngine(Host& host, const WebViewConfiguration& configuration) : host(host), configuration(configuration) {}
    void startLoading(const WebNavigationRecord& navigation) override { started.push_back(navigation.identifier); }
    void navigationCancelled(const WebNavigationRecord& navigation) override {
        cancelled.push_back(navigation.identifier);
    }
    void stopLoading() override { ++stops; }
    void evaluateScript(std::size_t index, const std::string& source) override { scripts.emplace_back(index, source); }
    Host& host;
    const WebViewConfiguration& configuration;
    std::vector<int> started;
    std::vector<int> cancelled;
    std::vector<std::pair<std::size_t, std::string>> scripts;
    int stops = 0;
};

struct FinishRecorder : WebNavigationDelegate {
    std::vector<int> finished;
    void didFinishNavigation(WebView&, const WebNavigation& navigation) override {
        finished.push_back(navigation.identifier);
    }
};

TEST(WebViewBackend, TheEnvironmentsEngineChoosesTheBackendAndOnlyAllowedWorkReachesIt) {
    test::TestEnvironment env;
    RecordingEngine* engine = nullptr;
    env->shared<WebEngine>().setBackendFactory([&](WebViewBackend::Host& host, const WebViewConfiguration& configuration) {
        auto backend = std::make_unique<RecordingEngine>(host, configuration);
        engine = backend.get();
        return backend;
    });
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    ASSERT_NE(engine, nullptr);
    EXPECT_THROW(web->driver(), std::logic_error);

    FinishRecorder delegate;
    web->setNavigationDelegate(&delegate);
    int page = web->loadHTMLString("<p>hi</p>");
    env.settle();
    EXPECT_EQ(engine->started, std::vector<int>{page});
    EXPECT_TRUE(web->isLoading()) << "only the engine finishes a load";
    EXPECT_TRUE(engine->host.loadFinished(page));
    EXPECT_FALSE(engine->host.loadFinished(page)) << "a load finishes once";
    EXPECT_EQ(delegate.finished, std::vector<int>{page});

    std::optional<double> height;
    web->evaluateJavaScript("document.body.scrollHeight", [&](const ScriptValue& value, const auto&) {
        if (auto* number = std::get_if<double>(&value)) height = *number;
    });
    ASSERT_EQ(engine->scripts.size(), 1u);
    EXPECT_TRUE(engine->host.scriptAnswered(engine->scripts[0].first, ScriptAnswer::withValue(640.0)));
    EXPECT_EQ(height, 640.0);

    web->stopLoading();
    EXPECT_EQ(engine->stops, 1);
}

struct NamedHandler : ScriptMessageHandler {
    void userContentControllerDidReceiveScriptMessage(UserContentController&, const ScriptMessage&) override {}
};

// The map screens make their web view with the console capture and "logHandler" already in the
// configuration, and some add more after: the engine must see both.
TEST(WebViewBackend, TheEngineIsMadeWithTheViewsConfigurationAndSeesLaterAdditions) {
    test::TestEnvironment env;
    WebViewConfiguration configuration;
    NamedHandler handler;
    configuration.userContentController().addUserScript({"console.log = capture;", UserScriptInjectionTime::atDocumentStart});
    configuration.userContentController().addScriptMessageHandler(&handler, "logHandler");
    configuration.setPreferenceValue("allowFileAccessFromFileURLs", "1");

    const WebViewConfiguration* seen = nullptr;
    env->shared<WebEngine>().setBackendFactory([&](WebViewBackend::Host& host, const WebViewConfiguration& given) {
        seen = &given;
        return std::make_unique<RecordingEngine>(host, given);
    });
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200), configuration);
    ASSERT_EQ(seen, &web->configuration()) << "the view's own configuration, which outlives the engine";
    ASSERT_EQ(seen->userContentControllerPointer()->userScripts().size(), 1u);
    EXPECT_EQ(seen->userContentControllerPointer()->userScripts()[0].injectionTime,
              UserScriptInjectionTime::atDocumentStart);
    EXPECT_EQ(seen->userContentControllerPointer()->handlerNames(), std::vector<std::string>{"logHandler"});
    EXPECT_EQ(seen->preferenceValue("allowFileAccessFromFileURLs"), "1");

    web->configuration().userContentController().addUserScript({"window.late = 1;"});
    EXPECT_EQ(seen->userContentControllerPointer()->userScripts().size(), 2u);
}

// A delegate that cancels "js-frame:" addresses, as the map screens do, and keeps other decisions.
struct FrameCatcher : WebNavigationDelegate {
    std::vector<DecisionHandler> held;
    void decidePolicyForNavigationAction(WebView&, const NavigationAction& action, DecisionHandler handler) override {
        if (action.request.url && action.request.url->rfind("js-frame:", 0) == 0) {
            handler(NavigationActionPolicy::cancel);
        } else {
            held.push_back(std::move(handler));
        }
    }
};

// A real engine holds the page's own navigation until the policy answers; it must hear of every
// navigation that will never load, or it would hold it for good.
TEST(WebViewBackend, TheEngineIsToldOfEveryNavigationThatWillNeverLoad) {
    test::TestEnvironment env;
    RecordingEngine* engine = nullptr;
    env->shared<WebEngine>().setBackendFactory([&](WebViewBackend::Host& host, const WebViewConfiguration& configuration) {
        auto backend = std::make_unique<RecordingEngine>(host, configuration);
        engine = backend.get();
        return backend;
    });
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    FrameCatcher delegate;
    web->setNavigationDelegate(&delegate);

    int tap = engine->host.pageNavigates("js-frame:showPoi:3", NavigationType::linkActivated);
    EXPECT_EQ(engine->cancelled, std::vector<int>{tap}) << "cancelled by the policy";
    EXPECT_TRUE(engine->started.empty());

    int undecided = engine->host.pageNavigates("https://example.org/a", NavigationType::linkActivated);
    int newer = web->loadHTMLString("<p>b</p>");
    ASSERT_EQ(delegate.held.size(), 2u);
    delegate.held[1](NavigationActionPolicy::allow);
    EXPECT_EQ(engine->cancelled, (std::vector<int>{tap, undecided})) << "a newer load took its place";
    EXPECT_EQ(engine->started, std::vector<int>{newer});
    delegate.held[0](NavigationActionPolicy::allow);
    EXPECT_EQ(engine->started, std::vector<int>{newer}) << "a late answer loads nothing";

    int stopped = engine->host.pageNavigates("https://example.org/c", NavigationType::linkActivated);
    web->stopLoading();
    EXPECT_EQ(engine->cancelled, (std::vector<int>{tap, undecided, stopped})) << "stopped before the policy answered";
    EXPECT_EQ(engine->stops, 1);
}

TEST(WebViewBackend, TheHeadlessEngineRecordsItsConfigurationAndTheCancelledNavigations) {
    test::TestEnvironment env;
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    FrameCatcher delegate;
    web->setNavigationDelegate(&delegate);
    EXPECT_EQ(&web->driver().configuration(), &web->configuration());
    int tap = web->driver().tapLink("js-frame:showPoi:1");
    EXPECT_EQ(web->driver().cancelledNavigations(), std::vector<int>{tap});
}

TEST(WebViewBackend, WithoutAFactoryEveryViewGetsTheHeadlessEngineAsItsDriver) {
    test::TestEnvironment env;
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    EXPECT_NO_THROW(web->driver());
    EXPECT_EQ(&web->backend(), static_cast<WebViewBackend*>(&web->driver()));
}

}  // namespace
}  // namespace tq
