#include <cstdint>

#include "TourScreenFixture.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/UiApplication.h"
#include "screens/tour/MediaPlayers.h"

namespace tq {
namespace {

using test::TourScreenTest;

nlohmann::json fourVersionTour() {
    return test::fixtureTour([](nlohmann::json& t) {
        t["language"] = "de";
        t["id_circuit_de"] = "431";
        t["id_circuit_fr"] = "418";
        t["id_circuit_en"] = "419";
        t["id_circuit_es"] = "0";
        t["id_circuit_ru"] = "440";
    });
}

TEST_F(TourScreenTest, LanguageSegmentsListTheOwnLanguageFirstThenThePresentVersions) {
    serveTour("431", fourVersionTour());
    auto screen = openTour("431");
    const std::vector<std::string> expected = {"Deutsch", "Français", "English", "Русский"};
    EXPECT_EQ(segmentTitles(*screen->segLanguage), expected);
    EXPECT_EQ(segmentTitles(*screen->segLanguageLand), expected);
    EXPECT_EQ(screen->segLanguage->selectedSegmentIndex(), 0);
    EXPECT_EQ(screen->lblCurrentLang->text(), "Deutsch");
    EXPECT_FALSE(screen->segLanguage->isHidden());
    EXPECT_TRUE(screen->lblLanguageTitle->isHidden());
    EXPECT_TRUE(screen->lblLanguageTitleLand->isHidden());
    EXPECT_DOUBLE_EQ(screen->constPresentedByWidth->constant(), 106) << "English interface";
}

TEST_F(TourScreenTest, TourWithoutOtherVersionsShowsTheLanguageHeadingInstead) {
    serveTour("418", test::fixtureTour([](nlohmann::json& t) {
                  t["id_circuit_en"] = "0";
                  t.erase("id_circuit_de");
              }));
    auto screen = openTour("418");
    EXPECT_TRUE(screen->segLanguage->isHidden());
    EXPECT_TRUE(screen->segLanguageLand->isHidden());
    EXPECT_FALSE(screen->lblLanguageTitle->isHidden());
    EXPECT_EQ(screen->lblCurrentLang->text(), "Français");
}

TEST_F(TourScreenTest, ChoosingAVersionFetchesItAndFillsTheScreenAgain) {
    serveTour("431", fourVersionTour());
    serveTour("440", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "440";
                  t["title"] = "Старый Квебек";
                  t["language"] = "ru";
                  t["id_circuit_ru"] = "440";
                  t["id_circuit_de"] = "431";
                  t["id_circuit_en"] = "0";
                  t["id_circuit_fr"] = "0";
              }));
    auto screen = openTour("431");
    ASSERT_TRUE(screen->segLanguage->select(3));
    EXPECT_TRUE(ProgressOverlay::shared().isVisible());
    EXPECT_EQ(app().tourId, "440");
    EXPECT_EQ(app().tempLang, 0) << "every language but French and Spanish reads the English texts";
    env.settle();
    env.advance(1.0);

    EXPECT_EQ(service.requestsTo(test::fullCircuitPath("440")).size(), 1u);
    EXPECT_EQ(screen->lblTitle->text(), "Старый Квебек");
    EXPECT_EQ(segmentTitles(*screen->segLanguage), (std::vector<std::string>{"Русский", "Deutsch"}));
    EXPECT_EQ(segmentTitles(*screen->segLanguageLand), (std::vector<std::string>{"Русский", "Deutsch"}));
    EXPECT_EQ(screen->segLanguage->selectedSegmentIndex(), 0);
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
    EXPECT_DOUBLE_EQ(screen->portraitView->alpha(), 1.0);
    EXPECT_DOUBLE_EQ(screen->stackTitle->alpha(), 1.0);
    EXPECT_EQ(eventsNamed("Consulter_circuit").size(), 2u);
}

TEST_F(TourScreenTest, SwitchFromAHiddenContentVersionToAnOrdinaryOneLeavesNothingStale) {
    serveTour("418", test::fixtureTour([](nlohmann::json& t) { t["contenu_cache"] = "1"; }));
    serveTour("419", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "419";
                  t["language"] = "en";
                  t["contenu_cache"] = "0";
              }));
    auto screen = openTour("418");
    EXPECT_FALSE(screen->btnConsultTop->isEnabled());
    EXPECT_FALSE(screen->btnConsultImag->isEnabled());
    EXPECT_FALSE(screen->btnPreload->isEnabled());
    EXPECT_FALSE(screen->btnHiddenTourContent->isHidden());

    ASSERT_TRUE(screen->btnHiddenTourContent->tap());
    auto notice = test::topAlert();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->alertTitle(), app().text("Notice"));
    EXPECT_EQ(notice->message(), app().text("TourHiddenContent"));
    ASSERT_TRUE(notice->tap("OK"));

    ASSERT_EQ(screen->segLanguage->titleForSegment(1), "English");
    ASSERT_TRUE(screen->segLanguage->select(1));
    env.settle();
    EXPECT_EQ(screen->lblTitle->text(), "Le Vieux-Québec à pied : ruelles, remparts et château");
    EXPECT_EQ(screen->tour->circuit_id, "419");
    EXPECT_TRUE(screen->btnConsultTop->isEnabled());
    EXPECT_TRUE(screen->btnConsultImag->isEnabled());
    EXPECT_TRUE(screen->btnPreload->isEnabled());
    EXPECT_TRUE(screen->btnHiddenTourContent->isHidden());
}

TEST_F(TourScreenTest, SwitchToTheFrenchVersionSpeaksFrench) {
    service.serveFixtureTours();
    serveTour("419", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "419";
                  t["language"] = "en";
              }));
    auto screen = openTour("419");
    ASSERT_EQ(screen->segLanguageLand->titleForSegment(1), "Français");
    EXPECT_FALSE(screen->segLanguageLand->select(1)) << "the landscape layout is hidden in portrait";
    test::rotate(DeviceOrientation::landscapeLeft);
    ASSERT_TRUE(screen->segLanguageLand->select(1));
    env.settle();
    EXPECT_EQ(app().tempLang, 1);
    EXPECT_EQ(app().tourId, "418");
    EXPECT_EQ(screen->lblTourDetails->text(), app().text("Tour Details"));
    EXPECT_EQ(app().text("Tour Details"), app().dictLang.at("Tour Details"));
    EXPECT_NE(app().text("LinkCircuit").find("www.trelvoquest.com"), std::string::npos) << "the French site's links";
}

TEST_F(TourScreenTest, DescriptionLinksStayInsideOnlyForThePageAndTheFrenchSite) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    struct Case {
        std::string address;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {"http://www.trelvoquest.com", true},
        {"http://www.trelvoquest.com/circuit/418", true},
        {"http://m.trelvoquest.com/circuit/418", true},
        {"applewebdata://5A1B/page", true},
        {"about:blank", true},
        {"https://www.trelvoquest.com/circuit/418", false},
        {"http://www.trelvoquest.com.example.org/phish", false},
        {"https://en.wikipedia.org/wiki/Quebec_City", false},
        {"mailto:office@example.org", false},
        {"about:blank#top", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        auto before = UiApplication::shared().openedAddresses().size();
        for (auto* web : {screen->descriptionView.get(), screen->descriptionViewLand.get()}) {
            auto id = web->driver().tapLink(c.address);
            auto* record = web->navigation(id);
            ASSERT_TRUE(record);
            EXPECT_EQ(record->decisionCalls, 1);
            EXPECT_EQ(record->phase == WebNavigationRecord::Phase::cancelled, !c.allowed);
        }
        env.settle();
        const auto& opened = UiApplication::shared().openedAddresses();
        if (c.allowed) {
            EXPECT_EQ(opened.size(), before);
        } else {
            ASSERT_EQ(opened.size(), before + 2);
            EXPECT_EQ(opened.back(), c.address);
        }
    }
    auto id = screen->descriptionView->driver().navigateWithoutAddress();
    EXPECT_NE(screen->descriptionView->navigation(id)->phase, WebNavigationRecord::Phase::cancelled);
}

TEST_F(TourScreenTest, DescriptionDropsWrittenOutEscapesAndKeepsRealLineBreaks) {
    serveTour("418", test::fixtureTour([](nlohmann::json& t) { t["description"] = "Haute\\nVille\\r\\\\ et\nport\\"; }));
    auto screen = openTour("418");
    auto html = screen->descriptionView->lastHTML().value_or("");
    EXPECT_NE(html.find("<body>HauteVille et\nport</body>"), std::string::npos) << html;
    EXPECT_EQ(html.rfind("<html><style>body { font-size:18px;", 0), 0u);
}

TEST_F(TourScreenTest, DescriptionHeightsFollowThePageHeight) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    const std::string script = "document.body.scrollHeight";
    ASSERT_TRUE(screen->descriptionView->driver().answerScript(script, 812.0));
    EXPECT_DOUBLE_EQ(screen->constDescriptionHeight->constant(), 812);
    ASSERT_TRUE(screen->descriptionViewLand->driver().answerScript(script, 400.0));
    EXPECT_DOUBLE_EQ(screen->constDescriptionLandHeight->constant(), 400);
    EXPECT_DOUBLE_EQ(screen->landscapeView->contentSize().height, 650);
    EXPECT_DOUBLE_EQ(screen->landscapeView->contentSize().width, screen->landscapeView->frame().width());
    EXPECT_DOUBLE_EQ(screen->constDescriptionHeight->constant(), 812) << "each page fits its own view";

    // A rotation reloads both pages; an answer that is no number leaves the heights alone.
    test::rotate(DeviceOrientation::landscapeLeft);
    env.settle();
    ASSERT_TRUE(screen->descriptionView->driver().answerScript(script, std::string("tall")));
    ASSERT_TRUE(screen->descriptionViewLand->driver().answerScript(script, ScriptValue{}));
    EXPECT_DOUBLE_EQ(screen->constDescriptionHeight->constant(), 812);
    EXPECT_DOUBLE_EQ(screen->constDescriptionLandHeight->constant(), 400);
}

TEST_F(TourScreenTest, IntroVideoPlaysFullScreenUntilItsEnd) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    ASSERT_TRUE(screen->btnConsultIntro->tap());
    auto shown = std::dynamic_pointer_cast<VideoPlayerViewController>(test::topPresented());
    ASSERT_EQ(shown, screen->movieController);
    EXPECT_TRUE(shown->isFullScreen());
    ASSERT_TRUE(shown->player());
    EXPECT_TRUE(shown->player()->isPlaying());
    EXPECT_EQ(shown->player()->currentItem()->url(), "https://media.trelvoquest.com/public/media/video/intro_418.mp4");

    shown->player()->driver().playToEnd();
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_FALSE(shown->isFullScreen());
    env.settle();

    // Played again from the landscape layout: the same player screen with a new player.
    test::rotate(DeviceOrientation::landscapeLeft);
    ASSERT_TRUE(screen->btnConsultIntroLand->tap());
    EXPECT_EQ(test::topPresented(), screen->movieController);
    screen->movieController->player()->driver().playToEnd();
    EXPECT_FALSE(screen->presentedViewController());
}

// One second of silence as a 16-bit mono WAV file at 8 kHz.
std::string silentWav() {
    const std::uint32_t samples = 8000, dataBytes = samples * 2;
    std::string wav = "RIFF";
    auto put = [&wav](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(36 + dataBytes, 4);
    wav += "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);
    wav += "data";
    put(dataBytes, 4);
    wav.append(dataBytes, '\0');
    return wav;
}

TEST_F(TourScreenTest, IntroVideoBringsTheSharedAudioBackToFullVolumeOverOneSecond) {
    service.serveFixtureTours();
    auto made = AudioPlayer::withData(env.env(), silentWav());
    ASSERT_TRUE(made.player);
    auto audio = made.player;
    audio->setVolume(0.2);
    MediaPlayers::shared().player = audio;
    auto screen = openTour("418");
    ASSERT_TRUE(screen->btnConsultIntro->tap());
    EXPECT_DOUBLE_EQ(audio->volume(), 0.2);  // a ramp, not a jump
    env.advance(0.5);
    EXPECT_NEAR(audio->volume(), 0.6, 1e-9);
    env.advance(0.5);
    EXPECT_DOUBLE_EQ(audio->volume(), 1.0);
}

TEST_F(TourScreenTest, IntroThatIsNoAddressPlaysNothing) {
    serveTour("418", test::fixtureTour([](nlohmann::json& t) { t["urlVideoIntro"] = "intro video.mp4"; }));
    auto screen = openTour("418");
    EXPECT_FALSE(screen->btnConsultIntro->isHidden());
    ASSERT_TRUE(screen->btnConsultIntro->tap());
    EXPECT_FALSE(screen->presentedViewController());
}

}  // namespace
}  // namespace tq
