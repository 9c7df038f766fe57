#pragma once

#include <memory>
#include <vector>

#include "app/LinkRouting.h"

namespace tq {

class AppDelegate;
class Environment;

struct SceneConnectionOptions {
    std::vector<UserActivity> userActivities;
};

// The window scene's delegate: the navigation-bar look, links that arrive with the scene or while
// the application runs, and saving when the scene goes to the background.
class SceneDelegate : public std::enable_shared_from_this<SceneDelegate> {
public:
    explicit SceneDelegate(AppDelegate& app);
    AppDelegate& app;

    void willConnect(const SceneConnectionOptions& options);
    void continueUserActivity(const UserActivity& activity);
    bool handleURL(const std::string& address);

    void sceneDidDisconnect() {}
    void sceneDidBecomeActive() {}
    void sceneWillResignActive() {}
    void sceneWillEnterForeground() {}
    void sceneDidEnterBackground();

private:
    // Shows the progress overlay for a link that is on its way to the home screen. When the link
    // turns out to name no tour, nothing will ever take the overlay down, so it goes at once.
    void handleLinkUnderOverlay(const std::string& address);
    Environment& env_;
};

// Asks for the store review prompt in the first foreground-active scene, if it is a window scene.
void requestReviewInCurrentScene();

}  // namespace tq
