#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/AppDelegate.h"
#include "app/SceneDelegate.h"

namespace tq {

class Environment;

// The platform's application loop as far as the application sees it: the launch sequence, the
// scene connection and the way out.
class Application {
public:
    explicit Application(Environment& env);
    static Application& shared();

    // Runs the launch sequence and connects the window scene (with the links it carries).
    void launch(const SceneConnectionOptions& options = {});
    AppDelegate& delegate() { return app_; }
    SceneDelegate* sceneDelegate() { return scene_.get(); }
    const std::optional<SceneConfiguration>& sceneConfiguration() const { return configuration_; }
    void enterBackground();
    void terminate();

private:
    Environment& env_;
    AppDelegate& app_;
    std::shared_ptr<SceneDelegate> scene_;
    std::optional<SceneConfiguration> configuration_;
};

}  // namespace tq
