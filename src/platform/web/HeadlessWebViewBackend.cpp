#include "platform/web/HeadlessWebViewBackend.h"

#include <algorithm>
#include <type_traits>

#include "platform/foundation/Environment.h"

namespace tq {

HeadlessWebViewBackend::HeadlessWebViewBackend(Environment& env, Host& host, const WebViewConfiguration& configuration)
    : env_(env), host_(host), configuration_(configuration), self_(std::make_shared<HeadlessWebViewBackend*>(this)) {}

HeadlessWebViewBackend::~HeadlessWebViewBackend() { *self_ = nullptr; }

// ---- Loads

void HeadlessWebViewBackend::startLoading(const WebNavigationRecord& navigation) {
    const int identifier = navigation.identifier;
    loading_.push_back(identifier);
    std::weak_ptr<HeadlessWebViewBackend*> cell = self_;
    env_.loop().post([cell, identifier] {
        auto self = cell.lock();
        if (!self || !*self) return;
        HeadlessWebViewBackend& backend = **self;
        if (backend.holdsLoads()) return;
        auto& loading = backend.loading_;
        auto it = std::find(loading.begin(), loading.end(), identifier);
        if (it == loading.end()) return;
        loading.erase(it);
        backend.host_.loadFinished(identifier);
    });
}

void HeadlessWebViewBackend::stopLoading() { loading_.clear(); }

bool HeadlessWebViewBackend::holdsLoads() const {
    if (holdsLoads_) return true;
    auto* engine = env_.existing<WebEngine>();
    return engine && engine->holdsLoads();
}

template <class Report>
bool HeadlessWebViewBackend::reportOldestLoad(Report report) {
    // Loads the view has since let go (a newer load took their place) answer false: skip them.
    while (!loading_.empty()) {
        int identifier = loading_.front();
        loading_.pop_front();
        if (report(identifier)) return true;
    }
    return false;
}

bool HeadlessWebViewBackend::finishLoading() {
    return reportOldestLoad([this](int identifier) { return host_.loadFinished(identifier); });
}

bool HeadlessWebViewBackend::failLoading(const WebError& error, bool provisional) {
    return reportOldestLoad([&](int identifier) { return host_.loadFailed(identifier, error, provisional); });
}

bool HeadlessWebViewBackend::redirectLoading(const std::string& address) {
    // Allowed, the view starts the same navigation again, which puts it back among the loads.
    return reportOldestLoad([&](int identifier) { return host_.serverRedirects(identifier, address); });
}

// ---- Scripts

void HeadlessWebViewBackend::evaluateScript(std::size_t index, const std::string& source) {
    if (scripts_.size() <= index) {
        scripts_.resize(index + 1);
        answered_.resize(index + 1, false);
    }
    scripts_[index] = source;
    if (!responder_) return;
    auto automatic = responder_(source);
    if (!automatic) return;
    std::weak_ptr<HeadlessWebViewBackend*> cell = self_;
    env_.loop().post([cell, index, automatic = *automatic] {
        auto self = cell.lock();
        if (self && *self) (*self)->answer(index, automatic);
    });
}

std::optional<std::size_t> HeadlessWebViewBackend::unansweredScript(const std::string& source) const {
    for (std::size_t i = 0; i < scripts_.size(); ++i) {
        if (!answered_[i] && scripts_[i] == source) return i;
    }
    return std::nullopt;
}

bool HeadlessWebViewBackend::answer(std::size_t index, ScriptAnswer reply) {
    if (index >= scripts_.size() || answered_[index]) return false;
    answered_[index] = true;
    return host_.scriptAnswered(index, std::move(reply));
}

bool HeadlessWebViewBackend::answerScript(std::size_t index, ScriptValue value) {
    return answer(index, ScriptAnswer::withValue(std::move(value)));
}

bool HeadlessWebViewBackend::answerScript(const std::string& source, ScriptValue value) {
    auto index = unansweredScript(source);
    return index && answer(*index, ScriptAnswer::withValue(std::move(value)));
}

bool HeadlessWebViewBackend::failScript(std::size_t index, WebError error) {
    return answer(index, ScriptAnswer::withError(std::move(error)));
}

bool HeadlessWebViewBackend::failScript(const std::string& source, WebError error) {
    auto index = unansweredScript(source);
    return index && answer(*index, ScriptAnswer::withError(std::move(error)));
}

// ---- Links, messages and panels

bool HeadlessWebViewBackend::postScriptMessage(const std::string& name, ScriptValue body) {
    return host_.scriptMessagePosted(name, std::move(body));
}

int HeadlessWebViewBackend::tapLink(const std::string& address, NavigationType type) {
    return host_.pageNavigates(address, type);
}

int HeadlessWebViewBackend::navigateWithoutAddress() { return host_.pageNavigates(std::nullopt, NavigationType::other); }

bool HeadlessWebViewBackend::tapLinkInNewWindow(const std::string& address) { return host_.newWindowRequested(address); }

namespace {

// Records the first answer to a panel and counts any further one.
template <class... Args>
std::function<void(Args...)> panelCompletion(
    std::shared_ptr<PanelReply> reply, std::type_identity_t<std::function<void(PanelReply&, Args...)>> record) {
    return [reply, record](Args... args) {
        if (reply->answered) {
            ++reply->extraAnswers;
            return;
        }
        reply->answered = true;
        record(*reply, args...);
    };
}

}  // namespace

std::shared_ptr<const PanelReply> HeadlessWebViewBackend::runAlertPanel(const std::string& message) {
    auto reply = std::make_shared<PanelReply>();
    host_.alertPanel(message, panelCompletion<>(reply, [](PanelReply&) {}));
    return reply;
}

std::shared_ptr<const PanelReply> HeadlessWebViewBackend::runConfirmPanel(const std::string& message) {
    auto reply = std::make_shared<PanelReply>();
    host_.confirmPanel(message, panelCompletion<bool>(reply, [](PanelReply& r, bool ok) { r.confirmed = ok; }));
    return reply;
}

std::shared_ptr<const PanelReply> HeadlessWebViewBackend::runTextInputPanel(const std::string& prompt,
                                                                            const std::optional<std::string>& defaultText) {
    auto reply = std::make_shared<PanelReply>();
    host_.textInputPanel(prompt, defaultText,
                         panelCompletion<std::optional<std::string>>(
                             reply, [](PanelReply& r, std::optional<std::string> text) { r.text = std::move(text); }));
    return reply;
}

}  // namespace tq
