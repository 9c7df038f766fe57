#include "platform/services/Analytics.h"

#include <fstream>

#include <nlohmann/json.hpp>

#include "platform/foundation/Environment.h"

namespace tq {

Analytics::Analytics(Environment& env) : env_(env), file_(env.cacheDir() / "analytics.jsonl") {}

Analytics& Analytics::shared() { return Environment::current().shared<Analytics>(); }

void Analytics::configure() {
    ++configureCalls_;
    configured_ = true;
}

void Analytics::logEvent(const std::string& name, const std::map<std::string, std::string>& parameters) {
    nlohmann::json line = {{"name", name}, {"parameters", parameters}};
    std::ofstream out(file_, std::ios::app);
    // Text from the web service may hold bytes that are not UTF-8; they are replaced, not fatal.
    if (out) out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    if (!out) env_.console().log("analytics write error " + file_.string());
}

std::vector<AnalyticsEvent> Analytics::recordedEvents() const {
    std::vector<AnalyticsEvent> events;
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        auto parsed = nlohmann::json::parse(line, nullptr, false);
        if (!parsed.is_object()) continue;
        AnalyticsEvent event;
        event.name = parsed.value("name", "");
        if (parsed.contains("parameters") && parsed["parameters"].is_object()) {
            for (auto& [k, v] : parsed["parameters"].items()) {
                if (v.is_string()) event.parameters[k] = v.get<std::string>();
            }
        }
        events.push_back(std::move(event));
    }
    return events;
}

}  // namespace tq
