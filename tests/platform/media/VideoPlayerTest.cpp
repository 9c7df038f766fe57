#include <gtest/gtest.h>

#include "platform/ui/UiApplication.h"
#include "platform/ui/Window.h"

#include "platform/media/VideoPlayer.h"
#include "platform/media/VideoPlayerViewController.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

class VideoPlayerTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    int endsPosted() {
        int n = 0;
        for (const auto& name : env.env().notifications().posted()) n += name == playerItemDidPlayToEndTimeNotification;
        return n;
    }
};

TEST_F(VideoPlayerTest, ClockReachingTheDurationPostsTheEndAndPauses) {
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4");
    player->currentItem()->setDuration(10.0);
    player->play();
    env.advance(4);
    EXPECT_DOUBLE_EQ(player->currentTime(), 4.0);
    env.advance(5.9);
    EXPECT_EQ(endsPosted(), 0);
    env.advance(0.1);
    EXPECT_EQ(endsPosted(), 1);
    EXPECT_EQ(player->rate(), 0);
    EXPECT_DOUBLE_EQ(player->currentTime(), *player->currentItem()->duration())
        << "the end handler compares these two";
    env.advance(30);
    EXPECT_EQ(endsPosted(), 1);
}

TEST_F(VideoPlayerTest, PausedTimeDoesNotCountAndALateDurationIsHonoured) {
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/clip.mp4");
    player->play();
    env.advance(100);
    EXPECT_EQ(endsPosted(), 0) << "an item of unknown length never ends on its own";

    player->pause();
    player->currentItem()->setDuration(103.0);
    env.advance(50);
    EXPECT_EQ(endsPosted(), 0);
    player->play();
    player->setMuted(true);
    player->setVolume(0.4);
    env.advance(3);
    EXPECT_EQ(endsPosted(), 1);
    EXPECT_TRUE(player->isMuted());
    EXPECT_DOUBLE_EQ(player->volume(), 0.4);
}

TEST_F(VideoPlayerTest, ObserversOfOneItemHearOnlyItsEnd) {
    auto intro = VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4");
    auto background = VideoPlayer::withURL(env.env(), "file:///bundle/vertical.mp4");
    int introEnds = 0, anyEnds = 0;
    auto introToken = observePlayToEnd(env.env(), intro->currentItem(), [&] { ++introEnds; });
    auto anyToken = observePlayToEnd(env.env(), nullptr, [&] { ++anyEnds; });

    background->driver().playToEnd();
    EXPECT_EQ(introEnds, 0);
    EXPECT_EQ(anyEnds, 1);
    intro->play();
    intro->driver().playToEnd();
    EXPECT_EQ(introEnds, 1);
    EXPECT_EQ(anyEnds, 2);
    EXPECT_FALSE(intro->isPlaying());

    introToken.reset();
    intro->driver().playToEnd();
    EXPECT_EQ(introEnds, 1);
    EXPECT_EQ(env.env().shared<VideoPlaybackState>().itemPlayingToEnd(), nullptr);
}

TEST_F(VideoPlayerTest, ObserverMayDropThePlayerWhileTheEndIsAnnounced) {
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/a.mp4");
    auto token = observePlayToEnd(env.env(), player->currentItem(), [&] { player.reset(); });
    player->play();
    player->currentItem()->setDuration(1.0);
    env.advance(1);
    EXPECT_EQ(player, nullptr);
}

TEST_F(VideoPlayerTest, ActionAtItemEnd) {
    auto stays = VideoPlayer::withURL(env.env(), "https://example.org/a.mp4");
    stays->setActionAtItemEnd(VideoPlayerActionAtItemEnd::none);
    stays->play();
    stays->driver().playToEnd();
    EXPECT_EQ(stays->rate(), 1.0);

    auto advances = VideoPlayer::withURL(env.env(), "https://example.org/b.mp4");
    advances->setActionAtItemEnd(VideoPlayerActionAtItemEnd::advance);
    advances->play();
    advances->driver().playToEnd();
    EXPECT_EQ(advances->currentItem(), nullptr);
    EXPECT_FALSE(advances->isPlaying());
}

TEST_F(VideoPlayerTest, LooperStartsAgainAtEachEnd) {
    auto player = VideoPlayer::withURL(env.env(), "file:///bundle/horrizontal.mp4");
    player->currentItem()->setDuration(8.0);
    auto layer = std::make_shared<VideoPlayerLayer>(player);
    layer->setVideoGravity(VideoGravity::resizeAspectFill);
    {
        VideoPlayerLooper looper(player);
        player->play();
        env.advance(20);
        EXPECT_EQ(looper.loopCount(), 2);
        EXPECT_DOUBLE_EQ(player->currentTime(), 4.0);
        EXPECT_TRUE(player->isPlaying());
    }
    env.advance(4);
    EXPECT_FALSE(player->isPlaying()) << "without its looper the player stops at the next end";
    EXPECT_EQ(layer->player(), player);
}

struct FullScreenRecorder : VideoPlayerViewControllerDelegate {
    std::vector<std::string> calls;
    void playerViewControllerWillEndFullScreenPresentation(VideoPlayerViewController& c) override {
        calls.push_back(c.isFullScreen() ? "will end (still full screen)" : "will end");
    }
    void playerViewControllerDidEndFullScreenPresentation(VideoPlayerViewController&) override {
        calls.push_back("did end");
    }
};

TEST_F(VideoPlayerTest, PlayerScreenTellsItsDelegateWhenTheVisitorLeavesFullScreen) {
    auto screen = std::make_shared<VideoPlayerViewController>();
    FullScreenRecorder recorder;
    screen->setDelegate(&recorder);
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4");
    screen->setPlayer(player);
    EXPECT_EQ(screen->playerLayer().player(), player);

    screen->userEndsFullScreen();
    EXPECT_TRUE(recorder.calls.empty()) << "not shown, nothing to leave";

    screen->enterFullScreen();
    player->play();
    bool dismissed = false;
    screen->userEndsFullScreen([&] { dismissed = true; });
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"will end (still full screen)"});
    EXPECT_FALSE(player->isPlaying());
    EXPECT_FALSE(screen->isFullScreen());
    EXPECT_FALSE(dismissed);
    env.settle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(recorder.calls.back(), "did end");
    EXPECT_EQ(screen->fullScreenPresentations(), 1);
}

TEST_F(VideoPlayerTest, PresentingThePlayerScreenEntersFullScreenAndClosingItDismissesIt) {
    auto presenter = std::make_shared<ViewController>();
    auto window = UiApplication::shared().showWindow(presenter);
    auto screen = std::make_shared<VideoPlayerViewController>();
    FullScreenRecorder recorder;
    screen->setDelegate(&recorder);
    screen->setPlayer(VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4"));

    ASSERT_TRUE(presenter->isVisible());
    ASSERT_TRUE(presenter->present(screen, true));
    EXPECT_TRUE(screen->isFullScreen());
    EXPECT_FALSE(presenter->isVisible()) << "the player covers the whole screen";
    presenter->dismiss(true);
    EXPECT_FALSE(screen->isFullScreen());
    EXPECT_TRUE(presenter->isVisible()) << "the presenter appears again when the player closes";
    EXPECT_TRUE(recorder.calls.empty()) << "dismissed by its presenter, not closed by the visitor";

    ASSERT_TRUE(presenter->present(screen, true));
    EXPECT_EQ(screen->fullScreenPresentations(), 2);
    bool dismissed = false;
    screen->userEndsFullScreen([&] { dismissed = true; });
    EXPECT_FALSE(presenter->presentedViewController()) << "the visitor's close takes the screen away";
    env.settle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"will end (still full screen)", "did end"}));
}

}  // namespace
}  // namespace tq
