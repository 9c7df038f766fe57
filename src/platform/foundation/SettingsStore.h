#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Only the names: the JSON itself stays inside SettingsStore.cpp, away from everything that
// includes the Environment.
#include <nlohmann/json_fwd.hpp>

namespace tq {

// The user settings: a JSON file under the config directory. Writes are kept in memory until
// `synchronize` (or destruction) writes the file atomically. The preferred-language list
// "AppleLanguages" is read-only and comes from the process environment.
class SettingsStore {
public:
    static constexpr const char* kPreferredLanguagesKey = "AppleLanguages";

    SettingsStore(std::filesystem::path file, std::vector<std::string> preferredLanguages);
    ~SettingsStore();

    bool holdsValue(const std::string& key) const;
    std::int64_t integerForKey(const std::string& key) const;  // 0 when absent or not a number
    bool boolForKey(const std::string& key) const;             // false when absent
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;

    void setInteger(const std::string& key, std::int64_t value);
    void setBool(const std::string& key, bool value);
    void setString(const std::string& key, const std::string& value);
    void remove(const std::string& key);

    // Writes pending changes to the file; answers whether the file now holds them.
    bool synchronize();
    int synchronizeCount() const { return synchronizeCount_; }
    const std::filesystem::path& file() const { return file_; }

    // "fr_FR.UTF-8" gives "fr-FR"; "C" and "POSIX" give nothing.
    static std::optional<std::string> languageCodeFromLocale(const std::string& locale);
    // LANGUAGE (a colon-separated list), then LC_ALL, LC_MESSAGES, LANG.
    static std::vector<std::string> preferredLanguagesFromEnvironment(const std::map<std::string, std::string>& env);

private:
    struct Values;
    void load();
    std::optional<nlohmann::json> objectForKey(const std::string& key) const;
    void setObject(const std::string& key, nlohmann::json value);
    std::filesystem::path file_;
    std::unique_ptr<Values> values_;
    std::vector<std::string> preferredLanguages_;
    bool dirty_ = false;
    int synchronizeCount_ = 0;
};

}  // namespace tq
