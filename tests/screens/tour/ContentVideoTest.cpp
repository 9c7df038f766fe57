#include "ContentScreenFixture.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;
using test::plainMediaAddress;

constexpr double kClipSeconds = 95;

PoiContentRef clip(const std::string& id = "21", const std::string& path = "/public/media/video/21.mp4") {
    return makeContent(id, "video", "Escaliers", "", {{"filePath", plainMediaAddress(path)}, {"duration", 95}});
}

class ContentVideoTest : public ContentScreenTest {
protected:
    // The player made for the shown content, with its length read as the engine would.
    std::shared_ptr<VideoPlayer> preparedPlayer(ContentController& screen) {
        EXPECT_TRUE(screen.videoPlayer);
        if (!screen.videoPlayer) return nullptr;
        screen.videoPlayer->driver().setItemDuration(kClipSeconds);
        return screen.videoPlayer;
    }
    std::size_t endObservers() { return env->notifications().observerCount(playerItemDidPlayToEndTimeNotification); }
};

TEST_F(ContentVideoTest, VideoPlaysFullScreenOnlyWhenAskedAndThePageComesBackAfterItsEnd) {
    auto screen = open({clip()});
    auto player = preparedPlayer(*screen);
    ASSERT_TRUE(player);
    env.advance(5);
    EXPECT_FALSE(player->isPlaying()) << "nothing plays before the visitor asks";
    EXPECT_FALSE(screen->presentedViewController());

    tapAndWait(screen->btnShow);
    ASSERT_EQ(screen->presentedViewController(), screen->movieController);
    EXPECT_TRUE(screen->movieController->isFullScreen());
    EXPECT_TRUE(player->isPlaying());
    const auto shown = screen->shownIndexes.size();

    env.advance(kClipSeconds);
    EXPECT_FALSE(screen->presentedViewController()) << "the player closes at the end";
    env.advance(0.15);
    EXPECT_EQ(screen->shownIndexes.size(), shown);
    env.advance(0.1);
    EXPECT_EQ(screen->shownIndexes.size(), shown + 1) << "shown again 0.2 s after the player closed";

    // The page shown again has a fresh player; the finished one is let go.
    std::weak_ptr<VideoPlayer> finished = player;
    player.reset();
    env.settle();
    EXPECT_TRUE(finished.expired());
    auto again = preparedPlayer(*screen);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->isPlaying());
    EXPECT_EQ(endObservers(), 1u) << "only the new player's end is awaited";

    // A second showing ends the same way, and no observation is left behind.
    tapAndWait(screen->btnVideoPlay);
    ASSERT_EQ(screen->presentedViewController(), screen->movieController);
    again->driver().playToEnd();
    EXPECT_FALSE(screen->presentedViewController());
    env.advance(0.25);
    EXPECT_EQ(screen->shownIndexes.size(), shown + 2);
    EXPECT_EQ(endObservers(), 1u);
}

TEST_F(ContentVideoTest, AnotherVideoEndingLeavesThePlayerOnScreen) {
    auto screen = open({clip()});
    auto player = preparedPlayer(*screen);
    ASSERT_TRUE(player);
    tapAndWait(screen->btnVideoPlay, 10);

    // Another video of the application (an intro, say) ends while this one is at 10 s.
    auto other = VideoPlayer::withURL(env.env(), "https://media.trelvoquest.com/other.mp4");
    other->driver().setItemDuration(3);
    other->play();
    other->driver().playToEnd();
    env.settle();
    EXPECT_EQ(screen->presentedViewController(), screen->movieController);
    EXPECT_TRUE(player->isPlaying());

    player->driver().playToEnd();
    EXPECT_FALSE(screen->presentedViewController()) << "its own end still closes it";
}

TEST_F(ContentVideoTest, ClosingEarlyPausesAndThePageComesBackWithAFreshPlayer) {
    auto screen = open({clip()});
    auto player = preparedPlayer(*screen);
    ASSERT_TRUE(player);
    tapAndWait(screen->btnShow, 30);
    const auto shown = screen->shownIndexes.size();

    screen->movieController->userEndsFullScreen();
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_FALSE(player->isPlaying());
    EXPECT_DOUBLE_EQ(player->currentTime(), 30);
    env.advance(0.25);
    EXPECT_EQ(screen->shownIndexes.size(), shown + 1);
    EXPECT_NE(screen->videoPlayer, player);

    std::weak_ptr<VideoPlayer> closed = player;
    player.reset();
    env.advance(kClipSeconds);
    EXPECT_TRUE(closed.expired());
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_EQ(screen->shownIndexes.size(), shown + 1) << "the closed video never ends on its own";
}

TEST_F(ContentVideoTest, ThePageShownAgainWhileAVideoPlaysStopsAndReleasesIt) {
    // Closed and at once played again: the page's delayed showing falls due with the video up.
    auto screen = open({clip()});
    auto player = preparedPlayer(*screen);
    ASSERT_TRUE(player);
    tapAndWait(screen->btnShow, 10);
    auto oldScreen = screen->movieController;
    screen->movieController->userEndsFullScreen();
    tapAndWait(screen->btnShow, 0.1);
    ASSERT_EQ(screen->presentedViewController(), oldScreen);
    ASSERT_TRUE(player->isPlaying());

    env.advance(0.15);
    EXPECT_FALSE(player->isPlaying()) << "no video plays on without anyone awaiting its end";
    EXPECT_FALSE(screen->presentedViewController());
    std::weak_ptr<VideoPlayer> released = player;
    player.reset();
    oldScreen.reset();
    env.settle();
    EXPECT_TRUE(released.expired());

    // The page is back with a fresh player that plays and closes as usual.
    env.advance(0.25);
    auto fresh = preparedPlayer(*screen);
    ASSERT_TRUE(fresh);
    tapAndWait(screen->btnShow);
    ASSERT_EQ(screen->presentedViewController(), screen->movieController);
    fresh->driver().playToEnd();
    EXPECT_FALSE(screen->presentedViewController());
}

TEST_F(ContentVideoTest, PlayingAVideoStopsTheAudioAtOnce) {
    serveAudio("/a.wav", 60);
    auto audio = makeContent("14", "audio", "Récit", "", {{"filePath", plainMediaAddress("/a.wav")}});
    auto screen = open({audio, clip()});
    env.settle();
    tapAndWait(screen->btnPlayAudio);
    auto track = player();
    tapAndWait(screen->btnNext);
    ASSERT_TRUE(screen->btnVideoPlay->tap());
    env.settle();
    EXPECT_FALSE(track->isPlaying());
    EXPECT_FALSE(players().audioStillRunning);
    EXPECT_TRUE(screen->videoPlayer->isPlaying());
}

TEST_F(ContentVideoTest, ContentWithoutAPlayableVideoNeverPlaysTheOneBefore) {
    auto broken = makeContent("22", "video", "Sans adresse", "", {{"duration", 10}});
    auto spaced = clip("23", "/with space.mp4");
    auto screen = open({clip(), broken, spaced});
    std::weak_ptr<VideoPlayer> first = screen->videoPlayer;
    tapAndWait(screen->btnShow, 5);
    screen->movieController->userEndsFullScreen();
    env.advance(0.25);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        tapAndWait(screen->btnNext);
        EXPECT_TRUE(first.expired()) << "the previous content's player is let go";
        EXPECT_FALSE(screen->videoPlayer);
        EXPECT_FALSE(screen->movieController);
        tapAndWait(screen->btnShow);
        EXPECT_FALSE(screen->presentedViewController());
    }
}

TEST_F(ContentVideoTest, LeavingFullScreenChoosesTheLayoutOfTheScreenAsItIsNow) {
    auto screen = open({clip()});
    tapAndWait(screen->btnShow);
    test::rotate(DeviceOrientation::landscapeRight);
    screen->movieController->userEndsFullScreen();
    env.settle();
    EXPECT_FALSE(screen->viewLandscape->isHidden());
    EXPECT_TRUE(screen->viewPortrait->isHidden());
}

}  // namespace
}  // namespace tq
