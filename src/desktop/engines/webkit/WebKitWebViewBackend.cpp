#include "desktop/engines/webkit/WebKitWebViewBackend.h"
#include "desktop/engines/webkit/WebKitModule.h"

#include <cstring>

#include "platform/web/UserContentController.h"
#include "platform/web/WebView.h"

namespace tq::desktop {

// ---- The shared context

WebKitShared::WebKitShared(WebKitEngineSettings settings) : settings_(std::move(settings)) {}

WebKitShared::~WebKitShared() {
    if (session_) g_object_unref(session_);
    if (context_) g_object_unref(context_);
}

void WebKitShared::start() {
    if (context_) return;
    context_ = webkit_web_context_new();
    // The web process runs in a sandbox that sees only what it is given: the bundle's pages and
    // the offline map pages with their tiles in the cache directory.
    for (const auto& folder : settings_.folders) {
        std::error_code ec;
        if (!folder.empty() && std::filesystem::is_directory(folder, ec)) {
            webkit_web_context_add_path_to_sandbox(context_, folder.c_str(), TRUE);
        }
    }
    // The application keeps its own store of everything; the pages keep nothing between runs.
    session_ = webkit_network_session_new_ephemeral();
    routeHosts();
}

namespace {

// The certificate the service at `route` shows for `host`, when it chains to the authority in
// `authorityFile` and names that host; null (with the reason) otherwise. A short blocking
// handshake: routes lead to this machine.
GTlsCertificate* routedCertificate(const std::string& host, const std::string& route,
                                   const std::filesystem::path& authorityFile, std::string& reason) {
    GError* error = nullptr;
    GTlsDatabase* authority = g_tls_file_database_new(authorityFile.c_str(), &error);
    GSocketClient* client = g_socket_client_new();
    g_socket_client_set_timeout(client, 5);
    GSocketConnection* connection = authority ? g_socket_client_connect_to_host(client, route.c_str(), 443, nullptr, &error)
                                              : nullptr;
    GIOStream* tls = nullptr;
    GTlsCertificate* certificate = nullptr;
    if (connection) {
        GSocketConnectable* identity = g_network_address_new(host.c_str(), 443);
        tls = g_tls_client_connection_new(G_IO_STREAM(connection), identity, &error);
        g_object_unref(identity);
    }
    if (tls) {
        g_tls_connection_set_database(G_TLS_CONNECTION(tls), authority);
        if (g_tls_connection_handshake(G_TLS_CONNECTION(tls), nullptr, &error)) {
            certificate = g_tls_connection_get_peer_certificate(G_TLS_CONNECTION(tls));
            if (certificate) g_object_ref(certificate);
        }
        g_io_stream_close(tls, nullptr, nullptr);
        g_object_unref(tls);
    }
    if (!certificate) reason = error && error->message ? error->message : "no certificate";
    g_clear_error(&error);
    if (connection) g_object_unref(connection);
    g_object_unref(client);
    if (authority) g_object_unref(authority);
    return certificate;
}

}  // namespace

// Pages reach the routed hosts as the application's own client does: their https connections go
// through the routing proxy, and the certificate each routed host's service shows is accepted for
// that host only, once it is found to chain to the service's authority. Other hosts keep the
// system's trust; plain http is not proxied.
void WebKitShared::routeHosts() {
    if (settings_.proxyUri.empty()) return;
    WebKitNetworkProxySettings* proxy = webkit_network_proxy_settings_new(nullptr, nullptr);
    webkit_network_proxy_settings_add_proxy_for_scheme(proxy, "https", settings_.proxyUri.c_str());
    webkit_network_session_set_proxy_settings(session_, WEBKIT_NETWORK_PROXY_MODE_CUSTOM, proxy);
    webkit_network_proxy_settings_free(proxy);
    for (const auto& [host, route] : settings_.routes) {
        std::string reason;
        GTlsCertificate* certificate = routedCertificate(host, route, settings_.authority, reason);
        if (!certificate) {
            if (settings_.log) settings_.log("Web pages cannot reach " + host + " at " + route + ": " + reason);
            continue;
        }
        webkit_network_session_allow_tls_certificate_for_host(session_, certificate, host.c_str());
        g_object_unref(certificate);
    }
}

WebKitWebContext* WebKitShared::context() {
    start();
    return context_;
}

WebKitNetworkSession* WebKitShared::session() {
    start();
    return session_;
}

// ---- Values

namespace {

ScriptValue scriptValueOf(JSCValue* value) {
    if (!value || jsc_value_is_undefined(value) || jsc_value_is_null(value)) return std::monostate{};
    if (jsc_value_is_boolean(value)) return static_cast<bool>(jsc_value_to_boolean(value));
    if (jsc_value_is_number(value)) return jsc_value_to_double(value);
    if (jsc_value_is_string(value)) {
        char* text = jsc_value_to_string(value);
        std::string result = text ? text : "";
        g_free(text);
        return result;
    }
    // Arrays and objects come back as their JSON text; anything else as nothing.
    char* json = jsc_value_to_json(value, 0);
    if (!json) return std::monostate{};
    std::string result = json;
    g_free(json);
    return result;
}

NavigationType navigationTypeOf(WebKitNavigationType type) {
    switch (type) {
        case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
            return NavigationType::linkActivated;
        case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
            return NavigationType::formSubmitted;
        case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD:
            return NavigationType::backForward;
        case WEBKIT_NAVIGATION_TYPE_RELOAD:
            return NavigationType::reload;
        case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
            return NavigationType::formResubmitted;
        default:
            return NavigationType::other;
    }
}

WebError webErrorOf(const GError* error) {
    WebError result{webErrors::urlDomain, error ? error->code : 0, error && error->message ? error->message : "failed"};
    if (!error) return result;
    if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST)) {
        result.code = webErrors::fileDoesNotExist;
    } else if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
        result.code = webErrors::cancelled;
    }
    return result;
}

// Errors WebKit reports for loads the host itself let go (a newer load, a stop, a cancelled
// policy): the host has already told its delegate.
bool isLetGo(const GError* error) {
    return g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
           g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
}

bool truthy(const std::optional<std::string>& text) {
    return text && (*text == "YES" || *text == "yes" || *text == "true" || *text == "1");
}

std::string unescaped(const std::string& address) {
    char* plain = g_uri_unescape_string(address.c_str(), nullptr);
    std::string result = plain ? plain : address;
    g_free(plain);
    while (result.size() > 1 && result.back() == '/') result.pop_back();
    return result;
}

}  // namespace

// ---- The backend

// One named message handler's signal connection.
struct WebKitWebViewBackend::HandlerLink {
    std::weak_ptr<WebKitWebViewBackend*> backend;
    std::string name;
};

WebKitWebViewBackend::WebKitWebViewBackend(Host& host, const WebViewConfiguration& configuration,
                                           std::shared_ptr<WebKitShared> shared)
    : host_(host),
      configuration_(configuration),
      shared_(std::move(shared)),
      cancellable_(g_cancellable_new()),
      self_(std::make_shared<WebKitWebViewBackend*>(this)) {}

WebKitWebViewBackend::~WebKitWebViewBackend() {
    *self_ = nullptr;
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    for (auto& [navigation, decision] : held_) release(decision, false);
    held_.clear();
    if (view_) {
        g_signal_handlers_disconnect_by_data(view_, this);
        webkit_web_view_stop_loading(view_);
        g_object_unref(view_);
    }
    if (content_) g_object_unref(content_);
    if (settings_) g_object_unref(settings_);
}

void WebKitWebViewBackend::ensureView() {
    if (view_) return;
    content_ = webkit_user_content_manager_new();
    settings_ = webkit_settings_new();
    webkit_settings_set_enable_developer_extras(settings_, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(settings_, FALSE);
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", shared_->context(), "network-session",
                                         shared_->session(), "user-content-manager", content_, "settings", settings_,
                                         nullptr));
    g_object_ref_sink(view_);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(onLoadChanged), this);
    g_signal_connect(view_, "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view_, "script-dialog", G_CALLBACK(onScriptDialog), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(onProcessTerminated), this);
    syncConfiguration();
}

GtkWidget* WebKitWebViewBackend::nativeWidget() {
    ensureView();
    return GTK_WIDGET(view_);
}

// The configuration's controller is shared and may have changed since the last load: scripts
// are set again, new handlers registered, preferences applied.
void WebKitWebViewBackend::syncConfiguration() {
    auto controller = configuration_.userContentControllerPointer();
    webkit_user_content_manager_remove_all_scripts(content_);
    for (const auto& script : controller->userScripts()) {
        WebKitUserScript* user = webkit_user_script_new(
            script.source.c_str(),
            script.forMainFrameOnly ? WEBKIT_USER_CONTENT_INJECT_TOP_FRAME : WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
            script.injectionTime == UserScriptInjectionTime::atDocumentStart ? WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START
                                                                             : WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END,
            nullptr, nullptr);
        webkit_user_content_manager_add_script(content_, user);
        webkit_user_script_unref(user);
    }
    for (const auto& name : controller->handlerNames()) {
        if (registered_.count(name)) continue;
        if (!webkit_user_content_manager_register_script_message_handler(content_, name.c_str(), nullptr)) continue;
        registered_.insert(name);
        handlers_.push_back(std::make_unique<HandlerLink>(HandlerLink{self_, name}));
        std::string signal = "script-message-received::" + name;
        g_signal_connect(content_, signal.c_str(),
                         G_CALLBACK(+[](WebKitUserContentManager*, JSCValue* value, gpointer data) {
                             auto* link = static_cast<HandlerLink*>(data);
                             auto cell = link->backend.lock();
                             if (cell && *cell) (*cell)->host_.scriptMessagePosted(link->name, scriptValueOf(value));
                         }),
                         handlers_.back().get());
    }
    webkit_settings_set_allow_file_access_from_file_urls(
        settings_, truthy(configuration_.preferenceValue("allowFileAccessFromFileURLs")));
    webkit_settings_set_allow_universal_access_from_file_urls(
        settings_, truthy(configuration_.value("allowUniversalAccessFromFileURLs")));
}

// ---- Loads

void WebKitWebViewBackend::startLoading(const WebNavigationRecord& navigation) {
    ensureView();
    syncConfiguration();
    const std::string address = navigation.url().value_or("about:blank");
    loadFailed_ = false;
    // A server's redirect of the navigation under way, now allowed: WebKit carries on with it.
    if (auto held = held_.find(navigation.identifier);
        held != held_.end() && navigation.redirects > 0 && navigation.origin != WebNavigationRecord::Origin::link) {
        auto* decision = held->second;
        held_.erase(held);
        loading_ = navigation.identifier;
        release(decision, true);
        return;
    }
    switch (navigation.origin) {
        case WebNavigationRecord::Origin::link:
            // The page's own navigation, now allowed: WebKit carries on with it.
            if (auto* decision = takeDecision(navigation.identifier)) {
                loading_ = navigation.identifier;
                release(decision, true);
            }
            return;
        case WebNavigationRecord::Origin::htmlString:
            ownLoad_ = OwnLoad{navigation.identifier, navigation.baseURL.value_or("about:blank")};
            webkit_web_view_load_html(view_, navigation.html.c_str(),
                                      navigation.baseURL ? navigation.baseURL->c_str() : nullptr);
            return;
        case WebNavigationRecord::Origin::fileURL:
        case WebNavigationRecord::Origin::request:
            ownLoad_ = OwnLoad{navigation.identifier, address};
            webkit_web_view_load_uri(view_, address.c_str());
            return;
    }
}

WebKitPolicyDecision* WebKitWebViewBackend::takeDecision(int navigation) {
    auto it = held_.find(navigation);
    if (it != held_.end()) {
        auto* decision = it->second;
        held_.erase(it);
        return decision;
    }
    // The policy answers while the navigation is still being reported (its number not yet known
    // here): it is the newest, so every older one is among the held.
    auto* decision = reporting_;
    reporting_ = nullptr;
    return decision;
}

void WebKitWebViewBackend::release(WebKitPolicyDecision* decision, bool use) {
    if (use) {
        webkit_policy_decision_use(decision);
    } else {
        webkit_policy_decision_ignore(decision);
    }
    g_object_unref(decision);
}

void WebKitWebViewBackend::navigationCancelled(const WebNavigationRecord& navigation) {
    if (navigation.origin != WebNavigationRecord::Origin::link) {
        // A redirect the policy refused (the load the application asked for was under way).
        auto held = held_.find(navigation.identifier);
        if (held == held_.end()) return;
        auto* decision = held->second;
        held_.erase(held);
        release(decision, false);
        return;
    }
    if (auto* decision = takeDecision(navigation.identifier)) release(decision, false);
}

void WebKitWebViewBackend::stopLoading() {
    ownLoad_.reset();
    loading_ = 0;
    if (view_) webkit_web_view_stop_loading(view_);
}

bool WebKitWebViewBackend::isOwnLoad(const std::string& address) const {
    return ownLoad_ && (ownLoad_->address == address || unescaped(ownLoad_->address) == unescaped(address));
}

gboolean WebKitWebViewBackend::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                              WebKitPolicyDecisionType type, gpointer data) {
    auto* self = static_cast<WebKitWebViewBackend*>(data);
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
    auto* action = webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    std::string address = uri ? uri : "";

    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        webkit_policy_decision_ignore(decision);
        self->host_.newWindowRequested(address);
        return TRUE;
    }
    if (self->isOwnLoad(address)) {
        self->loading_ = self->ownLoad_->navigation;
        self->loadFailed_ = false;
        self->committed_ = false;
        self->ownLoad_.reset();
        webkit_policy_decision_use(decision);
        return TRUE;
    }
    if (webkit_navigation_action_is_redirect(action)) return self->redirect(decision, address);

    // The page navigates by itself: hold WebKit's decision until the policy answers.
    g_object_ref(decision);
    self->reporting_ = decision;
    std::weak_ptr<WebKitWebViewBackend*> cell = self->self_;
    int navigation = self->host_.pageNavigates(uri ? std::optional<std::string>(address) : std::nullopt,
                                               navigationTypeOf(webkit_navigation_action_get_navigation_type(action)));
    auto alive = cell.lock();
    if (!alive || !*alive) return TRUE;  // the delegate let the web view go meanwhile
    if (self->reporting_) {
        self->held_[navigation] = self->reporting_;
        self->reporting_ = nullptr;
    }
    return TRUE;
}

// WebKit does not say which frame a redirect belongs to. The page's own navigation is redirected
// only before the page is committed; a redirect reported after that is a frame's inside the page,
// which WebKit follows as part of the page.
gboolean WebKitWebViewBackend::redirect(WebKitPolicyDecision* decision, const std::string& address) {
    if (!loading_ || committed_) return FALSE;
    int navigation = loading_;
    g_object_ref(decision);
    held_[navigation] = decision;
    std::weak_ptr<WebKitWebViewBackend*> cell = self_;
    bool asked = host_.serverRedirects(navigation, address);
    auto alive = cell.lock();
    if (!alive || !*alive) return TRUE;  // the delegate let the web view go meanwhile
    if (!asked) {
        // The application no longer waits for this navigation: WebKit follows the redirect.
        if (auto held = held_.find(navigation); held != held_.end() && held->second == decision) {
            held_.erase(held);
            release(decision, true);
        }
    }
    return TRUE;
}

void WebKitWebViewBackend::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<WebKitWebViewBackend*>(data);
    if (event == WEBKIT_LOAD_STARTED) self->committed_ = false;
    if (event == WEBKIT_LOAD_COMMITTED) self->committed_ = true;
    if (event != WEBKIT_LOAD_FINISHED) return;
    int navigation = self->loading_;
    bool failed = self->loadFailed_;
    self->loading_ = 0;
    if (navigation && !failed) self->host_.loadFinished(navigation);
}

gboolean WebKitWebViewBackend::onLoadFailed(WebKitWebView*, WebKitLoadEvent event, gchar*, GError* error,
                                            gpointer data) {
    auto* self = static_cast<WebKitWebViewBackend*>(data);
    if (isLetGo(error) || !self->loading_) return TRUE;
    self->loadFailed_ = true;
    // Before the page was committed nothing of it was shown: a provisional failure.
    bool provisional = event != WEBKIT_LOAD_COMMITTED;
    self->host_.loadFailed(self->loading_, webErrorOf(error), provisional);
    return TRUE;
}

void WebKitWebViewBackend::onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data) {
    auto* self = static_cast<WebKitWebViewBackend*>(data);
    if (!self->loading_) return;
    int navigation = self->loading_;
    self->loading_ = 0;
    self->host_.loadFailed(navigation, WebError{webErrors::urlDomain, 0, "the web process ended"}, false);
}

// ---- Scripts

namespace {

struct ScriptCall {
    std::weak_ptr<WebKitWebViewBackend*> backend;
    std::size_t index;
};

}  // namespace

void WebKitWebViewBackend::evaluateScript(std::size_t index, const std::string& source) {
    ensureView();
    auto* call = new ScriptCall{self_, index};
    webkit_web_view_evaluate_javascript(
        view_, source.c_str(), static_cast<gssize>(source.size()), nullptr, nullptr, cancellable_,
        [](GObject* object, GAsyncResult* result, gpointer data) {
            std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
            GError* error = nullptr;
            JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(object), result, &error);
            auto cell = call->backend.lock();
            if (cell && *cell && !g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
                ScriptAnswer answer =
                    error ? ScriptAnswer::withError(WebError{webErrors::scriptDomain, webErrors::javaScriptExceptionOccurred,
                                                             error->message ? error->message : "script error"})
                          : ScriptAnswer::withValue(scriptValueOf(value));
                (*cell)->host_.scriptAnswered(call->index, std::move(answer));
            }
            if (value) g_object_unref(value);
            g_clear_error(&error);
        },
        call);
}

// ---- Panels

gboolean WebKitWebViewBackend::onScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
    auto* self = static_cast<WebKitWebViewBackend*>(data);
    const char* message = webkit_script_dialog_get_message(dialog);
    std::string text = message ? message : "";
    // The page waits until the dialog is answered. An answer given at once is only set; a later one
    // (the dialog was kept) also closes the dialog. Each dialog takes its first answer only.
    struct Pending {
        WebKitScriptDialog* dialog;
        bool inSignal = true;
        bool answered = false;
    };
    auto pending = std::make_shared<Pending>(Pending{dialog});
    auto close = [pending](const std::function<void(WebKitScriptDialog*)>& answer) {
        if (pending->answered) return;
        pending->answered = true;
        answer(pending->dialog);
        if (!pending->inSignal) {
            webkit_script_dialog_close(pending->dialog);
            webkit_script_dialog_unref(pending->dialog);
        }
    };
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_ALERT:
            self->host_.alertPanel(text, [close] { close([](WebKitScriptDialog*) {}); });
            break;
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
            self->host_.confirmPanel(text, [close](bool ok) {
                close([ok](WebKitScriptDialog* d) { webkit_script_dialog_confirm_set_confirmed(d, ok); });
            });
            break;
        case WEBKIT_SCRIPT_DIALOG_PROMPT: {
            const char* initial = webkit_script_dialog_prompt_get_default_text(dialog);
            std::optional<std::string> defaultText = initial ? std::optional<std::string>(initial) : std::nullopt;
            self->host_.textInputPanel(text, defaultText, [close](std::optional<std::string> answer) {
                close([answer](WebKitScriptDialog* d) {
                    if (answer) webkit_script_dialog_prompt_set_text(d, answer->c_str());
                });
            });
            break;
        }
    }
    pending->inSignal = false;
    if (!pending->answered) webkit_script_dialog_ref(dialog);
    return TRUE;
}

}  // namespace tq::desktop

extern "C" __attribute__((visibility("default"))) tq::WebViewBackendFactory* tqMakeWebKitBackendFactory(
    const tq::desktop::WebKitEngineSettings* settings) {
    auto shared = std::make_shared<tq::desktop::WebKitShared>(*settings);
    return new tq::WebViewBackendFactory(
        [shared](tq::WebViewBackend::Host& host, const tq::WebViewConfiguration& configuration) {
            return std::make_unique<tq::desktop::WebKitWebViewBackend>(host, configuration, shared);
        });
}
