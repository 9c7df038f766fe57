#include "storage/DownloadTourManager.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "model/Json.h"
#include "model/PoiContent.h"
#include "model/PointOfInterest.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/FileSystem.h"
#include "platform/net/HttpClient.h"
#include "platform/services/ImageDecoding.h"
#include "product/NotificationNames.h"
#include "product/ProductSites.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/DiskStatus.h"
#include "storage/PathComponents.h"
#include "storage/StorageListeners.h"
#include "storage/TileArchive.h"
#include "storage/TourFiles.h"
#include "storage/TourFolders.h"
#include "storage/TourStore.h"

namespace tq {
namespace {

constexpr double pollInterval = 5.0;

}  // namespace

// One download from its start to its end. Replies and timer ticks that come for a job that has
// ended find `ended` set and do nothing, so nothing of an old download reaches a new one.
struct DownloadTourManager::Job {
    bool update = false;
    TourRef tour;
    std::string circuitId;
    // Where this download writes: the tour folder, or the staging folder of an update.
    std::filesystem::path folder;
    // Whether `folder` was made by this download, and so goes when it fails.
    bool ownsFolder = false;
    std::function<void(bool)> completion;
    std::int64_t contentCount = 0;
    std::int64_t downloadedContentCount = 0;
    std::int64_t finishedContentCount = 0;
    bool contentFailed = false;
    std::string tourText;
    std::shared_ptr<Timer> timer;
    std::vector<HttpRequestId> requests;
    // HTTP requests whose completion has not come yet, even after the end: a streamed file of a
    // cancelled request may still appear in the folder until then.
    int outstanding = 0;
    bool ended = false;
};

namespace {

// Wraps a reply handler so that it runs only while the manager lives and its job has not ended.
template <class Job, class Handler>
auto whileRunning(const std::shared_ptr<bool>& alive, const std::shared_ptr<Job>& job, Handler handler) {
    return [alive, job, handler = std::move(handler)](auto&&... arguments) mutable {
        if (!*alive || job->ended) return;
        handler(std::forward<decltype(arguments)>(arguments)...);
    };
}

}  // namespace

template <class Handler>
auto DownloadTourManager::onReply(const JobRef& job, Handler handler) {
    ++job->outstanding;
    return [this, alive = alive_, job, handler = std::move(handler)](HttpResponse response) mutable {
        if (!*alive) return;
        --job->outstanding;
        if (job->ended) {
            if (job->outstanding == 0) removeLeftOvers(job);
            return;
        }
        handler(std::move(response));
    };
}

DownloadTourManager::DownloadTourManager(Environment& env)
    : cachesDirectory(env.cacheDir()),
      mediaBaseUrl(std::string("https://") + ProductSites::media + "/"),
      assetsBaseUrl(std::string("https://") + ProductSites::french + "/public/assets/"),
      headers{{"api-version", "1.1"}},
      env_(env),
      console_(env.console()),
      alive_(std::make_shared<bool>(true)) {}

void DownloadTourManager::connect(Network& network, DBManager& database) {
    network_ = &network;
    database_ = &database;
}

Network& DownloadTourManager::network() {
    if (!network_) throw std::logic_error("the download manager is used before TourStore connected it");
    return *network_;
}

DBManager& DownloadTourManager::database() {
    if (!database_) throw std::logic_error("the download manager is used before TourStore connected it");
    return *database_;
}

DownloadTourManager::~DownloadTourManager() {
    *alive_ = false;
    if (job_) {
        job_->ended = true;
        if (job_->timer) job_->timer->invalidate();
        // Late replies may keep the job a while; what its completion holds goes now.
        job_->completion = nullptr;
    }
}

DownloadTourManager& DownloadTourManager::shared() { return Environment::current().shared<TourStore>().downloads; }

std::int64_t DownloadTourManager::contentCount() const { return job_ ? job_->contentCount : 0; }

std::int64_t DownloadTourManager::downloadedContentCount() const { return job_ ? job_->downloadedContentCount : 0; }

bool DownloadTourManager::isPolling() const { return job_ && job_->timer; }

// ---------------------------------------------------------------------------------------------
// Starting

bool DownloadTourManager::refuseWhileBusy() {
    if (!job_) return false;
    console_.log("A download is already running: " + job_->circuitId);
    return true;
}

DownloadTourManager::JobRef DownloadTourManager::beginJob(bool update, TourRef tourToFetch,
                                                          std::function<void(bool)> completion) {
    auto job = std::make_shared<Job>();
    job->update = update;
    job->tour = std::move(tourToFetch);
    job->completion = std::move(completion);
    job_ = job;
    (update ? isUpdating : isDownloading) = true;
    return job;
}

void DownloadTourManager::startTourDownloadIfRoom(bool alreadyStored) {
    if (refuseWhileBusy()) {
        // The caller set the flag to ask; it stays set only for a new download that is running.
        isDownloading = !job_->update;
        return;
    }
    auto job = beginJob(false, tour, {});
    if (job->tour) job->circuitId = job->tour->circuit_id.value_or("");
    if (alreadyStored) return fail(job, "Tour already stored: " + job->circuitId);
    if (!checkRoom(job)) return;
    TourFolders folders(env_);
    if (!folders.createTourFolder(job->circuitId)) return fail(job, "");
    job->folder = *folders.files().tourFolder(job->circuitId);
    job->ownsFolder = true;
    downloadTour(job);
}

void DownloadTourManager::updateStoredTour(const std::string& tourId, std::int64_t senderTag,
                                           std::shared_ptr<UpdateRequester> screen) {
    if (refuseWhileBusy()) {
        if (screen) screen->unlockAfterUpdate();
        return;
    }
    auto job = beginJob(true, nullptr, [screen = std::move(screen)](bool) {
        if (screen) screen->unlockAfterUpdate();
    });
    job->circuitId = tourId;
    if (!isSafePathComponent(tourId)) return fail(job, "Invalid tour identifier");
    network().loadUpdateTour(
        std::to_string(senderTag),
        whileRunning(alive_, job, [this, job](bool loaded) { updatedTourLoaded(job, loaded); }));
}

void DownloadTourManager::updatedTourLoaded(const JobRef& job, bool loaded) {
    if (!loaded) return fail(job, "");  // the client has printed why
    startTourUpdateIfRoom(job);
}

void DownloadTourManager::startTourUpdateIfRoom(const JobRef& job) {
    tour = network().updateTour;
    job->tour = tour;
    if (job->tour && job->tour->circuit_id != job->circuitId) {
        return fail(job, "The updated tour is not the stored tour " + job->circuitId);
    }
    if (!checkRoom(job)) return;
    auto staging = TourFolders(env_).createStagingFolder(job->circuitId);
    if (!staging) return fail(job, "");
    job->folder = *staging;
    job->ownsFolder = true;
    downloadTour(job);
}

bool DownloadTourManager::checkRoom(const JobRef& job) {
    if (!job->tour) {
        fail(job, "No tour to download");
        return false;
    }
    if (!isSafePathComponent(job->circuitId)) {
        fail(job, "Invalid tour identifier");
        return false;
    }
    const std::optional<std::string> sizeText = job->tour->size;
    std::optional<std::string_view> size;
    if (sizeText) size = *sizeText;
    if (!tourFits(size, DiskStatus::availableDiskBytes(env_))) {
        fail(job, "Tour does not fit in the free space: size " + job->tour->size.value_or("unknown"));
        return false;
    }
    if (!TourFolders(env_).ensureCircuitFolder()) {
        fail(job, "not enough space");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Fetching

void DownloadTourManager::downloadTour(const JobRef& job) { downloadMainImage(job); }

void DownloadTourManager::downloadMainImage(const JobRef& job) {
    const auto& imagepath = job->tour->circuit_imagepath;
    auto name = TourFiles::mainImageName(imagepath.value_or(""));
    if (!imagepath || !name) return fail(job, "Tour without a usable circuit_imagepath");
    auto path = job->folder / *name;
    auto id = env_.shared<HttpClient>().get(
        assetsBaseUrl + *imagepath, {}, onReply(job, [this, job, path](HttpResponse response) {
            bool received = response.succeeded() && decodeImage(response.body).has_value();
            if (received && !writeFileAtomically(path, response.body)) {
                console_.log("Unable to write " + path.filename().string());
                received = false;
            }
            downloadContents(job, received);
        }));
    job->requests.push_back(id);
}

void DownloadTourManager::downloadContents(const JobRef& job, bool mainImageReceived) {
    if (!mainImageReceived) return fail(job, "no main image");
    if (!job->tour->poi) return fail(job, "Tour without a poi list");
    for (const auto& point : *job->tour->poi) {
        // A point without contents has nothing to fetch.
        if (!point || !point->content) continue;
        for (const auto& content : *point->content) {
            if (!content) continue;
            content->parseMetadata(console_);
            bool running = true;
            switch (content->content_type.value_or(ContentType::none)) {
            case ContentType::panorama:
            case ContentType::video:
            case ContentType::audio:
                running = downloadContentFile(job, *content) && downloadContentImage(job, *content);
                break;
            case ContentType::img:
                running = downloadContentImage(job, *content);
                break;
            case ContentType::txt:
                console_.log("getContents text type");
                break;
            case ContentType::none:
                console_.log("getContents no type");
                break;
            }
            if (!running) return;
        }
    }
    downloadTiles(job);
}

bool DownloadTourManager::downloadContentFile(const JobRef& job, const PoiContent& content) {
    const std::string contentId = content.content_id.value_or("");
    const std::string type = content.type.value_or("");
    const std::string filepath = content.content_filepath.value_or("");
    if (!isSafePathComponent(contentId)) {
        fail(job, "Invalid content identifier: " + contentId);
        return false;
    }
    auto name = TourFiles::mediaFileName(contentId, type, filepath);
    if (filepath.empty() || !name) {
        fail(job, "Content " + contentId + " without a usable media file");
        return false;
    }
    ++job->contentCount;
    auto request = HttpRequest::get(TourFiles::mediaFileAddress(contentId, type, filepath), headers);
    // Streamed to disk: a media file of any size costs no more memory than a small one.
    auto id = env_.shared<HttpClient>().download(
        std::move(request), job->folder / *name, onReply(job, [this, job](HttpResponse response) {
            if (response.error) {
                console_.log(response.error->description);
                return contentFinished(job, false);
            }
            if (response.bodyBytes == 0) {
                console_.log("No Data");
                return contentFinished(job, false);
            }
            contentFinished(job, true);
        }));
    job->requests.push_back(id);
    return true;
}

bool DownloadTourManager::downloadContentImage(const JobRef& job, const PoiContent& content) {
    const std::string thumbnail = content.content_thumbnailUrl.value_or("");
    if (thumbnail.empty()) {
        console_.log("no image name");
        return true;
    }
    const std::string contentId = content.content_id.value_or("");
    auto name = TourFiles::contentImageName(contentId, thumbnail);
    if (!isSafePathComponent(contentId) || !name) {
        fail(job, "Invalid content identifier: " + contentId);
        return false;
    }
    ++job->contentCount;
    auto path = job->folder / *name;
    auto address = TourFiles::contentImageAddress(content.type.value_or(""), thumbnail);
    auto id = env_.shared<HttpClient>().get(
        address, {}, onReply(job, [this, job, path](HttpResponse response) {
            bool inPlace = response.succeeded() && decodeImage(response.body).has_value();
            if (inPlace && !writeFileAtomically(path, response.body)) {
                console_.log("Unable to write " + path.filename().string());
                inPlace = false;
            }
            contentFinished(job, inPlace);
        }));
    job->requests.push_back(id);
    return true;
}

void DownloadTourManager::contentFinished(const JobRef& job, bool inPlace) {
    // Every request counts as finished, whatever its outcome, so the poll always comes to an end.
    ++job->finishedContentCount;
    if (inPlace) {
        ++job->downloadedContentCount;
    } else {
        job->contentFailed = true;
    }
}

void DownloadTourManager::downloadTiles(const JobRef& job) {
    auto tiles = job->folder / "tiles";
    std::error_code ec;
    std::filesystem::create_directories(tiles, ec);
    if (ec) {
        console_.log(ec.message());
        return tilesExtracted(job, false);
    }
    auto archive = tiles / *TourFiles::tileArchiveName(job->circuitId);
    auto request = HttpRequest::get(TourFiles::tileArchiveAddress(assetsBaseUrl, job->circuitId), headers);
    auto id = env_.shared<HttpClient>().download(
        std::move(request), archive, onReply(job, [this, job, archive, tiles](HttpResponse response) {
            if (response.error) return fail(job, "response error " + response.error->description);
            if (response.bodyBytes == 0) return fail(job, "No Data");
            std::string error;
            bool extracted = extractTileArchive(archive, tiles, DiskStatus::availableDiskBytes(env_), error);
            if (!extracted) console_.log(error);
            tilesExtracted(job, extracted);
        }));
    job->requests.push_back(id);
}

void DownloadTourManager::tilesExtracted(const JobRef& job, bool success) {
    if (!success) return fail(job, "error zip tiles");
    network().getFullCircuitJson(
        job->circuitId,
        whileRunning(alive_, job, [this, job](const std::string& text) { tourTextReceived(job, text); }));
}

void DownloadTourManager::tourTextReceived(const JobRef& job, const std::string& tourText) {
    // The stored text is what every later reading of the tour starts from: it must read back as
    // this very tour.
    if (tourText.empty()) return fail(job, "No tour text for " + job->circuitId);
    auto reply = decodeToursReply(tourText);
    bool isThisTour = reply && reply->succeeded() && !reply->results.empty() && reply->results.front() &&
                      reply->results.front()->circuit_id == job->circuitId;
    if (!isThisTour) return fail(job, "The tour text does not hold the tour " + job->circuitId);
    job->tourText = tourText;
    startCompletionTimer(job);
}

// ---------------------------------------------------------------------------------------------
// Polling and storing

void DownloadTourManager::startCompletionTimer(const JobRef& job) {
    std::weak_ptr<Job> weak = job;
    job->timer = env_.loop().scheduledTimer(pollInterval, true, [this, alive = alive_, weak](Timer&) {
        auto running = weak.lock();
        if (*alive && running && !running->ended) checkDownloadsFinished(running);
    });
}

void DownloadTourManager::checkDownloadsFinished(const JobRef& job) {
    if (job->finishedContentCount == job->contentCount) {
        if (job->contentFailed) {
            // A tour with missing media is never stored as complete.
            return fail(job, "Contents missing: " + std::to_string(job->contentCount - job->downloadedContentCount) +
                                 " of " + std::to_string(job->contentCount));
        }
        return finaliseAddTour(job);
    }
    console_.log("down " + std::to_string(job->downloadedContentCount) + "  count " +
                 std::to_string(job->contentCount));
}

void DownloadTourManager::finaliseAddTour(const JobRef& job) {
    job->timer->invalidate();
    job->timer.reset();
    job->contentCount = 0;
    job->downloadedContentCount = 0;
    if (job->update) return commitUpdate(job);
    database().addTour(job->circuitId, job->tourText,
                                     [this, job](bool stored) { announceTourStored(job, stored); });
}

void DownloadTourManager::commitUpdate(const JobRef& job) {
    TourFolders folders(env_);
    if (!folders.swapInStagingFolder(job->circuitId)) {
        return fail(job, "The updated tour could not be put in place of " + job->circuitId);
    }
    // From here the staging folder holds the old version; the database decides which one stays.
    bool stored = false;
    database().replaceTour(job->circuitId, job->tourText, [&stored](bool s) { stored = s; });
    if (!stored) {
        if (!folders.swapBackStagingFolder(job->circuitId)) {
            // The old files are still at the staging path: they must not be removed with it.
            job->ownsFolder = false;
            console_.log("The old files of " + job->circuitId + " could not be put back");
        }
        return announceTourStored(job, false);
    }
    folders.removeStagingFolder(job->circuitId);
    announceTourStored(job, true);
}

void DownloadTourManager::announceTourStored(const JobRef& job, bool stored) {
    if (!stored) return fail(job, "");  // the database has printed why
    close(job);
    env_.notifications().post(job->update ? Notifications::updateComplete : Notifications::downloadComplete);
    finish(job, true);
}

// ---------------------------------------------------------------------------------------------
// Ending

void DownloadTourManager::close(const JobRef& job) {
    job->ended = true;
    if (job->timer) {
        job->timer->invalidate();
        job->timer.reset();
    }
    auto& http = env_.shared<HttpClient>();
    for (auto id : job->requests) http.cancel(id);
    job->contentCount = 0;
    job->downloadedContentCount = 0;
    if (job_ == job) job_.reset();
    (job->update ? isUpdating : isDownloading) = false;
}

void DownloadTourManager::fail(const JobRef& job, const std::string& why) {
    if (job->ended) return;
    if (!why.empty()) console_.log(why);
    close(job);
    if (job->ownsFolder) {
        std::error_code ec;
        std::filesystem::remove_all(job->folder, ec);
        if (ec) console_.log(ec.message());
    }
    if (job->outstanding == 0) job->ownsFolder = false;
    env_.notifications().post(Notifications::downloadError);
    finish(job, false);
}

void DownloadTourManager::finish(const JobRef& job, bool stored) {
    // Taken out before the call: it runs once, and what it holds is let go as soon as it returns.
    if (auto completion = std::exchange(job->completion, nullptr)) completion(stored);
}

void DownloadTourManager::removeLeftOvers(const JobRef& job) {
    // A request cancelled while its file was being written may have put it back into the removed
    // folder. A later download of the same tour owns that folder now and is left alone.
    if (!job->ownsFolder || (job_ && job_->folder == job->folder)) return;
    job->ownsFolder = false;
    std::error_code ec;
    if (std::filesystem::exists(job->folder, ec)) std::filesystem::remove_all(job->folder, ec);
}

}  // namespace tq
