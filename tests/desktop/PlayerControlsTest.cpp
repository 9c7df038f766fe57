#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "desktop/Screenshot.h"
#include "desktop/presenters/PlayerControls.h"
#include "desktop/presenters/Presenters.h"
#include "screens/tour/ContentController.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

using desktop::playerTimeText;

TEST(PlayerTimeTextTest, ShowsMinutesAndSecondsAndHoursWhenThereAreAny) {
    const std::pair<double, const char*> cases[] = {{0, "0:00"},     {9.9, "0:09"},      {95, "1:35"},
                                                    {3599, "59:59"}, {3600, "1:00:00"}, {-3, "0:00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(playerTimeText(seconds), text) << seconds;
}

constexpr double kClipSeconds = 95;

PoiContentRef clip() {
    auto c = std::make_shared<PoiContent>();
    c->content_id = "21";
    c->type = "video";
    c->title = "Escaliers";
    c->metadata = R"({"status": 1, "filePath": "https://media.example.test/video/21.mp4", "duration": 95})";
    c->parseMetadata();
    return c;
}

GtkWidget* named(GtkWidget* root, const std::string& name) {
    return findWidget(root, [&](GtkWidget* w) { return gtk_widget_get_mapped(w) && name == gtk_widget_get_name(w); });
}

// The content screen's video in the system player, drawn full window with its own controls:
// real clicks on play and pause, on the position slider, on Done and a real Escape reach the
// player and its screen, and a seek near the end lets the screen's own end close the player.
TEST(PlayerControlsTest, TheFullWindowPlayerIsUsedWithItsOwnControls) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<ContentController>("ContentController");
    ASSERT_TRUE(screen);
    screen->contents = {clip()};
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    app.env.advance(0.5);
    app.turn();
    GtkWidget* stage = gtk_window_get_child(app.desktop->gtkWindow());
    auto shot = [&](const std::string& name) {
        EXPECT_TRUE(desktop::writePng(stage, std::filesystem::path(TQ_SCREENSHOT_DIR) / (name + ".png"))) << name;
    };

    auto player = [&] { return screen->videoPlayer; };
    auto presented = [&] { return screen->presentedViewController() == screen->movieController && screen->movieController; };
    // Opens the player with a click on the screen's play button, as a person does.
    auto openPlayer = [&] {
        ASSERT_TRUE(player());
        player()->driver().setItemDuration(kClipSeconds);
        GtkWidget* start = app.widgetOf(*screen->btnShow);
        ASSERT_TRUE(start && gtk_widget_get_mapped(start)) << "the screen's play button is not drawn";
        ASSERT_TRUE(clickWidget(start));
        ASSERT_TRUE(app.waitFor(presented)) << "the click did not open the player";
        app.turn();
        ASSERT_TRUE(app.desktop->presenters().playerControls().bar()) << "the player has no controls";
        EXPECT_TRUE(player()->isPlaying());
    };
    openPlayer();
    GtkWidget* bar = app.desktop->presenters().playerControls().bar();
    graphene_rect_t bounds;
    ASSERT_TRUE(gtk_widget_compute_bounds(bar, stage, &bounds));
    EXPECT_EQ(int(bounds.size.width), gtk_widget_get_width(stage)) << "the controls span the window";
    EXPECT_NEAR(bounds.origin.y + bounds.size.height, gtk_widget_get_height(stage), 1) << "at the bottom";

    auto elapsedShows = [&](double seconds) {
        GtkWidget* label = named(bar, "tq-player-elapsed");
        return label && playerTimeText(seconds) == gtk_label_get_text(GTK_LABEL(label));
    };
    double before = 0;
    struct ControlCase {
        const char* name;
        std::function<bool()> act;
        std::function<bool()> done;
    };
    const ControlCase cases[] = {
        {"pause", [&] { return clickWidget(named(bar, "tq-player-play")); }, [&] { return !player()->isPlaying(); }},
        {"play", [&] { return clickWidget(named(bar, "tq-player-play")); }, [&] { return player()->isPlaying(); }},
        {"the time played follows the clock",
         [&] {
             before = player()->currentTime();
             app.env.advance(10);
             return true;
         },
         [&] { return player()->currentTime() >= before + 10 && elapsedShows(player()->currentTime()); }},
        {"seek",
         [&] {
             GtkWidget* slider = named(bar, "tq-player-position");
             return slider && clickAt(slider, gtk_widget_get_width(slider) * 0.75, gtk_widget_get_height(slider) / 2.0);
         },
         [&] {
             const double at = player()->currentTime();
             return at > 0.6 * kClipSeconds && at < 0.9 * kClipSeconds && elapsedShows(at);
         }},
        {"Done",
         [&] {
             shot("video-player-tablet");
             return clickWidget(named(bar, "tq-player-done"));
         },
         [&] { return !presented() && !player()->isPlaying() && !app.desktop->presenters().playerControls().bar(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app.turn();
        ASSERT_TRUE(c.act()) << "xdotool could not reach the window";
        EXPECT_TRUE(app.waitFor(c.done)) << "the player did not follow";
    }
    EXPECT_FALSE(screen->movieController->isFullScreen());

    // Escape leaves the player as Done does.
    openPlayer();
    ASSERT_TRUE(pressKey(app.desktop->presenters().playerControls().bar(), "Escape"));
    EXPECT_TRUE(app.waitFor([&] { return !presented(); })) << "Escape did not leave the player";
    EXPECT_EQ(app.navigation()->topViewController(), screen) << "Escape left the player only";

    // A seek to the last second: the item plays to its end and the screen closes its player.
    app.turn();
    openPlayer();
    GtkWidget* slider = named(app.desktop->presenters().playerControls().bar(), "tq-player-position");
    ASSERT_TRUE(slider);
    ASSERT_TRUE(clickAt(slider, gtk_widget_get_width(slider) - 2, gtk_widget_get_height(slider) / 2.0));
    ASSERT_TRUE(app.waitFor([&] { return player()->currentTime() > kClipSeconds - 5; })) << "no seek";
    app.env.advance(5);
    EXPECT_TRUE(app.waitFor([&] { return !presented(); })) << "the end did not close the player";
    app.turn();
    EXPECT_FALSE(app.desktop->presenters().playerControls().bar());
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

// A video the engine cannot play: the player says so over its picture, instead of a black
// picture at 0:00, and Done and Escape still leave it.
TEST(PlayerControlsTest, AVideoThatCannotBePlayedShowsItFailed) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<ContentController>("ContentController");
    ASSERT_TRUE(screen);
    screen->contents = {clip()};
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    app.env.advance(0.5);
    app.turn();
    auto presented = [&] { return screen->presentedViewController() == screen->movieController && screen->movieController; };
    auto& controls = app.desktop->presenters().playerControls();
    struct LeaveCase {
        const char* name;
        std::function<bool()> leave;
    };
    const LeaveCase cases[] = {
        {"Done", [&] { return clickWidget(named(controls.bar(), "tq-player-done")); }},
        {"Escape", [&] { return pressKey(controls.bar(), "Escape"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(screen->videoPlayer);
        ASSERT_TRUE(clickWidget(app.widgetOf(*screen->btnShow)));
        ASSERT_TRUE(app.waitFor(presented)) << "the click did not open the player";
        app.turn();
        ASSERT_TRUE(controls.bar());
        // Opened again, the same item is still one that failed.
        if (std::string(c.name) == "Done") {
            EXPECT_FALSE(controls.failure()) << "a failure shown before any";
        }
        screen->videoPlayer->driver().failItem(MediaError{-1, "Could not reach the video's address"});
        EXPECT_TRUE(app.waitFor([&] { return controls.failure() && gtk_widget_get_mapped(controls.failure()); }))
            << "the player does not show that the video failed";
        GtkWidget* reason = findWidget(controls.failure(), [](GtkWidget* w) {
            return GTK_IS_LABEL(w) && std::string(gtk_label_get_text(GTK_LABEL(w))) == "Could not reach the video's address";
        });
        EXPECT_TRUE(reason && gtk_widget_get_mapped(reason)) << "the reason is not shown";
        EXPECT_FALSE(gtk_widget_get_sensitive(named(controls.bar(), "tq-player-play"))) << "play offered on a failed video";
        app.turn();
        EXPECT_TRUE(desktop::writePng(gtk_window_get_child(app.desktop->gtkWindow()),
                                      std::filesystem::path(TQ_SCREENSHOT_DIR) / "video-player-failed-tablet.png"));
        ASSERT_TRUE(c.leave()) << "xdotool could not reach the window";
        EXPECT_TRUE(app.waitFor([&] { return !presented(); })) << "the failed player could not be left";
        app.turn();
        EXPECT_FALSE(controls.bar());
        EXPECT_FALSE(controls.failure());
    }
}

// On a phone the controls fit its narrow window too.
TEST(PlayerControlsTest, OnAPhoneTheControlsFitTheWindow) {
    DesktopFixture app(desktop::DeviceChoice::phone());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto screen = StoryboardRegistry::shared().named("Main")->instantiate<ContentController>("ContentController");
    ASSERT_TRUE(screen);
    screen->contents = {clip()};
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    app.env.advance(0.5);
    app.turn();
    ASSERT_TRUE(screen->videoPlayer && screen->btnShow);
    screen->videoPlayer->driver().setItemDuration(kClipSeconds);
    ASSERT_TRUE(screen->btnShow->tap());
    app.turn();
    GtkWidget* bar = app.desktop->presenters().playerControls().bar();
    ASSERT_TRUE(bar);
    GtkWidget* stage = gtk_window_get_child(app.desktop->gtkWindow());
    for (const char* part : {"tq-player-done", "tq-player-play", "tq-player-elapsed", "tq-player-position", "tq-player-length"}) {
        GtkWidget* widget = named(bar, part);
        graphene_rect_t bounds;
        ASSERT_TRUE(widget && gtk_widget_compute_bounds(widget, stage, &bounds)) << part;
        EXPECT_GT(bounds.size.width, 0) << part;
        EXPECT_LE(bounds.origin.x + bounds.size.width, gtk_widget_get_width(stage)) << part << " runs out of the window";
    }
    EXPECT_TRUE(desktop::writePng(stage, std::filesystem::path(TQ_SCREENSHOT_DIR) / "video-player-phone.png"));
    ASSERT_TRUE(clickWidget(named(bar, "tq-player-done")));
    EXPECT_TRUE(app.waitFor([&] { return !screen->presentedViewController(); })) << "Done did not leave the player";
}

}  // namespace
}  // namespace tq::test
