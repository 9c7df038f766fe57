#include "storage/TourFiles.h"

#include "platform/net/PercentEncoding.h"
#include "storage/PathComponents.h"

namespace tq {
namespace {

// Replaces every occurrence of `from` in the last path component of `address` only.
std::string replaceInLastComponent(std::string address, std::string_view from, std::string_view to) {
    if (from.empty()) return address;
    auto slash = address.rfind('/');
    std::size_t pos = slash == std::string::npos ? 0 : slash + 1;
    while ((pos = address.find(from, pos)) != std::string::npos) {
        address.replace(pos, from.size(), to);
        pos += to.size();
    }
    return address;
}

std::optional<std::string> safeName(std::string name) {
    if (!isSafePathComponent(name)) return std::nullopt;
    return name;
}

// A name made of an identifier and an address's last component; both parts must be safe on their
// own, except that the component may be empty (an address ending in "/" names the file by the
// identifier alone).
std::optional<std::string> identifierAndComponent(std::string_view id, std::string_view address) {
    auto last = lastPathComponent(address);
    if (!isSafePathComponent(id)) return std::nullopt;
    if (!last.empty() && !isSafePathComponent(last)) return std::nullopt;
    return safeName(std::string(id) + std::string(last));
}

}  // namespace

std::optional<std::filesystem::path> TourFiles::tourFolder(std::string_view circuitId) const {
    if (!isSafePathComponent(circuitId)) return std::nullopt;
    return circuitFolder() / ("circuit" + std::string(circuitId));
}

std::optional<std::filesystem::path> TourFiles::inTourFolder(std::string_view circuitId,
                                                             const std::optional<std::string>& name) const {
    auto folder = tourFolder(circuitId);
    if (!folder || !name) return std::nullopt;
    return *folder / *name;
}

std::optional<std::filesystem::path> TourFiles::mainImage(std::string_view circuitId,
                                                          std::string_view circuitImagepath) const {
    return inTourFolder(circuitId, mainImageName(circuitImagepath));
}

std::optional<std::filesystem::path> TourFiles::mediaFile(std::string_view circuitId, std::string_view contentId,
                                                          std::string_view type,
                                                          std::string_view contentFilepath) const {
    return inTourFolder(circuitId, mediaFileName(contentId, type, contentFilepath));
}

std::optional<std::filesystem::path> TourFiles::contentImage(std::string_view circuitId, std::string_view contentId,
                                                             std::string_view thumbnailUrl) const {
    return inTourFolder(circuitId, contentImageName(contentId, thumbnailUrl));
}

std::optional<std::filesystem::path> TourFiles::tilesFolder(std::string_view circuitId) const {
    return inTourFolder(circuitId, std::string("tiles"));
}

std::optional<std::filesystem::path> TourFiles::tileArchive(std::string_view circuitId) const {
    auto tiles = tilesFolder(circuitId);
    auto name = tileArchiveName(circuitId);
    if (!tiles || !name) return std::nullopt;
    return *tiles / *name;
}

std::optional<std::string> TourFiles::mainImageName(std::string_view circuitImagepath) {
    return safeName(std::string(lastPathComponent(circuitImagepath)));
}

std::optional<std::string> TourFiles::mediaFileName(std::string_view contentId, std::string_view type,
                                                    std::string_view contentFilepath) {
    if (type == "panorama") {
        if (!isSafePathComponent(contentId)) return std::nullopt;
        std::string id(contentId);
        return safeName("360_" + id + "360_" + id + ".jpg");
    }
    return identifierAndComponent(contentId, contentFilepath);
}

std::optional<std::string> TourFiles::contentImageName(std::string_view contentId, std::string_view thumbnailUrl) {
    return identifierAndComponent(contentId, thumbnailUrl);
}

std::optional<std::string> TourFiles::tileArchiveName(std::string_view circuitId) {
    if (!isSafePathComponent(circuitId)) return std::nullopt;
    return safeName(std::string(circuitId) + ".zip");
}

std::string TourFiles::mediaFileAddress(std::string_view contentId, std::string_view type,
                                        std::string_view contentFilepath) {
    auto address = secureAddress(contentFilepath);
    if (type != "panorama") return address;
    return replaceInLastComponent(std::move(address), contentId, "360_" + std::string(contentId));
}

std::string TourFiles::contentImageAddress(std::string_view type, std::string_view thumbnailUrl) {
    auto address = secureAddress(thumbnailUrl);
    if (type != "img") return address;
    return replaceInLastComponent(std::move(address), "thumb_", "");
}

std::string TourFiles::tileArchiveAddress(std::string_view assetsBase, std::string_view circuitId) {
    std::string id = pathSegment(circuitId);
    return std::string(assetsBase) + "map_tiles/circuit" + id + "/" + id + ".zip";
}

}  // namespace tq
