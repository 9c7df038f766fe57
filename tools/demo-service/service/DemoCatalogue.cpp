#include "DemoCatalogue.h"

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "product/ProductSites.h"

namespace tq::demo {
namespace {

using Json = DemoCatalogue::Json;

constexpr double kNearbyKilometres = 25;
constexpr double kProximityKilometres = 50;
constexpr double kAroundKilometres = 3;

std::string success(Json results) { return Json{{"results", std::move(results)}, {"status", "success"}}.dump(); }

double distanceKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadians = M_PI / 180;
    double dLat = (lat2 - lat1) * kRadians, dLon = (lon2 - lon1) * kRadians;
    double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
               std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 6371.0 * 2 * std::atan2(std::sqrt(a), std::sqrt(1 - a));
}

// Lower case, accents and case folded for the letters the sample texts use.
std::string folded(const std::string& text) {
    static const std::pair<const char*, char> accents[] = {
        {"à", 'a'}, {"â", 'a'}, {"á", 'a'}, {"ç", 'c'}, {"é", 'e'}, {"è", 'e'}, {"ê", 'e'}, {"ë", 'e'},
        {"í", 'i'}, {"î", 'i'}, {"ï", 'i'}, {"ñ", 'n'}, {"ó", 'o'}, {"ô", 'o'}, {"ò", 'o'}, {"ú", 'u'},
        {"ù", 'u'}, {"û", 'u'}, {"ü", 'u'}, {"À", 'a'}, {"É", 'e'}, {"È", 'e'}, {"Ç", 'c'}, {"œ", 'o'},
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [accented, plain] : accents) {
            std::size_t n = std::char_traits<char>::length(accented);
            if (text.compare(i, n, accented) == 0) {
                out += plain;
                i += n;
                replaced = true;
                break;
            }
        }
        if (!replaced) out += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
    }
    return out;
}

bool containsWord(const std::string& haystack, const std::string& word) {
    for (std::size_t at = haystack.find(word); at != std::string::npos; at = haystack.find(word, at + 1)) {
        bool startsWord = at == 0 || !std::isalnum(static_cast<unsigned char>(haystack[at - 1]));
        std::size_t end = at + word.size();
        bool endsWord = end == haystack.size() || !std::isalnum(static_cast<unsigned char>(haystack[end]));
        if (startsWord && endsWord) return true;
    }
    return false;
}

std::string text(const Json& object, const char* key) {
    auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The search-language number of the region search: 1 to 3 fr, en, es (the rows of the client's
// language picker); 4, what the client sends for every language, and 0 mean every language.
std::optional<std::string> languageOfNumber(const std::string& number) {
    if (number == "0" || number == "4") return std::string();
    if (number == "1") return std::string("fr");
    if (number == "2") return std::string("en");
    if (number == "3") return std::string("es");
    return std::nullopt;
}

std::string dateText(std::time_t time) {
    std::tm utc{};
    gmtime_r(&time, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &utc);
    return buffer;
}

std::string nowText() { return dateText(std::time(nullptr)); }

std::string oneSecondAfter(const std::string& date) {
    std::tm t{};
    if (!strptime(date.c_str(), "%Y-%m-%d %H:%M:%S", &t)) return nowText();
    return dateText(timegm(&t) + 1);
}

}  // namespace

std::optional<double> coordinate(const std::string& text, double limit) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > limit) {
        return std::nullopt;
    }
    return value;
}

std::string numberText(double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string DemoCatalogue::failure() { return Json{{"results", Json::array()}, {"status", "error"}}.dump(); }

DemoCatalogue::DemoCatalogue(const std::filesystem::path& catalogueFile, const std::filesystem::path& stateDatabase)
    : state_(stateDatabase.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE) {
    std::ifstream in(catalogueFile);
    if (!in) throw std::runtime_error("no sample tours at " + catalogueFile.string());
    Json catalogue = Json::parse(in, nullptr, false);
    if (catalogue.is_discarded() || !catalogue.is_object() || !catalogue.contains("tours")) {
        throw std::runtime_error("the sample tours at " + catalogueFile.string() + " cannot be read");
    }
    for (auto& tour : catalogue.at("tours")) {
        TourEntry entry;
        entry.full = std::move(tour);
        const auto& points = entry.full.at("poi");
        if (!points.empty()) {
            entry.latitude = coordinate(text(points[0], "lat"), 90).value_or(0);
            entry.longitude = coordinate(text(points[0], "long"), 180).value_or(0);
        }
        tours_.push_back(std::move(entry));
    }
    subTours_ = catalogue.value("subTours", Json::object());
    countries_ = catalogue.value("countries", Json::array());
    states_ = catalogue.value("states", Json::array());
    cities_ = catalogue.value("cities", Json::array());
    state_.exec("CREATE TABLE IF NOT EXISTS ratings (circuit_id TEXT NOT NULL, device_id TEXT NOT NULL, "
                "rating REAL NOT NULL, PRIMARY KEY (circuit_id, device_id))");
    state_.exec("CREATE TABLE IF NOT EXISTS updated_tours (circuit_id TEXT PRIMARY KEY, moderation_date TEXT NOT NULL)");
}

const DemoCatalogue::TourEntry* DemoCatalogue::find(const std::string& id) const {
    for (const auto& tour : tours_) {
        if (text(tour.full, "circuit_id") == id) return &tour;
    }
    return nullptr;
}

// What visitors changed: the ratings received add to the tour's totals, a tour marked as updated
// carries its new moderation date and its new main picture.
void DemoCatalogue::applyState(Json& tour) {
    const std::string id = text(tour, "circuit_id");
    SQLite::Statement totals(state_, "SELECT count(*), total(rating) FROM ratings WHERE circuit_id = ?");
    totals.bind(1, id);
    if (totals.executeStep() && totals.getColumn(0).getInt() > 0) {
        double score = coordinate(text(tour, "rating_total_score"), 1e12).value_or(0) + totals.getColumn(1).getDouble();
        double counter = coordinate(text(tour, "rating_total_counter"), 1e12).value_or(0) + totals.getColumn(0).getInt();
        tour["rating_total_score"] = numberText(score);
        tour["rating_total_counter"] = numberText(counter);
    }
    SQLite::Statement updated(state_, "SELECT moderation_date FROM updated_tours WHERE circuit_id = ?");
    updated.bind(1, id);
    if (updated.executeStep()) {
        tour["moderation_date"] = updated.getColumn(0).getString();
        // The updated version comes with a main picture of its own (the sample generator draws it),
        // so that what an update stores can be told from the version it replaces.
        tour["circuit_imagepath"] = "circuits/resized/" + id + "_updated.jpg";
    }
}

DemoCatalogue::Json DemoCatalogue::summary(const TourEntry& tour) {
    Json out = tour.full;
    out.erase("poi");
    applyState(out);
    return out;
}

DemoCatalogue::Json DemoCatalogue::fullTour(const TourEntry& tour) {
    Json out = tour.full;
    applyState(out);
    return out;
}

std::string DemoCatalogue::tourList(const std::vector<const TourEntry*>& tours,
                                    const std::optional<std::pair<double, double>>& from) {
    Json results = Json::array();
    for (const auto* tour : tours) {
        Json item = summary(*tour);
        if (from) item["distance"] = numberText(std::round(distanceKm(from->first, from->second, tour->latitude, tour->longitude) * 100) / 100);
        results.push_back(std::move(item));
    }
    return success(std::move(results));
}

std::optional<std::string> DemoCatalogue::answer(const std::vector<std::string>& segments) {
    if (segments.empty()) return std::nullopt;
    std::lock_guard lock(mutex_);
    const std::string& op = segments.front();
    std::vector<std::string> args(segments.begin() + 1, segments.end());
    if (op == "setRating") return setRating(args);
    if (op == "getPoiAroundIOS") return poiAround(args);
    if (auto reply = catalogueOperation(op, args)) return reply;
    if (auto reply = searchOperation(op, args)) return reply;
    return regionOperation(op, args);
}

std::optional<std::string> DemoCatalogue::catalogueOperation(const std::string& op, const std::vector<std::string>& args) {
    std::vector<const TourEntry*> list;
    if (op == "getSimpleListCatalogV2" && args == std::vector<std::string>{"newApi"}) {
        for (const auto& tour : tours_) list.push_back(&tour);
        return tourList(list, std::nullopt);
    }
    if (op == "getFullCircuit" && args.size() == 1) {
        const auto* tour = find(args[0]);
        return success(tour ? Json::array({fullTour(*tour)}) : Json::array());
    }
    if (op == "getCircuitSubcircuits" && args.size() == 1) {
        if (subTours_.contains(args[0])) {
            for (const auto& id : subTours_.at(args[0])) {
                if (const auto* tour = find(id.get<std::string>())) list.push_back(tour);
            }
        }
        return tourList(list, std::nullopt);
    }
    if (op == "getOrganizationCatalog" && args.size() == 1) {
        for (const auto& tour : tours_) {
            if (text(tour.full, "org_id") == args[0]) list.push_back(&tour);
        }
        return tourList(list, std::nullopt);
    }
    if (op == "getWorldMapPois" && args == std::vector<std::string>{"newApi"}) {
        Json results = Json::array();
        for (const auto& tour : tours_) {
            results.push_back({{"circuit_id", tour.full.at("circuit_id")},
                               {"title", tour.full.at("title")},
                               // The world map's page shows the picture at this address as it stands.
                               {"circuit_imagepath", std::string("https://") + ProductSites::french +
                                                         "/circuits/thumbHD/" + text(tour.full, "circuit_id") + ".jpg"},
                               {"lat", numberText(tour.latitude)},
                               {"long", numberText(tour.longitude)},
                               {"is_circuit_head", tour.full.at("is_circuit_head")},
                               {"use_custom_map", tour.full.at("use_custom_map")}});
        }
        return success(std::move(results));
    }
    return std::nullopt;
}

std::optional<std::string> DemoCatalogue::searchOperation(const std::string& op, const std::vector<std::string>& args) {
    // Tours within `radius` of a position, nearest first, each with its distance.
    auto around = [this](const std::string& latText, const std::string& lonText,
                         double radius) -> std::optional<std::string> {
        auto lat = coordinate(latText, 90), lon = coordinate(lonText, 180);
        if (!lat || !lon) return std::nullopt;
        std::vector<std::pair<double, const TourEntry*>> found;
        for (const auto& tour : tours_) {
            double km = distanceKm(*lat, *lon, tour.latitude, tour.longitude);
            if (km <= radius) found.emplace_back(km, &tour);
        }
        std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<const TourEntry*> list;
        for (const auto& [km, tour] : found) list.push_back(tour);
        return tourList(list, std::pair{*lat, *lon});
    };
    if (op == "getToursNearby" && args.size() == 5 && args[2] == "all" && args[3] == "25" && args[4] == "newApi") {
        return around(args[0], args[1], kNearbyKilometres);
    }
    if (op == "searchByProximity" && args.size() == 3 && args[2] == "all") {
        return around(args[0], args[1], kProximityKilometres);
    }
    auto languageMatches = [](const TourEntry& tour, const std::string& language) {
        return language == "all" || text(tour.full, "language") == language;
    };
    auto validLanguage = [](const std::string& language) {
        return language == "all" || language == "fr" || language == "en" || language == "es";
    };
    if (op == "searchCircuitByKeywordsCity" && args.size() == 2 && validLanguage(args[1])) {
        std::string keyword = folded(args[0]);
        std::vector<const TourEntry*> list;
        for (const auto& tour : tours_) {
            bool city = false;
            for (const char* key : {"city_name_fr", "city_name_en", "city_name_es"}) {
                city = city || (!keyword.empty() && folded(text(tour.full, key)).find(keyword) != std::string::npos);
            }
            if (city && languageMatches(tour, args[1])) list.push_back(&tour);
        }
        return tourList(list, std::nullopt);
    }
    if (op == "searchCircuitByKeywords" && args.size() == 3 && (args[0] == "exact" || args[0] == "title_description") &&
        validLanguage(args[2])) {
        std::string keyword = folded(args[1]);
        std::vector<const TourEntry*> list;
        for (const auto& tour : tours_) {
            if (keyword.empty() || !languageMatches(tour, args[2])) continue;
            std::string title = folded(text(tour.full, "title"));
            bool found = args[0] == "exact"
                             ? containsWord(title, keyword)
                             : title.find(keyword) != std::string::npos ||
                                   folded(text(tour.full, "description")).find(keyword) != std::string::npos;
            if (found) list.push_back(&tour);
        }
        return tourList(list, std::nullopt);
    }
    return std::nullopt;
}

std::optional<std::string> DemoCatalogue::regionOperation(const std::string& op, const std::vector<std::string>& args) {
    auto hasTours = [this](const char* key, const std::string& value) {
        return std::any_of(tours_.begin(), tours_.end(), [&](const TourEntry& t) { return text(t.full, key) == value; });
    };
    if (op == "getCountryWhereToursIOS" && args.empty()) {
        Json results = Json::array();
        for (const auto& c : countries_) {
            if (!hasTours("city_country_iso", c.at("iso"))) continue;
            results.push_back({{"iso", c.at("iso")},
                               {"country_name_fr", c.at("fr")},
                               {"country_name_en", c.at("en")},
                               {"country_name_es", c.at("es")}});
        }
        return success(std::move(results));
    }
    if (op == "getStateWhereToursIOS" && args.size() == 1) {
        Json results = Json::array();
        for (const auto& s : states_) {
            if (s.at("country") != args[0] || !hasTours("city_state_iso", s.at("iso"))) continue;
            results.push_back({{"country_iso", s.at("country")},
                               {"state_iso", s.at("iso")},
                               {"state_name_fr", s.at("fr")},
                               {"state_name_en", s.at("en")},
                               {"state_name_es", s.at("es")}});
        }
        return success(std::move(results));
    }
    if (op == "getCityWhereToursIOS" && (args.size() == 1 || args.size() == 2)) {
        Json results = Json::array();
        for (const auto& c : cities_) {
            if (c.at("country") != args[0] || (args.size() == 2 && c.at("state") != args[1])) continue;
            if (!hasTours("city_place_code", c.at("place_code"))) continue;
            results.push_back({{"country_iso", c.at("country")}, {"state_iso", c.at("state")},
                               {"region_id", c.at("region_id")}, {"place_code", c.at("place_code")},
                               {"name", c.at("fr")}, {"url", c.at("url")}, {"lang", "fr"},
                               {"city_name_fr", c.at("fr")}, {"city_name_en", c.at("en")}});
        }
        return success(std::move(results));
    }
    const char* key = op == "getToursByCountry" ? "city_country_iso"
                      : op == "getToursByState" ? "city_state_iso"
                      : op == "getToursByCity"  ? "city_place_code"
                                                : nullptr;
    if (key && args.size() == 2) {
        auto language = languageOfNumber(args[1]);
        if (!language) return std::nullopt;
        std::vector<const TourEntry*> list;
        for (const auto& tour : tours_) {
            if (text(tour.full, key) != args[0]) continue;
            if (!language->empty() && text(tour.full, "language") != *language) continue;
            list.push_back(&tour);
        }
        return tourList(list, std::nullopt);
    }
    return std::nullopt;
}

std::optional<std::string> DemoCatalogue::poiAround(const std::vector<std::string>& args) {
    if (args.size() != 4) return std::nullopt;
    const std::string& language = args[0];
    auto lat = coordinate(args[1], 90), lon = coordinate(args[2], 180);
    if (!lat || !lon || (language != "fr" && language != "en" && language != "es")) return std::nullopt;
    // The points of the other tours in the same language, near the position.
    Json results = Json::array();
    for (const auto& tour : tours_) {
        if (text(tour.full, "circuit_id") == args[3] || text(tour.full, "language") != language) continue;
        for (const auto& point : tour.full.at("poi")) {
            auto plat = coordinate(text(point, "lat"), 90), plon = coordinate(text(point, "long"), 180);
            if (plat && plon && distanceKm(*lat, *lon, *plat, *plon) <= kAroundKilometres) results.push_back(point);
        }
    }
    return success(std::move(results));
}

std::optional<std::string> DemoCatalogue::setRating(const std::vector<std::string>& args) {
    if (args.size() != 3) return std::nullopt;
    const std::string &id = args[0], &device = args[2];
    auto rating = coordinate(args[1], 5);
    if (!find(id) || !rating || *rating < 0 || device.empty() || device.size() > 128) return std::nullopt;
    SQLite::Statement insert(state_, "INSERT OR IGNORE INTO ratings (circuit_id, device_id, rating) VALUES (?, ?, ?)");
    insert.bind(1, id);
    insert.bind(2, device);
    insert.bind(3, *rating);
    if (insert.exec() == 0) {
        // One rating per device and tour: the service names the rating already given.
        return Json{{"results", Json::array({{{"circuit_id", id}, {"uid", device}}})}, {"status", "error"}}.dump();
    }
    return success(Json::array());
}

std::string DemoCatalogue::updateCheck(const std::string& tourId, const std::string& date) {
    std::lock_guard lock(mutex_);
    const auto* tour = find(tourId);
    if (!tour) return success(Json::array());
    Json current = tour->full;
    applyState(current);
    // Dates are "YYYY-MM-DD HH:MM:SS": compared as texts they compare as dates.
    if (date < text(current, "moderation_date")) return success(Json::array({{{"id", tourId}}}));
    return success(Json::array());
}

bool DemoCatalogue::markUpdated(const std::string& tourId) {
    std::lock_guard lock(mutex_);
    const auto* tour = find(tourId);
    if (!tour) return false;
    // Later than any date a visitor may have stored, even when marked twice within a second.
    std::string latest = text(tour->full, "moderation_date");
    SQLite::Statement previous(state_, "SELECT moderation_date FROM updated_tours WHERE circuit_id = ?");
    previous.bind(1, tourId);
    if (previous.executeStep()) latest = std::max(latest, previous.getColumn(0).getString());
    std::string date = nowText();
    if (date <= latest) date = oneSecondAfter(latest);
    SQLite::Statement upsert(state_, "INSERT OR REPLACE INTO updated_tours (circuit_id, moderation_date) VALUES (?, ?)");
    upsert.bind(1, tourId);
    upsert.bind(2, date);
    upsert.exec();
    return true;
}

}  // namespace tq::demo
