#include "model/Replies.h"

#include "model/JsonCodec.h"

namespace tq::json_detail {

const FieldTable<PoiMap>& RecordFields<PoiMap>::table() {
    static const FieldTable<PoiMap> fields{
        TQ_FIELD(PoiMap, circuit_id),
        TQ_FIELD(PoiMap, title),
        TQ_FIELD(PoiMap, circuit_imagepath),
        TQ_FIELD(PoiMap, lat),
        TQ_FIELD_KEY(PoiMap, long_, "long"),
        TQ_FIELD(PoiMap, is_circuit_head),
        TQ_FIELD(PoiMap, use_custom_map),
    };
    return fields;
}

const FieldTable<Rating>& RecordFields<Rating>::table() {
    static const FieldTable<Rating> fields{
        TQ_FIELD(Rating, circuit_id),
        TQ_FIELD(Rating, uid),
    };
    return fields;
}

const FieldTable<TourIDUpdateResult>& RecordFields<TourIDUpdateResult>::table() {
    static const FieldTable<TourIDUpdateResult> fields{
        TQ_FIELD(TourIDUpdateResult, id),
    };
    return fields;
}

const FieldTable<Language>& RecordFields<Language>::table() {
    static const FieldTable<Language> fields{
        TQ_FIELD(Language, lang_iso),
        TQ_FIELD(Language, lang_en),
        TQ_FIELD(Language, lang_fr),
        TQ_FIELD(Language, lang_es),
    };
    return fields;
}

const FieldTable<TourUpdatePost>& RecordFields<TourUpdatePost>::table() {
    static const FieldTable<TourUpdatePost> fields{
        TQ_FIELD(TourUpdatePost, id),
        TQ_FIELD(TourUpdatePost, date),
    };
    return fields;
}

const FieldTable<UpdatePost>& RecordFields<UpdatePost>::table() {
    static const FieldTable<UpdatePost> fields{
        TQ_FIELD(UpdatePost, tours),
    };
    return fields;
}

}  // namespace tq::json_detail
