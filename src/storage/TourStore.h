#pragma once

namespace tq {

class DBManager;
class DownloadTourManager;
class Environment;
class Network;

// The three shared instances behind the tours, created and connected here and nowhere else: the
// web-service client, the catalogue database and the download manager. Their constructors only
// keep what they are given; the launch work (the catalogue file from the bundle, the offline map
// page in the cache) and the links between them happen in this constructor, in this order.
// `DBManager::shared()` and `DownloadTourManager::shared()` come through here.
class TourStore {
public:
    explicit TourStore(Environment& env);
    TourStore(const TourStore&) = delete;
    TourStore& operator=(const TourStore&) = delete;

    Network& network;
    DBManager& database;
    DownloadTourManager& downloads;
};

}  // namespace tq
