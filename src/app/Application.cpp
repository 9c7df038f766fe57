#include "app/Application.h"

#include "platform/foundation/Environment.h"
#include "platform/services/StoreReview.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"

namespace tq {

Application::Application(Environment& env) : env_(env), app_(env.shared<AppDelegate>()) {}

Application& Application::shared() { return Environment::current().shared<Application>(); }

void Application::launch(const SceneConnectionOptions& options) {
    app_.didFinishLaunching();
    configuration_ = app_.configurationForConnectingSceneSession();
    scene_ = std::make_shared<SceneDelegate>(app_);
    env_.shared<StoreReview>().connectedScenes().push_back({"main-window", SceneActivationState::foregroundActive, true});
    // The scene's window opens on its storyboard's first screen, at the root of the application's
    // one navigation stack, before the scene hears of links.
    auto storyboard = StoryboardRegistry::shared().named(configuration_->storyboardName);
    auto first = storyboard ? storyboard->instantiateInitialViewController() : nullptr;
    if (first) env_.shared<UiApplication>().showWindow(std::make_shared<NavigationController>(first));
    scene_->willConnect(options);
}

void Application::enterBackground() {
    for (auto& scene : env_.shared<StoreReview>().connectedScenes()) scene.activationState = SceneActivationState::background;
    app_.applicationDidEnterBackground();
    if (scene_) scene_->sceneDidEnterBackground();
}

void Application::terminate() { app_.applicationWillTerminate(); }

}  // namespace tq
