#pragma once

#include <memory>

#include "platform/map/HeadlessMapBackend.h"
#include "platform/map/MapBackend.h"

namespace tq {

class Environment;

// The maps of one environment: it owns the backend and hands its answers to the main loop.
// Reached as `MapService::of(env)`.
class MapService {
public:
    explicit MapService(Environment& env);
    ~MapService();
    MapService(const MapService&) = delete;
    MapService& operator=(const MapService&) = delete;

    static MapService& of(Environment& env);

    // The headless backend until another is plugged in.
    void setBackend(std::unique_ptr<MapBackend> backend) { backend_ = std::move(backend); }
    MapBackend& backend() { return *backend_; }
    // The test side: the headless backend. Throws when another backend is plugged in.
    HeadlessMapBackend& driver();

    // The completion runs once on the main loop, and not at all once the environment is gone.
    void calculateDirections(const DirectionsRequest& request, DirectionsCompletion completion);

private:
    Environment& env_;
    std::unique_ptr<MapBackend> backend_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tq
