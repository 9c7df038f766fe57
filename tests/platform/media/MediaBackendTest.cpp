#include <gtest/gtest.h>

#include <stdexcept>

#include "AudioFixtures.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/VideoPlayer.h"
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
    env->shared<MediaEngine>().setAudioBackendFactory([&](const AudioFileInfo& track) {
        trackLength = track.duration();
        auto backend = std::make_unique<RecordingAudio>();
        engine = backend.get();
        return backend;
    });
    auto player = AudioPlayer::withData(env.env(), tone(2.0)).player;
    ASSERT_TRUE(player && engine);
    EXPECT_NEAR(trackLength, 2.0, 0.01);
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

}  // namespace
}  // namespace tq
