#include "platform/web/UserContentController.h"

namespace tq {

bool UserContentController::addScriptMessageHandler(ScriptMessageHandler* handler, const std::string& name) {
    if (!handler || name.empty()) return false;
    auto it = handlers_.find(name);
    if (it != handlers_.end() && it->second) return false;
    handlers_[name] = WeakDelegate<ScriptMessageHandler>(handler);
    return true;
}

ScriptMessageHandler* UserContentController::handler(const std::string& name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : it->second.get();
}

std::vector<std::string> UserContentController::handlerNames() const {
    std::vector<std::string> names;
    for (const auto& [name, handler] : handlers_) {
        if (handler) names.push_back(name);
    }
    return names;
}

std::optional<std::string> WebViewConfiguration::preferenceValue(const std::string& key) const {
    auto it = preferences_.find(key);
    if (it == preferences_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> WebViewConfiguration::value(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

}  // namespace tq
