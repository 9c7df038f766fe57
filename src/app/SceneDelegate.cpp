#include "app/SceneDelegate.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/services/StoreReview.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/ProgressOverlay.h"

namespace tq {

SceneDelegate::SceneDelegate(AppDelegate& appDelegate) : app(appDelegate), env_(appDelegate.environment()) {}

void SceneDelegate::willConnect(const SceneConnectionOptions& options) {
    auto& appearance = env_.shared<NavigationBarAppearance>();
    appearance.backIndicatorImage = "back.png";
    appearance.backIndicatorTransitionMaskImage = "back.png";
    appearance.barTintColor = Color::black();
    appearance.blackBarStyle = true;

    if (options.userActivities.empty()) return;
    const auto& address = options.userActivities.front().webpageURL;
    if (!address) return;
    env_.shared<ProgressOverlay>().show();
    // The home screen starts observing links only once its view has loaded, after the scene has
    // connected: the hand-over waits a second so that the announcement reaches it.
    std::weak_ptr<SceneDelegate> weak = weak_from_this();
    std::string link = *address;
    env_.loop().postAfter(1.0, [weak, link] {
        if (auto self = weak.lock()) {
            if (!self->handleURL(link)) self->env_.shared<ProgressOverlay>().dismiss();
        }
    });
}

void SceneDelegate::continueUserActivity(const UserActivity& activity) {
    env_.shared<ProgressOverlay>().show();
    app.idTourToPush.reset();
    app.idPoiToPush.reset();
    if (!activity.webpageURL || !handleURL(*activity.webpageURL)) env_.shared<ProgressOverlay>().dismiss();
}

bool SceneDelegate::handleURL(const std::string& address) { return routeIncomingLink(app, address); }

void SceneDelegate::sceneDidEnterBackground() { app.saveContext(); }

void requestReviewInCurrentScene() {
    auto& env = Environment::current();
    auto& review = env.shared<StoreReview>();
    for (const auto& scene : review.connectedScenes()) {
        if (scene.activationState != SceneActivationState::foregroundActive) continue;
        if (!scene.isWindowScene) return;
        ConnectedScene target = scene;
        env.loop().post([&review, target] { review.requestReview(target); });
        return;
    }
}

}  // namespace tq
