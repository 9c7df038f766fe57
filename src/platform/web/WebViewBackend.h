#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/web/WebTypes.h"

namespace tq {

struct WebNavigationRecord;
class WebViewConfiguration;

// The engine behind one web view: it loads pages and runs scripts. The web view keeps the
// application's side (delegates, navigation policy, the record of navigations and scripts); the
// engine only carries out what the view asks and reports what the page does. The environment's
// WebEngine chooses the backend; the headless one renders nothing and lets a test play the page.
class WebViewBackend {
public:
    // What the engine reports to its web view. Each answers whether it took effect.
    class Host {
    public:
        virtual ~Host() = default;
        // The navigation finished, or failed (provisionally: before anything was shown).
        virtual bool loadFinished(int navigation) = 0;
        virtual bool loadFailed(int navigation, const WebError& error, bool provisional) = 0;
        // The index-th evaluated script has its result.
        virtual bool scriptAnswered(std::size_t index, ScriptAnswer answer) = 0;
        // The page navigates by itself (a link, a script); no address for a navigation that
        // carries none. Goes through the navigation policy; returns the navigation's identifier.
        virtual int pageNavigates(const std::optional<std::string>& address, NavigationType type) = 0;
        // The server redirects a navigation under way to `address`. The redirect goes through the
        // navigation policy as the page's own navigations do: the engine holds it until
        // startLoading (go on, the same navigation) or navigationCancelled (the navigation then
        // fails). False when the navigation is not under way: nothing is asked.
        virtual bool serverRedirects(int navigation, const std::string& address) = 0;
        // A link with a new-window target; false when no UI delegate can take it.
        virtual bool newWindowRequested(const std::string& address) = 0;
        // A message to a named handler; false when no live handler has that name.
        virtual bool scriptMessagePosted(const std::string& name, ScriptValue body) = 0;
        // The page's panels: the completion gets the application's answer.
        virtual void alertPanel(const std::string& message, std::function<void()> completion) = 0;
        virtual void confirmPanel(const std::string& message, std::function<void(bool)> completion) = 0;
        virtual void textInputPanel(const std::string& prompt, const std::optional<std::string>& defaultText,
                                    std::function<void(std::optional<std::string>)> completion) = 0;
    };

    virtual ~WebViewBackend() = default;
    // An allowed navigation starts loading. For a navigation the page made itself (`pageNavigates`)
    // this is the go-ahead for the very navigation the engine reported.
    virtual void startLoading(const WebNavigationRecord& navigation) = 0;
    // A navigation that will never load: the navigation policy cancelled it, or a newer load or
    // stopLoading took its place before the policy answered. An engine holding the page's own
    // navigation until the policy answers lets it go here.
    virtual void navigationCancelled(const WebNavigationRecord& navigation) = 0;
    virtual void stopLoading() = 0;
    // The index-th script the view was asked to evaluate; its result comes back through the host.
    virtual void evaluateScript(std::size_t index, const std::string& source) = 0;
};

// The configuration is the web view's own and outlives the backend. Its user content controller
// is shared and may change after the backend is made: user scripts and handlers added later still
// reach the pages loaded afterwards.
using WebViewBackendFactory = std::function<std::unique_ptr<WebViewBackend>(WebViewBackend::Host& host,
                                                                            const WebViewConfiguration& configuration)>;

}  // namespace tq
