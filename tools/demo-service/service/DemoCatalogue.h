#pragma once

#include <SQLiteCpp/Database.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tq::demo {

// The demo service's tours and what it answers about them: the generated catalogue (read once,
// never written) plus what visitors changed, kept in SQLite in the service's own state folder:
// the ratings received and the tours marked as updated. Safe to call from several threads.
class DemoCatalogue {
public:
    using Json = nlohmann::ordered_json;

    // Throws std::runtime_error with a one-line reason when the catalogue or the state cannot be read.
    DemoCatalogue(const std::filesystem::path& catalogueFile, const std::filesystem::path& stateDatabase);

    // Every operation of the web service, by its path segments after "/public/webservice/" (the
    // address's trailing "/" removed, each segment percent-decoded). The reply's JSON text, or
    // none for an operation the service does not have or arguments it cannot read.
    std::optional<std::string> answer(const std::vector<std::string>& segments);

    // The update check of one tour: the identifiers of the tours newer than the date given.
    std::string updateCheck(const std::string& tourId, const std::string& date);

    // Marks a tour as changed: its moderation date moves to now. False for an unknown tour.
    bool markUpdated(const std::string& tourId);

    static std::string failure();  // {"results":[],"status":"error"}

private:
    struct TourEntry {
        Json full;  // as generated
        double latitude = 0, longitude = 0;  // of its first point
    };

    Json summary(const TourEntry& tour);
    Json fullTour(const TourEntry& tour);
    void applyState(Json& tour);
    const TourEntry* find(const std::string& id) const;
    std::string tourList(const std::vector<const TourEntry*>& tours, const std::optional<std::pair<double, double>>& from);

    std::optional<std::string> catalogueOperation(const std::string& op, const std::vector<std::string>& args);
    std::optional<std::string> searchOperation(const std::string& op, const std::vector<std::string>& args);
    std::optional<std::string> regionOperation(const std::string& op, const std::vector<std::string>& args);
    std::optional<std::string> setRating(const std::vector<std::string>& args);
    std::optional<std::string> poiAround(const std::vector<std::string>& args);

    std::mutex mutex_;
    std::vector<TourEntry> tours_;
    Json subTours_, countries_, states_, cities_;
    SQLite::Database state_;
};

// Strict readers of the texts in an address: the whole text must be the number.
std::optional<double> coordinate(const std::string& text, double limit);
std::string numberText(double value);

}  // namespace tq::demo
