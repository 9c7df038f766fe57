#include "model/Tour.h"

#include "model/Json.h"
#include "model/JsonCodec.h"
#include "platform/foundation/Console.h"

namespace tq {

bool isFlagSet(const std::optional<std::string>& flag) { return flag && *flag == "1"; }

std::optional<std::string> versionIdentifier(const Tour& tour, std::string_view code) {
    if (code == "fr") return tour.id_circuit_fr;
    if (code == "en") return tour.id_circuit_en;
    if (code == "es") return tour.id_circuit_es;
    if (code == "ru") return tour.id_circuit_ru;
    if (code == "de") return tour.id_circuit_de;
    if (code == "pt") return tour.id_circuit_pt;
    if (code == "tr") return tour.id_circuit_tr;
    if (code == "it") return tour.id_circuit_it;
    if (code == "tw") return tour.id_circuit_tw;
    if (code == "el") return tour.id_circuit_el;
    if (code == "ar") return tour.id_circuit_ar;
    if (code == "ja") return tour.id_circuit_ja;
    if (code == "cn") return tour.id_circuit_cn;
    if (code == "pl") return tour.id_circuit_pl;
    if (code == "ko") return tour.id_circuit_ko;
    return std::nullopt;
}

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

static_assert(sizeof(Tour) == sizeof(TourFields), "a tour's fields take no room beside its store");

namespace json_detail {
namespace {

// The tours of one reply, allocated together: one control block, one array of tours and one
// arena for all their texts. Every TourRef of the reply shares this object's ownership
// (shared_ptr's aliasing constructor), so a single tour kept from a reply keeps the memory of the
// whole reply alive. A tour changed afterwards moves its texts to memory of its own (TourFields).
class TourBatch {
public:
    explicit TourBatch(std::size_t count) : tours_(std::make_unique<Tour[]>(count)) {}

    Tour& operator[](std::size_t index) { return tours_[index]; }

    bool read(Element object, Tour& tour, TourDraft& draft, FieldError& error) {
        tour.store.beginDraft(draft);
        const bool read = RecordFields<Tour>::table().read(object, tour, error);
        tour.store.finishDraft(texts_);
        return read;
    }

private:
    TourTextArena texts_;  // declared first: outlives the tours
    std::unique_ptr<Tour[]> tours_;
};

}  // namespace

thread_local const std::function<void(Tour&)>* eachTourRead = nullptr;

bool readTours(Element element, std::vector<TourRef>& out, FieldError& error) {
    simdjson::dom::array array;
    if (element.get_array().get(array)) return failExpected(error, "an array", element);
    const std::size_t count = array.size();
    auto batch = std::make_shared<TourBatch>(count);
    std::vector<TourRef> tours;
    tours.reserve(count);
    TourDraft draft;
    for (Element item : array) {
        const std::size_t index = tours.size();
        Tour& tour = (*batch)[index];
        if (!batch->read(item, tour, draft, error)) {
            error.prependIndex(index);
            return false;
        }
        if (eachTourRead) (*eachTourRead)(tour);
        tours.emplace_back(batch, &tour);
    }
    out = std::move(tours);
    return true;
}

bool readTour(Element element, TourRef& out, FieldError& error) {
    auto batch = std::make_shared<TourBatch>(1);
    TourDraft draft;
    if (!batch->read(element, (*batch)[0], draft, error)) return false;
    out = TourRef(batch, &(*batch)[0]);
    return true;
}

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
