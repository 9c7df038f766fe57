#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/storyboards/Storyboards.h"
#include "platform/location/LocationService.h"
#include "platform/map/MapService.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapController.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/PoiAnnotation.h"
#include "screens/maps/PoiMarkerView.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/RateTourController.h"
#include "screens/tour/ShareController.h"
#include "service/Network.h"
#include "support/MirroredScreenTest.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

struct PointSpec {
    std::string order;
    std::optional<std::string> name;
    std::string lat;
    std::string lon;
};

PointOfInterestRef makePoint(const PointSpec& spec, const std::string& id) {
    auto point = std::make_shared<PointOfInterest>();
    point->poi_id = id;
    point->poi_order = spec.order;
    point->poi_name = spec.name;
    point->lat = spec.lat;
    point->long_ = spec.lon;
    point->slug = "point-" + id;
    std::vector<PoiContentRef> contents;
    for (const char* order : {"2", "1"}) {
        auto content = std::make_shared<PoiContent>();
        content->content_order = order;
        content->content_id = id + "-" + order;
        content->content_thumbnailUrl = "https://media.trelvoquest.com/thumb/" + id + "-" + order + ".jpg";
        contents.push_back(content);
    }
    point->content = contents;
    return point;
}

// A visitor opening tour 418 on the native map from a stack of home, catalogue and tour screen.
class NativeMapTest : public test::MirroredScreenTest {
protected:
    NativeMapTest() {
        images = std::make_shared<MemoryImageFetcher>(env.env());
        env->shared<ImageLoader>().setRemoteFetcher(images);
        app().didFinishLaunching();
        registerStoryboards(StoryboardRegistry::shared());
        nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
        window = test::showInWindow(nav);
        mirrorWindow(env, window);
        nav->pushViewController(std::make_shared<ViewController>(), false);
        // Points in the order 3, 1, 2: the pins follow their orders.
        useTour({{"3", "Château", "46.8122", "-71.2050"},
                 {"1", "Porte Saint-Jean", "46.8110", "-71.2140"},
                 {"2", "Place Royale", "46.8130", "-71.2030"}});
    }

    AppDelegate& app() { return env->shared<AppDelegate>(); }
    HeadlessMapBackend& maps() { return MapService::of(env.env()).driver(); }
    HeadlessLocationBackend& device() { return LocationService::of(env.env()).driver(); }

    void useTour(const std::vector<PointSpec>& points) {
        auto tour = std::make_shared<Tour>();
        tour->circuit_id = "418";
        tour->title = "Le Vieux-Québec à pied";
        std::vector<PointOfInterestRef> list;
        for (std::size_t i = 0; i < points.size(); ++i) list.push_back(makePoint(points[i], "p" + std::to_string(i + 1)));
        tour->poi = list;
        env->shared<Network>().currentTour = tour;
    }

    // The storyboard transition to the map, then the appearance animations.
    std::shared_ptr<MapController> openMap() {
        auto screen = StoryboardRegistry::shared().named("Main")->instantiate<MapController>("MapController");
        EXPECT_TRUE(screen);
        if (!screen) return nullptr;
        nav->pushViewController(screen, true);
        env.advance(1.5);
        return screen;
    }

    std::vector<std::string> titles(MapController& screen) {
        std::vector<std::string> list;
        for (const auto& annotation : screen.map->annotations()) list.push_back(annotation->title().value_or("?"));
        return list;
    }

    std::optional<std::string> selectedSubtitle(MapController& screen) {
        const auto& selected = screen.map->selectedAnnotations();
        if (selected.size() != 1) return std::nullopt;
        return selected.front()->subtitle();
    }

    std::shared_ptr<MapAnnotation> pin(MapController& screen, std::size_t index) { return screen.map->annotations().at(index); }

    void deliverPosition(double latitude, double longitude) {
        // The map does not ask for the authorisation itself: another screen did earlier.
        device().setAuthorizationStatus(LocationAuthorizationStatus::authorizedWhenInUse);
        env.settle();
        device().deliverLocation(latitude, longitude);
        env.settle();
    }

    Route route(std::vector<LocationCoordinate> line) { return Route{std::make_shared<Polyline>(std::move(line))}; }

    test::TestEnvironment env;
    std::shared_ptr<MemoryImageFetcher> images;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<Window> window;
};

// With the tours opened on the native map (the program's --native-map), the tour screen's map
// transition shows the native map; without it, the web map.
TEST_F(NativeMapTest, TheTourScreensMapTransitionLeadsToTheNativeMapWhenAsked) {
    for (bool native : {false, true}) {
        SCOPED_TRACE(native ? "native" : "web");
        StoryboardRegistry registry(env.env());
        registerStoryboards(registry);
        if (native) openToursOnNativeMap(registry);
        for (const char* name : {"Main", "Main-ipad"}) {
            SCOPED_TRACE(name);
            auto board = registry.named(name);
            ASSERT_TRUE(board);
            const auto* transition = board->segue("TourDetailController", "showMap");
            ASSERT_TRUE(transition);
            auto map = board->instantiateViewController(transition->destination);
            EXPECT_EQ(std::dynamic_pointer_cast<MapController>(map) != nullptr, native);
            EXPECT_EQ(std::dynamic_pointer_cast<MapLeafletController>(map) != nullptr, !native);
            // The tour screen's other transitions stay as they are.
            const auto* network = board->segue("TourDetailController", "showNetwork");
            ASSERT_TRUE(network);
            EXPECT_EQ(network->destination, "NetworkController");
        }
    }
}

TEST_F(NativeMapTest, PinsAreNumberedInTheOrderOfThePointsOrders) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_EQ(titles(*screen),
              (std::vector<std::string>{"1 - Porte Saint-Jean", "2 - Place Royale", "3 - Château"}));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(pin(*screen, i)->subtitle(), std::to_string(i + 1));
    // The shared tour is sorted, and each point's contents too.
    const auto& points = *env->shared<Network>().currentTour->poi;
    EXPECT_EQ(points[0]->poi_name, "Porte Saint-Jean");
    EXPECT_EQ((*points[0]->content)[0]->content_order, "1");

    // Every pin is in sight, and the first point is current with its pin selected.
    EXPECT_NEAR(screen->map->region().center.latitude, 46.812, 0.001);
    EXPECT_EQ(screen->currentPOI, points[0]);
    EXPECT_EQ(selectedSubtitle(*screen), "1");
    EXPECT_EQ(screen->map->centerCoordinate(), pin(*screen, 0)->coordinate());
    EXPECT_EQ(screen->map->alpha(), 1);
    EXPECT_EQ(screen->bgShare->alpha(), 1);
    EXPECT_EQ(screen->imgCompass->alpha(), 0);
}

TEST_F(NativeMapTest, EachPinHasABlackMarkerWithThePointsPictureInItsCallout) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    env.settle();
    auto marker = std::dynamic_pointer_cast<PoiMarkerView>(screen->map->viewForAnnotation(pin(*screen, 1)));
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->reuseIdentifier(), "poi");
    EXPECT_TRUE(marker->canShowCallout());
    EXPECT_EQ(marker->glyphImage(), Image::named("pin"));
    EXPECT_EQ(marker->markerTintColor(), Color::black());
    EXPECT_EQ(marker->detailCalloutAccessoryView(), marker->imageView);
    EXPECT_EQ(marker->imageView->contentMode(), ContentMode::scaleAspectFit);
    ASSERT_EQ(marker->imageView->constraints().size(), 1u);
    EXPECT_EQ(marker->imageView->constraints()[0]->constant(), 150);
    EXPECT_EQ(marker->imageView->constraints()[0]->firstAttribute(), LayoutAttribute::height);
    auto* load = env->shared<ImageLoader>().lastLoadInto(*marker->imageView);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->source, "https://media.trelvoquest.com/thumb/p3-1.jpg") << "the first content in its order";
    auto button = std::dynamic_pointer_cast<Button>(marker->leftCalloutAccessoryView());
    ASSERT_TRUE(button);
    EXPECT_EQ(button->frame(), Rect(0, 0, 200, 150));
    EXPECT_EQ(button->superview(), marker.get());
}

TEST_F(NativeMapTest, SteppingMovesThroughThePointsAndEndsOnTheRatingScreen) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    const auto& points = *env->shared<Network>().currentTour->poi;

    ASSERT_TRUE(screen->btnPrev->isEnabled() == false);
    screen->previous();
    env.advance(0.2);
    EXPECT_EQ(screen->currentPOI, points[0]);
    EXPECT_EQ(selectedSubtitle(*screen), "1");
    EXPECT_FALSE(screen->btnPrev->isEnabled());

    ASSERT_TRUE(screen->btnNext->tap());
    EXPECT_EQ(screen->currentPOI, points[1]);
    EXPECT_EQ(selectedSubtitle(*screen), "1") << "the pin is selected once the map has moved";
    env.advance(0.2);
    EXPECT_EQ(selectedSubtitle(*screen), "2");
    EXPECT_TRUE(screen->btnPrev->isEnabled());

    ASSERT_TRUE(screen->btnNext->tap());
    env.advance(0.2);
    EXPECT_EQ(screen->currentPOI, points[2]);
    ASSERT_TRUE(screen->btnNext->tap());
    EXPECT_TRUE(std::dynamic_pointer_cast<RateTourController>(nav->topViewController()));

    // Back on the map the last point is still current; next shows the rating screen again.
    nav->popViewController(true);
    EXPECT_EQ(screen->current_position, 2);
    EXPECT_EQ(screen->currentPOI, points[2]);
    ASSERT_TRUE(screen->btnNext->tap());
    EXPECT_TRUE(std::dynamic_pointer_cast<RateTourController>(nav->topViewController()));
    nav->popViewController(true);
    ASSERT_TRUE(screen->btnPrev->tap());
    env.advance(0.2);
    EXPECT_EQ(screen->currentPOI, points[1]);
    EXPECT_EQ(selectedSubtitle(*screen), "2");
}

TEST_F(NativeMapTest, ComingBackFromAScreenOnTopAddsNothingAgain) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    auto animations = Animations::shared().records().size();
    nav->pushViewController(std::make_shared<ContentController>(), true);
    nav->popViewController(true);
    EXPECT_EQ(screen->map->annotations().size(), 3u);
    EXPECT_EQ(Animations::shared().records().size(), animations);
}

TEST_F(NativeMapTest, PointsWithoutAPositionKeepTheirNumberAndANameMayBeMissing) {
    useTour({{"1", "Porte Saint-Jean", "46.8110", "-71.2140"},
             {"2", "Place Royale", "north", "-71.2030"},
             {"3", std::nullopt, "46.8122", "-71.2050"}});
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_EQ(titles(*screen), (std::vector<std::string>{"1 - Porte Saint-Jean", "3 - "}));

    // The point without a pin is still a step of the tour.
    ASSERT_TRUE(screen->btnNext->tap());
    env.advance(0.2);
    EXPECT_EQ(screen->currentPOI->poi_name, "Place Royale");
    ASSERT_TRUE(screen->btnNext->tap());
    env.advance(0.2);
    EXPECT_EQ(selectedSubtitle(*screen), "3");
}

TEST_F(NativeMapTest, ATourWithoutPointsShowsAnEmptyMapWithSteppingOff) {
    useTour({});
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->map->annotations().empty());
    EXPECT_FALSE(screen->btnNext->isEnabled());
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    screen->next();
    screen->previous();
    EXPECT_EQ(nav->topViewController(), screen);
    EXPECT_FALSE(screen->currentPOI);
}

TEST_F(NativeMapTest, ACalloutOpensTheContentsOfItsOwnPoint) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    const auto& points = *env->shared<Network>().currentTour->poi;
    auto other = pin(*screen, 2);
    EXPECT_FALSE(HeadlessMapBackend::tapCalloutAccessory(*screen->map, other)) << "its callout is not up";
    ASSERT_TRUE(HeadlessMapBackend::tapAnnotation(*screen->map, other));
    ASSERT_TRUE(HeadlessMapBackend::tapCalloutAccessory(*screen->map, other));
    auto content = std::dynamic_pointer_cast<ContentController>(nav->topViewController());
    ASSERT_TRUE(content);
    EXPECT_EQ(content->contents, *points[2]->content);
    EXPECT_EQ(screen->currentPOI, points[0]) << "the current point stays";
}

TEST_F(NativeMapTest, DirectionsDrawEveryRouteAndKeepEarlierOnes) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    maps().setHoldsRequests(true);
    screen->direction();
    EXPECT_TRUE(maps().requests().empty()) << "no position yet: nothing to start from";

    deliverPosition(46.80, -71.22);
    ASSERT_TRUE(screen->btnDirections->tap());
    ASSERT_EQ(maps().requests().size(), 1u);
    const auto request = maps().requests()[0];
    EXPECT_EQ(request.source->coordinate, (LocationCoordinate{46.80, -71.22}));
    EXPECT_EQ(request.destination->coordinate, (LocationCoordinate{46.8110, -71.2140}));
    EXPECT_TRUE(request.requestsAlternateRoutes);
    EXPECT_EQ(request.transportType, DirectionsTransportType::automobile);
    EXPECT_TRUE(env->console().contains("46.8110"));

    auto first = route({{46.80, -71.22}, {46.8110, -71.2140}});
    auto second = route({{46.79, -71.23}, {46.82, -71.20}});
    ASSERT_TRUE(maps().answer(0, {first, second}));
    env.settle();
    ASSERT_EQ(screen->map->overlays().size(), 2u);
    for (const auto& overlay : screen->map->overlays()) {
        auto renderer = std::dynamic_pointer_cast<PolylineRenderer>(screen->map->rendererForOverlay(overlay));
        ASSERT_TRUE(renderer);
        EXPECT_EQ(renderer->strokeColor(), (Color{0, 0, 1, 1}));
        EXPECT_EQ(renderer->lineWidth(), 5);
    }
    auto shown = screen->map->visibleMapRect();
    auto expected = second.polyline->boundingMapRect();
    EXPECT_NEAR(shown.origin.x, expected.origin.x, 1);
    EXPECT_NEAR(shown.width, expected.width, 1);
    EXPECT_TRUE(screen->map->lastMoveAnimated());

    // An empty reply and a failure change nothing; a second reply with a route joins the first ones.
    auto region = screen->map->region();
    for (int i = 0; i < 3; ++i) screen->direction();
    ASSERT_TRUE(maps().answerEmpty(1));
    ASSERT_TRUE(maps().fail(2, "no route"));
    env.settle();
    EXPECT_EQ(screen->map->overlays().size(), 2u);
    EXPECT_EQ(screen->map->region(), region);
    ASSERT_TRUE(maps().answer(3, {first}));
    env.settle();
    EXPECT_EQ(screen->map->overlays().size(), 3u);
}

TEST_F(NativeMapTest, ARouteArrivingAfterTheMapLeftIsDropped) {
    std::weak_ptr<MapController> gone;
    {
        auto screen = openMap();
        ASSERT_TRUE(screen);
        gone = screen;
        maps().setHoldsRequests(true);
        deliverPosition(46.80, -71.22);
        screen->direction();
        nav->popViewController(false);
    }
    EXPECT_TRUE(gone.expired());
    ASSERT_TRUE(maps().answer(0, {route({{46.80, -71.22}, {46.81, -71.21}})}));
    env.settle();
}

TEST_F(NativeMapTest, TheProgramsDirectionsFindNoRoute) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    deliverPosition(46.80, -71.22);
    screen->direction();
    env.settle();
    EXPECT_EQ(maps().pendingCount(), 0u);
    EXPECT_TRUE(screen->map->overlays().empty());
}

TEST_F(NativeMapTest, FollowMeTurnsFollowingOnAroundThePositionAndOffAgain) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->btnLocate->title(), app().text("Locate"));
    EXPECT_EQ(screen->btnCenterMap->title(), app().text("CenterMap"));
    deliverPosition(46.80, -71.22);
    EXPECT_EQ(screen->currentLocation, (std::vector<Location>{{{46.80, -71.22}}}));

    ASSERT_TRUE(screen->btnLocate->tap());
    EXPECT_TRUE(app().followMe);
    EXPECT_FALSE(env->settings().holdsValue("followMe")) << "the stored setting is the web map's";
    EXPECT_TRUE(screen->map->showsUserLocation());
    EXPECT_TRUE(screen->map->showsCompass());
    EXPECT_TRUE(screen->lm->isUpdatingHeading());
    EXPECT_EQ(screen->btnLocate->title(), app().text("LocationStop"));
    EXPECT_EQ(screen->btnCenterMap->title(), app().text("Center"));
    EXPECT_EQ(screen->map->userTrackingMode(), UserTrackingMode::followWithHeading);
    auto region = screen->map->region();
    EXPECT_EQ(region.center, (LocationCoordinate{46.80, -71.22}));
    EXPECT_NEAR(region.span.latitudeDelta * 111319.49, 500, 1);
    EXPECT_NEAR(region.span.longitudeDelta * 111319.49 * std::cos(46.80 * M_PI / 180), 500, 1);

    // The device's own position keeps the map's plain marker.
    HeadlessMapBackend::moveUser(*screen->map, {46.801, -71.221});
    auto user = screen->map->userLocation();
    ASSERT_TRUE(user);
    EXPECT_EQ(screen->map->annotations().back(), user);
    EXPECT_FALSE(std::dynamic_pointer_cast<PoiMarkerView>(screen->map->viewForAnnotation(user)));

    ASSERT_TRUE(screen->btnLocate->tap());
    EXPECT_FALSE(app().followMe);
    EXPECT_FALSE(screen->map->showsUserLocation());
    EXPECT_FALSE(screen->lm->isUpdatingLocation());
    EXPECT_FALSE(screen->lm->isUpdatingHeading());
    EXPECT_EQ(screen->btnLocate->title(), app().text("Locate"));
    EXPECT_EQ(screen->map->userTrackingMode(), UserTrackingMode::none);
}

TEST_F(NativeMapTest, FollowMeAlreadyOnIsTurnedOffByTheFirstPress) {
    app().followMe = true;
    auto screen = openMap();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnLocate->tap());
    EXPECT_FALSE(app().followMe);
    EXPECT_EQ(screen->btnCenterMap->title(), app().text("CenterMap"));
}

TEST_F(NativeMapTest, ZoomHalvesAndDoublesTheSpanUpTo180Degrees) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    struct Case {
        CoordinateSpan from;
        bool in;
        CoordinateSpan to;
    };
    const std::vector<Case> cases = {
        {{100, 120}, false, {180, 180}}, {{10, 20}, true, {5, 10}}, {{10, 20}, false, {20, 40}}};
    for (const auto& c : cases) {
        screen->map->setRegion({{46.8, -71.2}, c.from}, false);
        ASSERT_TRUE(findView<Button>(screen->view(), c.in ? "btnZoomIn" : "btnZoomOut")->tap());
        EXPECT_EQ(screen->map->region(), (CoordinateRegion{{46.8, -71.2}, c.to}));
        EXPECT_TRUE(screen->map->lastMoveAnimated());
    }
}

TEST_F(NativeMapTest, TheFlyoverButtonTogglesHybridFlyover) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    auto* button = findView<Button>(screen->view(), "btnFlyOver");
    ASSERT_TRUE(button);
    screen->map->setMapType(MapType::satellite);
    ASSERT_TRUE(button->tap());
    EXPECT_EQ(screen->map->mapType(), MapType::hybridFlyover);
    ASSERT_TRUE(button->tap());
    EXPECT_EQ(screen->map->mapType(), MapType::standard);
}

TEST_F(NativeMapTest, TheFirstUseHintShowsOnceAcrossBothMaps) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_FALSE(screen->popUp->isHidden());
    EXPECT_EQ(screen->popUpBG->alpha(), 1);
    EXPECT_TRUE(env->settings().boolForKey("PopUp-MapHand-Showed"));
    ASSERT_TRUE(screen->btnClosePopup->tap());
    EXPECT_EQ(screen->popUp->alpha(), 0);
    EXPECT_FALSE(screen->popUp->isHidden());
    env.advance(0.8);
    EXPECT_TRUE(screen->popUp->isHidden());
    EXPECT_TRUE(screen->popUpBG->isHidden());

    nav->popViewController(false);
    auto again = openMap();
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->popUp->isHidden());
}

TEST_F(NativeMapTest, AHintTheWebMapShowedIsNotShownAgain) {
    env->settings().setBool("PopUp-MapHand-Showed", true);
    auto screen = openMap();
    ASSERT_TRUE(screen);
    EXPECT_TRUE(screen->popUp->isHidden());
}

TEST_F(NativeMapTest, ShareOffersTheCurrentPointsLink) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->btnShare->tap());
    auto sheet = test::topShareSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->excludedActivityTypes(), excludedShareActivityTypes());
    ASSERT_TRUE(sheet->choose(activity_type::message));
    EXPECT_EQ(sheet->sharedItems(), std::vector<std::string>{app().text("LinkCircuit") + "418/poi/p2/point-p2"});
    EXPECT_EQ(sheet->sharedSubject(), "Le Vieux-Québec à pied");
}

TEST_F(NativeMapTest, LocationUpdatesRunOnlyWhileTheMapIsShown) {
    auto screen = openMap();
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->lm);
    EXPECT_TRUE(screen->lm->isUpdatingLocation());
    EXPECT_EQ(screen->lm->desiredAccuracy(), LocationAccuracy::best);
    nav->pushViewController(std::make_shared<ViewController>(), false);
    EXPECT_FALSE(screen->lm->isUpdatingLocation());
    nav->popViewController(false);
    EXPECT_TRUE(screen->lm->isUpdatingLocation());
}

}  // namespace
}  // namespace tq
