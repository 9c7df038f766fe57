#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Tour.h"

namespace SQLite {
class Database;
}

namespace tq {

class Environment;
class Console;
class DownloadTourManager;
class Network;
struct LocalToursListener;
struct PreloadRequester;
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
// copied from the bundle at launch (validateDBFile). Each operation opens its own connection, works, closes it
// and reports before it returns; every value travels as a bound parameter.
class DBManager {
public:
    // Only keeps the environment; TourStore prepares the file and connects the instance.
    explicit DBManager(Environment& env);
    ~DBManager();
    static DBManager& shared();

    // Where an update goes once the tour is known to be stored: the download manager's update road.
    // The road keeps the screen's requester until the update ends.
    using UpdateRoad = std::function<void(const std::string& tourId, std::int64_t senderTag,
                                          std::shared_ptr<UpdateRequester> screen)>;
    // The client whose lists the loads fill, and the update road.
    void connect(Network& network, UpdateRoad road);
    // Copies the catalogue from the bundle when the cache has none.
    void validateDBFile();

    // The database file itself (the caches directory plus "TrelvoQuest.sqlite3").
    const std::filesystem::path& cachesDirectory() const { return databaseFile_; }
    // The "file:" URI every connection opens, with the path's bytes percent-escaped as needed.
    std::string databaseUri() const;

    void tourExist(const std::string& tourId, const std::function<void(bool exists)>& completion);
    // The tour screen's two questions: before it offers a preload, and as the download starts.
    void tourExistForPreload(const std::string& tourId, PreloadRequester& screen);
    void tourExistForDownload(const std::string& tourId, DownloadTourManager& manager);

    // Loads every stored tour into Network.localCatalogue (with its needUpdate flag and rating) and
    // tells the screen whether any was read. A row whose text does not read as a tour is skipped
    // with a console line; the others still load.
    void getAllTours(LocalToursListener& screen);
    // Sends one update check per stored tour, each handed `completion`. Reads the tours into a
    // list of its own: the client's localCatalogue is left as it is.
    void checkToursForUpdates(const std::function<void(bool)>& completion);
    void addTour(const std::string& tourId, const std::string& tourJson,
                 std::chrono::system_clock::time_point insertedAt, const std::function<void(bool success)>& completion);
    void addTour(const std::string& tourId, const std::string& tourJson,
                 const std::function<void(bool success)>& completion);
    // Deletes the tour's row, then its folder; true when both are gone.
    void deleteTour(const std::string& tourId, const std::function<void(bool success)>& completion);
    // Starts the update of a stored tour (see UpdateRoad). The row stays until the new version is
    // complete and replaces it (replaceTour); when no row is stored, or the database failed, the
    // update ends at once with the screen's unlockAfterUpdate.
    void deleteTourForUpdate(const std::string& tourId, std::int64_t senderTag, std::shared_ptr<UpdateRequester> screen);
    // Puts a new version of a stored tour in place of the old one in a single transaction: the old
    // rows of the tour go and the new row comes with `is_uptodate` "0", or nothing changes at all.
    void replaceTour(const std::string& tourId, const std::string& tourJson,
                     const std::function<void(bool success)>& completion);
    void setTourNeedUpdate(const std::string& tourId);

    // Every stored row, for the loads that decode the tours (getAllTours, checkToursForUpdates).
    CatalogRows readAllRows();

    // Tests put their own update road in place of the download manager's.
    void setUpdateRoad(UpdateRoad road) { updateRoad_ = std::move(road); }

private:
    Network& network();
    void copyDatabaseFromBundle(const std::string& name, const std::string& extension);
    // A connection to the catalogue. The first one of the run also clears what a killed download
    // or update left on disk, now that the stored tours can be known.
    SQLite::Database open();
    void removeLeftovers(SQLite::Database& db);
    // Deletes the rows of the tour; the number deleted, or nothing after an error (already printed).
    std::optional<int> deleteRows(const std::string& tourId);
    // Counts the rows of the tour, printing the query first; nothing after an error (printed).
    std::optional<std::int64_t> countRowsForUpdate(const std::string& tourId);
    // The stored tours that read as tours, in store order, each with its row's flag; bad rows are
    // printed and skipped. Nothing when the rows could not be read (printed).
    struct StoredTour {
        TourRef tour;
        std::optional<std::string> isUptodate;
    };
    std::optional<std::vector<StoredTour>> readStoredTours(bool& opened);

    Environment& env_;
    Console& console_;
    std::filesystem::path databaseFile_;
    Network* network_ = nullptr;
    UpdateRoad updateRoad_;
    bool leftoversRemoved_ = false;
};

// The local date and time as "yyyy-MM-dd HH:mm:ss".
std::string formatInsertTime(std::chrono::system_clock::time_point time);

}  // namespace tq
