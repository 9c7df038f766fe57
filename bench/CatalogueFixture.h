#pragma once

#include <random>
#include <string>

namespace tq::bench {

// A catalogue reply of `tours` realistic tours, as the web service sends it.
inline std::string catalogueOf(int tours) {
    std::string body = R"({"results":[)";
    for (int i = 0; i < tours; ++i) {
        if (i) body += ",";
        body += R"({"circuit_id":")" + std::to_string(1000 + i) +
                R"(","title":"Promenade n° )" + std::to_string(i) +
                R"( à travers la vieille ville","city_name_fr":"Québec","country_nom_fr":"Canada","language":"fr",)"
                R"("rating_total_score":"9","rating_total_counter":"2","size":"48.5","poi_count":"12",)"
                R"("circuit_imagepath":"circuits/418/main_418.jpg","modes":["foot"],"is_circuit_head":"0"})";
    }
    return body + R"(],"status":"success"})";
}

// The catalogue as a tour list shows it: `tours` tours with their texts, rating and a picture
// address of their own ("circuits/<id>/main_<id>.jpg"), so that no two rows share a picture.
inline std::string catalogueWithPicturesOf(int tours) {
    std::string body = R"({"results":[)";
    for (int i = 0; i < tours; ++i) {
        const std::string id = std::to_string(1000 + i);
        if (i) body += ",";
        body += R"({"circuit_id":")" + id + R"(","title":"Promenade n° )" + std::to_string(i) +
                R"( à travers la vieille ville","city_name_fr":"Québec","city_name_en":"Quebec City","country_nom_fr":"Canada","country_nom_en":"Canada","language":"fr",)"
                R"("rating":4.5,"rating_total_score":"9","rating_total_counter":"2","size":"48.5","poi_count":"12",)"
                R"("circuitOrder":")" + std::to_string(i) + R"(","circuitOrderEn":")" + std::to_string(i) +
                R"(","id_circuit_en":")" + std::to_string(20000 + i) + R"(","circuit_imagepath":"circuits/)" + id +
                "/main_" + id + R"(.jpg","modes":["foot"],"is_circuit_head":"0"})";
    }
    return body + R"(],"status":"success"})";
}

// Rich tours as the service sends them in a catalogue: every list field filled, a description of
// a few hundred words, filters and modes; about 3.2 KB a tour, generated the same every run.
class CatalogueGenerator {
public:
    explicit CatalogueGenerator(int tours) : tourCount_(tours) {}

    std::string reply() {
        std::string json = R"({"status":"success","results":[)";
        for (int i = 0; i < tourCount_; ++i) {
            if (i > 0) json += ',';
            appendTour(json, i);
        }
        return json + "]}";
    }

private:
    std::string word() {
        static const char* words[] = {"vieux", "quartier", "rivière", "cathédrale", "traboule", "musée", "jardin",
                                      "pont", "colline", "marché", "Saône", "basilique", "historique", "balade"};
        return words[pick(std::size(words))];
    }
    std::string words(std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) text += ' ';
            text += word();
        }
        return text;
    }
    std::string digits(int low, int high) { return std::to_string(low + static_cast<int>(pick(high - low + 1))); }
    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    void text(std::string& json, const char* key, const std::string& value) {
        json += '"';
        json += key;
        json += "\":\"";
        json += value;
        json += "\",";
    }

    void appendTour(std::string& json, int index) {
        const std::string id = std::to_string(1000 + index);
        json += '{';
        text(json, "contenu_cache", "0");
        text(json, "ask_for_donation", "0");
        text(json, "circuit_id", id);
        text(json, "circuit_imagepath", "circuits\\/" + id + "\\/main_" + digits(1000, 9999) + ".jpg");
        json += R"("city":{"country_iso":"FR","state_iso":"84","region_id":")" + digits(1, 99) +
                R"(","place_code":")" + digits(10000, 99999) + R"(","name":"Lyon","url":"https:\/\/www.example.test\/lyon","lang":"fr","country_name":"France","state_name":"Auvergne-Rhône-Alpes","city_name_fr":"Lyon","city_name_en":"Lyons"},)";
        text(json, "city_country_iso", "FR");
        text(json, "city_country_name", "France");
        text(json, "city_lang", "fr");
        text(json, "city_name", "Lyon");
        text(json, "city_name_en", "Lyons");
        text(json, "city_name_es", "Lyon");
        text(json, "city_name_fr", "Lyon");
        text(json, "city_place_code", digits(10000, 99999));
        text(json, "city_region_id", digits(1, 99));
        text(json, "city_state_iso", "84");
        text(json, "city_url", "https:\\/\\/www.example.test\\/lyon");
        text(json, "country_nom_fr", "France");
        text(json, "country_nom_en", "France");
        text(json, "country_nom_es", "Francia");
        text(json, "content_type", "circuit");
        text(json, "deletion_required", "0");
        text(json, "description", "<p>" + words(60 + pick(120)) + "<\\/p><p>" + words(20 + pick(60)) + "<\\/p>");
        text(json, "duration_foot", digits(30, 240));
        text(json, "duration_bike", digits(10, 90));
        text(json, "first_posted", "2021-0" + digits(1, 9) + "-1" + digits(0, 9) + " 10:2" + digits(0, 9) + ":00");
        text(json, "is_linked", "0");
        text(json, "is_uptodate", "1");
        text(json, "language", index % 3 == 0 ? "en" : "fr");
        text(json, "length", digits(1, 20) + "." + digits(0, 9));
        text(json, "max_zoom", "18");
        text(json, "min_zoom", "13");
        text(json, "moderation_date", "2023-1" + digits(0, 2) + "-0" + digits(1, 9) + " 08:00:00");
        json += R"("modes":["foot","bike"],)";
        text(json, "owner_id", digits(1, 900));
        text(json, "poi_count", digits(4, 40));
        json += "\"rating\":" + digits(1, 4) + "." + digits(0, 9) + ',';
        text(json, "rating_total_counter", digits(0, 300));
        text(json, "rating_total_score", digits(0, 1500));
        text(json, "size", digits(5, 400) + "." + digits(0, 99));
        text(json, "slug", "balade-" + id + "-vieux-lyon");
        text(json, "style", "1");
        text(json, "title", words(3 + pick(5)));
        text(json, "type_transport", "foot");
        text(json, "price", "0");
        json += R"("filter":[{"filter_id":"3","parent_id":"0","filter_name_en":"Heritage","filter_name_fr":"Patrimoine","filter_order":"1"},{"filter_id":"8","parent_id":"3","filter_name_en":"Churches","filter_name_fr":"Églises","filter_order":"4"}],)";
        json += R"("inter":[],)";
        text(json, "is_featured", index % 17 == 0 ? "1" : "0");
        text(json, "is_circuit_head", index % 50 == 0 ? "1" : "0");
        text(json, "use_custom_map", "0");
        text(json, "org_id", digits(1, 80));
        text(json, "org_name", "Office de tourisme " + word());
        text(json, "state_name_fr", "Auvergne-Rhône-Alpes");
        text(json, "state_name_en", "Auvergne-Rhône-Alpes");
        text(json, "state_name_es", "Auvernia-Ródano-Alpes");
        text(json, "circuitOrder", std::to_string(index));
        text(json, "circuitOrderEn", std::to_string(tourCount_ - index));
        text(json, "circuitOrderEs", std::to_string(index / 2));
        text(json, "id_circuit_fr", id);
        text(json, "id_circuit_en", index % 3 == 0 ? std::to_string(20000 + index) : "0");
        text(json, "id_circuit_es", "0");
        json += R"("id_circuit_de":null,"id_circuit_it":"0",)";
        text(json, "urlVideoIntro", index % 5 == 0 ? "https:\\/\\/video.example.test\\/" + id + ".mp4" : "");
        json.back() = '}';
    }

    int tourCount_;
    std::mt19937 random_{20240601};
};

inline std::string richCatalogueOf(int tours) { return CatalogueGenerator(tours).reply(); }

}  // namespace tq::bench
