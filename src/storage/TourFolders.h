#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "storage/TourFiles.h"

namespace tq {

class Environment;
class Console;

// The offline part of the cache directory on disk: the offline map page and its assets, the
// "circuit" folder and one folder per downloaded tour. Every operation is synchronous, builds its
// paths afresh from the cache directory and reports on the console.
class TourFolders {
public:
    explicit TourFolders(Environment& env);

    const TourFiles& files() const { return files_; }

    // Copies offline.html and its nine assets from the bundle into the cache directory. A file
    // already there is kept: a copy never replaces it. A resource missing from the bundle stops the walk.
    void copyOfflineMapAssets();

    // True when the "circuit" folder exists afterwards.
    bool ensureCircuitFolder();

    // Makes the tour's folder afresh (an old one is removed with everything in it). True when an
    // empty folder is ready for the download. On failure prints why, runs `onFailure` (where the
    // update road clears its flag and reports false), then prints "error create tour folder ".
    bool createTourFolder(std::string_view circuitId, const std::function<void()>& onFailure = {});

    // Removes the tour's folder and reports whether the tour's files are gone: true also when there
    // was no folder; false for an identifier that cannot name a folder or a removal that failed.
    void deleteTourFolder(std::string_view circuitId, const std::function<void(bool)>& completion);

    // An update never touches the stored tour until its new version is complete: it downloads into
    // a staging folder beside the tour folder, and only then swaps the two.
    //
    // Makes the staging folder afresh and gives its path; nothing (after printing why) when it
    // cannot be made or the identifier cannot name a folder.
    std::optional<std::filesystem::path> createStagingFolder(std::string_view circuitId);
    // Puts the staging folder in the tour folder's place in one step; the old tour folder, when
    // there was one, now lies at the staging path. False (printed, nothing moved) on failure.
    bool swapInStagingFolder(std::string_view circuitId);
    // Undoes swapInStagingFolder: the old tour folder goes back in place.
    bool swapBackStagingFolder(std::string_view circuitId);
    // Removes the staging folder with whatever it holds; a failure is printed.
    void removeStagingFolder(std::string_view circuitId);

    // What a download or an update killed half-way leaves behind: tour folders of tours with no
    // stored row, staging folders of updates, and the temporary files of transfers and copies
    // (in the cache directory and inside the kept tour folders). A folder whose tour is in
    // `storedTourIds` is never removed. Each removal is printed.
    void removeLeftovers(const std::set<std::string>& storedTourIds);

private:
    void removeTemporaryFiles(const std::filesystem::path& folder, bool recursive);
    void removeLeftover(const std::filesystem::path& path);
    bool exchangeFolders(const std::filesystem::path& a, const std::filesystem::path& b);
    enum class Removal { removed, absent, failed };
    Removal removeTourFolder(std::string_view circuitId);
    // Removes whatever is at `folder` and makes it an empty folder, printing as createTourFolder does.
    bool recreateFolder(const std::filesystem::path& folder, const std::function<void()>& onFailure);
    std::optional<std::filesystem::path> stagingFolder(std::string_view circuitId) const;

    Environment& env_;
    Console& console_;
    TourFiles files_;
};

}  // namespace tq
