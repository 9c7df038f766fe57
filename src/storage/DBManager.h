#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace SQLite {
class Database;
}

namespace tq {

class Environment;
class Console;
struct UpdateRequester;

// One row of the table "Catalog" as stored. The column names are those of the shipped table:
// `imagepath` holds the tour's whole JSON reply text and `is_uptodate` "1" means that an update is
// available.
struct CatalogRow {
    std::string idCircuit;
    std::optional<std::string> tourJson;    // column imagepath
    std::optional<std::string> isUptodate;  // column is_uptodate
};

// Every row of "Catalog" in the order the store returns them, or why they could not be read.
// `opened` tells a database that could not be opened apart from a failed select.
struct CatalogRows {
    bool opened = false;
    std::optional<std::string> error;
    std::vector<CatalogRow> rows;
};

// The catalogue of downloaded tours: the SQLite file "TrelvoQuest.sqlite3" in the cache directory,
// copied from the bundle on first use. Each operation opens its own connection, works, closes it
// and reports before it returns; every value travels as a bound parameter.
class DBManager {
public:
    explicit DBManager(Environment& env);
    ~DBManager();
    static DBManager& shared();

    // The database file itself (the caches directory plus "TrelvoQuest.sqlite3").
    const std::filesystem::path& cachesDirectory() const { return databaseFile_; }
    // The "file:" URI every connection opens, with the path's bytes percent-escaped as needed.
    std::string databaseUri() const;

    void tourExist(const std::string& tourId, const std::function<void(bool exists)>& completion);
    void addTour(const std::string& tourId, const std::string& tourJson,
                 std::chrono::system_clock::time_point insertedAt, const std::function<void(bool success)>& completion);
    void addTour(const std::string& tourId, const std::string& tourJson,
                 const std::function<void(bool success)>& completion);
    // Deletes the tour's row, then its folder; true when both are gone.
    void deleteTour(const std::string& tourId, const std::function<void(bool success)>& completion);
    // Deletes the tour's row and hands the update on (see UpdateRoad); when no row went, or the
    // database failed, the update ends at once with the screen's unlockAfterUpdate.
    void deleteTourForUpdate(const std::string& tourId, std::int64_t senderTag, UpdateRequester& screen);
    void setTourNeedUpdate(const std::string& tourId);

    // Every stored row, for the loads that decode the tours (getAllTours, checkToursForUpdates).
    CatalogRows readAllRows();

    // Where an update goes once the tour's row is gone: removing the old folder and downloading
    // the new version. The download manager takes this road; until it does, the old folder is
    // removed and the update ends with the screen unlocked.
    using UpdateRoad = std::function<void(const std::string& tourId, std::int64_t senderTag, UpdateRequester& screen)>;
    void setUpdateRoad(UpdateRoad road) { updateRoad_ = std::move(road); }

private:
    void validateDBFile();
    void copyDatabaseFromBundle(const std::string& name, const std::string& extension);
    SQLite::Database open() const;
    // Deletes the rows of the tour; the number deleted, or nothing after an error (already printed).
    std::optional<int> deleteRows(const std::string& tourId);

    Environment& env_;
    Console& console_;
    std::filesystem::path databaseFile_;
    UpdateRoad updateRoad_;
};

// The local date and time as "yyyy-MM-dd HH:mm:ss".
std::string formatInsertTime(std::chrono::system_clock::time_point time);

// A "file:" URI naming an absolute path: every byte other than letters, digits, "-._~" and "/" is
// percent-escaped, so "?", "#", "%" and blanks stay part of the file name.
std::string fileUri(const std::filesystem::path& absolutePath);

}  // namespace tq
