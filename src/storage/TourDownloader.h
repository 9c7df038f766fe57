#pragma once

#include <memory>

#include "model/Tour.h"

namespace tq {

class Environment;

// What the tour screen's Preload needs of the download manager: the one busy flag of new
// downloads, the tour to download, and the start itself.
class TourDownloader {
public:
    virtual ~TourDownloader() = default;

    // A new download runs. The screen sets it before asking for a start; whoever ends or refuses
    // the download clears it.
    virtual bool isDownloadRunning() const = 0;
    virtual void setDownloadRunning(bool running) = 0;
    virtual void setTourToDownload(TourRef tour) = 0;
    // The catalogue database's answer to "is this tour stored?" for the tour set above. Starts the
    // download when the tour is not stored and there is room; otherwise the download does not start
    // and the busy flag is cleared before this returns, so the caller can tell the two apart.
    virtual void startTourDownloadIfRoom(bool alreadyStored) = 0;
};

// Where the screens find the process's download manager.
class TourDownloaders {
public:
    explicit TourDownloaders(Environment& env) : env_(env) {}
    static TourDownloaders& shared();

    // The installed manager; until one is installed, the process's DownloadTourManager.
    TourDownloader& current();
    void install(std::shared_ptr<TourDownloader> downloader) { installed_ = std::move(downloader); }

private:
    Environment& env_;
    std::shared_ptr<TourDownloader> installed_;
};

}  // namespace tq
