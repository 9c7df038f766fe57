#pragma once

#include <string>
#include <vector>

namespace tq {

class Environment;

enum class SceneActivationState { unattached, foregroundActive, foregroundInactive, background };

struct ConnectedScene {
    std::string identifier;
    SceneActivationState activationState = SceneActivationState::foregroundActive;
    bool isWindowScene = true;
};

// The store-review stand-in: the application's connected scenes and the review requests made in them.
class StoreReview {
public:
    explicit StoreReview(Environment&) {}
    std::vector<ConnectedScene>& connectedScenes() { return scenes_; }
    // Whether a prompt appears is the platform's decision; here the request is only recorded.
    void requestReview(const ConnectedScene& scene) { requests_.push_back(scene.identifier); }
    const std::vector<std::string>& requests() const { return requests_; }

private:
    std::vector<ConnectedScene> scenes_;
    std::vector<std::string> requests_;
};

}  // namespace tq
