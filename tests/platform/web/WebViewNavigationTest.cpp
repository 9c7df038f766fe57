#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/services/FileURL.h"
#include "platform/web/WebView.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

using Phase = WebNavigationRecord::Phase;

// A screen-like delegate: keeps every decision handler so the test decides when to answer, and
// records the callbacks it gets.
struct RecordingDelegate : WebNavigationDelegate {
    std::vector<DecisionHandler> handlers;
    std::vector<NavigationAction> actions;
    std::vector<int> finished;
    std::vector<std::pair<int, WebError>> failed;
    std::vector<std::pair<int, WebError>> provisionalFailures;
    bool decideAtOnce = false;

    void decidePolicyForNavigationAction(WebView&, const NavigationAction& action, DecisionHandler handler) override {
        actions.push_back(action);
        if (decideAtOnce) {
            handler(NavigationActionPolicy::allow);
        } else {
            handlers.push_back(std::move(handler));
        }
    }
    void didFinishNavigation(WebView&, const WebNavigation& navigation) override {
        finished.push_back(navigation.identifier);
    }
    void didFailNavigation(WebView&, const WebNavigation& navigation, const WebError& error) override {
        failed.emplace_back(navigation.identifier, error);
    }
    void didFailProvisionalNavigation(WebView&, const WebNavigation& navigation, const WebError& error) override {
        provisionalFailures.emplace_back(navigation.identifier, error);
    }
};

class WebViewNavigationTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    std::shared_ptr<WebView> web = std::make_shared<WebView>(Rect(0, 0, 320, 200));
    RecordingDelegate delegate;

    void SetUp() override { web->setNavigationDelegate(&delegate); }
};

TEST_F(WebViewNavigationTest, DecisionHandlerActsOnItsFirstCallOnlyAndCountsTheOthers) {
    int id = web->driver().tapLink("https://example.org/a");
    ASSERT_EQ(delegate.handlers.size(), 1u);
    EXPECT_EQ(web->pendingDecisions().size(), 1u);

    delegate.handlers[0](NavigationActionPolicy::cancel);
    delegate.handlers[0](NavigationActionPolicy::allow);
    delegate.handlers[0](NavigationActionPolicy::allow);
    env.settle();

    EXPECT_EQ(web->navigation(id)->phase, Phase::cancelled);
    EXPECT_EQ(web->navigation(id)->decisionCalls, 3);
    EXPECT_EQ(web->repeatedDecisionCalls(), 2);
    EXPECT_TRUE(delegate.finished.empty());
    EXPECT_FALSE(web->url().has_value());
    EXPECT_TRUE(web->pendingDecisions().empty());
}

TEST_F(WebViewNavigationTest, UnansweredDecisionLeavesTheNavigationPending) {
    web->loadHTMLString("<p>a</p>");
    env.settle();
    env.advance(30);
    ASSERT_EQ(web->pendingDecisions().size(), 1u);
    EXPECT_EQ(web->pendingDecisions()[0]->url(), "about:blank");
    EXPECT_TRUE(delegate.finished.empty());
    EXPECT_FALSE(web->isLoading());

    // An answer that comes late still loads the page.
    delegate.handlers[0](NavigationActionPolicy::allow);
    env.settle();
    EXPECT_EQ(delegate.finished.size(), 1u);
}

TEST_F(WebViewNavigationTest, HandlerCalledAfterTheWebViewIsGoneDoesNothing) {
    web->driver().tapLink("https://example.org/");
    auto handler = delegate.handlers.at(0);
    web.reset();
    handler(NavigationActionPolicy::allow);
    handler(NavigationActionPolicy::allow);
    env.settle();
    EXPECT_TRUE(delegate.finished.empty());
}

TEST_F(WebViewNavigationTest, HtmlLoadAsksThePolicyWithItsBaseAddressAndFinishesOnTheNextTurn) {
    delegate.decideAtOnce = true;
    int id = web->loadHTMLString("<html>x</html>", "https://example.org/base/");
    EXPECT_EQ(delegate.actions.at(0).request.url, "https://example.org/base/");
    EXPECT_EQ(web->navigation(id)->phase, Phase::loading);
    EXPECT_TRUE(delegate.finished.empty()) << "a load never finishes inside the call that started it";

    env->loop().runPending();
    EXPECT_EQ(delegate.finished, std::vector<int>{id});
    EXPECT_EQ(web->lastHTML(), "<html>x</html>");
    EXPECT_EQ(web->url(), "https://example.org/base/");
}

TEST_F(WebViewNavigationTest, HeldLoadsWaitForTheTest) {
    delegate.decideAtOnce = true;
    for (bool engineWide : {false, true}) {
        SCOPED_TRACE(engineWide ? "engine-wide" : "this web view");
        delegate.finished.clear();
        if (engineWide) {
            web->driver().setHoldsLoads(false);
            env->shared<WebEngine>().setHoldsLoads(true);
        } else {
            web->driver().setHoldsLoads(true);
        }
        int id = web->loadHTMLString("<p/>");
        env.settle();
        env.advance(10);
        EXPECT_TRUE(delegate.finished.empty());
        EXPECT_TRUE(web->isLoading());

        EXPECT_TRUE(web->driver().finishLoading());
        EXPECT_EQ(delegate.finished, std::vector<int>{id});
        EXPECT_FALSE(web->driver().finishLoading()) << "nothing left to finish";
    }
}

TEST_F(WebViewNavigationTest, NewerLoadInterruptsOneStillUnderWay) {
    delegate.decideAtOnce = true;
    int first = web->loadHTMLString("<p>portrait</p>");
    int second = web->loadHTMLString("<p>again</p>");
    env.settle();

    ASSERT_EQ(delegate.provisionalFailures.size(), 1u);
    EXPECT_EQ(delegate.provisionalFailures[0].first, first);
    EXPECT_EQ(delegate.provisionalFailures[0].second.code, webErrors::cancelled);
    EXPECT_EQ(delegate.finished, std::vector<int>{second});
    EXPECT_EQ(web->navigation(first)->phase, Phase::interrupted);
}

TEST_F(WebViewNavigationTest, LateAllowForASupersededNavigationIsIgnored) {
    int first = web->loadHTMLString("<p>1</p>");
    int second = web->loadHTMLString("<p>2</p>");
    delegate.handlers.at(1)(NavigationActionPolicy::allow);
    delegate.handlers.at(0)(NavigationActionPolicy::allow);
    env.settle();
    EXPECT_EQ(web->navigation(first)->phase, Phase::interrupted);
    EXPECT_EQ(delegate.finished, std::vector<int>{second});
}

TEST_F(WebViewNavigationTest, TestCanFailALoad) {
    delegate.decideAtOnce = true;
    web->driver().setHoldsLoads(true);
    int id = web->load(URLRequest{"https://example.org/page", URLRequestCachePolicy::useProtocolCachePolicy, 60});
    WebError offline{webErrors::urlDomain, -1009, "offline"};
    EXPECT_TRUE(web->driver().failLoading(offline));
    ASSERT_EQ(delegate.failed.size(), 1u);
    EXPECT_EQ(delegate.failed[0], std::make_pair(id, offline));
    EXPECT_EQ(web->navigation(id)->phase, Phase::failed);
}

TEST_F(WebViewNavigationTest, LocalPagesMustExistAndLieInTheReadableFolder) {
    delegate.decideAtOnce = true;
    auto site = env.root() / "site";
    std::filesystem::create_directories(site / "inner");
    std::ofstream(site / "inner" / "map page.html") << "<html></html>";
    std::ofstream(env.root() / "outside.html") << "<html></html>";

    struct Case {
        std::filesystem::path page;
        std::filesystem::path readable;
        std::optional<int> failure;
    };
    const Case cases[] = {
        {site / "inner" / "map page.html", site / "inner", std::nullopt},
        {site / "inner" / "map page.html", site, std::nullopt},
        {site / "inner" / "missing.html", site, webErrors::fileDoesNotExist},
        {env.root() / "outside.html", site, webErrors::noPermissionsToRead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page.string());
        delegate.finished.clear();
        delegate.provisionalFailures.clear();
        int id = web->loadFileURL(fileURL(c.page), fileURL(c.readable) + "/");
        env.settle();
        if (c.failure) {
            ASSERT_EQ(delegate.provisionalFailures.size(), 1u);
            EXPECT_EQ(delegate.provisionalFailures[0].second.code, *c.failure);
            EXPECT_TRUE(delegate.finished.empty());
        } else {
            EXPECT_EQ(delegate.finished, std::vector<int>{id});
            EXPECT_EQ(web->navigation(id)->readAccessURL, fileURL(c.readable) + "/");
        }
    }
}

TEST_F(WebViewNavigationTest, AllowedLinkLoadsTheNewAddress) {
    delegate.decideAtOnce = true;
    web->loadHTMLString("<a href='x'>");
    env.settle();
    int id = web->driver().tapLink("https://example.org/next");
    env.settle();
    EXPECT_EQ(delegate.actions.back().navigationType, NavigationType::linkActivated);
    EXPECT_EQ(web->url(), "https://example.org/next");
    EXPECT_EQ(delegate.finished.back(), id);
    EXPECT_EQ(web->navigation(id)->origin, WebNavigationRecord::Origin::link);
}

TEST_F(WebViewNavigationTest, NavigationWithoutAddressReachesThePolicyWithoutOne) {
    web->driver().navigateWithoutAddress();
    ASSERT_EQ(delegate.actions.size(), 1u);
    EXPECT_FALSE(delegate.actions[0].request.url.has_value());
}

TEST_F(WebViewNavigationTest, WithoutDelegateEverythingIsAllowed) {
    web->setNavigationDelegate(nullptr);
    web->driver().tapLink("js-frame:3");
    env.settle();
    EXPECT_EQ(web->lastNavigation()->phase, Phase::finished);
}

TEST_F(WebViewNavigationTest, DelegateThatGoesAwayIsNotCalled) {
    auto shortLived = std::make_unique<RecordingDelegate>();
    shortLived->decideAtOnce = true;
    web->setNavigationDelegate(shortLived.get());
    web->loadHTMLString("<p/>");
    shortLived.reset();
    env.settle();  // the finish runs with no delegate left; nothing may touch it
    EXPECT_EQ(web->navigationDelegate(), nullptr);
    EXPECT_EQ(web->lastNavigation()->phase, Phase::finished);
}

struct NewWindowDelegate : WebUIDelegate {
    std::vector<NavigationAction> requests;
    std::shared_ptr<WebView> toReturn;
    std::shared_ptr<WebView> createWebViewWithConfiguration(WebView&, const WebViewConfiguration&,
                                                            const NavigationAction& action) override {
        requests.push_back(action);
        return toReturn;
    }
};

TEST_F(WebViewNavigationTest, NewWindowLinksGoToTheUIDelegate) {
    EXPECT_FALSE(web->driver().tapLinkInNewWindow("https://example.org/popup")) << "no UI delegate, nothing happens";

    NewWindowDelegate ui;
    web->setUIDelegate(&ui);
    EXPECT_TRUE(web->driver().tapLinkInNewWindow("https://example.org/popup"));
    ASSERT_EQ(ui.requests.size(), 1u);
    EXPECT_FALSE(ui.requests[0].hasTargetFrame);
    EXPECT_TRUE(web->navigations().empty()) << "returning none leaves this web view alone";

    ui.toReturn = std::make_shared<WebView>();
    web->driver().tapLinkInNewWindow("https://example.org/other");
    ASSERT_NE(ui.toReturn->lastNavigation(), nullptr);
    EXPECT_EQ(ui.toReturn->lastNavigation()->url(), "https://example.org/other");
}

TEST_F(WebViewNavigationTest, FrameHeightChangesAreRecorded) {
    web->setFrame(Rect(0, 0, 320, 1));
    web->setFrame(Rect(10, 0, 320, 1));
    web->setFrame(Rect(0, 0, 320, 480));
    EXPECT_EQ(web->frameHeights(), (std::vector<double>{1, 480}));
    EXPECT_EQ(web->scrollView().frame().height(), 480);
    web->scrollView().setScrollEnabled(false);
    EXPECT_FALSE(web->scrollView().isScrollEnabled());
}

// A redirect waiting for the policy is let go like any undecided navigation: a newer load or a
// stop takes its place, and a late answer then does nothing.
TEST_F(WebViewNavigationTest, ARedirectAwaitingThePolicyGivesWayToANewerLoadOrAStop) {
    struct Case {
        const char* name;
        std::function<void(WebView&)> meanwhile;
        const char* shownAddress;  // the redirect's address is never shown
    };
    const std::vector<Case> cases = {
        {"a newer load", [](WebView& view) { view.loadHTMLString("<p>newer</p>"); }, "about:blank"},
        {"a stop", [](WebView& view) { view.stopLoading(); }, "https://example.org/start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto view = std::make_shared<WebView>(Rect(0, 0, 320, 200));
        RecordingDelegate held;
        view->setNavigationDelegate(&held);
        view->driver().setHoldsLoads(true);
        held.decideAtOnce = true;
        int first = view->load(URLRequest{"https://example.org/start"});
        held.decideAtOnce = false;
        ASSERT_TRUE(view->driver().redirectLoading("https://example.org/moved"));
        ASSERT_EQ(held.handlers.size(), 1u);
        EXPECT_EQ(held.actions.back().request.url, "https://example.org/moved");
        held.decideAtOnce = true;
        c.meanwhile(*view);
        EXPECT_EQ(view->navigation(first)->phase, Phase::interrupted);
        EXPECT_EQ(view->driver().cancelledNavigations(), std::vector<int>{first}) << "the engine lets the redirect go";
        held.handlers[0](NavigationActionPolicy::allow);
        env.settle();
        EXPECT_EQ(view->navigation(first)->phase, Phase::interrupted) << "a late answer does nothing";
        EXPECT_TRUE(held.provisionalFailures.empty());
        EXPECT_EQ(view->url(), std::string(c.shownAddress));
    }
}

}  // namespace
}  // namespace tq
