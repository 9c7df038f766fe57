#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PointOfInterest.h"
#include "model/Regions.h"

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

// One guided tour as the web service describes it: 88 optional fields, each named as its JSON
// key. Identifiers, counts, sizes, dates, coordinates and flags are texts; `rating` is the only
// number. Shared by reference between every holder, so a change made through one is seen by all.
struct Tour {
    std::optional<std::string> contenu_cache;
    std::optional<std::string> ask_for_donation;
    std::optional<std::string> circuit_id;
    std::optional<std::string> circuit_imagepath;
    std::optional<City> city;
    std::optional<std::string> city_country_iso;
    std::optional<std::string> city_country_name;
    std::optional<std::string> city_lang;
    std::optional<std::string> city_name;
    std::optional<std::string> city_name_en;
    std::optional<std::string> city_name_es;
    std::optional<std::string> city_name_fr;
    std::optional<std::string> city_place_code;
    std::optional<std::string> city_region_id;
    std::optional<std::string> city_state_iso;
    std::optional<std::string> city_url;
    std::optional<std::string> country_nom_fr;
    std::optional<std::string> country_nom_en;
    std::optional<std::string> country_nom_es;
    std::optional<std::string> content_type;
    std::optional<std::string> deletion_required;
    std::optional<std::string> description;
    std::optional<std::string> duration_bike;
    std::optional<std::string> duration_boat;
    std::optional<std::string> duration_car;
    std::optional<std::string> duration_foot;
    std::optional<std::string> duration_train;
    std::optional<std::string> first_posted;
    std::optional<std::string> is_linked;
    std::optional<std::string> is_uptodate;
    std::optional<std::string> language;
    std::optional<std::string> length;
    std::optional<std::string> max_zoom;
    std::optional<std::string> min_zoom;
    std::optional<std::string> moderation_date;
    std::optional<std::vector<std::string>> modes;
    std::optional<std::string> owner_id;
    std::optional<std::string> poi_count;
    std::optional<double> rating;
    std::optional<std::string> rating_total_counter;
    std::optional<std::string> rating_total_score;
    std::optional<std::string> size;
    std::optional<std::string> slug;
    std::optional<std::string> style;
    std::optional<std::string> title;
    std::optional<std::string> type_transport;
    std::optional<std::string> price;
    std::optional<std::string> mostRecent;
    std::optional<std::string> mostPopular;
    std::optional<std::string> mostCommented;
    std::optional<std::vector<Filter>> filter;
    std::optional<std::vector<Inter>> inter;
    std::optional<std::string> fileSize;
    std::optional<std::string> thumbUrlString;
    std::optional<std::string> is_featured;
    std::optional<std::string> distance;
    std::optional<std::string> needUpdate;
    std::optional<std::string> thumbUrl;
    std::optional<std::string> is_circuit_head;
    std::optional<std::string> use_custom_map;
    std::optional<std::string> custom_map_metadata;
    std::optional<std::string> org_id;
    std::optional<std::string> org_name;
    std::optional<std::string> state_name_fr;
    std::optional<std::string> state_name_en;
    std::optional<std::string> state_name_es;
    std::optional<std::string> customMapLat;
    std::optional<std::string> customMapLong;
    std::optional<std::string> circuitOrder;
    std::optional<std::string> circuitOrderEn;
    std::optional<std::string> circuitOrderEs;
    std::optional<std::string> id_circuit_fr;
    std::optional<std::string> id_circuit_en;
    std::optional<std::string> id_circuit_es;
    std::optional<std::string> id_circuit_ru;
    std::optional<std::string> id_circuit_de;
    std::optional<std::string> id_circuit_pt;
    std::optional<std::string> id_circuit_tr;
    std::optional<std::string> id_circuit_it;
    std::optional<std::string> id_circuit_tw;
    std::optional<std::string> id_circuit_el;
    std::optional<std::string> id_circuit_ar;
    std::optional<std::string> id_circuit_ja;
    std::optional<std::string> id_circuit_cn;
    std::optional<std::string> id_circuit_pl;
    std::optional<std::string> id_circuit_ko;
    std::optional<std::vector<PointOfInterestRef>> poi;
    std::optional<std::string> urlVideoIntro;
};

using TourRef = std::shared_ptr<Tour>;

// A yes/no flag of the service (`is_featured`, `is_circuit_head` ...): yes only when exactly "1".
bool isFlagSet(const std::optional<std::string>& flag);

// For a tour drawn on its own map (`use_custom_map` "1"), copies the start point of
// `custom_map_metadata` into `customMapLat` and `customMapLong`. When the text is absent or does
// not read as a TourMetaCustomMap, writes "metadata error : " and the reason to the console and
// leaves both fields as they were. Returns whether the start point was copied.
bool applyCustomMapStart(Tour& tour, Console& console);

}  // namespace tq
