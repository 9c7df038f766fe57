#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/web/WebView.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// Another engine, as a desktop front end would plug in: it keeps what the view asks of it and
// reports through the host it was given.
struct RecordingEngine : WebViewBackend {
    explicit RecordingEngine(Host& host) : host(host) {}
    void startLoading(const WebNavigationRecord& navigation) override { started.push_back(navigation.identifier); }
    void stopLoading() override { ++stops; }
    void evaluateScript(std::size_t index, const std::string& source) override { scripts.emplace_back(index, source); }
    Host& host;
    std::vector<int> started;
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
    env->shared<WebEngine>().setBackendFactory([&](WebViewBackend::Host& host) {
        auto backend = std::make_unique<RecordingEngine>(host);
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

TEST(WebViewBackend, WithoutAFactoryEveryViewGetsTheHeadlessEngineAsItsDriver) {
    test::TestEnvironment env;
    auto web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    EXPECT_NO_THROW(web->driver());
    EXPECT_EQ(&web->backend(), static_cast<WebViewBackend*>(&web->driver()));
}

}  // namespace
}  // namespace tq
