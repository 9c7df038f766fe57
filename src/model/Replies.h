#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/PointOfInterest.h"
#include "model/Regions.h"
#include "model/Tour.h"

namespace tq {

// Every reply of the web service is one object: the query's items under `results` and the
// outcome under `status`. Both keys are required; one unreadable item fails the whole reply.
template <class Results>
struct ReplyEnvelope {
    Results results;
    std::string status;
    bool succeeded() const { return status == "success"; }
};

// One marker of the world map; every field optional. `long_` is read and written as "long".
struct PoiMap {
    std::optional<std::string> circuit_id;
    std::optional<std::string> title;
    std::optional<std::string> circuit_imagepath;
    std::optional<std::string> lat;
    std::optional<std::string> long_;
    std::optional<std::string> is_circuit_head;
    std::optional<std::string> use_custom_map;
    bool operator==(const PoiMap&) const = default;
};

// One row of a rating reply; both keys required.
struct Rating {
    std::string circuit_id;
    std::string uid;
};

// One tour that has an update.
struct TourIDUpdateResult {
    std::optional<std::string> id;
};

// One language of the keyword search; every key required.
struct Language {
    std::string lang_iso;
    std::string lang_en;
    std::string lang_fr;
    std::string lang_es;
    bool operator==(const Language&) const = default;
};

// The update-check request: one tour as its identifier and moderation date. Written, never read.
struct TourUpdatePost {
    std::string id;
    std::string date;
};

struct UpdatePost {
    std::vector<std::optional<TourUpdatePost>> tours;  // an element without a value is not written
};

using ApiTour = ReplyEnvelope<std::vector<TourRef>>;
using ApiWorldMap = ReplyEnvelope<std::vector<PoiMap>>;
using ApiPoiAround = ReplyEnvelope<std::vector<PointOfInterestRef>>;
using ApiCountry = ReplyEnvelope<std::vector<Country>>;
using ApiState = ReplyEnvelope<std::vector<State>>;
using ApiCity = ReplyEnvelope<std::vector<City>>;
using ApiRating = ReplyEnvelope<std::vector<Rating>>;
using UpdateTourList = ReplyEnvelope<std::vector<TourIDUpdateResult>>;
using UpdateTourListError = ReplyEnvelope<std::string>;  // the error form of the update check

}  // namespace tq
