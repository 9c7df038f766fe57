#include "ContentScreenFixture.h"
#include "platform/services/FileURL.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;
using test::mediaAddress;
using test::plainMediaAddress;

const std::string kPanoramaPath = "/public/media/panorama/12.jpg";
const std::string kPanoramaThumbPath = "/public/media/panorama/thumb_12.jpg";
const std::string kImagePath = "/public/media/img/22_fresque.jpg";
const std::string kVideoPath = "/public/media/video/clip.mp4";

PoiContentRef panorama(std::optional<std::string> description = "Au bord du fleuve") {
    return makeContent("12", "panorama", "Terrasse", std::move(description),
                       {{"filePath", plainMediaAddress(kPanoramaPath)},
                        {"thumbnailUrl", plainMediaAddress(kPanoramaThumbPath)}});
}
PoiContentRef image() {
    return makeContent("22", "img", "Fresque", "Une fresque",
                       {{"filePath", plainMediaAddress(kImagePath)},
                        {"thumbnailUrl", plainMediaAddress("/public/media/img/thumb_22_fresque.jpg")}});
}
PoiContentRef video(std::optional<std::int64_t> duration = 125) {
    nlohmann::json metadata = {{"filePath", plainMediaAddress(kVideoPath)},
                               {"thumbnailUrl", plainMediaAddress("/public/media/video/thumb_17.jpg")}};
    if (duration) metadata["duration"] = *duration;
    return makeContent("17", "video", "Escaliers", "Office du tourisme", metadata);
}

bool pageHasBody(const WebView& web, const std::string& head, const std::string& body) {
    auto html = web.lastHTML();
    return html && html->rfind(head.substr(0, 20), 0) == 0 && html->find("<body>" + body + "</body></html>") != std::string::npos;
}

class ContentKindsTest : public ContentScreenTest {
protected:
    const ImageLoadRecord* lastLoad(const ImageView& view) {
        return env->shared<ImageLoader>().lastLoadInto(view);
    }
    std::vector<std::string> shownBlocks(ContentController& s) {
        std::vector<std::string> shown;
        for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
                 s.view360, s.viewImage, s.viewVideo, s.viewAudio, s.webViewText, s.view360Land, s.viewImageLand,
                 s.viewVideoLand, s.viewAudioLand}) {
            if (!view->isHidden()) shown.push_back(view->identifier());
        }
        return shown;
    }
};

TEST_F(ContentKindsTest, EachKindShowsItsOwnBlocksInBothLayoutsAndItsShowButton) {
    // Metadata decodes the kind; a text that comes without any counts as a content of no kind.
    auto text = makeContent("13", "txt", "Histoire", "Il était une fois", {{"status", 1}});
    auto none = makeContent("31", "none", "Bientôt", "Plus tard");
    auto audio = makeContent("14", "audio", "Récit", "", {{"filePath", plainMediaAddress("/public/media/audio/14.wav")}});
    auto screen = open({panorama(), text, image(), video(), audio, none});

    struct Case {
        std::vector<std::string> blocks;
        std::string caption;
        std::optional<Image> buttonImage;
        bool showHidden;
    };
    const std::vector<Case> cases = {
        {{"view360", "view360Land"}, "", Image::named("360White"), false},
        {{"webViewText"}, "", Image::named(""), true},
        {{"viewImage", "viewImageLand"}, app().text("Agrandir"), Image::named("zoomNoHandle"), false},
        {{"viewVideo", "viewVideoLand"}, app().text("Play"), Image::named("playContent"), false},
        {{"viewAudio", "viewAudioLand"}, app().text("Play"), Image::named("playContent"), false},
        {{"webViewText"}, "", Image::named(""), true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        if (i > 0) tapAndWait(screen->btnNext);
        env.settle();
        EXPECT_EQ(shownBlocks(*screen), cases[i].blocks);
        EXPECT_EQ(screen->lblShow->isHidden(), cases[i].showHidden);
        EXPECT_EQ(screen->btnShow->isHidden(), cases[i].showHidden);
        if (i == 5) continue;  // a content without a kind leaves the button as it was
        EXPECT_EQ(screen->lblShow->text(), cases[i].caption);
        EXPECT_EQ(screen->btnShow->image(), cases[i].buttonImage);
    }
    EXPECT_TRUE(consoleHas("No content type"));
    EXPECT_TRUE(consoleHas("No button show"));
    EXPECT_TRUE(pageHasBody(*screen->webViewText, "<html><style> body", "Plus tard"));
}

TEST_F(ContentKindsTest, OnlinePanoramaShowsItsThumbnailAndOpensTheSecure360Picture) {
    servePicture(kPanoramaThumbPath);
    auto screen = open({panorama()});
    env.settle();
    for (const auto& view : {screen->img360, screen->img360Land}) {
        auto load = lastLoad(*view);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->source, mediaAddress(kPanoramaThumbPath));
        EXPECT_DOUBLE_EQ(load->fadeDuration, 0.3);
        EXPECT_TRUE(view->image());
    }
    EXPECT_EQ(screen->image360, mediaAddress("/public/media/panorama/360_12.jpg"));
    EXPECT_TRUE(screen->viewPortrait->isScrollEnabled());
    EXPECT_TRUE(pageHasBody(*screen->webView360, "<html><style>body { font-size:18px; font-family: -apple-system, "
                                                 "Helvetica; sans-serif; background-color:rgb(235, 235, 235); }",
                            "Au bord du fleuve"));
    EXPECT_EQ(screen->webView360->lastHTML(), screen->webView360Land->lastHTML());
    EXPECT_TRUE(screen->btnShow->isEnabled());
}

TEST_F(ContentKindsTest, ImageShowsTheFullPictureAndBothDescriptionPages) {
    auto screen = open({image()});
    for (const auto& view : {screen->imgImage, screen->imgImageLand}) {
        ASSERT_TRUE(lastLoad(*view));
        EXPECT_EQ(lastLoad(*view)->source, mediaAddress(kImagePath));
    }
    auto centred = screen->webViewImage->lastHTML();
    ASSERT_TRUE(centred);
    EXPECT_NE(centred->find("text-align:center; }"), std::string::npos);
    EXPECT_EQ(screen->webView360Land->lastHTML(), centred);
    auto left = screen->webViewImageLand->lastHTML();
    ASSERT_TRUE(left);
    EXPECT_NE(left->find("text-align:left; }"), std::string::npos);
    EXPECT_NE(left->find("<body>Une fresque</body></html>"), std::string::npos);
}

TEST_F(ContentKindsTest, MissingDescriptionSaysSo) {
    auto screen = open({panorama(std::nullopt)});
    EXPECT_TRUE(pageHasBody(*screen->webView360, "<html><style>body", "no description"));
}

TEST_F(ContentKindsTest, VideoAndAudioShowTheirSourceLineAndTheVideoItsDuration) {
    auto silent = makeContent("15", "audio", "Silence", "", {{"filePath", plainMediaAddress("/a.wav")}});
    auto screen = open({video(), silent, video(std::nullopt)});
    EXPECT_EQ(screen->lblVideoSource->text(), app().text("sourceAudioTitle") + "Office du tourisme");
    EXPECT_EQ(screen->lblVideoSourceLand->text(), screen->lblVideoSource->text());
    EXPECT_EQ(screen->lblVideoDuration->text(), app().text("Duration") + "2:05 minutes");
    EXPECT_EQ(screen->lblVideoDurationLand->text(), screen->lblVideoDuration->text());
    tapAndWait(screen->btnNext);
    EXPECT_EQ(screen->lblAudioSource->text(), "");
    EXPECT_EQ(screen->lblAudioSourceLand->text(), "");
    tapAndWait(screen->btnNext);
    EXPECT_EQ(screen->lblVideoDuration->text(), "") << "no duration, no text";
}

TEST_F(ContentKindsTest, DurationTextFollowsTheInterfaceLanguage) {
    struct Case {
        std::int64_t lang;
        std::int64_t seconds;
        std::string text;
    };
    for (const auto& c : std::vector<Case>{{0, 125, "2:05 minutes"}, {1, 125, "2 min 05 s"}, {2, 125, "2 y 05 minutos"},
                                           {0, 59, "0:59 minutes"}, {1, 0, "0 min 00 s"}, {2, 3600, "60 y 00 minutos"}}) {
        EXPECT_EQ(videoDurationText(c.lang, c.seconds), c.text);
    }
    app().lang = 1;
    app().tempLang = 2;
    app().loadLanguageDictionary();
    auto screen = open({video()});
    EXPECT_EQ(screen->lblVideoDuration->text(), app().text("Duration") + "2 min 05 s")
        << "the words of the tour's language, the format of the interface's";
}

TEST_F(ContentKindsTest, OnlineVideoIsPlayedFromTheSecureAddress) {
    auto screen = open({video()});
    ASSERT_TRUE(screen->videoPlayer);
    EXPECT_EQ(screen->videoPlayer->currentItem()->url(), mediaAddress(kVideoPath));
    ASSERT_TRUE(screen->movieController);
    EXPECT_EQ(screen->movieController->player(), screen->videoPlayer);
}

TEST_F(ContentKindsTest, DownloadedTourPlaysAndShowsItsOwnFiles) {
    auto folder = storeTour();
    writeFile(folder / "17clip.mp4", "not really a video");
    writeFile(folder / "17thumb_17.jpg", test::pngBytes(4, 4));
    writeFile(folder / "360_12360_12.jpg", test::pngBytes(16, 4));
    writeFile(folder / "12thumb_12.jpg", test::pngBytes(4, 4));
    auto screen = open({video(), panorama()});
    ASSERT_TRUE(screen->videoPlayer);
    EXPECT_EQ(screen->videoPlayer->currentItem()->url(), fileURL(folder / "17clip.mp4"));
    env.settle();
    ASSERT_TRUE(lastLoad(*screen->imgVideo));
    EXPECT_EQ(lastLoad(*screen->imgVideo)->source, (folder / "17thumb_17.jpg").string());
    EXPECT_TRUE(screen->imgVideo->image());

    tapAndWait(screen->btnNext);
    env.settle();
    EXPECT_EQ(screen->image360, fileURL(folder / "360_12360_12.jpg"));
    EXPECT_TRUE(screen->img360Land->image());
}

TEST_F(ContentKindsTest, PictureThatIsMissingLeavesTheViewEmpty) {
    auto folder = storeTour();
    writeFile(folder / "22thumb_22_fresque.jpg", test::pngBytes(4, 4));
    auto other = makeContent("23", "img", "Autre", "", {{"filePath", plainMediaAddress("/b.jpg")},
                                                        {"thumbnailUrl", plainMediaAddress("/thumb_b.jpg")}});
    auto screen = open({image(), other});
    env.settle();
    EXPECT_TRUE(screen->imgImage->image());
    tapAndWait(screen->btnNext);
    env.settle();
    EXPECT_FALSE(screen->imgImage->image()) << "not the last content's picture";
    EXPECT_FALSE(screen->imgImageLand->image());
}

TEST_F(ContentKindsTest, PortraitImagePageTakesItsHeight) {
    auto screen = open({image()});
    env.settle();
    ASSERT_TRUE(screen->webViewImage->driver().answerScript("document.body.scrollHeight", 300.0));
    EXPECT_DOUBLE_EQ(screen->constImageDesc->constant(), 300);
    EXPECT_DOUBLE_EQ(screen->viewPortrait->contentSize().height, 300 + screen->imgImage->frame().height() + 20);
    EXPECT_DOUBLE_EQ(screen->viewPortrait->contentSize().width, screen->viewPortrait->frame().width());
}

TEST_F(ContentKindsTest, LandscapePagesAreNeverTallerThanThePictureBesideThem) {
    auto screen = open({image(), panorama()});
    env.settle();
    const double picture = screen->imgImageLand->frame().height();
    auto& web = *screen->webViewImageLand;
    EXPECT_DOUBLE_EQ(screen->constImageDescLand->constant(), 1) << "shrunk before it is measured";
    EXPECT_FALSE(web.scrollView().isScrollEnabled());
    ASSERT_TRUE(web.driver().answerScript("document.body.scrollHeight", picture - 100));
    ASSERT_TRUE(web.driver().answerScript("document.body.scrollHeight", picture - 90));
    EXPECT_DOUBLE_EQ(screen->constImageDescLand->constant(), picture - 90);
    EXPECT_FALSE(web.scrollView().isScrollEnabled());

    tapAndWait(screen->btnNext);
    env.settle();
    auto& land360 = *screen->webView360Land;
    ASSERT_TRUE(land360.driver().answerScript("document.body.scrollHeight", picture + 500));
    EXPECT_DOUBLE_EQ(screen->constImage360Land->constant(), screen->img360Land->frame().height());
    EXPECT_TRUE(land360.scrollView().isScrollEnabled());

    auto before = screen->constImage360Land->constant();
    test::rotate(DeviceOrientation::landscapeLeft);
    env.settle();
    ASSERT_TRUE(land360.driver().answerScript("document.body.scrollHeight", "tall"));
    EXPECT_DOUBLE_EQ(screen->constImage360Land->constant(), 1) << "no number, no fitting";
    (void)before;
}

}  // namespace
}  // namespace tq
