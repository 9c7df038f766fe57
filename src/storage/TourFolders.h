#pragma once

#include <functional>
#include <string_view>

#include "storage/TourFiles.h"

namespace tq {

class Environment;
class Console;
struct UpdateRequester;

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

    // The update's form: once the old folder is gone (or was never there), `continueUpdate` runs:
    // the download manager fetches and stores the new version there. When the folder cannot be
    // removed, or the identifier cannot name one, the update ends: the screen is unlocked.
    void deleteTourFolderForUpdate(std::string_view circuitId, UpdateRequester& screen,
                                   const std::function<void()>& continueUpdate);

private:
    enum class Removal { removed, absent, failed };
    Removal removeTourFolder(std::string_view circuitId);

    Environment& env_;
    Console& console_;
    TourFiles files_;
};

}  // namespace tq
