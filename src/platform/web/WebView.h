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
#include "platform/web/WebViewBackend.h"

namespace tq {

class Environment;
class HeadlessWebViewBackend;
class WebView;

// The scroll view inside a web view: screens switch its scrolling off and set its insets.
class WebScrollView : public View {
public:
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) {
        scrollEnabled_ = enabled;
        changed("scrollEnabled");
    }
    bool showsVerticalScrollIndicator() const { return verticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows) {
        verticalIndicator_ = shows;
        changed("showsVerticalScrollIndicator");
    }
    bool showsHorizontalScrollIndicator() const { return horizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows) {
        horizontalIndicator_ = shows;
        changed("showsHorizontalScrollIndicator");
    }
    const EdgeInsets& contentInset() const { return contentInset_; }
    void setContentInset(EdgeInsets inset) {
        contentInset_ = inset;
        changed("contentInset");
    }
    const Size& contentSize() const { return contentSize_; }
    void setContentSize(Size size) {
        contentSize_ = size;
        changed("contentSize");
    }
    const Point& contentOffset() const { return contentOffset_; }
    void setContentOffset(Point offset) {
        contentOffset_ = offset;
        changed("contentOffset");
    }

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
    // The server redirected this navigation: the action's address is the redirect's, and the
    // policy is asked again about it.
    int redirects = 0;

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

// A web view: the application's side of a page. It records what the application asks of it
// (loads, scripts, user scripts, handlers) and hands the work to its engine, a backend chosen
// through the environment's WebEngine (headless unless another is plugged in). A test plays the
// page's side through the headless backend, `driver()`.
//
// Every load and link goes through the navigation delegate's policy first; only allowed loads
// reach the engine.
class WebView : public View, private WebViewBackend::Host {
protected:
    bool stretchesByDefault() const override { return true; }

public:
    explicit WebView(Rect frame = {}, WebViewConfiguration configuration = {});
    ~WebView() override;
    // A page takes the room its container gives it.
    bool drawsContent() const override { return true; }

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

    // ---- The engine
    WebViewBackend& backend() { return *backend_; }
    // The test side: the headless backend, which plays the page. Throws when another backend runs.
    HeadlessWebViewBackend& driver();

private:
    using Phase = WebNavigationRecord::Phase;

    // What the engine reports (WebViewBackend::Host).
    bool loadFinished(int navigation) override;
    bool loadFailed(int navigation, const WebError& error, bool provisional) override;
    bool scriptAnswered(std::size_t index, ScriptAnswer answer) override;
    int pageNavigates(const std::optional<std::string>& address, NavigationType type) override;
    bool serverRedirects(int navigation, const std::string& address) override;
    bool newWindowRequested(const std::string& address) override;
    bool scriptMessagePosted(const std::string& name, ScriptValue body) override;
    void alertPanel(const std::string& message, std::function<void()> completion) override;
    void confirmPanel(const std::string& message, std::function<void(bool)> completion) override;
    void textInputPanel(const std::string& prompt, const std::optional<std::string>& defaultText,
                        std::function<void(std::optional<std::string>)> completion) override;

    WebNavigationRecord* find(int identifier);
    int begin(WebNavigationRecord record);
    void askPolicy(int identifier);
    void decide(int identifier, NavigationActionPolicy policy);
    void startLoading(WebNavigationRecord& record);
    void interruptOlderThan(int identifier);
    void finish(WebNavigationRecord& record);
    void fail(WebNavigationRecord& record, const WebError& error, bool provisional);
    std::optional<WebError> checkLocalAccess(const WebNavigationRecord& record) const;

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
    std::optional<std::string> url_;
    std::vector<double> frameHeights_;
    int repeatedDecisions_ = 0;
    // Last: it goes first, while the view it reports to still stands.
    std::unique_ptr<WebViewBackend> backend_;
};

// The web engine of one environment: which backend new web views get (the headless one unless
// another factory is set), and the headless engine's switches.
class WebEngine {
public:
    explicit WebEngine(Environment& env) : env_(env) {}
    void setBackendFactory(WebViewBackendFactory factory) { factory_ = std::move(factory); }
    std::unique_ptr<WebViewBackend> makeBackend(WebViewBackend::Host& host, const WebViewConfiguration& configuration);

    // Headless: every web view keeps its loads under way until a test finishes them.
    void setHoldsLoads(bool holds) { holdsLoads_ = holds; }
    bool holdsLoads() const { return holdsLoads_; }

private:
    Environment& env_;
    WebViewBackendFactory factory_;
    bool holdsLoads_ = false;
};

}  // namespace tq

// The headless backend is every web view's driver in tests; it comes with the view.
#include "platform/web/HeadlessWebViewBackend.h"  // IWYU pragma: export
