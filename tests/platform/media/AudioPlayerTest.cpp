#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/AudioSession.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

using test::AudioFixtureFormat;
using Kind = AudioPlayerEvent::Kind;

struct FinishRecorder : AudioPlayerDelegate {
    std::vector<bool> finishes;
    std::vector<double> positionsAtFinish;
    void audioPlayerDidFinishPlaying(AudioPlayer& player, bool successfully) override {
        finishes.push_back(successfully);
        positionsAtFinish.push_back(player.currentTime());
    }
};

class AudioPlayerTest : public ::testing::Test {
protected:
    test::TestEnvironment env;

    std::shared_ptr<AudioPlayer> wavPlayer(double seconds) {
        auto bytes = test::makeAudioFile(AudioFixtureFormat::wav, seconds, env.root());
        EXPECT_TRUE(bytes);
        auto made = AudioPlayer::withData(env.env(), *bytes);
        EXPECT_TRUE(made) << made.error.description;
        return made.player;
    }
};

TEST_F(AudioPlayerTest, ReadsTheLengthOfRealFiles) {
    struct Case {
        AudioFixtureFormat format;
        const char* name;
        double tolerance;
    };
    // Lossy encoders pad the stream a little.
    const Case cases[] = {
        {AudioFixtureFormat::wav, "wav", 1e-9},
        {AudioFixtureFormat::ogg, "ogg", 0.05},
        {AudioFixtureFormat::mp3, "mp3", 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = test::makeAudioFile(c.format, 2.5, env.root(), 16000);
        if (!bytes) {
            ASSERT_EQ(c.format, AudioFixtureFormat::mp3) << "WAV and OGG are always written";
            continue;  // this build of the library writes no MP3
        }
        auto made = AudioPlayer::withData(env.env(), *bytes);
        ASSERT_TRUE(made) << made.error.description;
        EXPECT_NEAR(made.player->duration(), 2.5, c.tolerance);
        EXPECT_EQ(made.player->fileInfo().format, c.name);
        EXPECT_EQ(made.player->numberOfChannels(), 1);
        EXPECT_EQ(made.player->data(), *bytes);
        EXPECT_FALSE(made.player->isPlaying());
        EXPECT_EQ(made.player->currentTime(), 0);
    }
}

TEST_F(AudioPlayerTest, RefusesBytesThatAreNoPlayableAudio) {
    auto wav = *test::makeAudioFile(AudioFixtureFormat::wav, 1.0, env.root());
    auto ogg = *test::makeAudioFile(AudioFixtureFormat::ogg, 1.0, env.root());
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text", "this is not sound"},
        {"error page", "<html><body>404 Not Found</body></html>"},
        {"binary junk", std::string("\x00\x01\xfe\xff\x10\x20\x7f", 7) + std::string(4000, '\x5a')},
        {"wav header only", wav.substr(0, 44)},
        {"wav cut in its header", wav.substr(0, 20)},
        {"ogg cut in its first page", ogg.substr(0, 30)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto made = AudioPlayer::withData(env.env(), bytes);
        EXPECT_FALSE(made);
        EXPECT_NE(made.error.code, 0);
        EXPECT_FALSE(made.error.description.empty());
    }
}

TEST_F(AudioPlayerTest, PlaysToTheEndOnTheClockAndTellsItsDelegate) {
    auto player = wavPlayer(3.0);
    FinishRecorder recorder;
    player->setDelegate(&recorder);
    EXPECT_TRUE(player->prepareToPlay());
    EXPECT_TRUE(player->play());

    env.advance(1.25);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_DOUBLE_EQ(player->currentTime(), 1.25);

    env.advance(1.74);
    EXPECT_TRUE(recorder.finishes.empty());
    env.advance(0.01);
    EXPECT_EQ(recorder.finishes, std::vector<bool>{true});
    EXPECT_EQ(recorder.positionsAtFinish, std::vector<double>{0.0}) << "the position goes back to the start";
    EXPECT_FALSE(player->isPlaying());

    env.advance(10);
    EXPECT_EQ(recorder.finishes.size(), 1u);
}

TEST_F(AudioPlayerTest, PauseAndStopKeepThePositionAndPlayResumesFromIt) {
    auto player = wavPlayer(10.0);
    FinishRecorder recorder;
    player->setDelegate(&recorder);
    player->play();
    env.advance(2);
    player->pause();
    env.advance(5);
    EXPECT_DOUBLE_EQ(player->currentTime(), 2.0);

    player->play();
    env.advance(1);
    player->stop();
    EXPECT_DOUBLE_EQ(player->currentTime(), 3.0);
    EXPECT_FALSE(player->isPrepared()) << "stop undoes the preparation";
    env.advance(20);
    EXPECT_TRUE(recorder.finishes.empty()) << "a stopped player never reaches its end";

    player->play();
    env.advance(7);
    EXPECT_EQ(recorder.finishes.size(), 1u);
    EXPECT_EQ(player->count(Kind::play), 3);
    EXPECT_EQ(player->count(Kind::stop), 1);
}

TEST_F(AudioPlayerTest, SeekingMovesTheEnd) {
    auto player = wavPlayer(10.0);
    FinishRecorder recorder;
    player->setDelegate(&recorder);
    player->play();
    env.advance(1);
    player->setCurrentTime(9.0);
    env.advance(0.5);
    EXPECT_DOUBLE_EQ(player->currentTime(), 9.5);
    env.advance(0.5);
    EXPECT_EQ(recorder.finishes.size(), 1u);

    player->setCurrentTime(-4);
    EXPECT_EQ(player->currentTime(), 0);
    player->setCurrentTime(99);
    EXPECT_EQ(player->currentTime(), 10.0);
}

TEST_F(AudioPlayerTest, VolumeFadesAlongTheClock) {
    auto player = wavPlayer(10.0);
    player->play();
    EXPECT_EQ(player->volume(), 1.0);

    player->setVolume(0.0, 1.0);
    EXPECT_DOUBLE_EQ(player->volume(), 1.0);
    env.advance(0.25);
    EXPECT_DOUBLE_EQ(player->volume(), 0.75);
    env.advance(0.25);
    EXPECT_DOUBLE_EQ(player->volume(), 0.5);

    // A new fade starts from where the old one had got to.
    player->setVolume(1.0, 0.5);
    env.advance(0.25);
    EXPECT_DOUBLE_EQ(player->volume(), 0.75);
    env.advance(5);
    EXPECT_DOUBLE_EQ(player->volume(), 1.0);

    player->setVolume(0.2);
    EXPECT_DOUBLE_EQ(player->volume(), 0.2);
    player->setVolume(7.0);
    EXPECT_DOUBLE_EQ(player->volume(), 1.0);
}

TEST_F(AudioPlayerTest, LoopsBeforeFinishing) {
    auto player = wavPlayer(2.0);
    FinishRecorder recorder;
    player->setDelegate(&recorder);
    player->setNumberOfLoops(2);
    player->play();
    env.advance(5);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_DOUBLE_EQ(player->currentTime(), 1.0);
    env.advance(1);
    EXPECT_EQ(recorder.finishes.size(), 1u);
    EXPECT_EQ(player->count(Kind::loop), 2);

    player->setNumberOfLoops(-1);
    player->play();
    env.advance(60);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(recorder.finishes.size(), 1u);
}

TEST_F(AudioPlayerTest, PlayerOrDelegateGoneBeforeTheEndIsHarmless) {
    auto player = wavPlayer(1.0);
    auto recorder = std::make_unique<FinishRecorder>();
    player->setDelegate(recorder.get());
    player->play();
    recorder.reset();
    env.advance(2);
    EXPECT_FALSE(player->isPlaying());

    player->play();
    player.reset();
    env.advance(2);
}

TEST(AudioSessionTest, KeepsWhatItIsToldUnlessTheSystemRefuses) {
    test::TestEnvironment env;
    auto& session = env->shared<AudioSession>();
    EXPECT_EQ(session.category(), AudioSessionCategory::soloAmbient);
    EXPECT_FALSE(session.setCategory(AudioSessionCategory::playback, AudioSessionMode::defaultMode));
    EXPECT_FALSE(session.setActive(true));
    EXPECT_EQ(session.category(), AudioSessionCategory::playback);
    EXPECT_EQ(session.mode(), AudioSessionMode::defaultMode);
    EXPECT_TRUE(session.isActive());

    session.setRefusal(MediaError{561017449, "Session activation failed"});
    auto error = session.setActive(false);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description, "Session activation failed");
    EXPECT_TRUE(session.isActive()) << "a refused request changes nothing";
    EXPECT_TRUE(session.setCategory(AudioSessionCategory::ambient));
    EXPECT_EQ(session.category(), AudioSessionCategory::playback);
}

}  // namespace
}  // namespace tq
