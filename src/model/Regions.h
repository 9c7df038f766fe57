#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tq {

// The three levels of the search by region. Every key of a country or a state is required when
// read; every key of a city is optional.

struct Country {
    std::string iso;  // the key of a country search
    std::string country_name_fr;
    std::string country_name_en;
    std::string country_name_es;
    bool operator==(const Country&) const = default;
};

struct State {
    std::string country_iso;
    std::string state_iso;  // the key of a state search
    std::string state_name_fr;
    std::string state_name_en;
    std::string state_name_es;
    bool operator==(const State&) const = default;
};

struct City {
    std::optional<std::string> country_iso;
    std::optional<std::string> state_iso;
    std::optional<std::string> region_id;
    std::optional<std::string> place_code;  // the key of a city search
    std::optional<std::string> name;
    std::optional<std::string> url;
    std::optional<std::string> lang;
    std::optional<std::string> country_name;
    std::optional<std::string> state_name;
    std::optional<std::string> city_name_fr;
    std::optional<std::string> city_name_en;
    bool operator==(const City&) const = default;
};

// The level of a region search; read from and written to JSON as its integer.
enum class RegionType : int { country = 0, state = 1, city = 2 };

// 0, 1 and 2 give country, state and city; any other integer gives none.
std::optional<RegionType> regionTypeFromInt(std::int64_t raw);

}  // namespace tq
