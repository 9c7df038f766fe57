#include "platform/map/HeadlessMapBackend.h"

#include <algorithm>

#include "platform/map/MapView.h"
#include "platform/ui/Button.h"

namespace tq {

void HeadlessMapBackend::calculateDirections(const DirectionsRequest& request,
                                             std::function<void(DirectionsOutcome)> reply) {
    requests_.push_back({request, std::move(reply)});
    if (!holds_) answer(requests_.size() - 1, {});
}

std::vector<DirectionsRequest> HeadlessMapBackend::requests() const {
    std::vector<DirectionsRequest> made;
    for (const auto& r : requests_) made.push_back(r.request);
    return made;
}

std::size_t HeadlessMapBackend::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(requests_.begin(), requests_.end(), [](const auto& r) { return !r.answered; }));
}

bool HeadlessMapBackend::reply(std::size_t index, DirectionsOutcome outcome) {
    if (index >= requests_.size() || requests_[index].answered) return false;
    requests_[index].answered = true;
    auto reply = std::move(requests_[index].reply);
    if (reply) reply(std::move(outcome));
    return true;
}

bool HeadlessMapBackend::answer(std::size_t index, std::vector<Route> routes) {
    return reply(index, DirectionsOutcome{std::move(routes), std::nullopt});
}

bool HeadlessMapBackend::fail(std::size_t index, const std::string& message) {
    return reply(index, DirectionsOutcome{{}, DirectionsError{message}});
}

bool HeadlessMapBackend::tapAnnotation(MapView& map, const std::shared_ptr<MapAnnotation>& annotation) {
    const auto& annotations = map.annotations();
    if (std::find(annotations.begin(), annotations.end(), annotation) == annotations.end()) return false;
    map.selectAnnotation(annotation, true);
    return true;
}

bool HeadlessMapBackend::tapCalloutAccessory(MapView& map, const std::shared_ptr<MapAnnotation>& annotation, bool left) {
    auto view = map.viewForAnnotation(annotation);
    if (!view || !view->isCalloutShown()) return false;
    auto accessory = left ? view->leftCalloutAccessoryView() : view->rightCalloutAccessoryView();
    auto* button = dynamic_cast<Button*>(accessory.get());
    return button && button->tap();
}

void HeadlessMapBackend::moveUser(MapView& map, LocationCoordinate coordinate) { map.userLocationDidChange(coordinate); }

}  // namespace tq
