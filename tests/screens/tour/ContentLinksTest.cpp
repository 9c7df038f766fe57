#include "ContentScreenFixture.h"
#include "product/NotificationNames.h"
#include "product/ProductSites.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;

class ContentLinksTest : public ContentScreenTest {
protected:
    std::shared_ptr<ContentController> openText() {
        auto screen = open({makeContent("13", "txt", "Histoire", "<a href='x'>lien</a>", {{"status", 1}})});
        env.settle();
        return screen;
    }
    int openTourPosts() {
        int count = 0;
        for (const auto& name : env->notifications().posted()) count += name == Notifications::openTourFromScan;
        return count;
    }
    std::string site(const std::string& scheme, const char* host, const std::string& path) {
        return scheme + "://" + host + path;
    }
};

TEST_F(ContentLinksTest, OwnSiteLinksNameTheTourAndPointToOpenAndStayOnThePage) {
    struct Case {
        std::string address;
        std::optional<std::string> tour;
        std::optional<std::string> point;
        bool posts;
    };
    const std::vector<Case> cases = {
        {site("https", ProductSites::french, "/circuit/418/poi/9002"), "418", "9002", true},
        {site("http", ProductSites::english, "/tour/502"), "502", "9002", true},  // the point stays from before
        {site("https", ProductSites::spanish, "/circuito/611/x"), "611", "9002", true},
        {site("http", ProductSites::french, "/only"), std::nullopt, "9002", false},
        {site("https", ProductSites::english, ""), std::nullopt, "9002", false},
    };
    auto screen = openText();
    auto& web = *screen->webViewText;
    auto page = web.lastHTML();
    int posts = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        web.driver().tapLink(c.address);
        env.settle();
        EXPECT_EQ(web.lastNavigation()->phase, WebNavigationRecord::Phase::cancelled);
        EXPECT_EQ(app().idTourToPush, c.tour);
        EXPECT_EQ(app().idPoiToPush, c.point);
        posts += c.posts;
        EXPECT_EQ(openTourPosts(), posts);
        EXPECT_EQ(web.lastHTML(), page);
    }
    EXPECT_TRUE(UiApplication::shared().openedAddresses().empty());
}

TEST_F(ContentLinksTest, OtherWebPagesOpenOutsideAndOtherSchemesStayInThePage) {
    auto screen = openText();
    auto& web = *screen->webViewText;
    const std::string lookalike = std::string("https://") + ProductSites::french + ".example.org/circuit/418";
    for (const auto& address : {std::string("https://example.org/musee"), lookalike}) {
        web.driver().tapLink(address);
        env.settle();
        EXPECT_EQ(web.lastNavigation()->phase, WebNavigationRecord::Phase::cancelled);
    }
    EXPECT_EQ(UiApplication::shared().openedAddresses(),
              (std::vector<std::string>{"https://example.org/musee", lookalike}));
    EXPECT_EQ(openTourPosts(), 0);
    EXPECT_FALSE(app().idTourToPush);

    web.driver().tapLink("mailto:accueil@example.org");
    env.settle();
    EXPECT_NE(web.lastNavigation()->phase, WebNavigationRecord::Phase::cancelled);
    web.driver().navigateWithoutAddress();
    env.settle();
    EXPECT_NE(web.lastNavigation()->phase, WebNavigationRecord::Phase::cancelled);
    EXPECT_EQ(UiApplication::shared().openedAddresses().size(), 2u);
}

TEST_F(ContentLinksTest, NewWindowLinksLoadInTheSameViewThroughTheSamePolicy) {
    auto screen = openText();
    auto& web = *screen->webViewText;
    ASSERT_TRUE(web.driver().tapLinkInNewWindow("https://example.org/expo"));
    env.settle();
    EXPECT_EQ(UiApplication::shared().openedAddresses(), std::vector<std::string>{"https://example.org/expo"});
    ASSERT_TRUE(web.driver().tapLinkInNewWindow(site("https", ProductSites::french, "/c/611")));
    env.settle();
    EXPECT_EQ(app().idTourToPush, "611");
    EXPECT_EQ(openTourPosts(), 1);
}

TEST_F(ContentLinksTest, OwnSiteLinkFadesTheAudioAndStopsOnlyThatTrack) {
    serveAudio("/a.wav", 60);
    serveAudio("/b.wav", 60);
    auto a = makeContent("14", "audio", "A", "", {{"filePath", test::plainMediaAddress("/a.wav")}});
    auto b = makeContent("15", "audio", "B", "", {{"filePath", test::plainMediaAddress("/b.wav")}});
    auto screen = open({makeContent("13", "txt", "Histoire", "texte", {{"status", 1}}), a, b});
    tapAndWait(screen->btnNext);
    env.settle();
    tapAndWait(screen->btnPlayAudio);
    auto first = player();
    tapAndWait(screen->btnPrev);
    screen->webViewText->driver().tapLink(site("https", ProductSites::french, "/circuit/418"));
    env.advance(0.5);
    EXPECT_NEAR(first->volume(), 0.5, 0.01);
    EXPECT_TRUE(players().audioStillRunning);

    // Before the stop falls due, the visitor starts another track.
    tapAndWait(screen->btnNext);
    tapAndWait(screen->btnNext);
    tapAndWait(screen->btnPlayAudio);
    env.settle();
    auto second = player();
    ASSERT_TRUE(second && second != first);
    ASSERT_TRUE(second->isPlaying());
    env.advance(1.0);
    EXPECT_FALSE(first->isPlaying());
    EXPECT_TRUE(second->isPlaying()) << "the delayed stop is for the faded track only";
    EXPECT_TRUE(players().audioStillRunning);
}

TEST_F(ContentLinksTest, WithoutRunningAudioALinkTouchesNoPlayer) {
    serveAudio("/a.wav", 60);
    auto a = makeContent("14", "audio", "A", "", {{"filePath", test::plainMediaAddress("/a.wav")}});
    auto screen = open({a, makeContent("13", "txt", "Histoire", "texte", {{"status", 1}})});
    env.settle();
    tapAndWait(screen->btnNext);
    screen->webViewText->driver().tapLink(site("https", ProductSites::french, "/circuit/418"));
    env.advance(2);
    ASSERT_TRUE(player());
    EXPECT_DOUBLE_EQ(player()->volume(), 1.0);
    EXPECT_EQ(player()->count(AudioPlayerEvent::Kind::stop), 0);
}

}  // namespace
}  // namespace tq
