#include "model/Tour.h"

#include "model/Json.h"
#include "model/JsonCodec.h"
#include "platform/foundation/Console.h"

namespace tq {

bool isFlagSet(const std::optional<std::string>& flag) { return flag && *flag == "1"; }

bool applyCustomMapStart(Tour& tour, Console& console) {
    if (!isFlagSet(tour.use_custom_map)) return false;
    if (!tour.custom_map_metadata) {
        console.log("metadata error : custom_map_metadata is absent");
        return false;
    }
    auto start = decodeJson<TourMetaCustomMap>(*tour.custom_map_metadata);
    if (!start) {
        console.log("metadata error : " + start.error());
        return false;
    }
    tour.customMapLat = start->starting_poi_lat;
    tour.customMapLong = start->starting_poi_long;
    return true;
}

namespace json_detail {

const FieldTable<Filter>& RecordFields<Filter>::table() {
    static const FieldTable<Filter> fields{
        TQ_FIELD(Filter, filter_id),
        TQ_FIELD(Filter, parent_id),
        TQ_FIELD(Filter, filter_name_en),
        TQ_FIELD(Filter, filter_name_fr),
        TQ_FIELD(Filter, filter_order),
    };
    return fields;
}

const FieldTable<Inter>& RecordFields<Inter>::table() {
    static const FieldTable<Inter> fields{
        TQ_FIELD(Inter, inter_id),
        TQ_FIELD(Inter, owner_id),
        TQ_FIELD(Inter, lat),
        TQ_FIELD_KEY(Inter, long_, "long"),
        TQ_FIELD(Inter, inter_order),
    };
    return fields;
}

const FieldTable<TourMetaCustomMap>& RecordFields<TourMetaCustomMap>::table() {
    static const FieldTable<TourMetaCustomMap> fields{
        TQ_FIELD(TourMetaCustomMap, starting_poi_lat),
        TQ_FIELD(TourMetaCustomMap, starting_poi_long),
    };
    return fields;
}

// The 88 fields of a tour, in the service's order.
const FieldTable<Tour>& RecordFields<Tour>::table() {
    static const FieldTable<Tour> fields{
        TQ_FIELD(Tour, contenu_cache),
        TQ_FIELD(Tour, ask_for_donation),
        TQ_FIELD(Tour, circuit_id),
        TQ_FIELD(Tour, circuit_imagepath),
        TQ_FIELD(Tour, city),
        TQ_FIELD(Tour, city_country_iso),
        TQ_FIELD(Tour, city_country_name),
        TQ_FIELD(Tour, city_lang),
        TQ_FIELD(Tour, city_name),
        TQ_FIELD(Tour, city_name_en),
        TQ_FIELD(Tour, city_name_es),
        TQ_FIELD(Tour, city_name_fr),
        TQ_FIELD(Tour, city_place_code),
        TQ_FIELD(Tour, city_region_id),
        TQ_FIELD(Tour, city_state_iso),
        TQ_FIELD(Tour, city_url),
        TQ_FIELD(Tour, country_nom_fr),
        TQ_FIELD(Tour, country_nom_en),
        TQ_FIELD(Tour, country_nom_es),
        TQ_FIELD(Tour, content_type),
        TQ_FIELD(Tour, deletion_required),
        TQ_FIELD(Tour, description),
        TQ_FIELD(Tour, duration_bike),
        TQ_FIELD(Tour, duration_boat),
        TQ_FIELD(Tour, duration_car),
        TQ_FIELD(Tour, duration_foot),
        TQ_FIELD(Tour, duration_train),
        TQ_FIELD(Tour, first_posted),
        TQ_FIELD(Tour, is_linked),
        TQ_FIELD(Tour, is_uptodate),
        TQ_FIELD(Tour, language),
        TQ_FIELD(Tour, length),
        TQ_FIELD(Tour, max_zoom),
        TQ_FIELD(Tour, min_zoom),
        TQ_FIELD(Tour, moderation_date),
        TQ_FIELD(Tour, modes),
        TQ_FIELD(Tour, owner_id),
        TQ_FIELD(Tour, poi_count),
        TQ_FIELD(Tour, rating),
        TQ_FIELD(Tour, rating_total_counter),
        TQ_FIELD(Tour, rating_total_score),
        TQ_FIELD(Tour, size),
        TQ_FIELD(Tour, slug),
        TQ_FIELD(Tour, style),
        TQ_FIELD(Tour, title),
        TQ_FIELD(Tour, type_transport),
        TQ_FIELD(Tour, price),
        TQ_FIELD(Tour, mostRecent),
        TQ_FIELD(Tour, mostPopular),
        TQ_FIELD(Tour, mostCommented),
        TQ_FIELD(Tour, filter),
        TQ_FIELD(Tour, inter),
        TQ_FIELD(Tour, fileSize),
        TQ_FIELD(Tour, thumbUrlString),
        TQ_FIELD(Tour, is_featured),
        TQ_FIELD(Tour, distance),
        TQ_FIELD(Tour, needUpdate),
        TQ_FIELD(Tour, thumbUrl),
        TQ_FIELD(Tour, is_circuit_head),
        TQ_FIELD(Tour, use_custom_map),
        TQ_FIELD(Tour, custom_map_metadata),
        TQ_FIELD(Tour, org_id),
        TQ_FIELD(Tour, org_name),
        TQ_FIELD(Tour, state_name_fr),
        TQ_FIELD(Tour, state_name_en),
        TQ_FIELD(Tour, state_name_es),
        TQ_FIELD(Tour, customMapLat),
        TQ_FIELD(Tour, customMapLong),
        TQ_FIELD(Tour, circuitOrder),
        TQ_FIELD(Tour, circuitOrderEn),
        TQ_FIELD(Tour, circuitOrderEs),
        TQ_FIELD(Tour, id_circuit_fr),
        TQ_FIELD(Tour, id_circuit_en),
        TQ_FIELD(Tour, id_circuit_es),
        TQ_FIELD(Tour, id_circuit_ru),
        TQ_FIELD(Tour, id_circuit_de),
        TQ_FIELD(Tour, id_circuit_pt),
        TQ_FIELD(Tour, id_circuit_tr),
        TQ_FIELD(Tour, id_circuit_it),
        TQ_FIELD(Tour, id_circuit_tw),
        TQ_FIELD(Tour, id_circuit_el),
        TQ_FIELD(Tour, id_circuit_ar),
        TQ_FIELD(Tour, id_circuit_ja),
        TQ_FIELD(Tour, id_circuit_cn),
        TQ_FIELD(Tour, id_circuit_pl),
        TQ_FIELD(Tour, id_circuit_ko),
        TQ_FIELD(Tour, poi),
        TQ_FIELD(Tour, urlVideoIntro),
    };
    return fields;
}

}  // namespace json_detail
}  // namespace tq
