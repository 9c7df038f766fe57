#include "platform/web/WebView.h"

#include <algorithm>
#include <filesystem>
#include <type_traits>

#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"

namespace tq {

namespace {

WebError urlError(int code, std::string description) {
    return WebError{webErrors::urlDomain, code, std::move(description)};
}

bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    auto f = file.lexically_normal();
    auto d = folder.lexically_normal();
    auto mismatch = std::mismatch(d.begin(), d.end(), f.begin(), f.end());
    // A trailing "/" of the folder leaves an empty last element.
    return mismatch.first == d.end() || (std::next(mismatch.first) == d.end() && mismatch.first->empty());
}

}  // namespace

WebView::WebView(Rect frame, WebViewConfiguration configuration)
    : View(frame),
      env_(Environment::current()),
      configuration_(std::move(configuration)),
      scrollView_(std::make_shared<WebScrollView>()),
      self_(std::make_shared<WebView*>(this)) {
    scrollView_->setFrame(bounds());
    setArrangement(Arrangement::overlay());
    addSubview(scrollView_);
}

WebView::~WebView() { *self_ = nullptr; }

void WebView::setFrame(Rect frame) {
    if (frame.height() != this->frame().height()) frameHeights_.push_back(frame.height());
    View::setFrame(frame);
    scrollView_->setFrame(bounds());
}

// ---- Loads

int WebView::loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL) {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::htmlString;
    record.html = html;
    record.baseURL = baseURL;
    record.action.request.url = baseURL.value_or("about:blank");
    return begin(std::move(record));
}

int WebView::loadFileURL(const std::string& fileURL, const std::string& readAccessURL) {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::fileURL;
    record.action.request.url = fileURL;
    record.readAccessURL = readAccessURL;
    return begin(std::move(record));
}

int WebView::load(const URLRequest& request) {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::request;
    record.action.request = request;
    return begin(std::move(record));
}

int WebView::tapLink(const std::string& address, NavigationType type) {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::link;
    record.action.request.url = address;
    record.action.navigationType = type;
    return begin(std::move(record));
}

int WebView::navigateWithoutAddress() {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::link;
    record.action.navigationType = NavigationType::other;
    return begin(std::move(record));
}

bool WebView::tapLinkInNewWindow(const std::string& address) {
    auto* delegate = uiDelegate_.get();
    if (!delegate) return false;
    NavigationAction action;
    action.request.url = address;
    action.navigationType = NavigationType::linkActivated;
    action.hasTargetFrame = false;
    if (auto created = delegate->createWebViewWithConfiguration(*this, configuration_, action)) {
        created->load(action.request);
    }
    return true;
}

void WebView::stopLoading() {
    for (auto& record : navigations_) {
        if (record.phase == Phase::awaitingPolicy || record.phase == Phase::loading) {
            record.phase = Phase::interrupted;
        }
    }
}

int WebView::begin(WebNavigationRecord record) {
    int identifier = navigations_.empty() ? 1 : navigations_.back().identifier + 1;
    record.identifier = identifier;
    record.phase = Phase::awaitingPolicy;
    navigations_.push_back(std::move(record));

    auto calls = std::make_shared<int>(0);
    std::weak_ptr<WebView*> cell = self_;
    DecisionHandler handler = [cell, identifier, calls](NavigationActionPolicy policy) {
        auto self = cell.lock();
        WebView* view = self ? *self : nullptr;
        if (view) {
            if (auto* record = view->find(identifier)) ++record->decisionCalls;
        }
        if (++*calls > 1) {
            if (view) ++view->repeatedDecisions_;
            return;
        }
        if (view) view->decide(identifier, policy);
    };
    NavigationAction action = navigations_.back().action;
    if (auto* delegate = navigationDelegate_.get()) {
        delegate->decidePolicyForNavigationAction(*this, action, std::move(handler));
    } else {
        handler(NavigationActionPolicy::allow);
    }
    return identifier;
}

WebNavigationRecord* WebView::find(int identifier) {
    for (auto& record : navigations_) {
        if (record.identifier == identifier) return &record;
    }
    return nullptr;
}

void WebView::decide(int identifier, NavigationActionPolicy policy) {
    auto* record = find(identifier);
    if (!record) return;
    if (record->phase != Phase::awaitingPolicy) return;  // a newer load took its place meanwhile
    if (policy == NavigationActionPolicy::cancel) {
        record->phase = Phase::cancelled;
        return;
    }
    startLoading(*record);
}

std::optional<WebError> WebView::checkLocalAccess(const WebNavigationRecord& record) const {
    const auto& address = record.url();
    if (!address || !hasScheme(*address, "file")) return std::nullopt;
    auto path = pathFromFileURL(*address);
    if (!path) return urlError(webErrors::badURL, "bad URL");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*path, ec)) {
        return urlError(webErrors::fileDoesNotExist, "The requested URL was not found on this server.");
    }
    if (record.readAccessURL) {
        auto folder = pathFromFileURL(*record.readAccessURL);
        if (!folder || !isInside(*path, *folder)) {
            return urlError(webErrors::noPermissionsToRead, "You do not have permission to read this file.");
        }
    }
    return std::nullopt;
}

void WebView::startLoading(WebNavigationRecord& record) {
    int identifier = record.identifier;
    interruptOlderThan(identifier);
    auto* current = find(identifier);  // the interruption may have run delegate code
    if (!current || current->phase != Phase::awaitingPolicy) return;
    if (auto error = checkLocalAccess(*current)) {
        fail(*current, *error, true);
        return;
    }
    current->phase = Phase::loading;
    url_ = current->url();
    scheduleFinish(identifier);
}

void WebView::interruptOlderThan(int identifier) {
    std::vector<int> superseded;
    for (auto& record : navigations_) {
        if (record.identifier >= identifier) break;
        if (record.phase == Phase::awaitingPolicy) {
            record.phase = Phase::interrupted;
        } else if (record.phase == Phase::loading) {
            superseded.push_back(record.identifier);
        }
    }
    for (int older : superseded) {
        auto* record = find(older);
        if (!record || record->phase != Phase::loading) continue;
        fail(*record, urlError(webErrors::cancelled, "cancelled"), true);
        if (auto* again = find(older)) again->phase = Phase::interrupted;
    }
}

void WebView::scheduleFinish(int identifier) {
    std::weak_ptr<WebView*> cell = self_;
    env_.loop().post([cell, identifier] {
        auto self = cell.lock();
        if (!self || !*self) return;
        WebView& view = **self;
        if (view.holdsLoads()) return;
        auto* record = view.find(identifier);
        if (record && record->phase == Phase::loading) view.finish(*record);
    });
}

void WebView::finish(WebNavigationRecord& record) {
    record.phase = Phase::finished;
    WebNavigation navigation{record.identifier, record.url()};
    if (auto* delegate = navigationDelegate_.get()) delegate->didFinishNavigation(*this, navigation);
}

void WebView::fail(WebNavigationRecord& record, const WebError& error, bool provisional) {
    record.phase = Phase::failed;
    record.error = error;
    WebNavigation navigation{record.identifier, record.url()};
    auto* delegate = navigationDelegate_.get();
    if (!delegate) return;
    if (provisional) {
        delegate->didFailProvisionalNavigation(*this, navigation, error);
    } else {
        delegate->didFailNavigation(*this, navigation, error);
    }
}

bool WebView::isLoading() const {
    for (const auto& record : navigations_) {
        if (record.phase == Phase::loading) return true;
    }
    return false;
}

bool WebView::holdsLoads() const {
    if (holdsLoads_) return true;
    auto* engine = env_.existing<WebEngine>();
    return engine && engine->holdsLoads();
}

bool WebView::finishLoading() {
    for (auto& record : navigations_) {
        if (record.phase == Phase::loading) {
            finish(record);
            return true;
        }
    }
    return false;
}

bool WebView::failLoading(const WebError& error, bool provisional) {
    for (auto& record : navigations_) {
        if (record.phase == Phase::loading) {
            fail(record, error, provisional);
            return true;
        }
    }
    return false;
}

// ---- Reading the record

const WebNavigationRecord* WebView::lastNavigation() const {
    return navigations_.empty() ? nullptr : &navigations_.back();
}

const WebNavigationRecord* WebView::navigation(int identifier) const {
    for (const auto& record : navigations_) {
        if (record.identifier == identifier) return &record;
    }
    return nullptr;
}

std::optional<std::string> WebView::lastHTML() const {
    for (auto it = navigations_.rbegin(); it != navigations_.rend(); ++it) {
        if (it->origin == WebNavigationRecord::Origin::htmlString) return it->html;
    }
    return std::nullopt;
}

std::vector<const WebNavigationRecord*> WebView::pendingDecisions() const {
    std::vector<const WebNavigationRecord*> pending;
    for (const auto& record : navigations_) {
        if (record.phase == Phase::awaitingPolicy) pending.push_back(&record);
    }
    return pending;
}

// ---- Scripts

void WebView::evaluateJavaScript(const std::string& source, ScriptCompletion completion) {
    EvaluatedScript script;
    script.source = source;
    script.hasCompletion = static_cast<bool>(completion);
    scripts_.push_back(std::move(script));
    completions_.push_back(std::move(completion));
    if (!responder_) return;
    auto automatic = responder_(source);
    if (!automatic) return;
    std::size_t index = scripts_.size() - 1;
    std::weak_ptr<WebView*> cell = self_;
    env_.loop().post([cell, index, automatic = *automatic] {
        auto self = cell.lock();
        if (self && *self) (*self)->answer(index, automatic);
    });
}

std::vector<std::string> WebView::evaluatedSources() const {
    std::vector<std::string> sources;
    for (const auto& script : scripts_) sources.push_back(script.source);
    return sources;
}

std::size_t WebView::pendingScriptCount() const {
    std::size_t count = 0;
    for (const auto& script : scripts_) {
        if (script.hasCompletion && !script.answered) ++count;
    }
    return count;
}

std::optional<std::size_t> WebView::unansweredScript(const std::string& source) const {
    for (std::size_t i = 0; i < scripts_.size(); ++i) {
        if (!scripts_[i].answered && scripts_[i].source == source) return i;
    }
    return std::nullopt;
}

bool WebView::answer(std::size_t index, ScriptAnswer reply) {
    if (index >= scripts_.size() || scripts_[index].answered) return false;
    scripts_[index].answered = true;
    scripts_[index].answer = reply;
    // The completion may evaluate more scripts, which grows the lists: call it from a copy.
    ScriptCompletion completion = std::move(completions_[index]);
    completions_[index] = nullptr;
    if (completion) completion(reply.value, reply.error);
    return true;
}

bool WebView::answerScript(std::size_t index, ScriptValue value) {
    return answer(index, ScriptAnswer::withValue(std::move(value)));
}

bool WebView::answerScript(const std::string& source, ScriptValue value) {
    auto index = unansweredScript(source);
    return index && answer(*index, ScriptAnswer::withValue(std::move(value)));
}

bool WebView::failScript(std::size_t index, WebError error) {
    return answer(index, ScriptAnswer::withError(std::move(error)));
}

bool WebView::failScript(const std::string& source, WebError error) {
    auto index = unansweredScript(source);
    return index && answer(*index, ScriptAnswer::withError(std::move(error)));
}

// ---- Messages and panels

bool WebView::postScriptMessage(const std::string& name, ScriptValue body) {
    auto controller = configuration_.userContentControllerPointer();
    auto* handler = controller->handler(name);
    if (!handler) return false;
    handler->userContentControllerDidReceiveScriptMessage(*controller, ScriptMessage{name, std::move(body), this, true});
    return true;
}

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

std::shared_ptr<const PanelReply> WebView::runAlertPanel(const std::string& message) {
    auto reply = std::make_shared<PanelReply>();
    auto completion = panelCompletion<>(reply, [](PanelReply&) {});
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptAlertPanel(*this, message, completion);
    } else {
        completion();
    }
    return reply;
}

std::shared_ptr<const PanelReply> WebView::runConfirmPanel(const std::string& message) {
    auto reply = std::make_shared<PanelReply>();
    auto completion = panelCompletion<bool>(reply, [](PanelReply& r, bool ok) { r.confirmed = ok; });
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptConfirmPanel(*this, message, completion);
    } else {
        completion(false);
    }
    return reply;
}

std::shared_ptr<const PanelReply> WebView::runTextInputPanel(const std::string& prompt,
                                                             const std::optional<std::string>& defaultText) {
    auto reply = std::make_shared<PanelReply>();
    auto completion = panelCompletion<std::optional<std::string>>(
        reply, [](PanelReply& r, std::optional<std::string> text) { r.text = std::move(text); });
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptTextInputPanel(*this, prompt, defaultText, completion);
    } else {
        completion(std::nullopt);
    }
    return reply;
}

}  // namespace tq
