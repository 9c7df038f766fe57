#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"
#include "screens/browse/ParameterDetailViewController.h"
#include "app/storyboards/Storyboards.h"
#include "support/MirroredScreenTest.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using Phase = WebNavigationRecord::Phase;

class InformationPageTest : public test::MirroredScreenTest {
protected:
    InformationPageTest() {
        env->shared<AppDelegate>().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
        window = test::showInWindow(nav);
        mirrorWindow(env, window);
    }

    std::shared_ptr<ParameterDetailViewController> openPage(const std::string& text, const std::string& title) {
        auto page = StoryboardRegistry::shared().named("Settings-ipad")->instantiate<ParameterDetailViewController>(
            "ParameterDetailViewController");
        EXPECT_TRUE(page);
        if (!page) return nullptr;
        page->textInfo = text;
        page->titleInfo = title;
        nav->pushViewController(page, true);
        env.settle();
        return page;
    }

    test::TestEnvironment env;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

TEST_F(InformationPageTest, WebLinksOpenOutsideAndOtherLinksLoadInThePage) {
    struct Case {
        std::string address;
        bool outside;
    };
    const std::vector<Case> cases = {
        {"https://www.trelvoquest.com/contact", true},
        {"http://www.openstreetmap.org/copyright", true},
        {"HTTPS://www.trelvoquest.es/", true},
        {"mailto:contact@trelvoquest.com", false},
        {"tel:+33102030405", false},
        {"about:blank#top", false},
        {"/relative/page.html", false},
        {"https://www.trelvoquest.com/a page with blanks", false},
    };
    auto page = openPage(R"(<p><a href="https://www.trelvoquest.com/contact">contact</a></p>)", "Contact");
    ASSERT_TRUE(page);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        auto opened = UiApplication::shared().openedAddresses().size();
        int link = page->webView->driver().tapLink(c.address);
        env.settle();
        const auto* navigation = page->webView->navigation(link);
        ASSERT_TRUE(navigation);
        if (c.outside) {
            EXPECT_EQ(navigation->phase, Phase::cancelled);
            ASSERT_EQ(UiApplication::shared().openedAddresses().size(), opened + 1);
            EXPECT_EQ(UiApplication::shared().openedAddresses().back(), c.address);
        } else {
            EXPECT_NE(navigation->phase, Phase::cancelled);
            EXPECT_EQ(UiApplication::shared().openedAddresses().size(), opened);
        }
    }
}

TEST_F(InformationPageTest, NavigationsOtherThanALinkAreAllowed) {
    auto page = openPage("<p>text</p>", "Title");
    ASSERT_TRUE(page);
    for (auto type : {NavigationType::formSubmitted, NavigationType::backForward, NavigationType::reload,
                      NavigationType::other}) {
        int navigation = page->webView->driver().tapLink("https://www.trelvoquest.com/form", type);
        env.settle();
        EXPECT_EQ(page->webView->navigation(navigation)->phase, Phase::finished);
    }
    int withoutAddress = page->webView->driver().navigateWithoutAddress();
    env.settle();
    EXPECT_NE(page->webView->navigation(withoutAddress)->phase, Phase::cancelled);

    NavigationAction linkWithoutAddress;
    linkWithoutAddress.navigationType = NavigationType::linkActivated;
    std::optional<NavigationActionPolicy> decision;
    page->decidePolicyForNavigationAction(*page->webView, linkWithoutAddress,
                                          [&](NavigationActionPolicy policy) { decision = policy; });
    EXPECT_EQ(decision, NavigationActionPolicy::allow);
    EXPECT_TRUE(UiApplication::shared().openedAddresses().empty());
}

TEST_F(InformationPageTest, ThePageShowsItsTextInTheTemplateAndItsTitle) {
    auto page = openPage("<p>Écrivez-nous</p>", "Contact");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->title(), "Contact");
    EXPECT_EQ(page->webView->lastHTML(), informationPageHtml("<p>Écrivez-nous</p>"));
    EXPECT_EQ(page->webView->navigations().front().phase, Phase::finished) << "the page's own load is allowed";
    EXPECT_FALSE(page->webView->navigations().front().baseURL);

    auto empty = openPage("", "");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->title(), "");
    auto html = empty->webView->lastHTML();
    ASSERT_TRUE(html);
    EXPECT_EQ(*html,
              "<html> <style> body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
              "background-color:rgb(235, 235, 235)); text-align:center;  -webkit-text-size-adjust: none; }</style><head> "
              "<meta name='viewport' content='initial-scale=1.0'/><meta charset=\"UTF-8\"></head><body><font "
              "face='Helvetica' color='#474747' size='4px'></font></body></html>");
}

TEST_F(InformationPageTest, LeavingThePageDismissesTheProgressOverlay) {
    auto page = openPage("<p>text</p>", "Title");
    ASSERT_TRUE(page);
    ProgressOverlay::shared().show();
    nav->popViewController(true);
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());

    // Without an overlay up, leaving dismisses nothing.
    auto again = openPage("<p>text</p>", "Title");
    int dismissals = ProgressOverlay::shared().dismissCount();
    nav->popViewController(true);
    EXPECT_EQ(ProgressOverlay::shared().dismissCount(), dismissals);
}

}  // namespace
}  // namespace tq
