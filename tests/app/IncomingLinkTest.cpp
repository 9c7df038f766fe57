#include <gtest/gtest.h>

#include "app/Application.h"
#include "product/NotificationNames.h"
#include "product/ProductSites.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/ProgressOverlay.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

const std::string fr = std::string("https://") + ProductSites::french;

struct LinkCase {
    std::string address;
    std::optional<std::string> tour;
    std::optional<std::string> poi;  // after an entry that clears the identifiers first
    bool posted;
};

const std::vector<LinkCase>& linkTable() {
    static const std::vector<LinkCase> cases = {
        {fr + "/a/123/b/456/c", "123", "456", true},
        {fr + "/a/123/b", "123", std::nullopt, true},
        {fr + "/a/123/b/", "123", "", true},
        {fr + "/a/123", "123", std::nullopt, true},
        {fr + "/a", std::nullopt, std::nullopt, false},
        {fr + "/a//b", "", std::nullopt, true},
        {fr + "/a/123?x=1", "123?x=1", std::nullopt, true},
        {std::string("http://") + ProductSites::english + "/t/7", "7", std::nullopt, true},
        {std::string("https://") + ProductSites::spanish + "/t/8/p/9", "8", "9", true},
        {std::string("https://") + ProductSites::french + "extra.example/t/5", "5", std::nullopt, true},
        {"https://elsewhere.example/t/5/p/6", std::nullopt, std::nullopt, false},
        {"HTTPS://" + std::string(ProductSites::french) + "/t/5", std::nullopt, std::nullopt, false},
    };
    return cases;
}

class IncomingLinks : public ::testing::Test {
protected:
    IncomingLinks() {
        application.launch();
        token = env->notifications().addObserver(Notifications::openTourFromScan, [this] { ++posts; });
    }
    void resetState() {
        app.idTourToPush = std::string("stale-tour");
        app.idPoiToPush = std::string("stale-poi");
        posts = 0;
    }
    test::TestEnvironment env;
    Application& application = env->shared<Application>();
    AppDelegate& app = application.delegate();
    ObserverToken token;
    int posts = 0;
};

TEST_F(IncomingLinks, OpenedAddressesFollowTheLinkTable) {
    for (const auto& c : linkTable()) {
        resetState();
        EXPECT_TRUE(app.openURL(c.address));
        EXPECT_EQ(app.idTourToPush, c.tour) << c.address;
        EXPECT_EQ(app.idPoiToPush, c.poi) << c.address;
        EXPECT_EQ(posts, c.posted ? 1 : 0) << c.address;
    }
}

TEST_F(IncomingLinks, ApplicationUserActivityFollowsTheLinkTableWithoutTheOverlay) {
    for (const auto& c : linkTable()) {
        resetState();
        EXPECT_TRUE(app.continueUserActivity({c.address}));
        EXPECT_EQ(app.idTourToPush, c.tour) << c.address;
        EXPECT_EQ(app.idPoiToPush, c.poi) << c.address;
        EXPECT_EQ(posts, c.posted ? 1 : 0) << c.address;
    }
    EXPECT_EQ(env->shared<ProgressOverlay>().showCount(), 0);
    resetState();
    EXPECT_TRUE(app.continueUserActivity({}));
    EXPECT_EQ(app.idTourToPush, std::nullopt);
    EXPECT_EQ(app.idPoiToPush, std::nullopt);
}

TEST_F(IncomingLinks, SceneUserActivityKeepsTheOverlayOnlyWhenATourIsAnnounced) {
    auto& overlay = env->shared<ProgressOverlay>();
    for (const auto& c : linkTable()) {
        resetState();
        application.sceneDelegate()->continueUserActivity({c.address});
        EXPECT_EQ(app.idTourToPush, c.tour) << c.address;
        EXPECT_EQ(app.idPoiToPush, c.poi) << c.address;
        EXPECT_EQ(overlay.isVisible(), c.posted) << c.address;
        overlay.dismiss();
    }
    resetState();
    application.sceneDelegate()->continueUserActivity({});
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_EQ(posts, 0);
}

TEST_F(IncomingLinks, FacebookAddressesAreAnsweredAndIgnored) {
    resetState();
    EXPECT_TRUE(app.openURL("fb12345://authorize?x=" + fr + "/a/1/b/2"));
    EXPECT_EQ(app.idTourToPush, "stale-tour");
    EXPECT_EQ(app.idPoiToPush, "stale-poi");
    EXPECT_EQ(posts, 0);
}

TEST(SceneConnection, LinkIsHandedOverOneSecondAfterConnectingAndKeepsAnEarlierPoint) {
    test::TestEnvironment env;
    auto& application = env->shared<Application>();
    auto& app = application.delegate();
    app.idPoiToPush = std::string("earlier-poi");
    int posts = 0;
    auto token = env->notifications().addObserver(Notifications::openTourFromScan, [&] { ++posts; });

    application.launch({{UserActivity{fr + "/a/42/b"}}});
    auto& overlay = env->shared<ProgressOverlay>();
    EXPECT_TRUE(overlay.isVisible());
    env.advance(0.99);
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(app.idTourToPush, std::nullopt);
    env.advance(0.01);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(app.idTourToPush, "42");
    EXPECT_EQ(app.idPoiToPush, "earlier-poi");
    EXPECT_TRUE(overlay.isVisible());

    auto& appearance = env->shared<NavigationBarAppearance>();
    EXPECT_EQ(appearance.backIndicatorImage, "back.png");
    EXPECT_EQ(appearance.backIndicatorTransitionMaskImage, "back.png");
    EXPECT_EQ(appearance.barTintColor, Color::black());
    EXPECT_TRUE(appearance.blackBarStyle);
}

TEST(SceneConnection, ALinkThatNamesNoTourTakesTheOverlayDown) {
    test::TestEnvironment env;
    auto& application = env->shared<Application>();
    application.launch({{UserActivity{fr + "/a"}}});
    auto& overlay = env->shared<ProgressOverlay>();
    EXPECT_TRUE(overlay.isVisible());
    env.advance(1.0);
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_TRUE(env->notifications().posted().empty());
}

TEST(SceneConnection, WithoutALinkNothingIsShown) {
    test::TestEnvironment env;
    env->shared<Application>().launch({{UserActivity{}}});
    env.advance(2.0);
    EXPECT_EQ(env->shared<ProgressOverlay>().showCount(), 0);
}

}  // namespace
}  // namespace tq
