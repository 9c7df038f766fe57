#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/web/WebView.h"
#include "platform/web/WebViewBackend.h"

namespace tq {

class Environment;

// The web engine used when no real one is plugged in. It renders nothing and runs no script. An
// allowed load finishes on the next turn of the main loop, unless loads are held (for this view or
// engine-wide), in which case a test finishes it. Everything else the page would do, a test does
// through this backend, the web view's driver: finish or fail a load, answer a script, post a
// message, follow a link, open a panel.
class HeadlessWebViewBackend : public WebViewBackend {
public:
    HeadlessWebViewBackend(Environment& env, Host& host, const WebViewConfiguration& configuration);
    ~HeadlessWebViewBackend() override;
    HeadlessWebViewBackend(const HeadlessWebViewBackend&) = delete;
    HeadlessWebViewBackend& operator=(const HeadlessWebViewBackend&) = delete;

    void startLoading(const WebNavigationRecord& navigation) override;
    void navigationCancelled(const WebNavigationRecord& navigation) override {
        cancelled_.push_back(navigation.identifier);
    }
    void stopLoading() override;
    void evaluateScript(std::size_t index, const std::string& source) override;

    // ---- The page's side, for tests

    // The configuration the backend was made with (the web view's own).
    const WebViewConfiguration& configuration() const { return configuration_; }
    // The navigations it was told will never load, in order.
    const std::vector<int>& cancelledNavigations() const { return cancelled_; }

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

    // The server redirects the oldest load under way to `address`: the policy is asked about it;
    // allowed, the same navigation goes on loading there. False when no load is under way.
    bool redirectLoading(const std::string& address);

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
    template <class Report>
    bool reportOldestLoad(Report report);
    std::optional<std::size_t> unansweredScript(const std::string& source) const;
    bool answer(std::size_t index, ScriptAnswer answer);

    Environment& env_;
    Host& host_;
    const WebViewConfiguration& configuration_;
    std::vector<int> cancelled_;
    std::deque<int> loading_;  // started loads, oldest first
    std::vector<std::string> scripts_;
    std::vector<bool> answered_;
    ScriptResponder responder_;
    bool holdsLoads_ = false;
    // Posted tasks reach the backend through this cell, emptied on destruction.
    std::shared_ptr<HeadlessWebViewBackend*> self_;
};

}  // namespace tq
