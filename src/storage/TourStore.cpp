#include "storage/TourStore.h"

#include "platform/foundation/Environment.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/TourFolders.h"

namespace tq {

TourStore::TourStore(Environment& env)
    : network(env.shared<Network>()),
      database(env.shared<DBManager>()),
      downloads(env.shared<DownloadTourManager>()) {
    database.validateDBFile();
    TourFolders(env).copyOfflineMapAssets();

    database.connect(network, [&downloads = downloads](const std::string& tourId, std::int64_t senderTag,
                                                       std::shared_ptr<UpdateRequester> screen) {
        downloads.updateStoredTour(tourId, senderTag, std::move(screen));
    });
    downloads.connect(network, database);
    // The web-service client sits below the database and reaches it through this hook alone.
    network.markTourNeedsUpdate = [&database = database](const std::string& tourId) {
        database.setTourNeedUpdate(tourId);
    };
}

}  // namespace tq
