#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"
#include "platform/ui/WeakDelegate.h"
#include "platform/web/UserContentController.h"
#include "platform/web/WebTypes.h"

namespace tq {

class Environment;
class WebView;

// The scroll view inside a web view: screens switch its scrolling off and set its insets.
class WebScrollView : public View {
public:
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool showsVerticalScrollIndicator() const { return verticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows) { verticalIndicator_ = shows; }
    bool showsHorizontalScrollIndicator() const { return horizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows) { horizontalIndicator_ = shows; }
    const EdgeInsets& contentInset() const { return contentInset_; }
    void setContentInset(EdgeInsets inset) { contentInset_ = inset; }
    const Size& contentSize() const { return contentSize_; }
    void setContentSize(Size size) { contentSize_ = size; }
    const Point& contentOffset() const { return contentOffset_; }
    void setContentOffset(Point offset) { contentOffset_ = offset; }

private:
    bool scrollEnabled_ = true;
    bool verticalIndicator_ = true;
    bool horizontalIndicator_ = true;
    EdgeInsets contentInset_;
    Size contentSize_;
    Point contentOffset_;
};

class WebNavigationDelegate : public WeaklyReferenced {
public:
    // Asynchronous: call the handler exactly once, now or later, with allow or cancel.
    // Without a delegate every navigation is allowed.
    virtual void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                                 DecisionHandler decisionHandler) {
        (void)webView;
        (void)action;
        decisionHandler(NavigationActionPolicy::allow);
    }
    virtual void didFinishNavigation(WebView& webView, const WebNavigation& navigation) {
        (void)webView;
        (void)navigation;
    }
    virtual void didFailNavigation(WebView& webView, const WebNavigation& navigation, const WebError& error) {
        (void)webView;
        (void)navigation;
        (void)error;
    }
    virtual void didFailProvisionalNavigation(WebView& webView, const WebNavigation& navigation,
                                              const WebError& error) {
        (void)webView;
        (void)navigation;
        (void)error;
    }
};

class WebViewConfiguration;

class WebUIDelegate : public WeaklyReferenced {
public:
    // A link that asks for a new window. The web view returned, if any, loads the request;
    // returning none leaves it to the delegate (the content screen loads it in the same web view).
    virtual std::shared_ptr<WebView> createWebViewWithConfiguration(WebView& webView,
                                                                    const WebViewConfiguration& configuration,
                                                                    const NavigationAction& action) {
        (void)webView;
        (void)configuration;
        (void)action;
        return nullptr;
    }
    // The page's alert(), confirm() and prompt(): each completion is to be called once.
    virtual void runJavaScriptAlertPanel(WebView& webView, const std::string& message,
                                         std::function<void()> completion) {
        (void)webView;
        (void)message;
        completion();
    }
    virtual void runJavaScriptConfirmPanel(WebView& webView, const std::string& message,
                                           std::function<void(bool)> completion) {
        (void)webView;
        (void)message;
        completion(false);
    }
    virtual void runJavaScriptTextInputPanel(WebView& webView, const std::string& prompt,
                                             const std::optional<std::string>& defaultText,
                                             std::function<void(std::optional<std::string>)> completion) {
        (void)webView;
        (void)prompt;
        (void)defaultText;
        completion(std::nullopt);
    }
};

// One navigation as the engine saw it: a load the application asked for or a link the page followed.
struct WebNavigationRecord {
    enum class Origin { htmlString, fileURL, request, link };
    enum class Phase {
        awaitingPolicy,  // the delegate has not answered yet
        cancelled,       // the delegate said cancel
        loading,         // allowed; finishes on the next turn of the main loop unless loads are held
        finished,
        failed,
        interrupted,  // a newer load took its place before it finished
    };

    int identifier = 0;
    Origin origin = Origin::request;
    NavigationAction action;
    Phase phase = Phase::awaitingPolicy;
    std::string html;                          // loadHTMLString
    std::optional<std::string> baseURL;        // loadHTMLString
    std::optional<std::string> readAccessURL;  // loadFileURL
    std::optional<WebError> error;
    // How many times the decision handler was called (more than one is a fault of the delegate).
    int decisionCalls = 0;

    const std::optional<std::string>& url() const { return action.request.url; }
};

// What the page was asked to evaluate, and whether the test has answered yet.
struct EvaluatedScript {
    std::string source;
    bool hasCompletion = false;
    bool answered = false;
    std::optional<ScriptAnswer> answer;
};

// How the page side answered one of its panels (alert, confirm, prompt).
struct PanelReply {
    bool answered = false;
    bool confirmed = false;
    std::optional<std::string> text;
    int extraAnswers = 0;  // completions called more than once
};

// Automatic answers for scripts: given the script text, an answer, or none to leave it pending.
using ScriptResponder = std::function<std::optional<ScriptAnswer>(const std::string& source)>;

// A web view with a headless engine. It renders nothing and runs no script: it records what the
// application asks of it (loads, scripts, user scripts, handlers) and lets a test play the page's
// side (finish or fail a load, answer a script, post a message, follow a link).
//
// Every load and link goes through the navigation delegate's policy first. An allowed load finishes
// on the next turn of the main loop, unless loads are held (per web view or engine-wide), in which
// case a test finishes it with finishLoading().
class WebView : public View {
public:
    explicit WebView(Rect frame = {}, WebViewConfiguration configuration = {});
    ~WebView() override;

    // ---- What the application uses
    WebViewConfiguration& configuration() { return configuration_; }
    WebScrollView& scrollView() { return *scrollView_; }

    void setNavigationDelegate(WebNavigationDelegate* delegate) { navigationDelegate_ = delegate; }
    WebNavigationDelegate* navigationDelegate() const { return navigationDelegate_.get(); }
    void setUIDelegate(WebUIDelegate* delegate) { uiDelegate_ = delegate; }
    WebUIDelegate* uiDelegate() const { return uiDelegate_.get(); }

    // Each returns the navigation's identifier. Without a base address the page's address is
    // "about:blank".
    int loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL = std::nullopt);
    // A local page; it may read the files under readAccessURL (a folder address).
    int loadFileURL(const std::string& fileURL, const std::string& readAccessURL);
    int load(const URLRequest& request);
    void stopLoading();

    void evaluateJavaScript(const std::string& source, ScriptCompletion completion = {});

    // The address of the page last committed, and whether a load is under way.
    const std::optional<std::string>& url() const { return url_; }
    bool isLoading() const;

    void setFrame(Rect frame) override;

    // ---- What tests read
    const std::vector<WebNavigationRecord>& navigations() const { return navigations_; }
    const WebNavigationRecord* lastNavigation() const;
    const WebNavigationRecord* navigation(int identifier) const;
    // The HTML of the last loadHTMLString, if any.
    std::optional<std::string> lastHTML() const;
    // Navigations whose decision handler has not been called.
    std::vector<const WebNavigationRecord*> pendingDecisions() const;
    // Calls of a decision handler after its first one (ignored).
    int repeatedDecisionCalls() const { return repeatedDecisions_; }
    const std::vector<EvaluatedScript>& evaluatedScripts() const { return scripts_; }
    std::vector<std::string> evaluatedSources() const;
    std::size_t pendingScriptCount() const;
    // Frame heights in the order they were set (only changes of height are recorded).
    const std::vector<double>& frameHeights() const { return frameHeights_; }

    // ---- What tests do, playing the page's side
    void setHoldsLoads(bool holds) { holdsLoads_ = holds; }
    // Held here or engine-wide.
    bool holdsLoads() const;
    // Finishes the oldest load under way (didFinishNavigation); false when none is.
    bool finishLoading();
    // Fails the oldest load under way (didFailNavigation, or didFailProvisionalNavigation).
    bool failLoading(const WebError& error, bool provisional = false);

    // Answers the index-th evaluated script, or the oldest unanswered one with exactly this text;
    // the completion runs at once. False when there is no such unanswered script.
    bool answerScript(std::size_t index, ScriptValue value);
    bool answerScript(const std::string& source, ScriptValue value);
    bool failScript(std::size_t index, WebError error);
    bool failScript(const std::string& source, WebError error);
    // Answers scripts automatically, on the next turn of the main loop after their evaluation.
    void setScriptResponder(ScriptResponder responder) { responder_ = std::move(responder); }

    // The page posts a message to a named handler; false when no live handler has that name.
    bool postScriptMessage(const std::string& name, ScriptValue body);

    // The visitor taps a link (or the page navigates by script): runs the policy and, when allowed,
    // loads the address. Returns the navigation's identifier.
    int tapLink(const std::string& address, NavigationType type = NavigationType::linkActivated);
    // A navigation that carries no address.
    int navigateWithoutAddress();
    // A link with a new-window target: offered to the UI delegate; false when there is none.
    bool tapLinkInNewWindow(const std::string& address);

    // The page's panels; the replies show what the application answered.
    std::shared_ptr<const PanelReply> runAlertPanel(const std::string& message);
    std::shared_ptr<const PanelReply> runConfirmPanel(const std::string& message);
    std::shared_ptr<const PanelReply> runTextInputPanel(const std::string& prompt,
                                                        const std::optional<std::string>& defaultText);

private:
    using Phase = WebNavigationRecord::Phase;

    WebNavigationRecord* find(int identifier);
    int begin(WebNavigationRecord record);
    void decide(int identifier, NavigationActionPolicy policy);
    void startLoading(WebNavigationRecord& record);
    void interruptOlderThan(int identifier);
    void scheduleFinish(int identifier);
    void finish(WebNavigationRecord& record);
    void fail(WebNavigationRecord& record, const WebError& error, bool provisional);
    std::optional<WebError> checkLocalAccess(const WebNavigationRecord& record) const;
    std::optional<std::size_t> unansweredScript(const std::string& source) const;
    bool answer(std::size_t index, ScriptAnswer answer);

    Environment& env_;
    WebViewConfiguration configuration_;
    std::shared_ptr<WebScrollView> scrollView_;
    WeakDelegate<WebNavigationDelegate> navigationDelegate_;
    WeakDelegate<WebUIDelegate> uiDelegate_;
    // Pending tasks and decision handlers reach the web view through this cell, emptied on destruction.
    std::shared_ptr<WebView*> self_;
    std::vector<WebNavigationRecord> navigations_;
    std::vector<EvaluatedScript> scripts_;
    std::vector<ScriptCompletion> completions_;
    ScriptResponder responder_;
    std::optional<std::string> url_;
    std::vector<double> frameHeights_;
    int repeatedDecisions_ = 0;
    bool holdsLoads_ = false;
};

// Engine-wide switches of the web views of one environment.
class WebEngine {
public:
    explicit WebEngine(Environment&) {}
    // Every web view keeps its loads under way until a test finishes them.
    void setHoldsLoads(bool holds) { holdsLoads_ = holds; }
    bool holdsLoads() const { return holdsLoads_; }

private:
    bool holdsLoads_ = false;
};

}  // namespace tq
