#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "Canvas.h"

namespace tq::samples {

struct MapPoint {
    double latitude = 0;
    double longitude = 0;
};

// What a tour's offline map shows: its points joined by its path over a grid, either as a town
// plan or, for a tour with its own map, as an illustrated park.
struct TourMapStyle {
    Colour route;
    bool illustrated = false;
};

// Writes a zip of the tiles "<z>/<x>/<y>.png" covering the points (with a margin) at every zoom
// from minZoom to maxZoom, as the offline map page reads them. Entries are stored in a fixed
// order with a fixed date, so the archive's bytes depend on the tour alone. False on failure.
bool writeTileArchive(const std::filesystem::path& archive, const std::vector<MapPoint>& points, int minZoom,
                      int maxZoom, const TourMapStyle& style, std::string& error);

}  // namespace tq::samples
