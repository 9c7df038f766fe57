#include <gtest/gtest.h>

#include "platform/services/SystemURLOpener.h"
#include "platform/web/WebView.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

struct Answer {
    ScriptValue value;
    std::optional<WebError> error;
};

class WebViewScriptTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    std::shared_ptr<WebView> web = std::make_shared<WebView>();
    std::vector<Answer> answers;

    ScriptCompletion recordAnswer() {
        return [this](const ScriptValue& value, const std::optional<WebError>& error) {
            answers.push_back({value, error});
        };
    }
};

TEST_F(WebViewScriptTest, ScriptsWaitForTheirAnswerByIndexOrByText) {
    web->evaluateJavaScript("document.body.scrollHeight", recordAnswer());
    web->evaluateJavaScript("centerMap();");
    web->evaluateJavaScript("poiValue();", recordAnswer());
    web->evaluateJavaScript("document.body.scrollHeight", recordAnswer());
    env.settle();
    EXPECT_EQ(web->pendingScriptCount(), 3u) << "a script without completion is never waited for";
    EXPECT_TRUE(answers.empty());

    EXPECT_TRUE(web->driver().answerScript(2, 4.0));
    EXPECT_TRUE(web->driver().answerScript("document.body.scrollHeight", 480.0));
    EXPECT_TRUE(web->driver().answerScript("document.body.scrollHeight", 512.0)) << "the next one with the same text";
    EXPECT_FALSE(web->driver().answerScript("document.body.scrollHeight", 1.0)) << "none left unanswered";
    EXPECT_FALSE(web->driver().answerScript(2, 5.0)) << "answered already";
    EXPECT_FALSE(web->driver().answerScript(99, 5.0));

    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(scriptNumber(answers[0].value), 4.0);
    EXPECT_EQ(scriptNumber(answers[1].value), 480.0);
    EXPECT_EQ(scriptNumber(answers[2].value), 512.0);
    EXPECT_EQ(web->pendingScriptCount(), 0u);
    EXPECT_EQ(web->evaluatedSources()[1], "centerMap();");
}

TEST_F(WebViewScriptTest, ScriptCanFailOrAnswerTextAndNull) {
    web->evaluateJavaScript("showMap(1,2);", recordAnswer());
    web->evaluateJavaScript("document.title", recordAnswer());
    web->evaluateJavaScript("nothing()", recordAnswer());
    WebError exception{webErrors::scriptDomain, webErrors::javaScriptExceptionOccurred, "ReferenceError"};
    EXPECT_TRUE(web->driver().failScript("showMap(1,2);", exception));
    EXPECT_TRUE(web->driver().answerScript(1, std::string("Map")));
    EXPECT_TRUE(web->driver().answerScript(2, std::monostate{}));

    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0].error, exception);
    EXPECT_EQ(scriptText(answers[1].value), "Map");
    EXPECT_FALSE(answers[1].error);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(answers[2].value));
    EXPECT_EQ(web->evaluatedScripts()[0].answer->error, exception);
}

TEST_F(WebViewScriptTest, CompletionMayEvaluateFurtherScripts) {
    // The map's reveal evaluates its centring text from inside the completion of its first call.
    web->evaluateJavaScript("initializeMap();", [this](const ScriptValue&, const std::optional<WebError>&) {
        for (int i = 0; i < 50; ++i) web->evaluateJavaScript("next(" + std::to_string(i) + ");", recordAnswer());
    });
    EXPECT_TRUE(web->driver().answerScript(0, std::monostate{}));
    EXPECT_EQ(web->evaluatedScripts().size(), 51u);
    EXPECT_TRUE(web->driver().answerScript("next(49);", 1.0));
    EXPECT_EQ(answers.size(), 1u);
}

TEST_F(WebViewScriptTest, ResponderAnswersOnTheNextTurn) {
    web->driver().setScriptResponder([](const std::string& source) -> std::optional<ScriptAnswer> {
        if (source == "document.body.scrollHeight") return ScriptAnswer::withValue(300.0);
        return std::nullopt;
    });
    web->evaluateJavaScript("document.body.scrollHeight", recordAnswer());
    web->evaluateJavaScript("poiValue();", recordAnswer());
    EXPECT_TRUE(answers.empty()) << "answers never arrive inside evaluateJavaScript";
    env.settle();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(scriptNumber(answers[0].value), 300.0);
    EXPECT_EQ(web->pendingScriptCount(), 1u);
}

TEST(ScriptValueTest, DescribesValuesAsPageScriptPrintsThem) {
    EXPECT_EQ(describeScriptValue(std::string("hello")), "hello");
    EXPECT_EQ(describeScriptValue(3.0), "3");
    EXPECT_EQ(describeScriptValue(-0.25), "-0.25");
    EXPECT_EQ(describeScriptValue(true), "true");
    EXPECT_EQ(describeScriptValue(std::monostate{}), "null");
}

struct LogHandler : ScriptMessageHandler {
    std::vector<std::string> lines;
    void userContentControllerDidReceiveScriptMessage(UserContentController&, const ScriptMessage& message) override {
        lines.push_back(message.name + ":" + describeScriptValue(message.body));
    }
};

TEST_F(WebViewScriptTest, MessagesReachTheHandlerOfTheirName) {
    LogHandler handler;
    auto& content = web->configuration().userContentController();
    content.addUserScript({"window.console.log = captureLog;", UserScriptInjectionTime::atDocumentEnd, false});
    EXPECT_TRUE(content.addScriptMessageHandler(&handler, "logHandler"));

    EXPECT_TRUE(web->driver().postScriptMessage("logHandler", std::string("hello")));
    EXPECT_TRUE(web->driver().postScriptMessage("logHandler", 7.0));
    EXPECT_FALSE(web->driver().postScriptMessage("otherHandler", std::string("lost")));
    EXPECT_EQ(handler.lines, (std::vector<std::string>{"logHandler:hello", "logHandler:7"}));
    ASSERT_EQ(content.userScripts().size(), 1u);
    EXPECT_FALSE(content.userScripts()[0].forMainFrameOnly);
}

TEST_F(WebViewScriptTest, HandlerNameTakenOnceAndReleasedWhenTheHandlerGoes) {
    auto& content = web->configuration().userContentController();
    auto first = std::make_unique<LogHandler>();
    LogHandler second;
    EXPECT_TRUE(content.addScriptMessageHandler(first.get(), "logHandler"));
    EXPECT_FALSE(content.addScriptMessageHandler(&second, "logHandler"));
    EXPECT_TRUE(web->driver().postScriptMessage("logHandler", std::string("a")));
    EXPECT_EQ(first->lines.size(), 1u);
    EXPECT_TRUE(second.lines.empty());

    first.reset();
    EXPECT_FALSE(web->driver().postScriptMessage("logHandler", std::string("b"))) << "a destroyed screen is never called";
    EXPECT_TRUE(content.addScriptMessageHandler(&second, "logHandler"));
    EXPECT_TRUE(web->driver().postScriptMessage("logHandler", std::string("c")));
    EXPECT_EQ(second.lines, std::vector<std::string>{"logHandler:c"});
}

TEST_F(WebViewScriptTest, ConfigurationKeepsValuesSetByKey) {
    web->configuration().setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    web->configuration().setValue("allowUniversalAccessFromFileURLs", "true");
    EXPECT_EQ(web->configuration().preferenceValue("allowFileAccessFromFileURLs"), "YES");
    EXPECT_EQ(web->configuration().value("allowUniversalAccessFromFileURLs"), "true");
    EXPECT_FALSE(web->configuration().value("allowFileAccessFromFileURLs"));
}

// Answers panels the way the map screen's alert does: once the visitor picks a button.
struct PanelDelegate : WebUIDelegate {
    std::function<void(bool)> pendingConfirm;
    void runJavaScriptAlertPanel(WebView&, const std::string&, std::function<void()> completion) override {
        completion();
        completion();
    }
    void runJavaScriptConfirmPanel(WebView&, const std::string&, std::function<void(bool)> completion) override {
        pendingConfirm = std::move(completion);
    }
    void runJavaScriptTextInputPanel(WebView&, const std::string&, const std::optional<std::string>& defaultText,
                                     std::function<void(std::optional<std::string>)> completion) override {
        completion(defaultText);
    }
};

TEST_F(WebViewScriptTest, PanelsGetTheirAnswersOnce) {
    auto alone = web->driver().runConfirmPanel("sure?");
    EXPECT_TRUE(alone->answered);
    EXPECT_FALSE(alone->confirmed) << "without a UI delegate a confirm answers false";

    PanelDelegate ui;
    web->setUIDelegate(&ui);
    auto alert = web->driver().runAlertPanel("hi");
    EXPECT_TRUE(alert->answered);
    EXPECT_EQ(alert->extraAnswers, 1);

    auto confirm = web->driver().runConfirmPanel("sure?");
    EXPECT_FALSE(confirm->answered);
    ui.pendingConfirm(true);
    EXPECT_TRUE(confirm->confirmed);

    auto prompt = web->driver().runTextInputPanel("name?", std::string("Ann"));
    EXPECT_EQ(prompt->text, "Ann");
}

TEST(SystemURLOpenerTest, RecordsAddressesHandedToTheSystem) {
    test::TestEnvironment env;
    auto& opener = env->shared<SystemURLOpener>();
    std::vector<bool> results;
    opener.open("https://example.org/out", [&](bool ok) { results.push_back(ok); });
    EXPECT_TRUE(results.empty()) << "the system answers later";
    opener.setAccepts(false);
    opener.open("mailto:someone@example.org", [&](bool ok) { results.push_back(ok); });
    env.settle();
    EXPECT_EQ(opener.openedAddresses(),
              (std::vector<std::string>{"https://example.org/out", "mailto:someone@example.org"}));
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tq
