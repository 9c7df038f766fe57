#include "model/PointOfInterest.h"

#include "model/JsonCodec.h"

namespace tq::json_detail {

// `order` is not a JSON field: it is never read from a reply (a key "order" is ignored) and
// never written.
const FieldTable<PointOfInterest>& RecordFields<PointOfInterest>::table() {
    static const FieldTable<PointOfInterest> fields{
        TQ_FIELD(PointOfInterest, city),
        TQ_FIELD(PointOfInterest, first_posted),
        TQ_FIELD(PointOfInterest, last_updated),
        TQ_FIELD(PointOfInterest, lat),
        TQ_FIELD_KEY(PointOfInterest, long_, "long"),
        TQ_FIELD(PointOfInterest, owner_id),
        TQ_FIELD(PointOfInterest, poi_id),
        TQ_FIELD(PointOfInterest, poi_name),
        TQ_FIELD(PointOfInterest, poi_order),
        TQ_FIELD(PointOfInterest, poi_type),
        TQ_FIELD(PointOfInterest, content),
        TQ_FIELD(PointOfInterest, circuitTitle),
        TQ_FIELD(PointOfInterest, circuitImagepath),
        TQ_FIELD(PointOfInterest, slug),
        TQ_FIELD(PointOfInterest, circuitSlug),
        TQ_FIELD(PointOfInterest, organization),
    };
    return fields;
}

}  // namespace tq::json_detail
