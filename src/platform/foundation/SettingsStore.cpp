#include "platform/foundation/SettingsStore.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/foundation/FileSystem.h"

namespace tq {

struct SettingsStore::Values {
    nlohmann::json object = nlohmann::json::object();
};

SettingsStore::SettingsStore(std::filesystem::path file, std::vector<std::string> preferredLanguages)
    : file_(std::move(file)), values_(std::make_unique<Values>()), preferredLanguages_(std::move(preferredLanguages)) {
    load();
}

SettingsStore::~SettingsStore() {
    if (dirty_) synchronize();
}

void SettingsStore::load() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;
    std::stringstream buffer;
    buffer << in.rdbuf();
    // A damaged settings file is treated as empty rather than stopping the application.
    auto parsed = nlohmann::json::parse(buffer.str(), nullptr, false);
    if (parsed.is_object()) values_->object = std::move(parsed);
}

bool SettingsStore::holdsValue(const std::string& key) const {
    if (key == kPreferredLanguagesKey) return true;
    return values_->object.contains(key);
}

std::optional<nlohmann::json> SettingsStore::objectForKey(const std::string& key) const {
    if (key == kPreferredLanguagesKey) return nlohmann::json(preferredLanguages_);
    auto it = values_->object.find(key);
    if (it == values_->object.end()) return std::nullopt;
    return *it;
}

std::int64_t SettingsStore::integerForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value) return 0;
    if (value->is_number_integer()) return value->get<std::int64_t>();
    if (value->is_number_float()) return static_cast<std::int64_t>(value->get<double>());
    if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
    if (value->is_string()) {
        try {
            return std::stoll(value->get<std::string>());
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

bool SettingsStore::boolForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_number()) return value->get<double>() != 0;
    if (value->is_string()) {
        const auto text = value->get<std::string>();
        return text == "YES" || text == "yes" || text == "true" || text == "1";
    }
    return false;
}

std::optional<std::string> SettingsStore::stringForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

std::optional<std::vector<std::string>> SettingsStore::stringArrayForKey(const std::string& key) const {
    auto value = objectForKey(key);
    if (!value || !value->is_array()) return std::nullopt;
    std::vector<std::string> out;
    for (const auto& item : *value) {
        if (!item.is_string()) return std::nullopt;
        out.push_back(item.get<std::string>());
    }
    return out;
}

void SettingsStore::setObject(const std::string& key, nlohmann::json value) {
    values_->object[key] = std::move(value);
    dirty_ = true;
}

void SettingsStore::setInteger(const std::string& key, std::int64_t value) { setObject(key, value); }
void SettingsStore::setBool(const std::string& key, bool value) { setObject(key, value); }
void SettingsStore::setString(const std::string& key, const std::string& value) { setObject(key, value); }

void SettingsStore::remove(const std::string& key) {
    values_->object.erase(key);
    dirty_ = true;
}

bool SettingsStore::synchronize() {
    ++synchronizeCount_;
    if (!dirty_) return true;
    if (!writeFileAtomically(file_, values_->object.dump(2))) return false;
    dirty_ = false;
    return true;
}

std::optional<std::string> SettingsStore::languageCodeFromLocale(const std::string& locale) {
    std::string code = locale.substr(0, locale.find_first_of(".@"));
    if (code.empty() || code == "C" || code == "POSIX") return std::nullopt;
    for (auto& c : code) {
        if (c == '_') c = '-';
    }
    return code;
}

std::vector<std::string> SettingsStore::preferredLanguagesFromEnvironment(const std::map<std::string, std::string>& env) {
    std::vector<std::string> out;
    auto language = env.find("LANGUAGE");
    if (language != env.end() && !language->second.empty()) {
        std::stringstream list(language->second);
        std::string item;
        while (std::getline(list, item, ':')) {
            if (auto code = languageCodeFromLocale(item)) out.push_back(*code);
        }
        if (!out.empty()) return out;
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        auto it = env.find(name);
        if (it == env.end() || it->second.empty()) continue;
        if (auto code = languageCodeFromLocale(it->second)) return {*code};
    }
    return out;
}

}  // namespace tq
