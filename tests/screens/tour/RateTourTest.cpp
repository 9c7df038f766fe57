#include "TourScreenFixture.h"
#include "product/NotificationNames.h"
#include "platform/services/Uuid.h"
#include "platform/ui/UiApplication.h"
#include "screens/tour/RateTourController.h"
#include "screens/tour/ShareController.h"

namespace tq {
namespace {

using test::ScriptedReply;

constexpr const char* kDeviceId = "4F0C2D3A-9B1E-4C7D-8A2F-6E5D4C3B2A19";

std::string ratingReply(const std::string& results, const std::string& status) {
    return R"({"results":)" + results + R"(,"status":")" + status + R"("})";
}

// A visitor at the end of tour 418: home, catalogue, tour screen and map below the rating screen.
class RateTourTest : public test::TourScreenTest {
protected:
    explicit RateTourTest(test::TestEnvironmentOptions options = {}) : TourScreenTest(std::move(options)) {
        auto tour = std::make_shared<Tour>();
        tour->circuit_id = "418";
        tour->slug = "le-vieux-quebec-a-pied";
        tour->title = "Le Vieux-Québec à pied";
        network().currentTour = tour;
        env->shared<UuidFactory>().setSource([this]() -> std::optional<std::string> {
            ++uuidsMade;
            return uuid;
        });
        for (const char* name : {"catalogue", "tour", "map"}) {
            below.push_back(std::make_shared<ViewController>());
            below.back()->setTitle(name);
            nav->pushViewController(below.back(), false);
        }
    }

    std::shared_ptr<RateTourController> openRating(const std::string& board = "Main") {
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<RateTourController>("RateTourController");
        EXPECT_TRUE(screen);
        if (screen) nav->pushViewController(screen, true);
        return screen;
    }

    std::string ratingPath(const std::string& mark, const std::string& device = kDeviceId) {
        return "/public/webservice/setRating/418/" + mark + "/" + device;
    }

    std::optional<std::string> uuid = std::string(kDeviceId);
    int uuidsMade = 0;
    std::vector<std::shared_ptr<ViewController>> below;
};

TEST_F(RateTourTest, TextsComeFromTheDictionaryAndAMissingKeyLeavesItsTextEmpty) {
    app().dictLang.erase("RateApp");
    auto screen = openRating();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->lblTitle->text(), app().text("ThanksTitle"));
    EXPECT_EQ(screen->lblRate->text(), app().text("RateText"));
    EXPECT_EQ(screen->lblShare->text(), app().text("ShareText"));
    EXPECT_EQ(screen->lblRateTour->text(), app().text("RateAppDescription"));
    EXPECT_EQ(screen->btnRate->title(), app().text("Send"));
    EXPECT_EQ(screen->btnShare->title(), app().text("Share"));
    EXPECT_EQ(screen->btnFinish->title(), app().text("BackMenu"));
    EXPECT_EQ(screen->btnRateApp->title(), "");
    EXPECT_FALSE(screen->lblTitle->text().empty());

    for (const auto& button : {screen->btnRate, screen->btnFinish, screen->btnRateApp, screen->btnShare}) {
        EXPECT_EQ(button->cornerRadius(), 20) << button->identifier();
    }
    auto home = screen->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->image(), Image::named("home"));
    EXPECT_EQ(home->imageInsets(), (EdgeInsets{0, 10, -10, -10}));
    EXPECT_TRUE(screen->navigationItem().leftItemsSupplementBackButton());
}

TEST_F(RateTourTest, TheSliderRoundsToHalvesAndTheStarsFollow) {
    auto screen = openRating();
    ASSERT_TRUE(screen);
    const std::vector<std::tuple<float, float, std::string>> cases = {
        {3.24f, 3.0f, "3.0"}, {3.25f, 3.5f, "3.5"}, {3.75f, 4.0f, "4.0"}, {0.2f, 0.0f, "0.0"}, {5.0f, 5.0f, "5.0"}};
    for (const auto& [moved, mark, shown] : cases) {
        SCOPED_TRACE(moved);
        ASSERT_TRUE(screen->sliderRating->moveTo(moved));
        EXPECT_EQ(screen->sliderRating->value(), mark);
        EXPECT_EQ(screen->ratingResults->text(), shown);
        EXPECT_EQ(screen->ratingView->rating(), mark);
    }
}

TEST_F(RateTourTest, TouchingTheStarsMovesTheSliderAndTheLabelInHalfSteps) {
    auto screen = openRating();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->ratingView->fillMode(), StarFillMode::half);
    ASSERT_TRUE(screen->ratingView->touch(2.3));
    EXPECT_EQ(screen->ratingView->rating(), 2.5);
    EXPECT_EQ(screen->sliderRating->value(), 2.5f);
    EXPECT_EQ(screen->ratingResults->text(), "2.5");
}

TEST_F(RateTourTest, EachAnswerOfTheServiceShowsItsMessageAndClosesByItselfOnAPhone) {
    struct Case {
        std::string name;
        ScriptedReply reply;
        std::string console;
        std::string messageKey;
    };
    auto refused = ScriptedReply::json("{}", 500);
    const std::vector<Case> cases = {
        {"stored", ScriptedReply::json(ratingReply("[]", "success")), "ok", "ThanksMessage"},
        {"already rated", ScriptedReply::json(ratingReply(R"([{"circuit_id":"418","uid":"x"}])", "error")), "already",
         "AlreadyRated"},
        {"refused for another tour", ScriptedReply::json(ratingReply(R"([{"circuit_id":"9","uid":"x"}])", "error")),
         "fail", "ThanksMessage"},
        {"server failure", refused, "fail", "ThanksMessage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env->console().clear();
        service.reply(ratingPath("3.5"), c.reply);
        auto screen = openRating();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->sliderRating->moveTo(3.4f));
        ASSERT_TRUE(screen->btnRate->tap());
        env.settle();

        EXPECT_TRUE(env->console().contains(c.console));
        auto alert = test::topAlert();
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->alertTitle(), app().text("Rate"));
        EXPECT_EQ(alert->message(), app().text(c.messageKey));
        EXPECT_TRUE(alert->actions().empty());
        env.advance(2.9);
        EXPECT_EQ(test::topAlert(), alert) << "still up just before three seconds";
        env.advance(0.1);
        EXPECT_FALSE(test::topPresented());
        EXPECT_EQ(nav->topViewController(), screen);
        nav->popViewController(false);
    }
    EXPECT_EQ(service.requestsTo(ratingPath("3.5")).size(), cases.size());
}

TEST_F(RateTourTest, AnAnswerWithAnUnknownStatusShowsNothing) {
    service.reply(ratingPath("0.0"), ScriptedReply::json(ratingReply("[]", "pending")));
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnRate->tap());
    env.settle();
    EXPECT_EQ(service.requestsTo(ratingPath("0.0")).size(), 1u);
    EXPECT_FALSE(test::topPresented());
    EXPECT_EQ(nav->topViewController(), screen);
}

TEST_F(RateTourTest, AnswerArrivingAfterTheScreenLeftIsDropped) {
    auto held = ScriptedReply::json(ratingReply("[]", "success"));
    held.gate = "rating";
    service.reply(ratingPath("0.0"), held);
    {
        auto screen = openRating();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->btnRate->tap());
        ASSERT_TRUE(service.waitUntilHeld("rating"));
        nav->popViewController(false);
    }
    service.release("rating");
    env.settle();
    EXPECT_FALSE(test::topPresented());
    EXPECT_FALSE(env->console().contains("ok"));
}

TEST_F(RateTourTest, TheDeviceIdentifierIsMadeOnceStoredAndReused) {
    service.replyToPrefix("/public/webservice/setRating/", ScriptedReply::json(ratingReply("[]", "success")));
    for (int visit = 0; visit < 2; ++visit) {
        auto screen = openRating();
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->btnRate->tap());
        env.settle();
        env.advance(3.0);
        nav->popViewController(false);
    }
    auto requests = service.requestsTo(ratingPath("0.0"));
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_EQ(uuidsMade, 1);
    EXPECT_EQ(env->settings().stringForKey("deviceUUID"), kDeviceId);

    // The next launch reads the same identifier back from the settings file.
    SettingsStore nextLaunch(env->settings().file(), {});
    EXPECT_EQ(nextLaunch.stringForKey("deviceUUID"), kDeviceId);
}

TEST_F(RateTourTest, WithoutAnIdentifierTheRatingGoesUnderNoUUIDAndNothingIsStored) {
    env->settings().setString("deviceUUID", "");
    uuid.reset();
    service.reply(ratingPath("0.0", "noUUID"), ScriptedReply::json(ratingReply("[]", "success")));
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnRate->tap());
    env.settle();
    EXPECT_EQ(service.requestsTo(ratingPath("0.0", "noUUID")).size(), 1u);
    EXPECT_FALSE(env->settings().holdsValue("deviceUUID"));
    EXPECT_TRUE(test::topAlert());
}

TEST_F(RateTourTest, WithoutATourNothingIsSent) {
    network().currentTour = nullptr;
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnRate->tap());
    env.settle();
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_FALSE(test::topPresented());
}

TEST_F(RateTourTest, TheShareItemIsTheTourLinkForEveryActivity) {
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnShare->tap());
    auto sheet = test::topShareSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->excludedActivityTypes(), excludedShareActivityTypes());
    EXPECT_TRUE(sheet->applicationActivities().empty());
    EXPECT_EQ(sheet->placeholderItems(), std::vector<std::string>{"Le Vieux-Québec à pied"});
    const std::string link = app().text("LinkCircuit") + "418/le-vieux-quebec-a-pied";
    for (const char* type : {activity_type::message, activity_type::mail, activity_type::copyToPasteboard}) {
        SCOPED_TRACE(type);
        if (!test::topShareSheet()) {
            ASSERT_TRUE(screen->btnShare->tap());
        }
        auto shown = test::topShareSheet();
        ASSERT_TRUE(shown);
        ASSERT_TRUE(shown->choose(type));
        EXPECT_EQ(shown->sharedItems(), std::vector<std::string>{link});
        EXPECT_EQ(shown->sharedSubject(), "Le Vieux-Québec à pied");
    }
}

TEST_F(RateTourTest, RateAppOpensTheStoreReviewPage) {
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnRateApp->tap());
    ASSERT_EQ(UiApplication::shared().openedAddresses().size(), 1u);
    const auto& address = UiApplication::shared().openedAddresses()[0];
    EXPECT_EQ(address.rfind("itms-apps://", 0), 0u);
    EXPECT_NE(address.find("/app/id"), std::string::npos);
    EXPECT_TRUE(address.ends_with("?action=write-review"));
}

// The stack the home screen's review request finds, each time it is asked.
class ReviewRequestRecorder {
public:
    explicit ReviewRequestRecorder(test::TestEnvironment& env, NavigationController& nav)
        : token_(env->notifications().addObserver(Notifications::showAppStoreReview,
                                                  [this, &nav] { stackSizes.push_back(nav.viewControllers().size()); })) {}
    std::vector<std::size_t> stackSizes;

private:
    ObserverToken token_;
};

TEST_F(RateTourTest, HomeAsksForTheReviewBeforeGoingHome) {
    ReviewRequestRecorder requests(env, *nav);
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->navigationItem().leftBarButtonItem()->tap());
    EXPECT_EQ(requests.stackSizes, std::vector<std::size_t>{5});
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_TRUE(nav->operations().back().animated);
}

TEST_F(RateTourTest, BackToTheCatalogueGoesBackFirstThenAsksForTheReview) {
    ReviewRequestRecorder requests(env, *nav);
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnFinish->tap());
    EXPECT_EQ(nav->topViewController(), below[0]);
    EXPECT_EQ(requests.stackSizes, std::vector<std::size_t>{2});
}

TEST_F(RateTourTest, BackToTheCatalogueWithNothingUnderItStaysAndStillAsks) {
    auto screen = StoryboardRegistry::shared().named("Main")->instantiate<RateTourController>("RateTourController");
    ASSERT_TRUE(screen);
    auto alone = std::make_shared<NavigationController>(screen);
    ReviewRequestRecorder requests(env, *alone);
    auto otherWindow = test::showInWindow(alone);
    ASSERT_TRUE(screen->btnFinish->tap());
    EXPECT_EQ(alone->viewControllers().size(), 1u);
    EXPECT_EQ(requests.stackSizes, std::vector<std::size_t>{1});
}

TEST_F(RateTourTest, CloseGoesBackOneScreen) {
    auto screen = openRating();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnClose->tap());
    EXPECT_EQ(nav->topViewController(), below.back());
}

class RateTourOnPadTest : public RateTourTest {
protected:
    RateTourOnPadTest() : RateTourTest(padOptions()) {}
    static test::TestEnvironmentOptions padOptions() {
        test::TestEnvironmentOptions options;
        options.device.idiom = DeviceIdiom::pad;
        options.device.screenBounds = {820, 1180};
        return options;
    }
};

TEST_F(RateTourOnPadTest, TheResultClosesAfterTwoSecondsAndTheShareSheetPointsAtItsButton) {
    service.reply(ratingPath("0.0"), ScriptedReply::json(ratingReply("[]", "success")));
    auto screen = openRating("Main-ipad");
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnRate->tap());
    env.settle();
    auto alert = test::topAlert();
    ASSERT_TRUE(alert);
    env.advance(1.9);
    EXPECT_EQ(test::topAlert(), alert);
    env.advance(0.1);
    EXPECT_FALSE(test::topPresented());

    ASSERT_TRUE(screen->btnShare->tap());
    auto sheet = test::topShareSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->popoverPresentationController());
    EXPECT_EQ(sheet->popoverPresentationController()->sourceView(), screen->btnShare);
    EXPECT_EQ(sheet->modalTransitionStyle(), ModalTransitionStyle::coverVertical);
}

}  // namespace
}  // namespace tq
