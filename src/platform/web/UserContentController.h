#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/WeakDelegate.h"
#include "platform/web/WebTypes.h"

namespace tq {

class UserContentController;
class WebView;

enum class UserScriptInjectionTime { atDocumentStart, atDocumentEnd };

// Script the page runs on its own at each load (the console capture of the map pages, say).
struct UserScript {
    std::string source;
    UserScriptInjectionTime injectionTime = UserScriptInjectionTime::atDocumentEnd;
    bool forMainFrameOnly = true;
};

// What page script posts with window.webkit.messageHandlers.<name>.postMessage(body).
struct ScriptMessage {
    std::string name;
    ScriptValue body;
    WebView* webView = nullptr;
    bool isMainFrame = true;
};

class ScriptMessageHandler : public WeaklyReferenced {
public:
    virtual void userContentControllerDidReceiveScriptMessage(UserContentController& controller,
                                                              const ScriptMessage& message) = 0;
};

// The user scripts and named message handlers shared by the web views made from one configuration.
// Handlers are held weakly, so a screen registered as a handler of its own web view is not kept alive
// by it.
class UserContentController {
public:
    void addUserScript(UserScript script) { scripts_.push_back(std::move(script)); }
    void removeAllUserScripts() { scripts_.clear(); }
    const std::vector<UserScript>& userScripts() const { return scripts_; }

    // A name can have one handler; a second registration under the same name is refused (false)
    // and the first stays.
    bool addScriptMessageHandler(ScriptMessageHandler* handler, const std::string& name);
    void removeScriptMessageHandler(const std::string& name) { handlers_.erase(name); }
    // The live handler registered under the name, if any.
    ScriptMessageHandler* handler(const std::string& name) const;
    std::vector<std::string> handlerNames() const;

private:
    std::vector<UserScript> scripts_;
    std::map<std::string, WeakDelegate<ScriptMessageHandler>> handlers_;
};

// Settings a web view is made with. The user content controller is shared, as on the platform:
// scripts and handlers added after the web view was made still reach its pages.
class WebViewConfiguration {
public:
    WebViewConfiguration() : userContent_(std::make_shared<UserContentController>()) {}

    UserContentController& userContentController() { return *userContent_; }
    std::shared_ptr<UserContentController> userContentControllerPointer() const { return userContent_; }
    void setUserContentController(std::shared_ptr<UserContentController> controller) {
        if (controller) userContent_ = std::move(controller);
    }

    // Values set by key on the preferences ("allowFileAccessFromFileURLs") and on the configuration
    // itself ("allowUniversalAccessFromFileURLs"); recorded as text.
    void setPreferenceValue(const std::string& key, const std::string& value) { preferences_[key] = value; }
    std::optional<std::string> preferenceValue(const std::string& key) const;
    void setValue(const std::string& key, const std::string& value) { values_[key] = value; }
    std::optional<std::string> value(const std::string& key) const;

private:
    std::shared_ptr<UserContentController> userContent_;
    std::map<std::string, std::string> preferences_;
    std::map<std::string, std::string> values_;
};

}  // namespace tq
