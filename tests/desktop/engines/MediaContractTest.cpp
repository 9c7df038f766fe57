#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "EngineHarness.h"
#include "desktop/GtkVideoSurface.h"
#include "desktop/engines/GstSupport.h"
#include "desktop/engines/GstVideoBackend.h"
#include "platform/media/MediaBackend.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/VideoPlayer.h"
#include "platform/services/FileURL.h"
#include "support/MediaFixtures.h"

namespace tq::test {
namespace {

struct Finishes : AudioPlayerDelegate {
    int finished = 0;
    int decodeErrors = 0;
    void audioPlayerDidFinishPlaying(AudioPlayer&, bool) override { ++finished; }
    void audioPlayerDecodeErrorDidOccur(AudioPlayer&, const MediaError&) override { ++decodeErrors; }
};

class MediaContract : public ::testing::TestWithParam<EngineKind> {
protected:
    MediaContract() : harness(GetParam()) {}
    EngineHarness harness;
};

TEST_P(MediaContract, AOneSecondTrackPlaysToItsEndOnce) {
    auto made = AudioPlayer::withData(harness.env(), wavBytes(1.0));
    ASSERT_TRUE(made) << made.error.description;
    auto player = made.player;
    Finishes delegate;
    player->setDelegate(&delegate);
    ASSERT_TRUE(player->play());
    harness.pass(0.4);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_GT(player->currentTime(), 0.1);
    ASSERT_TRUE(harness.waitFor([&] { return delegate.finished > 0; }, 5, "the end of the track"));
    harness.pass(0.5);
    EXPECT_EQ(delegate.finished, 1) << "the end is reported once";
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->currentTime(), 0) << "back at the start";
    EXPECT_EQ(delegate.decodeErrors, 0);
}

TEST_P(MediaContract, AFadeReachesItsVolume) {
    auto player = AudioPlayer::withData(harness.env(), wavBytes(3.0)).player;
    ASSERT_TRUE(player);
    player->play();
    player->setVolume(0.2, 0.5);
    harness.pass(0.2);
    EXPECT_GT(player->volume(), 0.2);
    EXPECT_LT(player->volume(), 1.0);
    ASSERT_TRUE(harness.waitFor([&] { return std::abs(player->volume() - 0.2) < 1e-9; }, 2, "the fade's end"));
    player->stop();
}

TEST_P(MediaContract, AOneSecondVideoPlaysToItsEndOnce) {
    auto clip = makeVideoFile(harness.testEnv().root(), 1.0);
    auto player = VideoPlayer::withURL(harness.env(), fileURL(clip));
    if (!harness.real()) player->driver().setItemDuration(1.0);
    int ends = 0;
    auto token = observePlayToEnd(harness.env(), player->currentItem(), [&] { ++ends; });
    player->play();
    ASSERT_TRUE(harness.waitFor([&] { return ends > 0; }, 6, "the end of the video"));
    harness.pass(0.5);
    EXPECT_EQ(ends, 1) << "the end is reported once";
    EXPECT_FALSE(player->isPlaying());
    ASSERT_TRUE(player->currentItem()->duration());
    EXPECT_NEAR(*player->currentItem()->duration(), 1.0, 0.06);
    EXPECT_EQ(player->currentTime(), *player->currentItem()->duration()) << "the content screen compares these";
}

TEST_P(MediaContract, ALoopedVideoStartsAgainAtItsEnd) {
    auto clip = makeVideoFile(harness.testEnv().root(), 0.5);
    auto player = VideoPlayer::withURL(harness.env(), fileURL(clip));
    if (!harness.real()) player->driver().setItemDuration(0.5);
    player->setMuted(true);
    VideoPlayerLooper looper(player);
    player->play();
    ASSERT_TRUE(harness.waitFor([&] { return looper.loopCount() >= 2; }, 6, "two loops"));
    EXPECT_TRUE(player->isPlaying());
}

INSTANTIATE_TEST_SUITE_P(Engines, MediaContract, ::testing::Values(EngineKind::headless, EngineKind::real), engineName);

// The real engine's own behaviour: frames reach the window's picture, and media that does not
// decode takes the failure path with nothing left playing.
TEST(GStreamerEngine, TheVideoIsDrawnIntoTheLayersPicture) {
    EngineHarness harness(EngineKind::real);
    auto clip = makeVideoFile(harness.testEnv().root(), 1.0);
    auto player = VideoPlayer::withURL(harness.env(), fileURL(clip));
    auto layer = std::make_shared<VideoPlayerLayer>(player);
    GtkWidget* picture = gtk_picture_new();
    harness.show(picture);
    layer->setSurface(std::make_shared<desktop::GtkVideoSurface>(GTK_PICTURE(picture)));
    player->play();
    auto& backend = dynamic_cast<desktop::GstVideoBackend&>(player->backend());
    ASSERT_TRUE(harness.waitFor([&] { return backend.framesDrawn() >= 5; }, 5, "frames on the picture"));
    GdkPaintable* paintable = gtk_picture_get_paintable(GTK_PICTURE(picture));
    ASSERT_TRUE(paintable);
    EXPECT_EQ(gdk_paintable_get_intrinsic_width(paintable), 160);
    EXPECT_EQ(gdk_paintable_get_intrinsic_height(paintable), 120);
    player->pause();
}

// The program holds the videos back until its window has drawn its first frame: a video asked
// for before shows nothing, then starts when the gate opens, from where it was asked to be.
TEST(GStreamerEngine, AVideoHeldByTheGateStartsWhenItOpensFromTheSeekAskedMeanwhile) {
    EngineHarness harness(EngineKind::real);
    auto gate = std::make_shared<desktop::PipelineGate>();
    Environment* env = &harness.env();
    harness.env().shared<MediaEngine>().setVideoBackendFactory([env, gate] {
        desktop::GstVideoOutput output;
        output.audioSink = "fakesink sync=true";
        output.gate = gate;
        return std::make_unique<desktop::GstVideoBackend>(*env, output);
    });
    auto clip = makeVideoFile(harness.testEnv().root(), 2.0);
    auto player = VideoPlayer::withURL(harness.env(), fileURL(clip));
    auto layer = std::make_shared<VideoPlayerLayer>(player);
    GtkWidget* picture = gtk_picture_new();
    harness.show(picture);
    layer->setSurface(std::make_shared<desktop::GtkVideoSurface>(GTK_PICTURE(picture)));
    player->seek(1.0);
    player->play();
    auto& backend = dynamic_cast<desktop::GstVideoBackend&>(player->backend());
    harness.pass(0.4);
    EXPECT_EQ(backend.framesDrawn(), 0) << "nothing starts before the gate opens";
    EXPECT_DOUBLE_EQ(player->currentTime(), 1.0);
    gate->open();
    ASSERT_TRUE(harness.waitFor([&] { return backend.framesDrawn() >= 3; }, 5, "frames after the gate opened"));
    EXPECT_GE(player->currentTime(), 1.0) << "it started from the seek";
    player->pause();
}

TEST(GStreamerEngine, AVideoThatDoesNotDecodeFailsAndStops) {
    EngineHarness harness(EngineKind::real);
    auto junk = harness.testEnv().root() / "junk.mp4";
    {
        std::ofstream out(junk, std::ios::binary);
        out << std::string(4096, 'x');
    }
    auto player = VideoPlayer::withURL(harness.env(), fileURL(junk));
    int ends = 0;
    auto token = observePlayToEnd(harness.env(), nullptr, [&] { ++ends; });
    player->play();
    ASSERT_TRUE(harness.waitFor([&] { return player->currentItem()->status() == VideoPlayerItemStatus::failed; }, 5,
                                "the failure"));
    EXPECT_FALSE(player->isPlaying());
    EXPECT_TRUE(harness.env().console().containsPrefix("Video file://"));
    harness.pass(0.3);
    EXPECT_EQ(ends, 0);
}

TEST(GStreamerEngine, AnEmptyTrackIsRefusedBeforeThePlayer) {
    EngineHarness harness(EngineKind::real);
    auto made = AudioPlayer::withData(harness.env(), std::string());
    EXPECT_FALSE(made);
}

}  // namespace
}  // namespace tq::test
