#include "model/Organisation.h"

#include "model/JsonCodec.h"

namespace tq::json_detail {

const FieldTable<Organisation>& RecordFields<Organisation>::table() {
    static const FieldTable<Organisation> fields{
        TQ_FIELD(Organisation, org_id),
        TQ_FIELD(Organisation, name),
        TQ_FIELD(Organisation, website),
    };
    return fields;
}

}  // namespace tq::json_detail
