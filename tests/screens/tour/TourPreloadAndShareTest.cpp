#include "TourScreenFixture.h"
#include "screens/tour/ShareController.h"
#include "storage/DBManager.h"
#include "storage/DownloadTourManager.h"
#include "storage/TourStore.h"
#include "product/NotificationNames.h"

namespace tq {
namespace {

using test::TourScreenTest;

class TourPreloadTest : public TourScreenTest {
protected:
    TourPreloadTest() { env->shared<TourDownloaders>().install(downloader); }

    std::shared_ptr<TourDetailController> openWithSize(const std::string& size) {
        serveTour("418", test::fixtureTour([&](nlohmann::json& t) { t["size"] = size; }));
        return openTour("418");
    }
    std::string startQuestion(const std::string& sizePart) {
        return "\n " + app().text("startDownloading?") + sizePart;
    }

    std::shared_ptr<test::ScriptedDownloader> downloader = std::make_shared<test::ScriptedDownloader>();
};

TEST_F(TourPreloadTest, ConfirmedPreloadHandsTheTourToTheDownloadAndSaysItStarted) {
    auto screen = openWithSize("12.4");
    ASSERT_TRUE(screen->btnPreload->tap());
    auto question = test::topAlert();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->shownTitle(), "Le Vieux-Québec à pied : ruelles, remparts et château");
    EXPECT_EQ(question->shownMessage(), startQuestion(" 12 " + app().text("MB") + " ?"));
    EXPECT_EQ(question->actionTitles(), (std::vector<std::string>{app().text("No"), app().text("Yes")}));
    ASSERT_TRUE(question->tap(app().text("Yes")));

    EXPECT_EQ(downloader->tour, network().currentTour);
    EXPECT_EQ(downloader->starts, std::vector<bool>{false});
    EXPECT_TRUE(downloader->running);
    auto started = test::topAlert();
    ASSERT_TRUE(started);
    EXPECT_EQ(started->shownTitle(), app().text("Preloading"));
    EXPECT_EQ(started->shownMessage(), "\n" + app().text("PreloadStarted"));
    auto events = eventsNamed("Chargement_circuit");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].parameters.at("nom"), "Le Vieux-Québec à pied : ruelles, remparts et château");
    ASSERT_TRUE(started->tap("OK"));

    // While it runs, any Preload answers that a download is in progress.
    ASSERT_TRUE(screen->btnPreload->tap());
    auto busy = test::topAlert();
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->shownTitle(), app().text("Notice"));
    EXPECT_EQ(busy->shownMessage(), "\n" + app().text("downloadInProgress"));
    EXPECT_EQ(busy->actionTitles(), std::vector<std::string>{"OK"});
    EXPECT_EQ(downloader->starts.size(), 1u);
}

TEST_F(TourPreloadTest, SizeInTheQuestionKeepsItsWidthAndABlankBeforeIt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12.4", " 12 "}, {"0.4", "  0 "}, {"1234.6", " 1235 "}, {"7", "  7 "}};
    for (const auto& [size, part] : cases) {
        SCOPED_TRACE(size);
        auto screen = openWithSize(size);
        ASSERT_TRUE(screen->btnPreload->tap());
        auto question = test::topAlert();
        ASSERT_TRUE(question);
        EXPECT_EQ(question->shownMessage(), startQuestion(part + app().text("MB") + " ?"));
        ASSERT_TRUE(question->tap(app().text("No")));
        nav->popToRootViewController(false);
    }
    auto screen = openWithSize("about fifty");
    ASSERT_TRUE(screen->btnPreload->tap());
    ASSERT_TRUE(test::topAlert());
    EXPECT_EQ(test::topAlert()->shownMessage(), startQuestion(" ?")) << "a size that is no number is left out";
}

TEST_F(TourPreloadTest, NoLeavesEverythingAsItWas) {
    auto screen = openWithSize("12.4");
    ASSERT_TRUE(screen->btnPreload->tap());
    ASSERT_TRUE(test::tapAlertButton(app().text("No")));
    EXPECT_FALSE(test::topAlert());
    EXPECT_TRUE(downloader->starts.empty());
    EXPECT_FALSE(downloader->running);
    EXPECT_TRUE(eventsNamed("Chargement_circuit").empty());
}

TEST_F(TourPreloadTest, StoredTourIsNotOfferedAgain) {
    bool added = false;
    DBManager::shared().addTour("418", test::fixtureText("full-tour.json"), [&](bool ok) { added = ok; });
    ASSERT_TRUE(added);
    auto screen = openWithSize("12.4");
    ASSERT_TRUE(screen->btnPreload->tap());
    auto alert = test::topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->shownTitle(), app().text("Message"));
    EXPECT_EQ(alert->shownMessage(), "\n" + app().text("CatalogExist"));
    EXPECT_EQ(alert->actionTitles(), std::vector<std::string>{"OK"});
    EXPECT_TRUE(downloader->starts.empty());
}

TEST_F(TourPreloadTest, RefusedStartIsNeverAnnouncedAsStarted) {
    downloader->refuses = true;  // no room, or nowhere to put the tour
    auto screen = openWithSize("12.4");
    ASSERT_TRUE(screen->btnPreload->tap());
    ASSERT_TRUE(test::tapAlertButton(app().text("Yes")));
    EXPECT_EQ(downloader->starts, std::vector<bool>{false});
    EXPECT_FALSE(downloader->running) << "the busy flag does not stick";
    auto alert = test::topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->shownTitle(), app().text("Preloading"));
    EXPECT_EQ(alert->shownMessage(), "\n" + app().text("NotDownloadedMessage"));
    EXPECT_TRUE(eventsNamed("Chargement_circuit").empty());
    ASSERT_TRUE(alert->tap("OK"));

    // The next Preload asks again rather than answering that a download is in progress.
    ASSERT_TRUE(screen->btnPreload->tap());
    EXPECT_EQ(test::topAlert()->actionTitles(), (std::vector<std::string>{app().text("No"), app().text("Yes")}));
}

TEST_F(TourScreenTest, PreloadStartsTheProcessDownloadManager) {
    service.serveFixtureTours();  // but none of the tour's pictures: the download cannot finish
    auto screen = openTour("418");
    ASSERT_TRUE(screen->btnPreload->tap());
    ASSERT_TRUE(test::tapAlertButton(app().text("Yes")));
    ASSERT_TRUE(test::topAlert());
    EXPECT_EQ(test::topAlert()->shownMessage(), "\n" + app().text("PreloadStarted"));
    auto& manager = env->shared<TourStore>().downloads;
    EXPECT_EQ(&TourDownloaders::shared().current(), &manager);
    EXPECT_TRUE(manager.isDownloading);
    EXPECT_EQ(manager.tour, network().currentTour);

    env.settle();
    EXPECT_FALSE(manager.isDownloading) << "the failed download ends and frees the Preload";
    EXPECT_TRUE(env->console().contains("no main image"));
}

TEST_F(TourScreenTest, PreloadWithTheServiceOutOfReachEndsInTheDownloadErrorAndStoresNothing) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    // The tour is on screen; then the network goes: every product host now answers nothing.
    for (const auto& host : service.hostNames()) {
        env->hostRoutes()[host] = "127.0.0.1:" + std::to_string(test::closedLocalPort());
    }
    int errors = 0;
    auto token = env->notifications().addObserver(Notifications::downloadError, [&] { ++errors; });
    ASSERT_TRUE(screen->btnPreload->tap());
    ASSERT_TRUE(test::tapAlertButton(app().text("Yes")));
    env.settle();

    auto& manager = env->shared<TourStore>().downloads;
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(manager.isDownloading);
    EXPECT_TRUE(DBManager::shared().readAllRows().rows.empty());
    EXPECT_FALSE(std::filesystem::exists(env->cacheDir() / "circuit" / "circuit418"));
}

TEST(ExcludedShareActivityTypes, AreTheFourteenTypesInTheirOrder) {
    const std::vector<std::string> expected = {
        "com.apple.UIKit.activity.AirDrop",
        "com.apple.UIKit.activity.AddToReadingList",
        "com.apple.UIKit.activity.PostToFlickr",
        "com.apple.UIKit.activity.PostToVimeo",
        "com.apple.UIKit.activity.PostToWeibo",
        "com.apple.UIKit.activity.AssignToContact",
        "com.apple.UIKit.activity.OpenInIBooks",
        "com.apple.UIKit.activity.TencentWeibo",
        "com.apple.UIKit.activity.Print",
        "com.apple.UIKit.activity.SaveToCameraRoll",
        "com.apple.reminders.RemindersEditorExtension",
        "com.apple.mobileslideshow.StreamShareService",
        "com.apple.mobilenotes.SharingExtension",
        "com.linkedin.LinkedIn.ShareExtension",
    };
    EXPECT_EQ(excludedShareActivityTypes(), expected);
    EXPECT_EQ(&excludedShareActivityTypes(), &excludedShareActivityTypes());  // one list for the process
}

TEST_F(TourScreenTest, ShareOffersTheTourLinkWithoutTheExcludedActivities) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    ASSERT_TRUE(screen->btnShare->tap());
    auto sheet = test::topShareSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->excludedActivityTypes(), excludedShareActivityTypes());
    EXPECT_EQ(sheet->excludedActivityTypes().size(), 14u);
    const std::string title = "Le Vieux-Québec à pied : ruelles, remparts et château";
    EXPECT_EQ(sheet->placeholderItems(), std::vector<std::string>{title});
    EXPECT_FALSE(sheet->choose(activity_type::airDrop));
    ASSERT_TRUE(sheet->choose(activity_type::copyToPasteboard));
    EXPECT_EQ(sheet->sharedItems(), std::vector<std::string>{app().text("LinkCircuit") + "418/le-vieux-quebec-a-pied"});
    EXPECT_EQ(sheet->sharedSubject(), title);
    EXPECT_FALSE(screen->presentedViewController());
}

class TourScreenOnTabletTest : public TourScreenTest {
protected:
    static test::TestEnvironmentOptions tablet() {
        test::TestEnvironmentOptions options;
        options.device.idiom = DeviceIdiom::pad;
        options.device.screenBounds = {820, 1180};
        return options;
    }
    TourScreenOnTabletTest() : TourScreenTest(tablet()) {}
};

TEST_F(TourScreenOnTabletTest, ShareSheetPointsAtTheShareButton) {
    service.serveFixtureTours();
    auto screen = openTour("418", false, "Main-ipad");
    ASSERT_TRUE(screen->btnShare->tap());
    auto sheet = test::topShareSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->modalTransitionStyle(), ModalTransitionStyle::flipHorizontal);
    ASSERT_TRUE(sheet->popoverPresentationController());
    EXPECT_EQ(sheet->popoverPresentationController()->barButtonItem(), screen->btnShare);
}

TEST_F(TourScreenOnTabletTest, NetworkLayoutOnATabletKeepsTheDescriptionWhereItIs) {
    serveTour("500", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "500";
                  t["is_circuit_head"] = "1";
              }));
    auto screen = openTour("500", false, "Main-ipad");
    EXPECT_DOUBLE_EQ(screen->constTopStackPresentedby->constant(), 90);
    EXPECT_DOUBLE_EQ(screen->constLblLangTitleTopLand->constant(), 10);
}

TEST_F(TourScreenTest, ShareControllerAnswersWithThePromotionalText) {
    auto tour = std::make_shared<Tour>();
    tour->title = "Old town";
    network().currentTour = tour;
    auto sheet = std::make_shared<ShareController>(std::vector<ActivityItem>{std::string("item")});
    sheet->loadViewIfNeeded();
    EXPECT_EQ(sheet->excludedActivityTypes(), excludedShareActivityTypes());
    const std::string promo = "Download #MyAwesomeApp via @trelvoQuete.";
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {activity_type::message, promo}, {activity_type::postToFacebook, promo}, {activity_type::postToTwitter, promo},
        {activity_type::mail, promo},    {activity_type::copyToPasteboard, "test 2"}, {std::nullopt, "test 2"}};
    for (const auto& [type, text] : cases) {
        EXPECT_EQ(sheet->activityViewControllerItemForActivityType(*sheet, type), text) << type.value_or("(none)");
    }
    EXPECT_EQ(sheet->activityViewControllerPlaceholderItem(*sheet), "test 1");
    EXPECT_EQ(sheet->activityViewControllerSubjectForActivityType(*sheet, activity_type::mail), "Old town");
    network().currentTour = nullptr;
    EXPECT_EQ(sheet->activityViewControllerSubjectForActivityType(*sheet, activity_type::mail), "");
}

}  // namespace
}  // namespace tq
