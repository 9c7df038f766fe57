#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// Where every stored piece of a downloaded tour lives under the cache directory, and the
// addresses its media are fetched from. The download writes through these names and the screens
// read through them, so both sides always agree:
//
//   <cache>/offline.html and its assets           the offline map page
//   <cache>/circuit/circuit<id>/                   one tour's folder
//       <last component of circuit_imagepath>      main image
//       <cid><last component of content_filepath>  video or audio file
//       360_<cid>360_<cid>.jpg                     panorama picture
//       <cid><last component of thumbnailUrl>      content image
//       tiles/<id>.zip and its extracted entries   map tiles
//
// Every name that comes from the web service is checked with isSafePathComponent first; a name
// that fails the check gives no path at all.
class TourFiles {
public:
    explicit TourFiles(std::filesystem::path cacheDir) : cacheDir_(std::move(cacheDir)) {}

    const std::filesystem::path& cacheDir() const { return cacheDir_; }
    std::filesystem::path offlinePage() const { return cacheDir_ / "offline.html"; }
    std::filesystem::path circuitFolder() const { return cacheDir_ / "circuit"; }

    std::optional<std::filesystem::path> tourFolder(std::string_view circuitId) const;
    std::optional<std::filesystem::path> mainImage(std::string_view circuitId, std::string_view circuitImagepath) const;
    std::optional<std::filesystem::path> mediaFile(std::string_view circuitId, std::string_view contentId,
                                                   std::string_view type, std::string_view contentFilepath) const;
    std::optional<std::filesystem::path> contentImage(std::string_view circuitId, std::string_view contentId,
                                                      std::string_view thumbnailUrl) const;
    std::optional<std::filesystem::path> tilesFolder(std::string_view circuitId) const;
    std::optional<std::filesystem::path> tileArchive(std::string_view circuitId) const;

    // File names inside a tour folder. `type` is the content's type text ("panorama", "img", ...).
    static std::optional<std::string> mainImageName(std::string_view circuitImagepath);
    static std::optional<std::string> mediaFileName(std::string_view contentId, std::string_view type,
                                                    std::string_view contentFilepath);
    static std::optional<std::string> contentImageName(std::string_view contentId, std::string_view thumbnailUrl);
    static std::optional<std::string> tileArchiveName(std::string_view circuitId);

    // Addresses to fetch. Only a leading "http:" becomes "https:". A panorama's file is fetched under
    // its 360° name: every <cid> of the address's last component becomes "360_"<cid>. An image
    // content's full picture is fetched instead of its thumbnail: every "thumb_" of the last
    // component is removed. Other parts of the address are never rewritten.
    static std::string mediaFileAddress(std::string_view contentId, std::string_view type,
                                        std::string_view contentFilepath);
    static std::string contentImageAddress(std::string_view type, std::string_view thumbnailUrl);
    // `assetsBase` ends in "/"; the archive lies at map_tiles/circuit<id>/<id>.zip below it.
    static std::string tileArchiveAddress(std::string_view assetsBase, std::string_view circuitId);

private:
    std::optional<std::filesystem::path> inTourFolder(std::string_view circuitId,
                                                      const std::optional<std::string>& name) const;
    std::filesystem::path cacheDir_;
};

}  // namespace tq
