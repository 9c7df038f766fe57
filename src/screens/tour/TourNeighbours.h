#pragma once

#include <cstdint>

namespace tq {

// What the tour screen sets on the screens it opens. They live in libraries above this one and
// are built from the storyboard by identifier, so the tour screen reaches them through these.

// The web map of the tour, opened at one of its points.
class PointMapScreen {
public:
    virtual ~PointMapScreen() = default;
    // The index, in the tour's point list, of the point to show first.
    virtual void setCurrentPoiIndex(std::int64_t index) = 0;
};

// The list of an organisation's tours or of a network tour's sub-tours.
class TourListScreen {
public:
    virtual ~TourListScreen() = default;
    // True: the sub-tours of a network tour; false: the catalogue of an organisation.
    virtual void setForNetwork(bool forNetwork) = 0;
};

}  // namespace tq
