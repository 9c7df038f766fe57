#include "storage/TourDownloader.h"

#include "platform/foundation/Environment.h"

namespace tq {
namespace {

// Stands in while no download manager is installed: nothing can be downloaded, and saying so
// keeps the busy flag from sticking.
class RefusingTourDownloader : public TourDownloader {
public:
    bool isDownloadRunning() const override { return running_; }
    void setDownloadRunning(bool running) override { running_ = running; }
    void setTourToDownload(TourRef tour) override { tour_ = std::move(tour); }
    void startTourDownloadIfRoom(bool) override { running_ = false; }

private:
    bool running_ = false;
    TourRef tour_;
};

}  // namespace

TourDownloaders& TourDownloaders::shared() { return Environment::current().shared<TourDownloaders>(); }

TourDownloader& TourDownloaders::current() {
    if (!installed_) installed_ = std::make_shared<RefusingTourDownloader>();
    return *installed_;
}

}  // namespace tq
