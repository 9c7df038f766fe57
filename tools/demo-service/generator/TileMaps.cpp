#include "TileMaps.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cmath>

namespace tq::samples {
namespace {

constexpr int kTile = 256;
constexpr double kMarginDegrees = 0.004;

// Web Mercator: the position of a point in pixels of the whole world at zoom z.
double worldX(double longitude, int z) { return (longitude + 180.0) / 360.0 * kTile * std::ldexp(1.0, z); }
double worldY(double latitude, int z) {
    double phi = latitude * M_PI / 180.0;
    return (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / M_PI) / 2.0 * kTile * std::ldexp(1.0, z);
}

Canvas drawTile(const std::vector<MapPoint>& points, int z, int tx, int ty, const TourMapStyle& style) {
    const Colour ground = style.illustrated ? Colour{196, 226, 170} : Colour{238, 234, 224};
    const Colour gridColour = style.illustrated ? Colour{170, 204, 146} : Colour{214, 208, 196};
    Canvas tile(kTile, kTile, ground);
    const double originX = double(tx) * kTile, originY = double(ty) * kTile;
    auto at = [&](const MapPoint& p) {
        return std::pair{worldX(p.longitude, z) - originX, worldY(p.latitude, z) - originY};
    };
    // A grid of blocks: finer as the map zooms in, so each level looks like a plan of its own.
    const int step = z >= 16 ? 64 : 128;
    for (int k = 0; k <= kTile; k += step) {
        tile.line(k, 0, k, kTile, z >= 16 ? 3 : 2, gridColour);
        tile.line(0, k, kTile, k, z >= 16 ? 3 : 2, gridColour);
    }
    if (style.illustrated && !points.empty()) {
        // The park's lake, beside its last point, and a ring of trees around the first.
        auto [lx, ly] = at(points.back());
        double scale = std::ldexp(1.0, z - 16);
        tile.fillEllipse(lx - 40 * scale, ly + 10 * scale, 90 * scale, 50 * scale, {120, 176, 220});
        auto [fx, fy] = at(points.front());
        for (int k = 0; k < 8; ++k) {
            double angle = k * M_PI / 4;
            tile.fillCircle(fx + std::cos(angle) * 50 * scale, fy + std::sin(angle) * 50 * scale, 10 * scale,
                            {60, 130, 70});
        }
    }
    for (std::size_t i = 1; i < points.size(); ++i) {
        auto [x0, y0] = at(points[i - 1]);
        auto [x1, y1] = at(points[i]);
        tile.line(x0, y0, x1, y1, z >= 15 ? 6 : 4, style.route);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        auto [x, y] = at(points[i]);
        tile.fillCircle(x, y, z >= 15 ? 11 : 7, {255, 255, 255});
        tile.fillCircle(x, y, z >= 15 ? 9 : 5, style.route);
        if (z >= 15) tile.text(x - 4, y - 6, std::to_string(i + 1), 2, {255, 255, 255});
    }
    tile.text(6, kTile - 14, std::to_string(z) + "/" + std::to_string(tx) + "/" + std::to_string(ty), 1,
              gridColour.mixed({0, 0, 0}, 0.3));
    return tile;
}

bool addEntry(zipFile zip, const std::string& name, const std::string& bytes) {
    zip_fileinfo info{};
    info.tmz_date.tm_year = 2026;
    info.tmz_date.tm_mon = 0;
    info.tmz_date.tm_mday = 1;
    // The tiles are compressed pictures already: stored, not deflated.
    if (zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0) != ZIP_OK) return false;
    bool written = zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
    return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

bool writeTileArchive(const std::filesystem::path& archive, const std::vector<MapPoint>& points, int minZoom,
                      int maxZoom, const TourMapStyle& style, std::string& error) {
    if (points.empty()) {
        error = "a tour without points has no map";
        return false;
    }
    double south = 90, north = -90, west = 180, east = -180;
    for (const auto& p : points) {
        south = std::min(south, p.latitude), north = std::max(north, p.latitude);
        west = std::min(west, p.longitude), east = std::max(east, p.longitude);
    }
    south -= kMarginDegrees, north += kMarginDegrees, west -= kMarginDegrees, east += kMarginDegrees;
    zipFile zip = zipOpen(archive.c_str(), APPEND_STATUS_CREATE);
    if (!zip) {
        error = "cannot create " + archive.string();
        return false;
    }
    bool ok = true;
    for (int z = minZoom; ok && z <= maxZoom; ++z) {
        int x0 = int(worldX(west, z)) / kTile, x1 = int(worldX(east, z)) / kTile;
        int y0 = int(worldY(north, z)) / kTile, y1 = int(worldY(south, z)) / kTile;
        for (int x = x0; ok && x <= x1; ++x) {
            for (int y = y0; ok && y <= y1; ++y) {
                std::string name = std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y) + ".png";
                ok = addEntry(zip, name, drawTile(points, z, x, y, style).png());
            }
        }
    }
    if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
    if (!ok) error = "cannot write " + archive.string();
    return ok;
}

}  // namespace tq::samples
