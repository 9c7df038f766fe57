#include "storage/TourFolders.h"

#include <fcntl.h>
#include <stdio.h>

#include <array>
#include <cerrno>
#include <vector>

#include "platform/foundation/Environment.h"
#include "storage/FileCopy.h"

namespace tq {
namespace {

struct MapAsset {
    const char* name;
    const char* extension;
    const char* missingLine;
    const char* copyFailedLine;
};

// The offline page first, then its assets in the order the page's console lines are known by.
constexpr std::array<MapAsset, 10> offlineMapAssets{{
    {"offline", "html", "Source File not found.", "Unable to copy file---"},
    {"leaflet", "js", "Source File not found0.", "Unable to copy file0"},
    {"leaflet", "css", "Source leaflet not found00.", "Unable to copy file1"},
    {"jquery-3.3.1.min", "js", "Source jquery not found.", "Unable to copy file2"},
    {"default_tile_en", "png", "Source default_tile_en not found.", "Unable to copy file3"},
    {"default_tile_fr", "png", "Source default_tile_fr not found.", "Unable to copy file4"},
    {"position", "png", "Source position not found.", "Unable to copy file5"},
    {"marker-icon", "png", "Source markericon not found.", "Unable to copy file6"},
    {"marker-shadow", "png", "Source marker-shadow not found.", "Unable to copy file7"},
    {"leaflet-rotate-src-modified", "js", "Source leaflet-rotate-src-modified not found.", "Unable to copy file8"},
}};

constexpr const char* invalidIdentifierLine = "Invalid tour identifier";

// Transfers and copies write beside their target under ".<name>.part-<suffix>" and rename at the end.
bool isTemporaryFileName(const std::string& name) {
    return name.size() > 1 && name[0] == '.' && name.find(".part-") != std::string::npos;
}

bool existsOrIsLink(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

TourFolders::TourFolders(Environment& env) : env_(env), console_(env.console()), files_(env.cacheDir()) {}

void TourFolders::copyOfflineMapAssets() {
    std::error_code ec;
    std::filesystem::create_directories(files_.cacheDir(), ec);
    for (const auto& asset : offlineMapAssets) {
        auto source = env_.bundle().pathForResource(asset.name, asset.extension);
        if (!source) {
            console_.log(asset.missingLine);
            return;
        }
        auto destination = files_.cacheDir() / (std::string(asset.name) + "." + asset.extension);
        if (copyFileWithoutReplacing(*source, destination)) console_.log(asset.copyFailedLine);
    }
}

bool TourFolders::ensureCircuitFolder() {
    std::error_code ec;
    auto folder = files_.circuitFolder();
    if (std::filesystem::is_directory(folder, ec)) return true;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        console_.log(ec.message());
        return false;
    }
    return true;
}

bool TourFolders::createTourFolder(std::string_view circuitId, const std::function<void()>& onFailure) {
    console_.log("createTourFolder");
    auto folder = files_.tourFolder(circuitId);
    if (!folder) {
        console_.log(invalidIdentifierLine);
        if (onFailure) onFailure();
        console_.log("error create tour folder ");
        return false;
    }
    return recreateFolder(*folder, onFailure);
}

bool TourFolders::recreateFolder(const std::filesystem::path& folder, const std::function<void()>& onFailure) {
    auto fail = [&](const std::string& why) {
        console_.log(why);
        if (onFailure) onFailure();
        console_.log("error create tour folder ");
        return false;
    };
    std::error_code ec;
    if (existsOrIsLink(folder)) {
        // Left-over files of an old version must not mix with the new download: when the old
        // folder cannot go, the download does not start.
        std::filesystem::remove_all(folder, ec);
        if (ec) return fail(ec.message());
    }
    std::filesystem::create_directories(folder, ec);
    if (ec) return fail(ec.message());
    return true;
}

std::optional<std::filesystem::path> TourFolders::stagingFolder(std::string_view circuitId) const {
    if (!files_.tourFolder(circuitId)) return std::nullopt;
    // Its name cannot be taken for a tour folder: those all begin with "circuit".
    return files_.circuitFolder() / ("update-circuit" + std::string(circuitId));
}

std::optional<std::filesystem::path> TourFolders::createStagingFolder(std::string_view circuitId) {
    console_.log("createTourFolder");
    auto staging = stagingFolder(circuitId);
    if (!staging) {
        console_.log(invalidIdentifierLine);
        console_.log("error create tour folder ");
        return std::nullopt;
    }
    if (!recreateFolder(*staging, {})) return std::nullopt;
    return staging;
}

bool TourFolders::swapInStagingFolder(std::string_view circuitId) {
    auto staging = stagingFolder(circuitId);
    auto folder = files_.tourFolder(circuitId);
    if (!staging || !folder) {
        console_.log(invalidIdentifierLine);
        return false;
    }
    if (!existsOrIsLink(*folder)) {
        std::error_code ec;
        std::filesystem::rename(*staging, *folder, ec);
        if (ec) console_.log(ec.message());
        return !ec;
    }
    return exchangeFolders(*staging, *folder);
}

// One exchange: at no moment is the tour folder missing or half old, half new.
bool TourFolders::exchangeFolders(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0) {
        console_.log(std::error_code(errno, std::system_category()).message());
        return false;
    }
    return true;
}

bool TourFolders::swapBackStagingFolder(std::string_view circuitId) {
    auto staging = stagingFolder(circuitId);
    auto folder = files_.tourFolder(circuitId);
    if (!staging || !folder) return false;
    if (!existsOrIsLink(*staging)) {
        // There was no old folder: the new one simply goes away again.
        std::error_code ec;
        std::filesystem::remove_all(*folder, ec);
        if (ec) console_.log(ec.message());
        return !ec;
    }
    return exchangeFolders(*staging, *folder);
}

void TourFolders::removeStagingFolder(std::string_view circuitId) {
    auto staging = stagingFolder(circuitId);
    if (!staging || !existsOrIsLink(*staging)) return;
    std::error_code ec;
    std::filesystem::remove_all(*staging, ec);
    if (ec) console_.log(ec.message());
}

TourFolders::Removal TourFolders::removeTourFolder(std::string_view circuitId) {
    auto folder = files_.tourFolder(circuitId);
    if (!folder) {
        console_.log(invalidIdentifierLine);
        return Removal::failed;
    }
    if (!existsOrIsLink(*folder)) return Removal::absent;
    console_.log("deleteTourFolder");
    std::error_code ec;
    std::filesystem::remove_all(*folder, ec);
    if (ec) {
        console_.log(ec.message());
        return Removal::failed;
    }
    return Removal::removed;
}

void TourFolders::deleteTourFolder(std::string_view circuitId, const std::function<void(bool)>& completion) {
    // A folder that was never there leaves nothing behind either: the tour is gone all the same.
    bool gone = removeTourFolder(circuitId) != Removal::failed;
    if (completion) completion(gone);
}

void TourFolders::removeLeftovers(const std::set<std::string>& storedTourIds) {
    std::set<std::string> keptFolders;
    for (const auto& id : storedTourIds) keptFolders.insert("circuit" + id);

    removeTemporaryFiles(files_.cacheDir(), false);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(files_.circuitFolder(), ec)) {
        auto name = entry.path().filename().string();
        if (keptFolders.count(name)) {
            std::error_code typeError;
            if (entry.is_directory(typeError) && !entry.is_symlink(typeError)) removeTemporaryFiles(entry.path(), true);
        } else if (name.rfind("circuit", 0) == 0 || name.rfind("update-circuit", 0) == 0 || isTemporaryFileName(name)) {
            removeLeftover(entry.path());
        }
    }
}

void TourFolders::removeTemporaryFiles(const std::filesystem::path& folder, bool recursive) {
    std::error_code ec;
    std::vector<std::filesystem::path> found;
    if (recursive) {
        for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (isTemporaryFileName(it->path().filename().string())) found.push_back(it->path());
        }
    } else {
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (isTemporaryFileName(entry.path().filename().string())) found.push_back(entry.path());
        }
    }
    for (const auto& path : found) removeLeftover(path);
}

void TourFolders::removeLeftover(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    console_.log((ec ? "Could not remove the left-over " : "Removed the left-over ") + path.string());
}

}  // namespace tq
