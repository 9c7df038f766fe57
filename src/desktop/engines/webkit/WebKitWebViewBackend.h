#pragma once

#include <webkit/webkit.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "desktop/NativeWidget.h"
#include "desktop/engines/webkit/WebKitModule.h"
#include "platform/web/WebViewBackend.h"

namespace tq::desktop {

// What the web views of one environment share: the web context (its web process, the folders it
// may read) and the network session (with the routes to routed hosts). Made when the first web
// view needs its page, so a program that shows no web page never starts WebKit.
class WebKitShared {
public:
    explicit WebKitShared(WebKitEngineSettings settings);
    ~WebKitShared();
    WebKitShared(const WebKitShared&) = delete;
    WebKitShared& operator=(const WebKitShared&) = delete;
    WebKitWebContext* context();
    WebKitNetworkSession* session();

private:
    void start();
    void routeHosts();
    WebKitEngineSettings settings_;
    WebKitWebContext* context_ = nullptr;
    WebKitNetworkSession* session_ = nullptr;
};

// One web view's page in WebKitGTK. Every navigation the page makes by itself goes to the host's
// navigation policy before anything loads: WebKit's decision is held until the policy answers
// (startLoading uses it, navigationCancelled drops it). Loads the application asks for have already
// passed the policy and go ahead; a server's redirect of one is held for the policy in the same way.
// WebKitGTK does not say which frame navigates: a frame's navigation inside the page goes through
// the policy as the page's own does. The WebKitWebView widget is made on first need and embedded by
// the window through nativeWidget().
class WebKitWebViewBackend : public WebViewBackend, public NativeWidgetProvider {
public:
    WebKitWebViewBackend(Host& host, const WebViewConfiguration& configuration, std::shared_ptr<WebKitShared> shared);
    ~WebKitWebViewBackend() override;
    WebKitWebViewBackend(const WebKitWebViewBackend&) = delete;
    WebKitWebViewBackend& operator=(const WebKitWebViewBackend&) = delete;

    void startLoading(const WebNavigationRecord& navigation) override;
    void navigationCancelled(const WebNavigationRecord& navigation) override;
    void stopLoading() override;
    void evaluateScript(std::size_t index, const std::string& source) override;

    GtkWidget* nativeWidget() override;
    // The widget, when it has been made (tests read it).
    WebKitWebView* webView() const { return view_; }

private:
    struct HandlerLink;
    void ensureView();
    void syncConfiguration();
    void release(WebKitPolicyDecision* decision, bool use);
    WebKitPolicyDecision* takeDecision(int navigation);
    bool isOwnLoad(const std::string& address) const;
    gboolean redirect(WebKitPolicyDecision* decision, const std::string& address);

    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer);
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer);
    static gboolean onScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer);
    static void onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer);

    Host& host_;
    const WebViewConfiguration& configuration_;
    std::shared_ptr<WebKitShared> shared_;
    WebKitWebView* view_ = nullptr;
    WebKitUserContentManager* content_ = nullptr;
    WebKitSettings* settings_ = nullptr;
    GCancellable* cancellable_ = nullptr;
    std::vector<std::unique_ptr<HandlerLink>> handlers_;
    std::set<std::string> registered_;
    // A load the application asked for, until WebKit asks about it: its navigation and address.
    struct OwnLoad {
        int navigation;
        std::string address;
    };
    std::optional<OwnLoad> ownLoad_;
    // The page's own navigations waiting for the policy, by navigation; the one being reported now.
    std::map<int, WebKitPolicyDecision*> held_;
    WebKitPolicyDecision* reporting_ = nullptr;
    // The navigation WebKit is loading, and whether it already failed.
    int loading_ = 0;
    bool loadFailed_ = false;
    // Whether that navigation's page has been committed (shown in place of the last).
    bool committed_ = false;
    // Asynchronous answers reach the backend through this cell, emptied on destruction.
    std::shared_ptr<WebKitWebViewBackend*> self_;
};

}  // namespace tq::desktop
