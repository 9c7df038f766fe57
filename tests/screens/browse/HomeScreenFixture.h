#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/storyboards/Storyboards.h"
#include "CatalogScreenFixture.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/Window.h"
#include "screens/browse/HomeController.h"

namespace tq::test {

// The application as the program starts it: storyboards registered, launched, its window open on
// the home screen at the root of the navigation stack; the web service on loopback.
class HomeScreenTest : public MirroredScreenTest {
protected:
    explicit HomeScreenTest(TestEnvironmentOptions options = {}) : env(std::move(options)) {
        service.connect(env.env());
        registerStoryboards(StoryboardRegistry::shared());
    }

    void launch() {
        env->shared<Application>().launch();
        auto window = UiApplication::shared().keyWindow();
        nav = window ? std::dynamic_pointer_cast<NavigationController>(window->rootViewController()) : nullptr;
        ASSERT_TRUE(nav);
        mirrorWindow(env, window);
        home = std::dynamic_pointer_cast<HomeController>(nav->viewControllers().front());
        ASSERT_TRUE(home);
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }
    Network& network() { return env->shared<Network>(); }
    DBManager& db() { return env->shared<TourStore>().database; }
    ProgressOverlay& overlay() { return env->shared<ProgressOverlay>(); }

    // The screens pushed above the home screen, as a person would reach them.
    std::shared_ptr<ViewController> pushPlainScreen() {
        auto screen = std::make_shared<ViewController>();
        nav->pushViewController(screen, false);
        return screen;
    }

    int posted(const std::string& name) {
        const auto& all = env->notifications().posted();
        return static_cast<int>(std::count(all.begin(), all.end(), name));
    }

    TestWebService service;
    TestEnvironment env;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<HomeController> home;
};

}  // namespace tq::test
