#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/map/MapService.h"
#include "platform/map/MapView.h"
#include "platform/ui/Button.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

class Pin : public MapAnnotation {
public:
    Pin(std::string name, LocationCoordinate at) : name_(std::move(name)), at_(at) {}
    LocationCoordinate coordinate() const override { return at_; }
    std::optional<std::string> title() const override { return name_; }

private:
    std::string name_;
    LocationCoordinate at_;
};

// Answers a marker with a callout button for every pin, and a red line for every overlay.
class Screen : public MapViewDelegate {
public:
    std::shared_ptr<MarkerAnnotationView> viewForAnnotation(MapView& map,
                                                            const std::shared_ptr<MapAnnotation>& annotation) override {
        if (!std::dynamic_pointer_cast<Pin>(annotation)) return nullptr;
        auto marker = map.dequeueReusableAnnotationView("pin");
        marker->setAnnotation(annotation);
        marker->setCanShowCallout(true);
        auto button = std::make_shared<Button>();
        button->addAction(ControlEvent::touchUpInside, [this, annotation] { tapped.push_back(annotation); });
        marker->setLeftCalloutAccessoryView(button);
        marker->addSubview(button);
        return marker;
    }
    std::shared_ptr<OverlayRenderer> rendererForOverlay(MapView&, const std::shared_ptr<MapOverlay>&) override {
        auto renderer = std::make_shared<PolylineRenderer>();
        renderer->setLineWidth(3);
        return renderer;
    }
    std::vector<std::shared_ptr<MapAnnotation>> tapped;
};

// Hears every change reported below the map.
class Reports : public ViewObserver {
public:
    void viewDidChange(View&, std::string_view property) override { properties.emplace_back(property); }
    std::vector<std::string> properties;
};

struct MapViewTest : ::testing::Test {
    MapViewTest() {
        map->setDelegate(&screen);
        map->setObserver(reports);
    }
    test::TestEnvironment env;
    Screen screen;
    std::shared_ptr<MapView> map = std::make_shared<MapView>(Rect(0, 0, 390, 844));
    std::shared_ptr<Reports> reports = std::make_shared<Reports>();
    std::shared_ptr<Pin> a = std::make_shared<Pin>("a", LocationCoordinate{46.81, -71.21});
    std::shared_ptr<Pin> b = std::make_shared<Pin>("b", LocationCoordinate{46.83, -71.19});
};

TEST(MapGeometryTest, RegionsAndMapRectanglesConvertBothWays) {
    const std::vector<CoordinateRegion> regions = {
        {{46.81, -71.21}, {0.02, 0.03}}, {{0, 0}, {10, 10}}, {{-33.9, 151.2}, {1, 2}}};
    for (const auto& region : regions) {
        auto back = regionForMapRect(mapRectForRegion(region));
        EXPECT_NEAR(back.center.longitude, region.center.longitude, 1e-9);
        EXPECT_NEAR(back.span.longitudeDelta, region.span.longitudeDelta, 1e-9);
        EXPECT_NEAR(back.span.latitudeDelta, region.span.latitudeDelta, 1e-6);
        // The middle of the flat map lies a little off the middle latitude, more so far from the equator.
        EXPECT_NEAR(back.center.latitude, region.center.latitude, 1e-2);
    }
    auto paris = regionWithDistance({48.85, 2.35}, 1000, 1000);
    EXPECT_NEAR(paris.span.latitudeDelta, 1000 / 111319.49, 1e-6);
    EXPECT_GT(paris.span.longitudeDelta, paris.span.latitudeDelta) << "meridians draw closer away from the equator";
    EXPECT_EQ(regionWithDistance({90, 0}, 1000, 1000).span.longitudeDelta, 360) << "at the pole every longitude is near";
}

TEST_F(MapViewTest, AnnotationsKeepTheirOrderAndEachGetsItsMarker) {
    map->addAnnotation(a);
    map->addAnnotation(b);
    map->addAnnotation(a);
    EXPECT_EQ(map->annotations(), (std::vector<std::shared_ptr<MapAnnotation>>{a, b}));
    auto marker = map->viewForAnnotation(b);
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->annotation(), b);
    EXPECT_EQ(marker->superview(), map.get());

    // A marker left by a removed annotation is handed out again.
    map->removeAnnotation(b);
    EXPECT_EQ(marker->superview(), nullptr);
    auto c = std::make_shared<Pin>("c", LocationCoordinate{46.82, -71.2});
    map->addAnnotation(c);
    EXPECT_EQ(map->viewForAnnotation(c), marker);
}

TEST_F(MapViewTest, SelectingOnePinDeselectsTheOtherAndShowsItsCallout) {
    map->addAnnotations({a, b});
    EXPECT_FALSE(HeadlessMapBackend::tapCalloutAccessory(*map, a));
    ASSERT_TRUE(HeadlessMapBackend::tapAnnotation(*map, a));
    ASSERT_TRUE(HeadlessMapBackend::tapAnnotation(*map, b));
    EXPECT_EQ(map->selectedAnnotations(), std::vector<std::shared_ptr<MapAnnotation>>{b});
    EXPECT_FALSE(map->viewForAnnotation(a)->isSelected());
    EXPECT_TRUE(map->viewForAnnotation(b)->isCalloutShown());
    ASSERT_TRUE(HeadlessMapBackend::tapCalloutAccessory(*map, b));
    EXPECT_EQ(screen.tapped, std::vector<std::shared_ptr<MapAnnotation>>{b});
    EXPECT_FALSE(HeadlessMapBackend::tapAnnotation(*map, std::make_shared<Pin>("x", LocationCoordinate{})));
}

TEST_F(MapViewTest, ShowingAnnotationsFramesThoseWithAPosition) {
    auto nowhere = std::make_shared<Pin>("nowhere", LocationCoordinate{std::nan(""), 3});
    map->addAnnotations({a, b, nowhere});
    map->showAnnotations(map->annotations(), true);
    auto region = map->region();
    EXPECT_NEAR(region.center.latitude, 46.82, 1e-9);
    EXPECT_NEAR(region.center.longitude, -71.20, 1e-9);
    EXPECT_GE(region.span.latitudeDelta, 0.02);
    EXPECT_TRUE(map->lastMoveAnimated());
}

TEST_F(MapViewTest, RegionsStayWithinTheEarthAndBrokenOnesAreRefused) {
    map->setRegion({{10, 20}, {400, 500}}, false);
    EXPECT_EQ(map->region().span, (CoordinateSpan{180, 360}));
    map->setRegion({{std::numeric_limits<double>::quiet_NaN(), 0}, {1, 1}}, false);
    EXPECT_EQ(map->region().center, (LocationCoordinate{10, 20}));
    map->setCenterCoordinate({5, 6}, true);
    EXPECT_EQ(map->region(), (CoordinateRegion{{5, 6}, {180, 360}}));
}

TEST_F(MapViewTest, TheUserLocationComesLastWithThePlainMarker) {
    map->addAnnotation(a);
    HeadlessMapBackend::moveUser(*map, {46.8, -71.2});
    EXPECT_FALSE(map->userLocation()) << "not shown until asked";
    map->setShowsUserLocation(true);
    ASSERT_TRUE(map->userLocation());
    map->addAnnotation(b);
    EXPECT_EQ(map->annotations().back(), map->userLocation());
    EXPECT_EQ(map->viewForAnnotation(map->userLocation())->reuseIdentifier(), "");
    map->setUserTrackingMode(UserTrackingMode::follow, true);
    HeadlessMapBackend::moveUser(*map, {46.9, -71.3});
    EXPECT_EQ(map->centerCoordinate(), (LocationCoordinate{46.9, -71.3}));
    map->setShowsUserLocation(false);
    EXPECT_EQ(map->annotations().size(), 2u);
}

TEST_F(MapViewTest, OverlaysKeepTheRendererTheirScreenGave) {
    auto line = std::make_shared<Polyline>(std::vector<LocationCoordinate>{{46.8, -71.2}, {46.9, -71.1}});
    map->addOverlay(line);
    auto renderer = std::dynamic_pointer_cast<PolylineRenderer>(map->rendererForOverlay(line));
    ASSERT_TRUE(renderer);
    EXPECT_EQ(renderer->lineWidth(), 3);
    map->setVisibleMapRect(line->boundingMapRect(), true);
    EXPECT_NEAR(map->region().span.longitudeDelta, 0.1, 1e-9);
}

TEST_F(MapViewTest, EveryChangeIsReported) {
    map->addAnnotation(a);
    map->selectAnnotation(a, true);
    map->setRegion({{1, 2}, {3, 4}}, true);
    map->setMapType(MapType::hybridFlyover);
    map->setShowsUserLocation(true);
    map->setShowsCompass(false);
    map->setUserTrackingMode(UserTrackingMode::followWithHeading, true);
    map->addOverlay(std::make_shared<Polyline>(std::vector<LocationCoordinate>{{0, 0}}));
    for (const char* property : {"annotations", "selected", "selectedAnnotations", "region", "mapType",
                                 "showsUserLocation", "showsCompass", "userTrackingMode", "overlays",
                                 "subviews"}) {
        EXPECT_NE(std::find(reports->properties.begin(), reports->properties.end(), property), reports->properties.end())
            << property;
    }
}

TEST(DirectionsTest, HeldRequestsWaitForTheirAnswerWhichComesOnceOnTheMainLoop) {
    test::TestEnvironment env;
    auto& maps = MapService::of(env.env());
    maps.driver().setHoldsRequests(true);
    std::vector<std::size_t> answers;
    DirectionsRequest request;
    request.destination = MapItem{{46.8, -71.2}};
    Directions(request).calculate([&](const DirectionsOutcome& outcome) { answers.push_back(outcome.routes.size()); });
    ASSERT_EQ(maps.driver().pendingCount(), 1u);
    EXPECT_EQ(maps.driver().requests()[0].destination->coordinate, (LocationCoordinate{46.8, -71.2}));
    Route route{std::make_shared<Polyline>(std::vector<LocationCoordinate>{{0, 0}})};
    ASSERT_TRUE(maps.driver().answer(0, {route, route}));
    EXPECT_TRUE(answers.empty()) << "answers arrive on the main loop";
    EXPECT_FALSE(maps.driver().answer(0, {}));
    env.settle();
    EXPECT_EQ(answers, std::vector<std::size_t>{2});
}

TEST(DirectionsTest, WithoutARoutingServiceEveryRequestFindsNoRoute) {
    test::TestEnvironment env;
    std::vector<DirectionsOutcome> outcomes;
    Directions(DirectionsRequest{}).calculate([&](const DirectionsOutcome& outcome) { outcomes.push_back(outcome); });
    EXPECT_TRUE(outcomes.empty());
    env.settle();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].routes.empty());
    EXPECT_FALSE(outcomes[0].error);
}

}  // namespace
}  // namespace tq
