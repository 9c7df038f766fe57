#include "model/Regions.h"

#include "model/JsonCodec.h"

namespace tq {

std::optional<RegionType> regionTypeFromInt(std::int64_t raw) {
    switch (raw) {
    case 0: return RegionType::country;
    case 1: return RegionType::state;
    case 2: return RegionType::city;
    default: return std::nullopt;
    }
}

namespace json_detail {

const FieldTable<Country>& RecordFields<Country>::table() {
    static const FieldTable<Country> fields{
        TQ_FIELD(Country, iso),
        TQ_FIELD(Country, country_name_fr),
        TQ_FIELD(Country, country_name_en),
        TQ_FIELD(Country, country_name_es),
    };
    return fields;
}

const FieldTable<State>& RecordFields<State>::table() {
    static const FieldTable<State> fields{
        TQ_FIELD(State, country_iso),
        TQ_FIELD(State, state_iso),
        TQ_FIELD(State, state_name_fr),
        TQ_FIELD(State, state_name_en),
        TQ_FIELD(State, state_name_es),
    };
    return fields;
}

const FieldTable<City>& RecordFields<City>::table() {
    static const FieldTable<City> fields{
        TQ_FIELD(City, country_iso),
        TQ_FIELD(City, state_iso),
        TQ_FIELD(City, region_id),
        TQ_FIELD(City, place_code),
        TQ_FIELD(City, name),
        TQ_FIELD(City, url),
        TQ_FIELD(City, lang),
        TQ_FIELD(City, country_name),
        TQ_FIELD(City, state_name),
        TQ_FIELD(City, city_name_fr),
        TQ_FIELD(City, city_name_en),
    };
    return fields;
}

}  // namespace json_detail
}  // namespace tq
