// Generates the demo service's sample tours from their source file: the full tour records, the
// regions, the pictures and thumbnails, the panoramas, the narration of every point in its tour's
// language, the videos and each tour's offline map. The same source gives the same bytes.
//
//   trelvoquest-sample-tours SOURCE.json OUTPUT_FOLDER
#include <nlohmann/json.hpp>

#include <atomic>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

#include "Canvas.h"
#include "SampleMedia.h"
#include "TileMaps.h"

namespace fs = std::filesystem;
using nlohmann::ordered_json;
using namespace tq::samples;

namespace {

// The addresses the application fetches, and where their files lie in the output folder: the
// product's site under www/, the media host under media/.
constexpr const char* kMediaAddress = "media.trelvoquest.com/public/media/";
constexpr const char* kSiteAssetsAddress = "https://www.trelvoquest.com/public/assets/";

struct Output {
    fs::path root;
    fs::path site() const { return root / "www"; }
    fs::path media() const { return root / "media" / "public" / "media"; }
};

bool writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

Colour colourOf(const ordered_json& group) {
    auto rgb = group.at("colour");
    return {rgb[0].get<std::uint8_t>(), rgb[1].get<std::uint8_t>(), rgb[2].get<std::uint8_t>()};
}

std::string slugOf(const std::string& title) {
    std::string slug;
    for (char c : asciiFolded(title)) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            slug += char(std::tolower(static_cast<unsigned char>(c)));
        } else if (!slug.empty() && slug.back() != '-') {
            slug += '-';
        }
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return slug;
}

const std::map<std::string, std::map<std::string, std::string>> kWords = {
    {"narration", {{"fr", "Écouter"}, {"en", "Listen"}, {"es", "Escuchar"}}},
    {"img", {{"fr", "En images"}, {"en", "In pictures"}, {"es", "En imágenes"}}},
    {"panorama", {{"fr", "Vue à 360°"}, {"en", "360° view"}, {"es", "Vista de 360°"}}},
    {"video", {{"fr", "En vidéo"}, {"en", "On video"}, {"es", "En vídeo"}}},
    // A video's or an audio's description is shown as plain text after "Source: ": a credit.
    {"credit", {{"fr", "démonstration TrelvoQuest"}, {"en", "TrelvoQuest demo"}, {"es", "demostración de TrelvoQuest"}}},
};

std::string word(const std::string& key, const std::string& language) { return kWords.at(key).at(language); }

// ---- Pictures ----

// Where the updated version of a tour has its main picture, under the site's assets; the demo
// service names the same path.
std::string updatedPicturePath(const std::string& id) { return "circuits/resized/" + id + "_updated.jpg"; }

Canvas mainPicture(const std::string& title, const std::string& city, Colour colour) {
    Canvas picture(1024, 640, colour);
    picture.verticalGradient(colour.mixed({255, 255, 255}, 0.55), colour.mixed({0, 0, 0}, 0.2));
    // A skyline of roofs and towers in front of a sun.
    picture.fillCircle(800, 220, 90, colour.mixed({255, 240, 200}, 0.8));
    for (int k = 0; k < 16; ++k) {
        double w = 40 + (k * 37) % 50, h = 120 + (k * 71) % 180;
        picture.fillRect(k * 66 - 10, 640 - h, w + 30, h, colour.mixed({30, 30, 40}, 0.55 + 0.03 * (k % 4)));
    }
    picture.fillRect(0, 420, 1024, 220, colour.mixed({20, 20, 30}, 0.6));
    picture.paragraph(48, 460, title, 5, 928, {255, 255, 255});
    picture.text(48, 48, city, 4, colour.mixed({0, 0, 0}, 0.6));
    return picture;
}

Canvas contentPicture(const std::string& title, const std::string& caption, Colour colour) {
    Canvas picture(1600, 1066, colour);
    picture.verticalGradient(colour.mixed({255, 255, 255}, 0.7), colour.mixed({255, 255, 255}, 0.2));
    // A facade: a gable, windows in rows, a door.
    picture.fillRect(400, 380, 800, 686, colour.mixed({60, 40, 30}, 0.35));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 5; ++col) {
            picture.fillRect(450 + col * 150, 440 + row * 170, 90, 120, colour.mixed({250, 245, 230}, 0.85));
        }
    }
    picture.fillRect(730, 900, 140, 166, colour.mixed({0, 0, 0}, 0.6));
    picture.fillCircle(800, 330, 110, colour.mixed({60, 40, 30}, 0.5));
    picture.paragraph(60, 60, title, 6, 1480, colour.mixed({0, 0, 0}, 0.7));
    picture.paragraph(60, 170, caption, 3, 1480, colour.mixed({0, 0, 0}, 0.55));
    return picture;
}

// An equirectangular picture, twice as wide as high: the horizon across the middle, the four
// cardinal points where they fall, a ring of buildings all the way round.
Canvas panoramaPicture(const std::string& title, Colour colour) {
    constexpr int kWidth = 2048, kHeight = 1024;
    Canvas picture(kWidth, kHeight, colour);
    picture.verticalGradient({120, 170, 225}, {230, 236, 240});
    picture.fillRect(0, kHeight / 2, kWidth, kHeight / 2, colour.mixed({90, 90, 90}, 0.5));
    for (int k = 0; k < 24; ++k) {
        double h = 90 + (k * 53) % 140;
        picture.fillRect(k * kWidth / 24.0, kHeight / 2.0 - h, kWidth / 24.0 - 10, h,
                         colour.mixed({40, 40, 50}, 0.3 + 0.1 * (k % 3)));
    }
    const char* cardinal[] = {"N", "E", "S", "W"};
    for (int k = 0; k < 4; ++k) picture.text(k * kWidth / 4.0 + kWidth / 8.0 - 20, 160, cardinal[k], 10, {255, 255, 255});
    picture.paragraph(80, kHeight / 2.0 + 80, title, 6, kWidth - 160, {255, 255, 255});
    return picture;
}

// ---- The work ----

// Jobs run on a few threads; each writes only its own files and result slot, so the order in
// which they run changes no byte.
class Jobs {
public:
    void add(std::function<std::string()> job) { jobs_.push_back(std::move(job)); }
    // The first failure, or empty text.
    std::string runAll(unsigned threads) {
        std::atomic<std::size_t> next{0};
        std::mutex mutex;
        std::string failure;
        std::vector<std::thread> pool;
        for (unsigned t = 0; t < threads; ++t) {
            pool.emplace_back([&] {
                for (std::size_t i; (i = next++) < jobs_.size();) {
                    std::string error = jobs_[i]();
                    std::lock_guard lock(mutex);
                    if (!error.empty() && failure.empty()) failure = error;
                }
            });
        }
        for (auto& thread : pool) thread.join();
        return failure;
    }

private:
    std::vector<std::function<std::string()>> jobs_;
};

struct Generator {
    ordered_json source;
    Output out;
    fs::path scratch;
    Jobs jobs;
    std::map<std::string, double> durations;  // narration length by content identifier
    std::mutex durationsMutex;

    const ordered_json& city(const std::string& placeCode) const {
        for (const auto& c : source.at("cities")) {
            if (c.at("place_code") == placeCode) return c;
        }
        throw std::runtime_error("unknown city " + placeCode);
    }
    const ordered_json& named(const char* list, const std::string& key, const std::string& value) const {
        for (const auto& item : source.at(list)) {
            if (item.at(key) == value) return item;
        }
        throw std::runtime_error(std::string("unknown ") + list + " " + value);
    }

    std::string mediaUrl(const std::string& scheme, const std::string& path) const {
        return scheme + "://" + kMediaAddress + path;
    }

    ordered_json metadata(ordered_json fields) const { return fields.dump(); }

    ordered_json contentRecord(const std::string& id, const std::string& owner, int order, const std::string& type,
                               const std::string& title, const std::string& description, const std::string& language,
                               const std::string& metadata) const {
        return {{"content_id", id},    {"owner_id", owner},       {"content_order", std::to_string(order)},
                {"type", type},        {"title", title},          {"description", description},
                {"lang", language},    {"is_private", "0"},       {"metadata", metadata}};
    }

    // The extra content of a point (a picture, a panorama or a video) and the jobs that make its files.
    ordered_json extraContent(const std::string& kind, const std::string& id, const std::string& owner,
                              const std::string& name, const std::string& caption, const std::string& language,
                              Colour colour) {
        if (kind == "img") {
            std::string file = "img/" + id + "_picture.jpg", thumb = "img/thumb_" + id + "_picture.jpg";
            jobs.add([this, file, thumb, name, caption, colour] {
                Canvas picture = contentPicture(name, caption, colour);
                bool ok = writeBytes(out.media() / file, picture.jpeg()) &&
                          writeBytes(out.media() / thumb, picture.scaledTo(320, 213).jpeg());
                return ok ? std::string() : "cannot write " + file;
            });
            return contentRecord(id, owner, 2, "img", word("img", language) + " : " + name, "<p>" + caption + "</p>",
                                 language,
                                 metadata({{"status", 1}, {"width", 1600}, {"height", 1066}, {"size", 0.2},
                                           {"filePath", mediaUrl("https", file)},
                                           {"thumbnailUrl", mediaUrl("http", thumb)}}));
        }
        if (kind == "panorama") {
            std::string file = "panorama/" + id + ".jpg", full = "panorama/360_" + id + ".jpg",
                        thumb = "panorama/thumb_" + id + ".jpg";
            jobs.add([this, file, full, thumb, name, colour] {
                Canvas picture = panoramaPicture(name, colour);
                std::string bytes = picture.jpeg(80);
                bool ok = writeBytes(out.media() / full, bytes) && writeBytes(out.media() / file, bytes) &&
                          writeBytes(out.media() / thumb, picture.scaledTo(512, 256).jpeg());
                return ok ? std::string() : "cannot write " + full;
            });
            return contentRecord(id, owner, 2, "panorama", word("panorama", language), "<p>" + name + "</p>", language,
                                 metadata({{"status", 1}, {"width", 2048}, {"height", 1024}, {"size", 0.3},
                                           {"filePath", mediaUrl("http", file)}, {"panorama", mediaUrl("http", file)},
                                           {"thumbnailUrl", mediaUrl("http", thumb)}}));
        }
        std::string file = "video/" + id + "_clip.mp4", thumb = "video/thumb_" + id + ".jpg";
        jobs.add([this, file, thumb, name, colour] {
            std::string error;
            if (!writeVideo(out.media() / file, name, colour, error)) return error;
            Canvas still(480, 270, colour);
            still.verticalGradient(colour.mixed({255, 255, 255}, 0.25), colour.mixed({0, 0, 0}, 0.35));
            still.paragraph(24, 24, name, 3, 432, {255, 255, 255});
            return writeBytes(out.media() / thumb, still.jpeg()) ? std::string() : "cannot write " + thumb;
        });
        return contentRecord(id, owner, 2, "video", word("video", language) + " : " + name, word("credit", language),
                             language,
                             metadata({{"status", 1}, {"width", 480}, {"height", 270}, {"duration", 3}, {"size", 0.2},
                                       {"filePath", mediaUrl("http", file)},
                                       {"thumbnailUrl", mediaUrl("http", thumb)}}));
    }

    ordered_json pointRecord(const ordered_json& group, const ordered_json& point, std::size_t index,
                             const std::string& tourId, const std::string& language, const ordered_json& tour) {
        const std::string poiId = tourId + std::to_string(index + 1);
        const std::string owner = "7";
        const std::string name = point.at("name").at(language);
        const std::string text = point.at("text").at(language);
        const Colour colour = colourOf(group);
        ordered_json contents = ordered_json::array();
        contents.push_back(contentRecord(poiId + "1", owner, 1, "txt", name, "<p>" + text + "</p>", language, "{}"));
        if (point.contains("extra")) {
            contents.push_back(extraContent(point.at("extra"), poiId + "2", owner, name, text, language, colour));
        }
        const std::string audioId = poiId + "3";
        const std::string audioFile = "audio/" + audioId + "_narration.mp3";
        jobs.add([this, audioId, audioFile, language, spoken = name + ". " + text] {
            std::string error;
            double seconds = writeNarration(out.media() / audioFile, language, spoken, scratch, error);
            if (seconds < 0) return error;
            std::lock_guard lock(durationsMutex);
            durations[audioId] = seconds;
            return std::string();
        });
        // The duration is filled in once the narration exists (see finishNarrations).
        contents.push_back(contentRecord(audioId, owner, 3, "audio", word("narration", language) + " : " + name,
                                         word("credit", language), language, audioFile));
        ordered_json record = {
            {"city", city(group.at("city")).at(language)},
            {"first_posted", source.at("moderation_date")},
            {"last_updated", source.at("moderation_date")},
            {"lat", point.at("lat")},
            {"long", point.at("long")},
            {"owner_id", owner},
            {"poi_id", poiId},
            {"poi_name", name},
            {"poi_order", std::to_string(index + 1)},
            {"poi_type", "monument"},
            {"content", contents},
            {"circuitTitle", tour.at("title")},
            {"circuitImagepath", tour.at("circuit_imagepath")},
            {"slug", slugOf(name)},
            {"circuitSlug", tour.at("slug")},
        };
        if (group.contains("org")) {
            const auto& org = named("organisations", "org_id", group.at("org"));
            record["organization"] = {{"org_id", org.at("org_id")}, {"name", org.at("name")}, {"website", org.at("website")}};
        }
        return record;
    }

    ordered_json tourRecord(const ordered_json& group, const std::string& language, const ordered_json& version) {
        const std::string id = version.at("id");
        const auto& place = city(group.at("city"));
        const auto& country = named("countries", "iso", place.at("country"));
        const auto& state = named("states", "iso", place.at("state"));
        const std::string title = version.at("title");
        const std::string imagepath = "circuits/resized/" + id + ".jpg";
        ordered_json tour = {
            {"contenu_cache", "0"},
            {"language", language},
            {"type_transport", "foot"},
            {"style", "decouverte"},
            {"first_posted", source.at("moderation_date")},
            {"is_linked", "0"},
            {"deletion_required", "0"},
            {"modes", {"foot"}},
            {"use_custom_map", group.value("custom_map", false) ? "1" : "0"},
            {"is_featured", group.value("featured", false) ? "1" : "0"},
            {"is_circuit_head", group.contains("head_of") ? "1" : "0"},
            {"price", "0"},
            {"owner_id", "7"},
            {"circuit_id", id},
            {"title", title},
            {"slug", slugOf(title)},
            {"circuit_imagepath", imagepath},
            {"city",
             {{"country_iso", place.at("country")}, {"state_iso", place.at("state")}, {"region_id", place.at("region_id")},
              {"place_code", place.at("place_code")}, {"name", place.at(language)}, {"url", place.at("url")},
              {"lang", language}, {"country_name", country.at(language)}, {"state_name", state.at(language)},
              {"city_name_fr", place.at("fr")}, {"city_name_en", place.at("en")}}},
            {"city_country_iso", place.at("country")},
            {"city_name", place.at(language)},
            {"city_name_fr", place.at("fr")},
            {"city_name_en", place.at("en")},
            {"city_name_es", place.at("es")},
            {"city_place_code", place.at("place_code")},
            {"city_state_iso", place.at("state")},
            {"country_nom_fr", country.at("fr")},
            {"country_nom_en", country.at("en")},
            {"country_nom_es", country.at("es")},
            {"state_name_fr", state.at("fr")},
            {"state_name_en", state.at("en")},
            {"state_name_es", state.at("es")},
            // Descriptions on the product's site carry pictures from it, as this one its main image.
            {"description", "<p>" + version.at("description").get<std::string>() + "</p><p><img src='" +
                                std::string(kSiteAssetsAddress) + imagepath + "' style='max-width:100%' alt=''></p>"},
            {"length", group.at("length")},
            {"duration_foot", group.at("duration_foot")},
            {"min_zoom", std::to_string(group.at("min_zoom").get<int>())},
            {"max_zoom", std::to_string(group.at("max_zoom").get<int>())},
            {"moderation_date", source.at("moderation_date")},
            {"poi_count", std::to_string(group.at("points").size())},
            {"rating_total_score", group.at("rating")[0]},
            {"rating_total_counter", group.at("rating")[1]},
            {"circuitOrder", version.at("order")},
            {"circuitOrderEn", version.at("order")},
            {"circuitOrderEs", version.at("order")},
            {"mostRecent", version.at("order") == "1" ? "1" : "0"},
            {"mostPopular", "0"},
            {"mostCommented", "0"},
        };
        for (const char* code : {"fr", "en", "es"}) {
            const auto& versions = group.at("versions");
            tour[std::string("id_circuit_") + code] = versions.contains(code) ? versions.at(code).at("id") : ordered_json("0");
        }
        if (group.contains("org")) {
            const auto& org = named("organisations", "org_id", group.at("org"));
            tour["org_id"] = org.at("org_id");
            tour["org_name"] = org.at("name");
        }
        const auto& points = group.at("points");
        if (group.value("custom_map", false)) {
            tour["custom_map_metadata"] =
                ordered_json{{"starting_poi_lat", points[0].at("lat")}, {"starting_poi_long", points[0].at("long")}}.dump();
        }
        ordered_json pois = ordered_json::array();
        for (std::size_t i = 0; i < points.size(); ++i) pois.push_back(pointRecord(group, points[i], i, id, language, tour));
        for (const auto& point : pois) {
            for (const auto& content : point.at("content")) {
                if (content.at("type") == "video") {
                    tour["urlVideoIntro"] = ordered_json::parse(content.at("metadata").get<std::string>()).at("filePath");
                    break;
                }
            }
            if (tour.contains("urlVideoIntro")) break;
        }
        tour["poi"] = pois;

        const std::string cityName = place.at(language);
        const Colour colour = colourOf(group);
        jobs.add([this, imagepath, id, title, cityName, colour] {
            Canvas picture = mainPicture(title, cityName, colour);
            // The service gives a tour marked as updated this picture of its own, so that the
            // updated version's files differ from the stored ones.
            Canvas updated = mainPicture(title, cityName, colour.mixed({0, 0, 0}, 0.35));
            bool ok = writeBytes(out.site() / "public" / "assets" / imagepath, picture.jpeg()) &&
                      writeBytes(out.site() / "public" / "assets" / updatedPicturePath(id), updated.jpeg()) &&
                      writeBytes(out.site() / "circuits" / "thumbHD" / (id + ".jpg"), picture.scaledTo(400, 250).jpeg());
            return ok ? std::string() : "cannot write the pictures of " + id;
        });
        std::vector<MapPoint> mapPoints;
        for (const auto& p : points) mapPoints.push_back({std::stod(p.at("lat").get<std::string>()), std::stod(p.at("long").get<std::string>())});
        TourMapStyle style{colour, group.value("custom_map", false)};
        int minZoom = group.at("min_zoom"), maxZoom = group.at("max_zoom");
        jobs.add([this, id, mapPoints, minZoom, maxZoom, style] {
            auto archive = out.site() / "public" / "assets" / "map_tiles" / ("circuit" + id) / (id + ".zip");
            fs::create_directories(archive.parent_path());
            std::string error;
            return writeTileArchive(archive, mapPoints, minZoom, maxZoom, style, error) ? std::string() : error;
        });
        return tour;
    }

    // Narration contents carry their file's path until their length is known.
    void finishNarrations(ordered_json& tours) {
        for (auto& tour : tours) {
            for (auto& point : tour.at("poi")) {
                for (auto& content : point.at("content")) {
                    if (content.at("type") != "audio") continue;
                    std::string file = content.at("metadata");
                    content["metadata"] = metadata({{"status", 1},
                                                    {"duration", std::lround(durations.at(content.at("content_id")))},
                                                    {"size", 0.1},
                                                    {"filePath", mediaUrl("http", file)}});
                }
            }
        }
    }

    // A tour's size in megabytes: what its download stores.
    void fillSizes(ordered_json& tours) {
        for (auto& tour : tours) {
            std::uintmax_t bytes = 0;
            std::string id = tour.at("circuit_id");
            bytes += fs::file_size(out.site() / "public" / "assets" / tour.at("circuit_imagepath").get<std::string>());
            bytes += fs::file_size(out.site() / "public" / "assets" / "map_tiles" / ("circuit" + id) / (id + ".zip"));
            for (const auto& point : tour.at("poi")) {
                for (const auto& content : point.at("content")) {
                    if (content.at("metadata") == "{}") continue;
                    auto meta = ordered_json::parse(content.at("metadata").get<std::string>());
                    for (const char* key : {"filePath", "thumbnailUrl"}) {
                        if (!meta.contains(key)) continue;
                        std::string address = meta.at(key);
                        auto at = address.find("/public/media/");
                        auto file = out.media() / address.substr(at + 14);
                        if (fs::exists(file)) bytes += fs::file_size(file);
                    }
                }
            }
            char text[32];
            std::snprintf(text, sizeof text, "%.1f", double(bytes) / (1024.0 * 1024.0) + 0.1);
            tour["size"] = text;
        }
    }

    int run() {
        ordered_json tours = ordered_json::array();
        std::map<std::string, std::vector<std::string>> idsOfGroup;
        for (const auto& group : source.at("groups")) {
            for (const auto& [language, version] : group.at("versions").items()) {
                tours.push_back(tourRecord(group, language, version));
                idsOfGroup[group.at("key")].push_back(version.at("id"));
            }
        }
        // A network head lists its sub-tours in its own language.
        ordered_json subTours = ordered_json::object();
        for (const auto& group : source.at("groups")) {
            if (!group.contains("head_of")) continue;
            for (const auto& [language, version] : group.at("versions").items()) {
                ordered_json ids = ordered_json::array();
                for (const auto& key : group.at("head_of")) {
                    for (const auto& other : source.at("groups")) {
                        if (other.at("key") == key && other.at("versions").contains(language)) {
                            ids.push_back(other.at("versions").at(language).at("id"));
                        }
                    }
                }
                subTours[version.at("id").get<std::string>()] = ids;
            }
        }
        std::string failure = jobs.runAll(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
        if (!failure.empty()) {
            std::cerr << "trelvoquest-sample-tours: " << failure << "\n";
            return 1;
        }
        finishNarrations(tours);
        fillSizes(tours);
        ordered_json catalogue = {
            {"tours", tours},
            {"subTours", subTours},
            {"countries", source.at("countries")},
            {"states", source.at("states")},
            {"cities", source.at("cities")},
        };
        if (!writeBytes(out.root / "catalogue.json", catalogue.dump(1) + "\n")) {
            std::cerr << "trelvoquest-sample-tours: cannot write the catalogue\n";
            return 1;
        }
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: trelvoquest-sample-tours SOURCE.json OUTPUT_FOLDER\n";
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);  // an encoder that fails reports through its status, not a signal
    try {
        Generator generator;
        std::ifstream in(argv[1]);
        generator.source = ordered_json::parse(in);
        generator.out.root = argv[2];
        // A fresh folder each time: nothing of an older source survives.
        fs::remove_all(generator.out.root);
        fs::create_directories(generator.out.root);
        generator.scratch = generator.out.root / "scratch";
        fs::create_directories(generator.scratch);
        int status = generator.run();
        fs::remove_all(generator.scratch);
        return status;
    } catch (const std::exception& error) {
        std::cerr << "trelvoquest-sample-tours: " << error.what() << "\n";
        return 1;
    }
}
