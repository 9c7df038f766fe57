#include <gtest/gtest.h>

#include "platform/foundation/Environment.h"
#include "platform/media/AudioSession.h"
#include "screens/tour/MediaPlayers.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

TEST(SharedAudioPlayer, FirstUsePutsTheSessionIntoPlayback) {
    test::TestEnvironment env;
    auto& players = MediaPlayers::shared();
    EXPECT_EQ(&players, &MediaPlayers::shared());
    auto& session = env->shared<AudioSession>();
    EXPECT_EQ(session.category(), AudioSessionCategory::playback);
    EXPECT_EQ(session.mode(), AudioSessionMode::defaultMode);
    EXPECT_TRUE(session.isActive());
    EXPECT_EQ(players.audioSession, &session);
    EXPECT_FALSE(players.player);
    EXPECT_FALSE(players.audioStillRunning);
}

TEST(SharedAudioPlayer, RefusedSessionIsReportedAndThePlayerHolderStillExists) {
    test::TestEnvironment env;
    env->shared<AudioSession>().setRefusal(MediaError{561017449, "the session is busy"});
    auto& players = MediaPlayers::shared();
    EXPECT_FALSE(players.audioSession);
    EXPECT_FALSE(players.audioStillRunning);
    auto lines = env->console().lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "error audi the session is busy");
}

}  // namespace
}  // namespace tq
