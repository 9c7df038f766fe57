#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/LazyOrder.h"
#include "model/Organisation.h"
#include "model/PoiContent.h"

namespace tq {

// One stop of a tour, shared by reference between the tour, the points-around list and the screens.
// Every field is optional and named as its JSON key; `long` is a C++ keyword, so its member is `long_`.
struct PointOfInterest {
    std::optional<std::string> city;
    std::optional<std::string> first_posted;
    std::optional<std::string> last_updated;
    std::optional<std::string> lat;    // decimal degrees as text
    std::optional<std::string> long_;  // JSON key "long"
    std::optional<std::string> owner_id;
    std::optional<std::string> poi_id;
    std::optional<std::string> poi_name;
    std::optional<std::string> poi_order;  // whole number as text; the source of order()
    std::optional<std::string> poi_type;
    std::optional<std::vector<PoiContentRef>> content;
    std::optional<std::string> circuitTitle;
    std::optional<std::string> circuitImagepath;
    std::optional<std::string> slug;
    std::optional<std::string> circuitSlug;
    OrganisationRef organization;  // JSON key spelled with a z; null when absent

    // The whole number of `poi_order` (absent counts as 0), computed on first use and kept, so a
    // later renumbering of `poi_order` does not change it.
    std::optional<std::int64_t> order() const { return order_.get(poi_order); }

private:
    LazyOrder order_;
};

using PointOfInterestRef = std::shared_ptr<PointOfInterest>;

}  // namespace tq
