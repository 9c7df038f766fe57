#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "model/Tour.h"
#include "platform/net/HttpTypes.h"
#include "storage/TourDownloader.h"

namespace tq {

class Console;
class DBManager;
class Environment;
class Network;
struct PoiContent;
struct UpdateRequester;

// Makes one tour usable without a network: into the tour's folder it fetches the main image, each
// content's media file and image, and the map-tile archive (extracted in place); then it fetches
// the tour's full text, stores it as the tour's row of the catalogue database and announces the
// outcome ("DownloadComplete", "UpdateComplete" or "DownloadError").
//
// Two roads lead here. A new download: the tour screen sets `tour` and `isDownloading`, asks the
// database whether the tour is stored (tourExistForDownload) and the answer comes to
// startTourDownloadIfRoom; afterwards `isDownloading` tells whether the download really started.
// An update: the catalogue database hands a stored tour to updateStoredTour. An update downloads
// into a staging folder and replaces the stored folder and row only once everything has arrived,
// so a failed update leaves the stored tour as it was.
//
// One download runs at a time, across both roads; a second start is refused. Every download ends
// exactly once: with its row stored and announced, or with its files removed, "DownloadError"
// posted and its road's flag cleared. The update road then calls the screen's unlockAfterUpdate.
// Completion is found by a 5.0 s poll on the main loop, as the files arrive in any order.
class DownloadTourManager : public TourDownloader {
public:
    // Only keeps the environment; TourStore connects the instance.
    explicit DownloadTourManager(Environment& env);
    ~DownloadTourManager() override;
    DownloadTourManager(const DownloadTourManager&) = delete;
    DownloadTourManager& operator=(const DownloadTourManager&) = delete;

    static DownloadTourManager& shared();
    // The client that fetches tour texts and the catalogue that stores them.
    void connect(Network& network, DBManager& database);

    // The tour the next new download fetches; an update sets it to the updated tour. A running
    // download works on its own copy of the reference, so changing this does not disturb it.
    TourRef tour;
    // A new download runs. The tour screen sets it before asking to start.
    bool isDownloading = false;
    // An update runs.
    bool isUpdating = false;

    const std::filesystem::path cachesDirectory;
    const std::string mediaBaseUrl;
    // The French-language product site's "/public/assets/": main images and tile archives.
    const std::string assetsBaseUrl;
    // The web service's version header, sent with media file and tile archive requests.
    const HttpHeaders headers;

    // The running download's content requests started, and those whose file is in place; 0 when
    // none runs.
    std::int64_t contentCount() const;
    std::int64_t downloadedContentCount() const;
    // Whether the completion poll is running.
    bool isPolling() const;

    // The new-download road, given the database's answer whether the tour is stored already.
    void startTourDownloadIfRoom(bool alreadyStored) override;

    // The tour screen's view of the fields above.
    bool isDownloadRunning() const override { return isDownloading; }
    void setDownloadRunning(bool running) override { isDownloading = running; }
    void setTourToDownload(TourRef tourToDownload) override { tour = std::move(tourToDownload); }
    // The update road for a stored tour: fetches its new version (by the sender's tag) and, when
    // it fits, downloads and stores it in place of the old one. The screen's unlockAfterUpdate is
    // called exactly once when the update ends, whatever the outcome; the update keeps the
    // requester until then and lets it go after. A manager that goes away (the application
    // quits) during an update lets the requester go without calling it: there is no screen left
    // to unlock.
    void updateStoredTour(const std::string& tourId, std::int64_t senderTag, std::shared_ptr<UpdateRequester> screen);

private:
    struct Job;
    using JobRef = std::shared_ptr<Job>;

    // Whether a download runs; prints the refusal when one does.
    bool refuseWhileBusy();
    JobRef beginJob(bool update, TourRef tour, std::function<void(bool)> completion);

    // Update road.
    void updatedTourLoaded(const JobRef& job, bool loaded);
    void startTourUpdateIfRoom(const JobRef& job);

    // Shared steps, in the order a download runs through them.
    bool checkRoom(const JobRef& job);
    void downloadTour(const JobRef& job);
    void downloadMainImage(const JobRef& job);
    void downloadContents(const JobRef& job, bool mainImageReceived);
    bool downloadContentFile(const JobRef& job, const PoiContent& content);
    bool downloadContentImage(const JobRef& job, const PoiContent& content);
    void contentFinished(const JobRef& job, bool inPlace);
    void downloadTiles(const JobRef& job);
    void tilesExtracted(const JobRef& job, bool success);
    void tourTextReceived(const JobRef& job, const std::string& tourText);
    void startCompletionTimer(const JobRef& job);
    void checkDownloadsFinished(const JobRef& job);
    void finaliseAddTour(const JobRef& job);
    void commitUpdate(const JobRef& job);
    void announceTourStored(const JobRef& job, bool stored);

    // Ends the download as a failure: prints `why` (when given), stops its poll and requests,
    // removes its folder, clears its road's flag, posts "DownloadError" and reports false.
    void fail(const JobRef& job, const std::string& why);
    // What every end shares: the job is over, its timer and requests stopped, its flag cleared.
    void close(const JobRef& job);
    // Reports the end to the job's completion, once.
    void finish(const JobRef& job, bool stored);
    // Runs `handler` with an HTTP reply while the job runs; after a failed end, the last reply
    // clears what a cancelled transfer may have left in the job's folder.
    template <class Handler>
    auto onReply(const JobRef& job, Handler handler);
    void removeLeftOvers(const JobRef& job);

    Network& network();
    DBManager& database();

    Environment& env_;
    Console& console_;
    Network* network_ = nullptr;
    DBManager* database_ = nullptr;
    std::shared_ptr<bool> alive_;
    JobRef job_;
};

}  // namespace tq
