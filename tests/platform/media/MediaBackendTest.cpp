#include <gtest/gtest.h>

#include <stdexcept>

#include "AudioFixtures.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/VideoPlayer.h"
#include "platform/media/VideoPlayerViewController.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

// An engine of its own, as a desktop front end would plug in: it keeps what it is asked and ends
// when told to.
struct RecordingAudio : AudioBackend {
    MediaBackendListener* listener = nullptr;
    std::vector<std::string> calls;
    bool playing = false;
    double at = 0;
    void setListener(MediaBackendListener* l) override { listener = l; }
    void play() override {
        playing = true;
        calls.push_back("play");
    }
    void pause() override {
        playing = false;
        calls.push_back("pause");
    }
    bool isPlaying() const override { return playing; }
    double position() const override { return at; }
    void seek(double seconds) override {
        at = seconds;
        calls.push_back("seek " + std::to_string(static_cast<int>(seconds)));
    }
    double volume() const override { return 1; }
    void setVolume(double, double) override { calls.push_back("volume"); }
};

struct RecordingVideo : VideoBackend {
    MediaBackendListener* listener = nullptr;
    std::vector<double> rates;
    std::shared_ptr<VideoPlayerItem> item;
    void setListener(MediaBackendListener* l) override { listener = l; }
    void setItem(std::shared_ptr<VideoPlayerItem> i) override { item = std::move(i); }
    void itemDurationChanged() override {}
    void setRate(double rate) override { rates.push_back(rate); }
    double position() const override { return 0; }
    void seek(double) override {}
    void setVolume(double, bool) override {}
    void setSurface(std::shared_ptr<VideoSurface> s) override { surface = std::move(s); }
    std::shared_ptr<VideoSurface> surface;
};

struct FinishCounter : AudioPlayerDelegate {
    int finishes = 0;
    void audioPlayerDidFinishPlaying(AudioPlayer&, bool) override { ++finishes; }
};

class MediaBackendTest : public ::testing::Test {
protected:
    std::string tone(double seconds) {
        auto bytes = test::makeAudioFile(test::AudioFixtureFormat::wav, seconds, env.root());
        EXPECT_TRUE(bytes);
        return bytes.value_or("");
    }
    test::TestEnvironment env;
};

TEST_F(MediaBackendTest, APluggedAudioEngineSoundsTheTrackAndItsEndDrivesTheLoops) {
    RecordingAudio* engine = nullptr;
    double trackLength = 0;
    const std::string* trackBytes = nullptr;
    env->shared<MediaEngine>().setAudioBackendFactory([&](const AudioFileInfo& track, const std::string& bytes) {
        trackLength = track.duration();
        trackBytes = &bytes;
        auto backend = std::make_unique<RecordingAudio>();
        engine = backend.get();
        return backend;
    });
    auto player = AudioPlayer::withData(env.env(), tone(2.0)).player;
    ASSERT_TRUE(player && engine);
    EXPECT_NEAR(trackLength, 2.0, 0.01);
    EXPECT_EQ(trackBytes, &player->data()) << "the engine reads the bytes the player holds";
    EXPECT_THROW(player->driver(), std::logic_error);

    FinishCounter delegate;
    player->setDelegate(&delegate);
    player->setNumberOfLoops(1);
    player->play();
    env.advance(10);
    EXPECT_EQ(delegate.finishes, 0) << "only the engine says when the track ends";
    engine->listener->playbackReachedEnd();  // the first play ends: the loop starts again
    EXPECT_TRUE(player->isPlaying());
    engine->listener->playbackReachedEnd();
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(engine->calls, (std::vector<std::string>{"play", "seek 0", "play", "seek 0"}));
}

TEST_F(MediaBackendTest, TheHeadlessAudioDriverEndsATrackAtOnce) {
    auto player = AudioPlayer::withData(env.env(), tone(30.0)).player;
    ASSERT_TRUE(player);
    FinishCounter delegate;
    player->setDelegate(&delegate);
    EXPECT_FALSE(player->driver().reachEnd()) << "not playing";
    player->play();
    env.advance(3);
    EXPECT_TRUE(player->driver().reachEnd());
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(player->currentTime(), 0);
    env.advance(60);
    EXPECT_EQ(delegate.finishes, 1) << "the end timer went with the early end";
}

TEST_F(MediaBackendTest, APluggedVideoEngineShowsTheItemAndItsEndPostsTheNotification) {
    RecordingVideo* engine = nullptr;
    env->shared<MediaEngine>().setVideoBackendFactory([&] {
        auto backend = std::make_unique<RecordingVideo>();
        engine = backend.get();
        return backend;
    });
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4");
    ASSERT_TRUE(engine);
    EXPECT_THROW(player->driver(), std::logic_error);
    ASSERT_TRUE(engine->item);
    EXPECT_EQ(engine->item->url(), "https://example.org/intro.mp4");

    int ends = 0;
    auto token = observePlayToEnd(env.env(), player->currentItem(), [&] { ++ends; });
    player->play();
    engine->listener->playbackReachedEnd();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(player->isPlaying()) << "the player pauses at the end";
    EXPECT_EQ(engine->rates, (std::vector<double>{1.0, 0.0}));
}

struct DecodeErrorRecorder : AudioPlayerDelegate {
    std::vector<MediaError> errors;
    int finishes = 0;
    void audioPlayerDecodeErrorDidOccur(AudioPlayer&, const MediaError& error) override { errors.push_back(error); }
    void audioPlayerDidFinishPlaying(AudioPlayer&, bool) override { ++finishes; }
};

TEST_F(MediaBackendTest, ATrackTheEngineCannotDecodeStopsAndTellsTheDelegate) {
    auto player = AudioPlayer::withData(env.env(), tone(5.0)).player;
    ASSERT_TRUE(player);
    DecodeErrorRecorder delegate;
    player->setDelegate(&delegate);
    player->play();
    player->driver().failDecoding({1, "no decoder"});
    EXPECT_FALSE(player->isPlaying());
    EXPECT_FALSE(player->backend().isPlaying());
    ASSERT_EQ(delegate.errors.size(), 1u);
    EXPECT_EQ(delegate.errors[0].description, "no decoder");
    EXPECT_EQ(player->decodeError(), MediaError({1, "no decoder"}));
    env.advance(30);
    EXPECT_EQ(delegate.finishes, 0) << "a failed track does not also finish";
}

TEST_F(MediaBackendTest, AVideoItemTheEngineCannotPlayFailsAndItsPlayerStops) {
    auto player = VideoPlayer::withURL(env.env(), "https://example.org/missing.mp4");
    player->currentItem()->setDuration(10);
    int failures = 0;
    auto token = env.env().notifications().addObserver(playerItemFailedToPlayToEndTimeNotification, [&] { ++failures; });
    int ends = 0;
    auto endToken = observePlayToEnd(env.env(), nullptr, [&] { ++ends; });
    player->play();
    player->driver().failItem({404, "not found"});
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->currentItem()->status(), VideoPlayerItemStatus::failed);
    EXPECT_EQ(player->currentItem()->error(), MediaError({404, "not found"}));
    EXPECT_TRUE(env->console().containsPrefix("Video https://example.org/missing.mp4 cannot be played"));
    env.advance(30);
    EXPECT_EQ(ends, 0) << "a failed item never reaches its end";
}

struct MarkedSurface : VideoSurface {
    explicit MarkedSurface(int mark) : mark(mark) {}
    int mark;
};

// The window gives a drawn layer a surface; whatever player the layer shows draws there, and a
// player the layer lets go (or a layer that goes) draws nowhere any more.
TEST_F(MediaBackendTest, APlayerLayerHandsItsSurfaceToThePlayerItShows) {
    auto first = VideoPlayer::withURL(env.env(), "file:///videos/vertical.mp4");
    auto second = VideoPlayer::withURL(env.env(), "file:///videos/horrizontal.mp4");
    auto layer = std::make_shared<VideoPlayerLayer>(first);
    EXPECT_FALSE(first->driver().surface()) << "not drawn yet";

    auto surface = std::make_shared<MarkedSurface>(1);
    layer->setSurface(surface);
    EXPECT_EQ(first->driver().surface(), surface);

    layer->setPlayer(second);
    EXPECT_FALSE(first->driver().surface());
    EXPECT_EQ(second->driver().surface(), surface);

    auto other = std::make_shared<MarkedSurface>(2);
    layer->setSurface(other);
    EXPECT_EQ(second->driver().surface(), other);

    layer->setSurface(nullptr);
    EXPECT_FALSE(second->driver().surface());
    layer->setSurface(surface);
    layer.reset();
    EXPECT_FALSE(second->driver().surface()) << "the layer went: its surface is not the player's any more";
}

TEST_F(MediaBackendTest, APluggedVideoEngineGetsTheSurfaceOfThePlayerScreensLayer) {
    RecordingVideo* engine = nullptr;
    env->shared<MediaEngine>().setVideoBackendFactory([&] {
        auto backend = std::make_unique<RecordingVideo>();
        engine = backend.get();
        return backend;
    });
    auto screen = std::make_shared<VideoPlayerViewController>();
    auto surface = std::make_shared<MarkedSurface>(1);
    screen->playerLayer().setSurface(surface);
    screen->setPlayer(VideoPlayer::withURL(env.env(), "https://example.org/intro.mp4"));
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->surface, surface) << "a player given to a layer already drawn";
}

}  // namespace
}  // namespace tq
