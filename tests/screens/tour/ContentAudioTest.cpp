#include "ContentScreenFixture.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;
using test::plainMediaAddress;

const std::string kTrackA = "/public/media/audio/14_recit.wav";
const std::string kTrackB = "/public/media/audio/15_chant.wav";

PoiContentRef track(const std::string& id, const std::string& path, std::string description = "Musée") {
    return makeContent(id, "audio", "Piste " + id, std::move(description), {{"filePath", plainMediaAddress(path)}});
}
PoiContentRef text(const std::string& id) { return makeContent(id, "txt", "Texte " + id, "texte", {{"status", 1}}); }

class ContentAudioTest : public ContentScreenTest {
protected:
    // Opens the screen on `contents` and waits for the first track to arrive.
    std::shared_ptr<ContentController> openAndLoad(std::vector<PoiContentRef> contents) {
        auto screen = open(std::move(contents));
        env.settle();
        return screen;
    }
    void expectPauseLook(ContentController& s) {
        EXPECT_EQ(s.lblShow->text(), "Pause");
        EXPECT_EQ(s.btnShow->image(), Image::named("pauseContent"));
        EXPECT_EQ(s.btnPlayAudio->backgroundImage(), Image::named("audioplayer_pause.png"));
        EXPECT_EQ(s.btnPlayAudioLand->backgroundImage(), Image::named("audioplayer_pause.png"));
    }
    void expectPlayLook(ContentController& s) {
        EXPECT_EQ(s.lblShow->text(), app().text("Play"));
        EXPECT_EQ(s.btnShow->image(), Image::named("playContent"));
        EXPECT_EQ(s.btnPlayAudio->backgroundImage(), Image::named("audioplayer_play.png"));
    }
};

TEST_F(ContentAudioTest, PlayPauseAndResumeKeepThePositionAndTheTimesRun) {
    serveAudio(kTrackA, 185);
    auto screen = openAndLoad({track("14", kTrackA)});
    auto a = player();
    ASSERT_TRUE(a);
    EXPECT_FLOAT_EQ(screen->sliderAudio->maximumValue(), 185);
    EXPECT_FLOAT_EQ(screen->sliderAudioLand->maximumValue(), 185);
    EXPECT_EQ(screen->lblTimePlayed->text(), "0:00");
    EXPECT_EQ(screen->lblTimeRemaining->text(), "-3:05");
    EXPECT_TRUE(screen->btnPlayAudio->isEnabled());

    tapAndWait(screen->btnPlayAudio);
    EXPECT_TRUE(a->isPlaying());
    EXPECT_TRUE(players().audioStillRunning);
    EXPECT_EQ(app().idAudioPlaying, "14");
    expectPauseLook(*screen);

    // The clock ticks every 0.3 s: each target lies just past a tick.
    std::vector<std::string> played;
    for (double at : {59.45, 60.35, 61.25}) {
        env.advance(at - a->currentTime());
        played.push_back(screen->lblTimePlayed->text());
    }
    EXPECT_EQ(played, (std::vector<std::string>{"0:59", "1:00", "1:01"}));
    EXPECT_EQ(screen->lblTimeRemaining->text(), "-2:04");
    EXPECT_EQ(screen->lblAudioTimePlayedLand->text(), "1:01");
    EXPECT_EQ(screen->lblAudioTimeRemainingLand->text(), "-2:04");
    EXPECT_NEAR(screen->sliderAudio->value(), 61, 0.31);

    tapAndWait(screen->btnPlayAudio);
    EXPECT_FALSE(a->isPlaying());
    EXPECT_FALSE(players().audioStillRunning);
    expectPlayLook(*screen);
    auto pausedAt = a->currentTime();
    EXPECT_NEAR(pausedAt, 61.25, 0.01);
    env.advance(10);
    EXPECT_EQ(screen->lblTimePlayed->text(), "1:01") << "the clock stops with the audio";

    tapAndWait(screen->btnPlayAudio);
    EXPECT_TRUE(a->isPlaying());
    EXPECT_NEAR(a->currentTime(), pausedAt, 0.01);
    EXPECT_DOUBLE_EQ(a->volume(), 1.0);
}

TEST_F(ContentAudioTest, EitherSliderSeeksFromItsOwnValue) {
    serveAudio(kTrackA, 185);
    auto screen = openAndLoad({track("14", kTrackA)});
    tapAndWait(screen->btnPlayAudio);
    ASSERT_TRUE(screen->sliderAudio->moveTo(100));
    EXPECT_NEAR(player()->currentTime(), 100, 0.01);
    EXPECT_TRUE(player()->isPlaying());
    test::rotate(DeviceOrientation::landscapeLeft);
    ASSERT_TRUE(screen->sliderAudioLand->moveTo(30));
    EXPECT_NEAR(player()->currentTime(), 30, 0.01);
    env.advance(1.0);
    EXPECT_EQ(screen->lblAudioTimePlayedLand->text(), "0:30");

    tapAndWait(screen->btnPlayAudioLand);
    ASSERT_TRUE(screen->sliderAudioLand->moveTo(120));
    EXPECT_FALSE(player()->isPlaying()) << "a paused track stays paused where it was moved to";
    EXPECT_NEAR(player()->currentTime(), 120, 0.01);
}

TEST_F(ContentAudioTest, PlayBeforeTheTrackArrivesStartsItOnceItIs) {
    serveAudio(kTrackA, 20, "audio");
    auto screen = open({track("14", kTrackA)});
    ASSERT_TRUE(service.waitUntilHeld("audio"));
    tapAndWait(screen->btnPlayAudio);
    EXPECT_FALSE(player());
    EXPECT_TRUE(screen->audioShouldStart);
    expectPauseLook(*screen);
    ASSERT_TRUE(screen->sliderAudio->moveTo(5)) << "nothing to seek yet, and nothing breaks";
    service.release("audio");
    env.settle();
    ASSERT_TRUE(player());
    EXPECT_TRUE(player()->isPlaying());
    EXPECT_TRUE(players().audioStillRunning);
    EXPECT_FALSE(screen->audioShouldStart);
}

TEST_F(ContentAudioTest, TrackArrivingAfterTheVisitorMovedOnIsDropped) {
    serveAudio(kTrackA, 20, "audio");
    auto screen = open({track("14", kTrackA), text("2")});
    ASSERT_TRUE(service.waitUntilHeld("audio"));
    tapAndWait(screen->btnPlayAudio);
    tapAndWait(screen->btnNext);
    service.release("audio");
    env.settle();
    EXPECT_FALSE(player());
    EXPECT_FALSE(players().audioStillRunning);
    EXPECT_FALSE(screen->audioShouldStart);
}

TEST_F(ContentAudioTest, DamagedTrackStopsAndDropsTheOneBefore) {
    serveAudio(kTrackA, 60);
    service.reply(kTrackB, test::ScriptedReply::bytes("RIFF....WAVEnot audio at all", "audio/wav"));
    auto screen = openAndLoad({track("14", kTrackA), track("15", kTrackB)});
    tapAndWait(screen->btnPlayAudio);
    auto a = player();
    ASSERT_TRUE(a && a->isPlaying());

    tapAndWait(screen->btnNext);
    env.settle();
    expectPlayLook(*screen);
    EXPECT_TRUE(a->isPlaying()) << "the other content's audio goes on until the visitor acts";

    tapAndWait(screen->btnPlayAudio);
    env.settle();
    EXPECT_TRUE(consoleHas("audio error data"));
    EXPECT_FALSE(a->isPlaying());
    EXPECT_FALSE(player());
    EXPECT_FALSE(players().audioStillRunning);
    EXPECT_FALSE(screen->audioShouldStart);
    env.advance(5);
    EXPECT_FALSE(a->isPlaying());
}

TEST_F(ContentAudioTest, PlayOnAnotherContentHandsTheAudioOverFromItsStart) {
    serveAudio(kTrackA, 60);
    serveAudio(kTrackB, 90);
    auto screen = openAndLoad({track("14", kTrackA), track("15", kTrackB)});
    tapAndWait(screen->btnPlayAudio, 10);
    auto a = player();

    tapAndWait(screen->btnNext);
    env.settle();
    expectPlayLook(*screen);
    EXPECT_EQ(player(), a);
    tapAndWait(screen->btnPlayAudio);
    env.settle();
    EXPECT_FALSE(a->isPlaying());
    auto b = player();
    ASSERT_TRUE(b && b != a);
    EXPECT_TRUE(b->isPlaying());
    EXPECT_LT(b->currentTime(), 0.5);
    EXPECT_DOUBLE_EQ(b->duration(), 90);
    EXPECT_EQ(app().idAudioPlaying, "15");
    expectPauseLook(*screen);
    EXPECT_TRUE(players().audioStillRunning);
}

TEST_F(ContentAudioTest, ShowOnAnotherAudioContentStopsTheOtherAudioAndStartsItsOwn) {
    serveAudio(kTrackA, 60);
    serveAudio(kTrackB, 90);
    auto screen = openAndLoad({track("14", kTrackA), track("15", kTrackB)});
    tapAndWait(screen->btnPlayAudio, 10);
    auto a = player();

    tapAndWait(screen->btnNext);
    env.settle();
    EXPECT_EQ(player(), a) << "the other content's audio goes on until the visitor acts";
    tapAndWait(screen->btnShow);
    env.settle();
    EXPECT_FALSE(a->isPlaying());
    auto b = player();
    ASSERT_TRUE(b && b != a);
    EXPECT_TRUE(b->isPlaying()) << "the pause look must not be shown over silence";
    EXPECT_DOUBLE_EQ(b->duration(), 90);
    EXPECT_TRUE(players().audioStillRunning);
    EXPECT_EQ(app().idAudioPlaying, "15");
    expectPauseLook(*screen);
}

TEST_F(ContentAudioTest, ComingBackToThePlayingContentTakesItsControlsOver) {
    serveAudio(kTrackA, 60);
    auto screen = openAndLoad({track("14", kTrackA), text("2")});
    tapAndWait(screen->btnPlayAudio, 5);
    auto a = player();
    tapAndWait(screen->btnNext);
    EXPECT_EQ(screen->lblShow->text(), "Pause") << "on a text the Show button pauses the audio";
    EXPECT_FALSE(screen->btnShow->isHidden());
    EXPECT_EQ(screen->lblTimePlayed->text(), "");
    tapAndWait(screen->btnPrev);
    env.settle();
    EXPECT_EQ(player(), a);
    EXPECT_TRUE(a->isPlaying());
    expectPauseLook(*screen);
    EXPECT_FLOAT_EQ(screen->sliderAudio->maximumValue(), 60);
    env.advance(1.2);
    EXPECT_EQ(screen->lblTimePlayed->text(), "0:06");
}

TEST_F(ContentAudioTest, ShowButtonStopsTheAudioFirstAndThenActsOnTheContent) {
    serveAudio(kTrackA, 60);
    auto clip = makeContent("17", "video", "Clip", "", {{"filePath", plainMediaAddress("/clip.mp4")}});
    auto screen = openAndLoad({track("14", kTrackA), clip});
    tapAndWait(screen->btnPlayAudio, 1);
    tapAndWait(screen->btnNext);
    EXPECT_EQ(screen->lblShow->text(), "Pause");
    tapAndWait(screen->btnShow);
    EXPECT_FALSE(player()->isPlaying());
    EXPECT_FALSE(players().audioStillRunning);
    EXPECT_EQ(screen->lblShow->text(), app().text("Play"));
    EXPECT_EQ(screen->btnShow->image(), Image::named("playContent"));
    EXPECT_FALSE(screen->presentedViewController());
    tapAndWait(screen->btnShow);
    EXPECT_EQ(screen->presentedViewController(), screen->movieController);
}

TEST_F(ContentAudioTest, LeavingTheScreenLetsTheAudioPlayOnWithoutItsClock) {
    serveAudio(kTrackA, 60);
    auto screen = openAndLoad({track("14", kTrackA)});
    tapAndWait(screen->btnPlayAudio);
    tapAndWait(screen->btnNext, 1.0);
    EXPECT_EQ(nav->topViewController(), map);
    EXPECT_FALSE(screen->timerAudio);
    EXPECT_TRUE(player()->isPlaying());
    EXPECT_TRUE(players().audioStillRunning);
}

TEST_F(ContentAudioTest, HomeFadesTheAudioOutAndStopsItASecondLater) {
    serveAudio(kTrackA, 60);
    auto screen = openAndLoad({track("14", kTrackA)});
    tapAndWait(screen->btnPlayAudio);
    auto a = player();
    ASSERT_TRUE(screen->navigationItem().leftBarButtonItem()->tap());
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_FALSE(players().audioStillRunning);
    env.advance(0.5);
    EXPECT_TRUE(a->isPlaying());
    EXPECT_NEAR(a->volume(), 0.5, 0.01);
    env.advance(0.5);
    EXPECT_FALSE(a->isPlaying());
}

TEST_F(ContentAudioTest, DownloadedTourReadsTheTrackFromItsFolder) {
    auto folder = storeTour();
    writeFile(folder / "1414_recit.wav", test::wavBytes(12));
    auto screen = open({track("14", kTrackA), track("15", kTrackB)});
    ASSERT_TRUE(player());
    EXPECT_DOUBLE_EQ(player()->duration(), 12);
    tapAndWait(screen->btnPlayAudio);
    EXPECT_TRUE(player()->isPlaying());

    tapAndWait(screen->btnPlayAudio);
    tapAndWait(screen->btnNext);
    auto lines = console();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("erro audio ", 0), 0u) << lines.back();
    EXPECT_EQ(player()->duration(), 12) << "no player for the missing file";
    tapAndWait(screen->btnPlayAudio);
    EXPECT_FALSE(player()->isPlaying()) << "the other content's track is not played under this one";
}

TEST(ContentAudioTexts, MinutesAndSeconds) {
    EXPECT_EQ(playedTimeText(61), "1:01");
    EXPECT_EQ(playedTimeText(0), "0:00");
    EXPECT_EQ(remainingTimeText(124), "-2:04");
    EXPECT_EQ(remainingTimeText(3600), "-60:00");
}

}  // namespace
}  // namespace tq
