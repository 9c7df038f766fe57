#include "platform/web/WebView.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "platform/web/HeadlessWebViewBackend.h"

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
    backend_ = env_.shared<WebEngine>().makeBackend(*this, configuration_);
}

std::unique_ptr<WebViewBackend> WebEngine::makeBackend(WebViewBackend::Host& host,
                                                       const WebViewConfiguration& configuration) {
    if (factory_) {
        if (auto backend = factory_(host, configuration)) return backend;
    }
    return std::make_unique<HeadlessWebViewBackend>(env_, host, configuration);
}

HeadlessWebViewBackend& WebView::driver() {
    auto* headless = dynamic_cast<HeadlessWebViewBackend*>(backend_.get());
    if (!headless) throw std::logic_error("the web view's backend is not the headless one");
    return *headless;
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

int WebView::pageNavigates(const std::optional<std::string>& address, NavigationType type) {
    WebNavigationRecord record;
    record.origin = WebNavigationRecord::Origin::link;
    record.action.request.url = address;
    record.action.navigationType = type;
    return begin(std::move(record));
}

bool WebView::newWindowRequested(const std::string& address) {
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
    std::vector<int> undecided;
    for (auto& record : navigations_) {
        if (record.phase == Phase::awaitingPolicy) undecided.push_back(record.identifier);
        if (record.phase == Phase::awaitingPolicy || record.phase == Phase::loading) {
            record.phase = Phase::interrupted;
        }
    }
    backend_->stopLoading();
    for (int identifier : undecided) {
        if (auto* record = find(identifier)) backend_->navigationCancelled(*record);
    }
}

int WebView::begin(WebNavigationRecord record) {
    int identifier = navigations_.empty() ? 1 : navigations_.back().identifier + 1;
    record.identifier = identifier;
    record.phase = Phase::awaitingPolicy;
    navigations_.push_back(std::move(record));
    askPolicy(identifier);
    return identifier;
}

bool WebView::serverRedirects(int navigation, const std::string& address) {
    auto* record = find(navigation);
    if (!record || record->phase != Phase::loading) return false;
    record->action.request.url = address;
    record->phase = Phase::awaitingPolicy;
    ++record->redirects;
    askPolicy(navigation);
    return true;
}

// Asks the delegate about the navigation's action as it now stands; its answer goes to decide().
void WebView::askPolicy(int identifier) {
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
    NavigationAction action = find(identifier)->action;
    if (auto* delegate = navigationDelegate_.get()) {
        delegate->decidePolicyForNavigationAction(*this, action, std::move(handler));
    } else {
        handler(NavigationActionPolicy::allow);
    }
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
        backend_->navigationCancelled(*record);
        // A navigation stopped at its redirect had started: it fails before anything was shown.
        if (auto* stopped = find(identifier); stopped && stopped->redirects > 0 && stopped->phase == Phase::cancelled) {
            fail(*stopped, WebError{webErrors::frameLoadDomain, webErrors::frameLoadInterrupted, "Frame load interrupted"},
                 true);
        }
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
    changed("url");
    backend_->startLoading(*current);
}

void WebView::interruptOlderThan(int identifier) {
    std::vector<int> superseded;
    std::vector<int> undecided;
    for (auto& record : navigations_) {
        if (record.identifier >= identifier) break;
        if (record.phase == Phase::awaitingPolicy) {
            record.phase = Phase::interrupted;
            undecided.push_back(record.identifier);
        } else if (record.phase == Phase::loading) {
            superseded.push_back(record.identifier);
        }
    }
    for (int older : undecided) {
        if (auto* record = find(older)) backend_->navigationCancelled(*record);
    }
    for (int older : superseded) {
        auto* record = find(older);
        if (!record || record->phase != Phase::loading) continue;
        fail(*record, urlError(webErrors::cancelled, "cancelled"), true);
        if (auto* again = find(older)) again->phase = Phase::interrupted;
    }
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

bool WebView::loadFinished(int navigation) {
    auto* record = find(navigation);
    if (!record || record->phase != Phase::loading) return false;
    finish(*record);
    return true;
}

bool WebView::loadFailed(int navigation, const WebError& error, bool provisional) {
    auto* record = find(navigation);
    if (!record || record->phase != Phase::loading) return false;
    fail(*record, error, provisional);
    return true;
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
    backend_->evaluateScript(scripts_.size() - 1, source);
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

bool WebView::scriptAnswered(std::size_t index, ScriptAnswer reply) {
    if (index >= scripts_.size() || scripts_[index].answered) return false;
    scripts_[index].answered = true;
    scripts_[index].answer = reply;
    // The completion may evaluate more scripts, which grows the lists: call it from a copy.
    ScriptCompletion completion = std::move(completions_[index]);
    completions_[index] = nullptr;
    if (completion) completion(reply.value, reply.error);
    return true;
}

// ---- Messages and panels

bool WebView::scriptMessagePosted(const std::string& name, ScriptValue body) {
    auto controller = configuration_.userContentControllerPointer();
    auto* handler = controller->handler(name);
    if (!handler) return false;
    handler->userContentControllerDidReceiveScriptMessage(*controller, ScriptMessage{name, std::move(body), this, true});
    return true;
}

void WebView::alertPanel(const std::string& message, std::function<void()> completion) {
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptAlertPanel(*this, message, std::move(completion));
    } else {
        completion();
    }
}

void WebView::confirmPanel(const std::string& message, std::function<void(bool)> completion) {
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptConfirmPanel(*this, message, std::move(completion));
    } else {
        completion(false);
    }
}

void WebView::textInputPanel(const std::string& prompt, const std::optional<std::string>& defaultText,
                             std::function<void(std::optional<std::string>)> completion) {
    if (auto* delegate = uiDelegate_.get()) {
        delegate->runJavaScriptTextInputPanel(*this, prompt, defaultText, std::move(completion));
    } else {
        completion(std::nullopt);
    }
}

}  // namespace tq
