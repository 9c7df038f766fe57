#include <filesystem>

#include "TourScreenFixture.h"
#include "platform/foundation/FileSystem.h"
#include "platform/ui/ImageLoader.h"
#include "screens/browse/NetworkController.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"
#include "storage/TourFiles.h"

namespace tq {
namespace {

using test::TourScreenTest;
using test::findView;

TEST_F(TourScreenTest, OnlineTourShowsItsFieldsInPortraitAndLandscape) {
    service.serveFixtureTours();
    auto screen = openTour("418");
    ASSERT_EQ(nav->topViewController(), screen);
    EXPECT_EQ(service.requestsTo(test::fullCircuitPath("418")).size(), 1u);
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
    EXPECT_FALSE(screen->activityIndicatorImage->isHidden());

    EXPECT_EQ(screen->lblTitle->text(), "Le Vieux-Québec à pied : ruelles, remparts et château");
    EXPECT_EQ(screen->lblCity->text(), "Québec");
    EXPECT_EQ(screen->lblCityLand->text(), "Québec");
    EXPECT_EQ(screen->lblPoiCount->text(), "3");
    EXPECT_EQ(screen->lblPoiCountLand->text(), "3");
    EXPECT_EQ(screen->lblTourDetails->text(), app().text("Tour Details"));
    EXPECT_EQ(screen->lblNearOfLand->text(), app().text("Start City"));
    EXPECT_EQ(screen->btnConsultTop->currentTitle(), app().text("Consult"));
    EXPECT_EQ(screen->btnPreload->currentTitle(), app().text("Preload"));
    for (auto* stars : {screen->ratingView.get(), screen->ratingViewLand.get()}) {
        EXPECT_DOUBLE_EQ(stars->rating(), 4.5);
        EXPECT_FALSE(stars->isHidden());
        EXPECT_EQ(stars->fillMode(), StarFillMode::precise);
    }
    EXPECT_TRUE(screen->lblNoRating->isHidden());
    EXPECT_EQ(screen->lblDistanceLength->text(), "3.2 km");
    EXPECT_EQ(screen->lblDistanceLengthLand->text(), "3.2 km");
    EXPECT_EQ(screen->imgTransport->image(), Image::named("transport_foot"));
    EXPECT_EQ(screen->imgTransportLand->image(), Image::named("transport_foot"));
    auto presenter = screen->btnPresentedBy->currentAttributedTitle();
    ASSERT_TRUE(presenter);
    EXPECT_EQ(presenter->text, "Office du tourisme de Québec");
    EXPECT_TRUE(presenter->underline);
    EXPECT_TRUE(screen->btnPresentedBy->isEnabled());
    EXPECT_EQ(screen->presentedBy, "12");
    EXPECT_FALSE(screen->btnConsultIntro->isHidden());
    EXPECT_TRUE(screen->btnShare->isEnabled());
    EXPECT_FALSE(screen->btnPreload->isHidden());
    EXPECT_TRUE(screen->btnHiddenTourContent->isHidden());
    EXPECT_TRUE(screen->btnNetworkTop->isHidden());

    auto& loads = env->shared<ImageLoader>();
    for (auto* image : {screen->tourImage.get(), screen->tourImageLand.get()}) {
        auto* load = loads.lastLoadInto(*image);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->source, "https://www.trelvoquest.com/public/assets/circuits/418/main_418.jpg");
        EXPECT_DOUBLE_EQ(load->fadeDuration, 0.3);
    }
    auto description = screen->descriptionView->lastHTML();
    ASSERT_TRUE(description);
    EXPECT_NE(description->find("fortifications, escaliers"), std::string::npos);
    EXPECT_EQ(screen->descriptionViewLand->lastHTML(), description);

    auto consulted = eventsNamed("Consulter_circuit");
    ASSERT_EQ(consulted.size(), 1u);
    EXPECT_EQ(consulted[0].parameters.at("nom"), "Le Vieux-Québec à pied : ruelles, remparts et château");

    // Portrait first; turning the device swaps the layouts and reloads both descriptions.
    EXPECT_FALSE(screen->portraitView->isHidden());
    EXPECT_TRUE(screen->landscapeView->isHidden());
    auto loadsBefore = screen->descriptionView->navigations().size();
    test::rotate(DeviceOrientation::landscapeLeft);
    EXPECT_TRUE(screen->portraitView->isHidden());
    EXPECT_FALSE(screen->landscapeView->isHidden());
    EXPECT_EQ(screen->descriptionView->navigations().size(), loadsBefore + 1);
    EXPECT_EQ(screen->descriptionViewLand->navigations().size(), loadsBefore + 1);
    test::rotate(DeviceOrientation::portrait);
    EXPECT_FALSE(screen->portraitView->isHidden());
    EXPECT_TRUE(screen->landscapeView->isHidden());
}

TEST_F(TourScreenTest, ScreenOpenedInLandscapeShowsTheLandscapeLayout) {
    service.serveFixtureTours();
    test::rotate(DeviceOrientation::landscapeRight);
    auto screen = openTour("418");
    EXPECT_TRUE(screen->portraitView->isHidden());
    EXPECT_FALSE(screen->landscapeView->isHidden());
    EXPECT_EQ(screen->lblPoiCountLand->text(), "3");
}

TEST_F(TourScreenTest, RatingFollowsScoreAndCounterAndNotRatedTakesTheStarsPlace) {
    struct Case {
        std::optional<std::string> score, counter;
        double rating;
        bool notRated;
    };
    const std::vector<Case> cases = {
        {"9", "2", 4.5, false}, {"8", "0", 8.0, false}, {"0", "0", 0.0, true},
        {"0", "3", 0.0, true},  {std::nullopt, "2", 0.0, false}, {"lots", "2", 0.0, false},
        {"0", "many", 0.0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.score.value_or("(none)") + " / " + c.counter.value_or("(none)"));
        serveTour("418", test::fixtureTour([&](nlohmann::json& t) {
                      if (c.score) t["rating_total_score"] = *c.score; else t.erase("rating_total_score");
                      if (c.counter) t["rating_total_counter"] = *c.counter; else t.erase("rating_total_counter");
                  }));
        auto screen = openTour("418");
        ASSERT_TRUE(screen->tour);
        EXPECT_DOUBLE_EQ(screen->tour->rating.value_or(-1), c.rating);
        EXPECT_DOUBLE_EQ(screen->ratingView->rating(), std::min(c.rating, 5.0)) << "five stars at most";
        EXPECT_EQ(screen->ratingView->isHidden(), c.notRated);
        EXPECT_EQ(screen->ratingViewLand->isHidden(), c.notRated);
        EXPECT_EQ(screen->lblNoRating->isHidden(), !c.notRated);
        EXPECT_EQ(screen->lblNoRatingLand->isHidden(), !c.notRated);
        nav->popToRootViewController(false);
    }
}

TEST(TourDistance, FollowsTheUnitAndLeavesOutWhatIsNoDistance) {
    struct Case {
        std::optional<std::string> length;
        std::string unit, text;
    };
    const std::vector<Case> cases = {
        {"3.5", "km", "3.5 km"},   {"0.00", "km", ""},       {"0.00", "mile", ""},
        {"0", "km", "0 km"},       {"10", "mile", " 6.21 Mi"}, {"0.0", "mile", " 0.00 Mi"},
        {"250", "mile", "155.34 Mi"}, {"far", "mile", ""},   {std::nullopt, "km", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tourDistanceText(c.length, c.unit), c.text) << c.length.value_or("(none)") << " " << c.unit;
    }
}

TEST_F(TourScreenTest, MissingFieldsLeaveTheirPlacesEmptyAndTheRestWorks) {
    serveTour("418", test::fixtureTour([](nlohmann::json& t) {
                  for (const char* key : {"title", "city", "org_name", "org_id", "circuit_imagepath", "description",
                                          "type_transport", "urlVideoIntro", "language", "length"}) {
                      t.erase(key);
                  }
              }));
    app().distanceUnit = "mile";
    auto screen = openTour("418");
    ASSERT_EQ(nav->topViewController(), screen);
    EXPECT_EQ(screen->lblTitle->text(), "");
    EXPECT_EQ(screen->lblCity->text(), "");
    EXPECT_EQ(screen->lblDistanceLength->text(), "");
    EXPECT_EQ(screen->presentedBy, "");
    EXPECT_EQ(screen->imgTransport->image(), Image::named("transport_bike"));
    EXPECT_TRUE(screen->btnConsultIntro->isHidden());
    EXPECT_FALSE(env->shared<ImageLoader>().lastLoadInto(*screen->tourImage)) << "no image path, nothing loaded";
    EXPECT_EQ(screen->segLanguage->titleForSegment(0), "");
}

TEST_F(TourScreenTest, DownloadedTourComesFromTheStoredToursWithTheNetworkActionsWithdrawn) {
    auto stored = std::make_shared<Tour>();
    stored->circuit_id = "418";
    stored->title = "Stored walk";
    stored->circuit_imagepath = "upload_pic/resized/main_418.jpg";
    stored->org_name = "Office";
    stored->poi_count = "3";
    stored->rating_total_score = "9";
    stored->rating_total_counter = "2";
    stored->language = "fr";
    stored->id_circuit_fr = "418";
    stored->id_circuit_en = "419";
    stored->urlVideoIntro = "https://media.trelvoquest.com/intro.mp4";
    network().localCatalogue = {std::make_shared<Tour>(), stored};

    TourFiles files(env->cacheDir());
    auto imageFile = files.mainImage("418", *stored->circuit_imagepath);
    ASSERT_TRUE(imageFile);
    std::filesystem::create_directories(imageFile->parent_path());
    auto marker = env->bundle().pathForResource("marker-icon", "png");
    ASSERT_TRUE(marker);
    std::filesystem::copy_file(*marker, *imageFile);

    auto screen = openTour("418", true);
    EXPECT_EQ(network().currentTour, stored);
    EXPECT_EQ(screen->lblTitle->text(), "Stored walk");
    EXPECT_TRUE(service.requestsTo(test::fullCircuitPath("418")).empty());
    EXPECT_TRUE(screen->btnPreload->isHidden());
    EXPECT_FALSE(screen->btnShare->isEnabled());
    EXPECT_TRUE(screen->btnConsultIntro->isHidden());
    EXPECT_TRUE(screen->btnConsultIntroLand->isHidden());
    EXPECT_FALSE(screen->btnPresentedBy->isEnabled());
    EXPECT_FALSE(screen->btnPresentedByLand->isEnabled());
    EXPECT_FALSE(screen->constBtnConsultFull->isActive());
    EXPECT_TRUE(screen->segLanguage->isHidden()) << "no language switch without a network";
    EXPECT_FALSE(screen->lblLanguageTitle->isHidden());
    for (auto* image : {screen->tourImage.get(), screen->tourImageLand.get()}) {
        auto* load = env->shared<ImageLoader>().lastLoadInto(*image);
        ASSERT_TRUE(load);
        EXPECT_TRUE(load->local);
        EXPECT_EQ(load->source, imageFile->string());
        ASSERT_TRUE(load->result);
        EXPECT_TRUE(load->result->succeeded());
    }
}

TEST_F(TourScreenTest, EmptyTourAlertLeadsBackToTheRoot) {
    network().localCatalogue = {};
    auto screen = openTour("777", true);
    auto alert = test::topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), app().text("Error"));
    EXPECT_EQ(alert->message(), app().text("TourEmptyError"));
    ASSERT_TRUE(alert->tap("OK"));
    EXPECT_EQ(nav->topViewController(), home);
}

TEST_F(TourScreenTest, FailedTourRequestReturnsToThePreviousScreenWithoutAMessage) {
    service.reply(test::fullCircuitPath("418"), test::ScriptedReply::json("{}", 500));
    openTour("418");
    EXPECT_EQ(nav->topViewController(), home);
    EXPECT_FALSE(test::topAlert());
    EXPECT_FALSE(ProgressOverlay::shared().isVisible());
}

TEST_F(TourScreenTest, NetworkTourShowsTheNetworkLayoutWithItsSubTourCount) {
    serveTour("500", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "500";
                  t["is_circuit_head"] = "1";
                  t["poi_count"] = "7";
              }));
    service.reply("/public/webservice/getCircuitSubcircuits/500",
                  test::ScriptedReply::json(R"({"results":[{"circuit_id":"501"},{"circuit_id":"502"}],"status":"success"})"));
    auto screen = openTour("500");
    EXPECT_EQ(screen->lblDistanceLength->text(), "2");
    EXPECT_EQ(screen->lblDistanceLengthLand->text(), "7");
    EXPECT_EQ(network().lastNetworkId, "500");
    EXPECT_EQ(screen->lblTourDetails->text(), app().text("NetworkDetail"));
    EXPECT_EQ(screen->lblDistance->text(), app().text("Offers"));
    EXPECT_EQ(screen->lblNearOf->text(), app().text("Territory"));
    EXPECT_EQ(screen->btnNetworkTop->currentTitle(), app().text("Network"));
    for (auto* shown : {screen->btnNetworkTop.get(), screen->btnNetworkImage.get(), screen->btnNetworkMiddle.get(),
                        screen->btnNetworkImageLand.get(), screen->btnNetworkMiddleLand.get()}) {
        EXPECT_FALSE(shown->isHidden()) << shown->identifier();
    }
    for (auto* hidden : std::initializer_list<View*>{screen->ratingView.get(), screen->lblRating.get(),
                                                     screen->lblPoiCount.get(), screen->imgTransport.get(),
                                                     screen->ratingViewLand.get(), screen->btnPreload.get(),
                                                     screen->splitView.get()}) {
        EXPECT_TRUE(hidden->isHidden()) << hidden->identifier();
    }
    EXPECT_EQ(screen->btnNetworkMiddle->currentImage(), Image::named("btnAccederNoir-en"));
    EXPECT_DOUBLE_EQ(screen->constLblLangTitleTop->constant(), -40);
    EXPECT_DOUBLE_EQ(screen->constTopStackPresentedby->constant(), 100);

    // The network button opens the list of sub-tours.
    ASSERT_TRUE(screen->btnNetworkMiddle->tap());
    auto list = std::dynamic_pointer_cast<NetworkController>(nav->topViewController());
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->forNetwork);
    env.settle();
    EXPECT_EQ(list->catalogue.size(), 2u);
}

TEST_F(TourScreenTest, SubTourCountFallsBackOnThePointCountWhenTheListFails) {
    serveTour("500", test::fixtureTour([](nlohmann::json& t) {
                  t["circuit_id"] = "500";
                  t["is_circuit_head"] = "1";
                  t["poi_count"] = "7";
              }));
    auto screen = openTour("500");
    EXPECT_EQ(screen->lblDistanceLength->text(), "7");
}

TEST_F(TourScreenTest, PresenterButtonOpensTheOrganisationCatalogue) {
    service.serveFixtureTours();
    service.reply("/public/webservice/getOrganizationCatalog/12",
                  test::ScriptedReply::json(R"({"results":[{"circuit_id":"418"}],"status":"success"})"));
    auto screen = openTour("418");
    ASSERT_TRUE(screen->btnPresentedBy->tap());
    auto list = std::dynamic_pointer_cast<NetworkController>(nav->topViewController());
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->forNetwork);
    EXPECT_EQ(list->title(), app().text("PresentedBy"));
    EXPECT_EQ(network().lastNetworkId, "12");
    env.settle();
    EXPECT_EQ(list->catalogue.size(), 1u);
}

TEST_F(TourScreenTest, BothConsultButtonsOpenTheWebMapOnTheFirstPoint) {
    struct Case {
        const char* board;
        std::shared_ptr<Button> TourDetailController::*button;
    };
    for (const auto& c : {Case{"Main", &TourDetailController::btnConsultTop},
                          Case{"Main", &TourDetailController::btnConsultImag},
                          Case{"Main-ipad", &TourDetailController::btnConsultTop},
                          Case{"Main-ipad", &TourDetailController::btnConsultImag}}) {
        SCOPED_TRACE(c.board);
        service.serveFixtureTours();
        auto screen = openTour("418", false, c.board);
        ASSERT_TRUE(((*screen).*c.button)->tap());
        auto map = std::dynamic_pointer_cast<MapLeafletController>(nav->topViewController());
        ASSERT_TRUE(map);
        EXPECT_EQ(map->currentPoiIndex, 0);
        EXPECT_EQ(map->tour, network().currentTour);
        nav->popToRootViewController(false);
    }
}

TEST_F(TourScreenTest, PendingPointOpensTheWebMapAtThatPoint) {
    struct Case {
        std::string pointId;
        std::int64_t index;
    };
    // The points arrive ordered 9003, 9001, 9002.
    for (const auto& c : {Case{"9002", 2}, Case{"9001", 1}, Case{"4242", 0}}) {
        SCOPED_TRACE(c.pointId);
        service.serveFixtureTours();
        app().idPoiToPush = c.pointId;
        openTour("418");
        auto map = std::dynamic_pointer_cast<MapLeafletController>(nav->topViewController());
        ASSERT_TRUE(map);
        EXPECT_EQ(map->currentPoiIndex, c.index);
        EXPECT_EQ(map->tour, network().currentTour);
        EXPECT_FALSE(app().idPoiToPush);
        nav->popToRootViewController(false);
    }
}

TEST_F(TourScreenTest, ALinkedPointWithoutAWholeOrderIsTheOneTheMapCentresOn) {
    // 9002's order is no whole number: it comes after 9003 ("1") and 9001 ("2"), on the tour
    // screen and on the map alike.
    serveTour("418", test::fixtureTour([](nlohmann::json& t) {
                  for (auto& point : t["poi"]) {
                      if (point["poi_id"] == "9002") point["poi_order"] = "dix";
                  }
              }));
    for (const auto& [linked, index] : std::vector<std::pair<std::string, std::int64_t>>{{"9002", 2}, {"9001", 1}}) {
        SCOPED_TRACE(linked);
        app().idPoiToPush = linked;
        openTour("418");
        auto map = std::dynamic_pointer_cast<MapLeafletController>(nav->topViewController());
        ASSERT_TRUE(map);
        env.settle();
        EXPECT_EQ(map->currentPoiIndex, index);
        ASSERT_TRUE(map->tour && map->tour->poi);
        std::vector<std::string> order;
        for (const auto& point : *map->tour->poi) order.push_back(*point->poi_id);
        EXPECT_EQ(order, (std::vector<std::string>{"9003", "9001", "9002"}));
        auto sources = map->map->evaluatedSources();
        EXPECT_NE(std::find(sources.begin(), sources.end(), mapPage::centreOnPoint(index)), sources.end());
        nav->popToRootViewController(false);
    }
}

TEST_F(TourScreenTest, HomeButtonGoesBackToTheInterfaceLanguage) {
    service.serveFixtureTours();
    app().tempLang = 1;
    app().loadLanguageDictionary();
    auto screen = openTour("418");
    ASSERT_EQ(app().text("Search"), "Rechercher");
    ASSERT_TRUE(screen->navigationItem().leftBarButtonItem());
    EXPECT_TRUE(screen->navigationItem().leftItemsSupplementBackButton());
    ASSERT_TRUE(screen->navigationItem().leftBarButtonItem()->tap());
    EXPECT_EQ(app().tempLang, 0);
    // The screens below read the interface language's texts again, not the tour's.
    EXPECT_EQ(app().text("Search"), "Search");
    EXPECT_EQ(app().text("Close"), "Close");
    EXPECT_EQ(nav->topViewController(), home);
}

}  // namespace
}  // namespace tq
