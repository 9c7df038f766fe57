#include "storage/TourDownloader.h"

#include "platform/foundation/Environment.h"
#include "storage/DownloadTourManager.h"
#include "storage/TourStore.h"

namespace tq {

TourDownloaders& TourDownloaders::shared() { return Environment::current().shared<TourDownloaders>(); }

TourDownloader& TourDownloaders::current() {
    if (installed_) return *installed_;
    return env_.shared<TourStore>().downloads;
}

}  // namespace tq
