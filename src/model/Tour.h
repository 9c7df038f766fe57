#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PointOfInterest.h"
#include "model/Regions.h"
#include "model/TourFields.h"

namespace tq {

class Console;

// One item of a tour's `filter` list; every key required.
struct Filter {
    std::string filter_id;
    std::string parent_id;
    std::string filter_name_en;
    std::string filter_name_fr;
    std::string filter_order;
    bool operator==(const Filter&) const = default;
};

// One item of a tour's `inter` list; every key required. `long_` is read and written as "long".
struct Inter {
    std::string inter_id;
    std::string owner_id;
    std::string lat;
    std::string long_;
    std::string inter_order;
    bool operator==(const Inter&) const = default;
};

// The JSON text of a tour's `custom_map_metadata`: where a tour drawn on its own map starts.
struct TourMetaCustomMap {
    std::string starting_poi_lat;
    std::string starting_poi_long;
};

// The fields of a tour that are not texts, apart from its texts (see TourFields).
struct TourLists {
    std::optional<City> city;
    std::optional<std::vector<std::string>> modes;
    std::optional<double> rating;
    std::optional<std::vector<Filter>> filter;
    std::optional<std::vector<Inter>> inter;
    std::optional<std::vector<PointOfInterestRef>> poi;
};

#define TQ_TOUR_TEXT(field, name) [[no_unique_address]] TourText<field> name
#define TQ_TOUR_LIST(name) [[no_unique_address]] TourList<&TourLists::name> name

// One guided tour as the web service describes it: 88 optional fields, each named as its JSON
// key. Identifiers, counts, sizes, dates, coordinates and flags are texts; `rating` is the only
// number. Shared by reference between every holder, so a change made through one is seen by all.
struct Tour {
    TourFields store;  // first: every field below finds it at the tour's address

    TQ_TOUR_TEXT(0, contenu_cache);
    TQ_TOUR_TEXT(1, ask_for_donation);
    TQ_TOUR_TEXT(2, circuit_id);
    TQ_TOUR_TEXT(3, circuit_imagepath);
    TQ_TOUR_LIST(city);
    TQ_TOUR_TEXT(4, city_country_iso);
    TQ_TOUR_TEXT(5, city_country_name);
    TQ_TOUR_TEXT(6, city_lang);
    TQ_TOUR_TEXT(7, city_name);
    TQ_TOUR_TEXT(8, city_name_en);
    TQ_TOUR_TEXT(9, city_name_es);
    TQ_TOUR_TEXT(10, city_name_fr);
    TQ_TOUR_TEXT(11, city_place_code);
    TQ_TOUR_TEXT(12, city_region_id);
    TQ_TOUR_TEXT(13, city_state_iso);
    TQ_TOUR_TEXT(14, city_url);
    TQ_TOUR_TEXT(15, country_nom_fr);
    TQ_TOUR_TEXT(16, country_nom_en);
    TQ_TOUR_TEXT(17, country_nom_es);
    TQ_TOUR_TEXT(18, content_type);
    TQ_TOUR_TEXT(19, deletion_required);
    TQ_TOUR_TEXT(20, description);
    TQ_TOUR_TEXT(21, duration_bike);
    TQ_TOUR_TEXT(22, duration_boat);
    TQ_TOUR_TEXT(23, duration_car);
    TQ_TOUR_TEXT(24, duration_foot);
    TQ_TOUR_TEXT(25, duration_train);
    TQ_TOUR_TEXT(26, first_posted);
    TQ_TOUR_TEXT(27, is_linked);
    TQ_TOUR_TEXT(28, is_uptodate);
    TQ_TOUR_TEXT(29, language);
    TQ_TOUR_TEXT(30, length);
    TQ_TOUR_TEXT(31, max_zoom);
    TQ_TOUR_TEXT(32, min_zoom);
    TQ_TOUR_TEXT(33, moderation_date);
    TQ_TOUR_LIST(modes);
    TQ_TOUR_TEXT(34, owner_id);
    TQ_TOUR_TEXT(35, poi_count);
    TQ_TOUR_LIST(rating);
    TQ_TOUR_TEXT(36, rating_total_counter);
    TQ_TOUR_TEXT(37, rating_total_score);
    TQ_TOUR_TEXT(38, size);
    TQ_TOUR_TEXT(39, slug);
    TQ_TOUR_TEXT(40, style);
    TQ_TOUR_TEXT(41, title);
    TQ_TOUR_TEXT(42, type_transport);
    TQ_TOUR_TEXT(43, price);
    TQ_TOUR_TEXT(44, mostRecent);
    TQ_TOUR_TEXT(45, mostPopular);
    TQ_TOUR_TEXT(46, mostCommented);
    TQ_TOUR_LIST(filter);
    TQ_TOUR_LIST(inter);
    TQ_TOUR_TEXT(47, fileSize);
    TQ_TOUR_TEXT(48, thumbUrlString);
    TQ_TOUR_TEXT(49, is_featured);
    TQ_TOUR_TEXT(50, distance);
    TQ_TOUR_TEXT(51, needUpdate);
    TQ_TOUR_TEXT(52, thumbUrl);
    TQ_TOUR_TEXT(53, is_circuit_head);
    TQ_TOUR_TEXT(54, use_custom_map);
    TQ_TOUR_TEXT(55, custom_map_metadata);
    TQ_TOUR_TEXT(56, org_id);
    TQ_TOUR_TEXT(57, org_name);
    TQ_TOUR_TEXT(58, state_name_fr);
    TQ_TOUR_TEXT(59, state_name_en);
    TQ_TOUR_TEXT(60, state_name_es);
    TQ_TOUR_TEXT(61, customMapLat);
    TQ_TOUR_TEXT(62, customMapLong);
    TQ_TOUR_TEXT(63, circuitOrder);
    TQ_TOUR_TEXT(64, circuitOrderEn);
    TQ_TOUR_TEXT(65, circuitOrderEs);
    TQ_TOUR_TEXT(66, id_circuit_fr);
    TQ_TOUR_TEXT(67, id_circuit_en);
    TQ_TOUR_TEXT(68, id_circuit_es);
    TQ_TOUR_TEXT(69, id_circuit_ru);
    TQ_TOUR_TEXT(70, id_circuit_de);
    TQ_TOUR_TEXT(71, id_circuit_pt);
    TQ_TOUR_TEXT(72, id_circuit_tr);
    TQ_TOUR_TEXT(73, id_circuit_it);
    TQ_TOUR_TEXT(74, id_circuit_tw);
    TQ_TOUR_TEXT(75, id_circuit_el);
    TQ_TOUR_TEXT(76, id_circuit_ar);
    TQ_TOUR_TEXT(77, id_circuit_ja);
    TQ_TOUR_TEXT(78, id_circuit_cn);
    TQ_TOUR_TEXT(79, id_circuit_pl);
    TQ_TOUR_TEXT(80, id_circuit_ko);
    TQ_TOUR_LIST(poi);
    TQ_TOUR_TEXT(81, urlVideoIntro);

    Tour() = default;
    Tour(const Tour& other) : store(other.store) {}
    Tour& operator=(const Tour& other) {
        store = other.store;
        return *this;
    }
};

using TourRef = std::shared_ptr<Tour>;

// A yes/no flag of the service (`is_featured`, `is_circuit_head` ...): yes only when exactly "1".
bool isFlagSet(const std::optional<std::string>& flag);

// The identifier of the tour's version in the language `code` (its `id_circuit_` field: "fr",
// "en", "es", "ru", "de", "pt", "tr", "it", "tw", "el", "ar", "ja", "cn", "pl", "ko"); none for
// any other code.
std::optional<std::string> versionIdentifier(const Tour& tour, std::string_view code);

// For a tour drawn on its own map (`use_custom_map` "1"), copies the start point of
// `custom_map_metadata` into `customMapLat` and `customMapLong`. When the text is absent or does
// not read as a TourMetaCustomMap, writes "metadata error : " and the reason to the console and
// leaves both fields as they were. Returns whether the start point was copied.
bool applyCustomMapStart(Tour& tour, Console& console);

}  // namespace tq
