#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tq {

class Environment;

struct AnalyticsEvent {
    std::string name;
    std::map<std::string, std::string> parameters;
    bool operator==(const AnalyticsEvent&) const = default;
};

// The analytics recorder: configured once per process; events are appended as JSON lines to
// "analytics.jsonl" in the cache directory.
class Analytics {
public:
    explicit Analytics(Environment& env);
    static Analytics& shared();

    // Later calls are ignored: the service is configured once.
    void configure();
    bool isConfigured() const { return configured_; }
    int configureCalls() const { return configureCalls_; }
    void logEvent(const std::string& name, const std::map<std::string, std::string>& parameters);
    // Every event in the file, oldest first.
    std::vector<AnalyticsEvent> recordedEvents() const;
    const std::filesystem::path& file() const { return file_; }

private:
    Environment& env_;
    std::filesystem::path file_;
    bool configured_ = false;
    int configureCalls_ = 0;
};

}  // namespace tq
