#include "platform/map/MapService.h"

#include <stdexcept>

#include "platform/foundation/Environment.h"

namespace tq {

MapService::MapService(Environment& env) : env_(env), backend_(std::make_unique<HeadlessMapBackend>()) {}

MapService::~MapService() { *alive_ = false; }

MapService& MapService::of(Environment& env) { return env.shared<MapService>(); }

HeadlessMapBackend& MapService::driver() {
    auto* headless = dynamic_cast<HeadlessMapBackend*>(backend_.get());
    if (!headless) throw std::logic_error("the map backend is not the headless one");
    return *headless;
}

void MapService::calculateDirections(const DirectionsRequest& request, DirectionsCompletion completion) {
    std::weak_ptr<bool> alive = alive_;
    // A backend may answer from its own thread or callback, even after the loop has gone.
    backend_->calculateDirections(request, [gate = env_.loop().gate(), alive, completion](DirectionsOutcome outcome) {
        if (alive.expired()) return;
        gate->post([alive, completion, outcome = std::move(outcome)] {
            auto token = alive.lock();
            if (token && *token && completion) completion(outcome);
        });
    });
}

void Directions::calculate(DirectionsCompletion completion) {
    MapService::of(Environment::current()).calculateDirections(request_, std::move(completion));
}

}  // namespace tq
