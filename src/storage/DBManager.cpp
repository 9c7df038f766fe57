#include "storage/DBManager.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <ctime>
#include <set>
#include <stdexcept>

#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "model/Json.h"
#include "service/Network.h"
#include "storage/DownloadTourManager.h"
#include "storage/FileCopy.h"
#include "storage/StorageListeners.h"
#include "storage/TourFolders.h"
#include "storage/TourStore.h"

namespace tq {
namespace {

constexpr const char* databaseName = "TrelvoQuest";
constexpr const char* databaseExtension = "sqlite3";

}  // namespace

std::string formatInsertTime(std::chrono::system_clock::time_point time) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

DBManager::DBManager(Environment& env)
    : env_(env),
      console_(env.console()),
      databaseFile_(std::filesystem::absolute(env.cacheDir()) / (std::string(databaseName) + "." + databaseExtension)) {}

DBManager::~DBManager() = default;

DBManager& DBManager::shared() { return Environment::current().shared<TourStore>().database; }

void DBManager::connect(Network& network, UpdateRoad road) {
    network_ = &network;
    updateRoad_ = std::move(road);
}

Network& DBManager::network() {
    if (!network_) throw std::logic_error("the catalogue database is used before TourStore connected it");
    return *network_;
}

std::string DBManager::databaseUri() const { return fileURL(databaseFile_); }

void DBManager::validateDBFile() {
    std::error_code ec;
    auto status = std::filesystem::status(databaseFile_, ec);
    if (std::filesystem::is_regular_file(status)) {
        console_.log("FILE AVAILABLE");
        return;
    }
    if (!ec) return;  // something that is no file stands there: leave it alone
    copyDatabaseFromBundle(databaseName, databaseExtension);
    console_.log("validateDBFile  " + ec.message());
}

void DBManager::copyDatabaseFromBundle(const std::string& name, const std::string& extension) {
    auto source = env_.bundle().pathForResource(name, extension);
    if (!source) {
        console_.log("Source File not found.");
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(env_.cacheDir(), ec);
    if (copyFileWithoutReplacing(*source, env_.cacheDir() / (name + "." + extension))) {
        console_.log("Unable to copy file");
    }
}

SQLite::Database DBManager::open() {
    // No OPEN_CREATE: a missing file must not be replaced by an empty database without the table,
    // which would then pass for the catalogue in every later launch. The next launch copies it again.
    SQLite::Database db(databaseUri(), SQLite::OPEN_READWRITE | SQLite::OPEN_URI);
    if (!leftoversRemoved_) {
        leftoversRemoved_ = true;
        removeLeftovers(db);
    }
    return db;
}

void DBManager::removeLeftovers(SQLite::Database& db) {
    std::set<std::string> stored;
    try {
        SQLite::Statement select(db, R"(SELECT "id_circuit" FROM "Catalog")");
        while (select.executeStep()) stored.insert(select.getColumn(0).getString());
    } catch (const std::exception& error) {
        // Without the list of stored tours nothing on disk can be told apart: everything stays.
        console_.log(std::string("Left-overs kept: ") + error.what());
        return;
    }
    TourFolders(env_).removeLeftovers(stored);
}

void DBManager::tourExist(const std::string& tourId, const std::function<void(bool)>& completion) {
    bool exists = false;
    try {
        auto db = open();
        SQLite::Statement count(db, R"(SELECT count(*) FROM "Catalog" WHERE "id_circuit" = ?)");
        count.bind(1, tourId);
        count.executeStep();
        exists = count.getColumn(0).getInt64() != 0;
    } catch (const std::exception& error) {
        console_.log(std::string("tourExist ") + error.what());
        exists = false;
    }
    if (completion) completion(exists);
}

void DBManager::addTour(const std::string& tourId, const std::string& tourJson,
                        std::chrono::system_clock::time_point insertedAt, const std::function<void(bool)>& completion) {
    bool stored = false;
    try {
        auto db = open();
        SQLite::Statement insert(
            db, R"(INSERT INTO "Catalog" ("id_circuit", "is_uptodate", "imagepath", "ask_for_donation") VALUES (?, ?, ?, ?))");
        insert.bind(1, tourId);
        insert.bind(2, std::string("0"));
        insert.bind(3, tourJson);
        insert.bind(4, formatInsertTime(insertedAt));
        insert.exec();
        console_.log("row id " + std::to_string(db.getLastInsertRowid()));
        stored = true;
    } catch (const std::exception& error) {
        console_.log(std::string("add tour DB error ") + error.what());
    }
    if (completion) completion(stored);
}

void DBManager::addTour(const std::string& tourId, const std::string& tourJson,
                        const std::function<void(bool)>& completion) {
    addTour(tourId, tourJson, std::chrono::system_clock::now(), completion);
}

std::optional<int> DBManager::deleteRows(const std::string& tourId) {
    try {
        auto db = open();
        SQLite::Statement remove(db, R"(DELETE FROM "Catalog" WHERE "id_circuit" = ?)");
        remove.bind(1, tourId);
        console_.log(remove.getExpandedSQL());
        return remove.exec();
    } catch (const std::exception& error) {
        console_.log(std::string("deleteTour ") + error.what());
        return std::nullopt;
    }
}

void DBManager::deleteTour(const std::string& tourId, const std::function<void(bool)>& completion) {
    auto deleted = deleteRows(tourId);
    if (!deleted || *deleted == 0) {
        if (completion) completion(false);
        return;
    }
    // The row goes first: once the tour has left the list its folder may follow.
    TourFolders(env_).deleteTourFolder(tourId, completion);
}

std::optional<std::int64_t> DBManager::countRowsForUpdate(const std::string& tourId) {
    try {
        auto db = open();
        SQLite::Statement count(db, R"(SELECT count(*) FROM "Catalog" WHERE "id_circuit" = ?)");
        count.bind(1, tourId);
        console_.log(count.getExpandedSQL());
        count.executeStep();
        return count.getColumn(0).getInt64();
    } catch (const std::exception& error) {
        console_.log(std::string("deleteTour ") + error.what());
        return std::nullopt;
    }
}

void DBManager::deleteTourForUpdate(const std::string& tourId, std::int64_t senderTag,
                                    std::shared_ptr<UpdateRequester> screen) {
    // The stored row stays: the update replaces it only once the new version is complete, so a
    // failed update leaves the tour as it was.
    auto stored = countRowsForUpdate(tourId);
    if (!stored || *stored == 0 || !updateRoad_) {
        if (screen) screen->unlockAfterUpdate();
        return;
    }
    updateRoad_(tourId, senderTag, std::move(screen));
}

void DBManager::replaceTour(const std::string& tourId, const std::string& tourJson,
                            const std::function<void(bool)>& completion) {
    bool stored = false;
    try {
        auto db = open();
        SQLite::Transaction transaction(db);
        SQLite::Statement remove(db, R"(DELETE FROM "Catalog" WHERE "id_circuit" = ?)");
        remove.bind(1, tourId);
        remove.exec();
        SQLite::Statement insert(
            db, R"(INSERT INTO "Catalog" ("id_circuit", "is_uptodate", "imagepath", "ask_for_donation") VALUES (?, ?, ?, ?))");
        insert.bind(1, tourId);
        insert.bind(2, std::string("0"));
        insert.bind(3, tourJson);
        insert.bind(4, formatInsertTime(std::chrono::system_clock::now()));
        insert.exec();
        auto rowId = db.getLastInsertRowid();
        transaction.commit();
        console_.log("row id " + std::to_string(rowId));
        stored = true;
    } catch (const std::exception& error) {
        console_.log(std::string("add tour DB error ") + error.what());
    }
    if (completion) completion(stored);
}

void DBManager::tourExistForPreload(const std::string& tourId, PreloadRequester& screen) {
    tourExist(tourId, [&screen](bool exists) { screen.confirmPreload(exists); });
}

void DBManager::tourExistForDownload(const std::string& tourId, DownloadTourManager& manager) {
    tourExist(tourId, [&manager](bool exists) { manager.startTourDownloadIfRoom(exists); });
}

auto DBManager::readStoredTours(bool& opened) -> std::optional<std::vector<StoredTour>> {
    opened = false;
    std::vector<StoredTour> tours;
    try {
        auto db = open();
        opened = true;
        SQLite::Statement select(db, R"(SELECT "id_circuit", "imagepath", "is_uptodate" FROM "Catalog")");
        while (select.executeStep()) {
            // Each text is read straight from the row, without a copy of the whole table first.
            auto id = select.getColumn(0);
            auto json = select.getColumn(1);
            auto flag = select.getColumn(2);
            std::string idText = id.isNull() ? std::string() : id.getString();
            // One unreadable row must not hide every other stored tour.
            if (json.isNull()) {
                console_.log("getAllTours row " + idText + " holds no tour text");
                continue;
            }
            auto reply = decodeToursReply(std::string_view(json.getText(), static_cast<std::size_t>(json.getBytes())));
            if (!reply) {
                console_.log("getAllTours " + reply.error());
                continue;
            }
            if (!reply->succeeded()) continue;
            if (reply->results.empty() || !reply->results.front()) {
                console_.log("getAllTours row " + idText + " holds no tour");
                continue;
            }
            std::optional<std::string> isUptodate;
            if (!flag.isNull()) isUptodate = flag.getString();
            tours.push_back({std::move(reply->results.front()), std::move(isUptodate)});
        }
    } catch (const std::exception& error) {
        console_.log(std::string("getAllTours ") + error.what());
        return std::nullopt;
    }
    return tours;
}

void DBManager::getAllTours(LocalToursListener& screen) {
    auto& network = this->network();
    bool opened = false;
    auto tours = readStoredTours(opened);
    // A database that cannot even be opened leaves the list as it was.
    if (opened) network.localCatalogue.clear();
    if (!tours) {
        screen.localToursLoaded(false);
        return;
    }
    for (auto& stored : *tours) {
        stored.tour->needUpdate = stored.isUptodate;
        console_.log("uptodate " + stored.isUptodate.value_or(""));
        network.localCatalogue.push_back(std::move(stored.tour));
    }
    Network::computeTourRatings(network.localCatalogue);
    screen.localToursLoaded(!network.localCatalogue.empty());
}

void DBManager::checkToursForUpdates(const std::function<void(bool)>& completion) {
    bool opened = false;
    auto tours = readStoredTours(opened);
    if (!tours) return;
    auto& network = this->network();
    for (const auto& stored : *tours) {
        const Tour& tour = *stored.tour;
        if (!tour.circuit_id || !tour.moderation_date) {
            console_.log("checkToursForUpdates skipped a tour without " +
                         std::string(tour.circuit_id ? "moderation_date: " + *tour.circuit_id : "circuit_id"));
            continue;
        }
        network.checkToursUpdates(tour, completion);
    }
}

void DBManager::setTourNeedUpdate(const std::string& tourId) {
    try {
        auto db = open();
        SQLite::Statement update(db, R"(UPDATE "Catalog" SET "is_uptodate" = replace("is_uptodate", ?, ?) WHERE "id_circuit" = ?)");
        update.bind(1, std::string("0"));
        update.bind(2, std::string("1"));
        update.bind(3, tourId);
        console_.log("test " + std::to_string(update.exec()));
    } catch (const std::exception& error) {
        console_.log(std::string("setTourNeedUpdate ") + error.what());
    }
}

CatalogRows DBManager::readAllRows() {
    CatalogRows result;
    try {
        auto db = open();
        result.opened = true;
        SQLite::Statement select(db, R"(SELECT "id_circuit", "imagepath", "is_uptodate" FROM "Catalog")");
        while (select.executeStep()) {
            CatalogRow row;
            auto text = [&](int index) -> std::optional<std::string> {
                auto column = select.getColumn(index);
                if (column.isNull()) return std::nullopt;
                return column.getString();
            };
            row.idCircuit = text(0).value_or("");
            row.tourJson = text(1);
            row.isUptodate = text(2);
            result.rows.push_back(std::move(row));
        }
    } catch (const std::exception& error) {
        result.error = error.what();
    }
    return result;
}

}  // namespace tq
