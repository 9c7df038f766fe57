#include "screens/maps/MapController.h"

#include <algorithm>
#include <numbers>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/map/Directions.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/PoiAnnotation.h"
#include "screens/maps/PoiMarkerView.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/ShareController.h"
#include "service/Network.h"

namespace tq {
namespace {

// Shared with the web map: once either map has shown its first-use hint, neither shows it again.
constexpr const char* kHintShownKey = "PopUp-MapHand-Showed";
constexpr double kWidestSpan = 180;

std::optional<LocationCoordinate> pointCoordinate(const PointOfInterest& point) {
    auto latitude = parseDouble(point.lat.value_or(""));
    auto longitude = parseDouble(point.long_.value_or(""));
    if (!latitude || !longitude) return std::nullopt;
    return LocationCoordinate{*latitude, *longitude};
}

}  // namespace

std::string pointShareLink(const std::string& prefix, const std::string& circuitId, const std::string& poiId,
                           const std::string& slug) {
    return prefix + circuitId + "/poi/" + poiId + "/" + slug;
}

MapController::MapController() : app(AppDelegate::shared()) {}

MapController::~MapController() {
    if (lm) {
        lm->stopUpdatingLocation();
        lm->stopUpdatingHeading();
    }
}

std::weak_ptr<MapController> MapController::weakSelf() {
    return std::static_pointer_cast<MapController>(shared_from_this());
}

bool MapController::hasPoints() const { return pointCount() > 0; }

std::int64_t MapController::pointCount() const {
    return tour && tour->poi ? static_cast<std::int64_t>(tour->poi->size()) : 0;
}

// ---- Life cycle

void MapController::viewDidLoad() {
    ViewController::viewDidLoad();
    bgNext->setCornerRadius(35);
    bgPrev->setCornerRadius(35);
    map->registerMarkerClass(PoiMarkerView::kReuseIdentifier,
                             [](const std::string& reuse) { return std::make_shared<PoiMarkerView>(reuse); });
    tour = Network::shared().currentTour;
    localizeMapButtons();
}

void MapController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (!lm) {
        lm = std::make_shared<LocationManager>();
        lm->setDelegate(this);
        lm->setDesiredAccuracy(LocationAccuracy::best);
    }
    lm->startUpdatingLocation();
    if (!isMovingToParent()) return;  // back from a screen pushed on top: the pins are there
    addPoiAnnotations();
    AnimationOptions turn;
    turn.curve = AnimationCurve::linear;
    animate(4.5, 0, turn, [this] { imgCompass->setTransform(Transform::rotation(std::numbers::pi)); });
}

void MapController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    auto& settings = Environment::current().settings();
    if (settings.boolForKey(kHintShownKey)) return;
    settings.setBool(kHintShownKey, true);
    settings.synchronize();
    popUp->setHidden(false);
    popUpBG->setHidden(false);
    animate(1.2, [this] {
        popUp->setAlpha(1);
        popUpBG->setAlpha(1);
    });
}

void MapController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (lm) lm->stopUpdatingLocation();
}

void MapController::localizeMapButtons() {
    btnLocate->setTitle(app.text("Locate"));
    btnCenterMap->setTitle(app.text("CenterMap"));
}

void MapController::closePopup() {
    auto weak = weakSelf();
    animate(
        0.8,
        [this] {
            popUp->setAlpha(0);
            popUpBG->setAlpha(0);
        },
        [weak](bool) {
            if (auto self = weak.lock()) {
                self->popUp->setHidden(true);
                self->popUpBG->setHidden(true);
            }
        });
}

// ---- Pins and the current point

void MapController::addPoiAnnotations() {
    if (hasPoints()) {
        auto& points = *tour->poi;
        sortPointsByOrder(points);
        auto& console = Environment::current().console();
        std::int64_t pinNumber = 1;
        for (const auto& point : points) {
            if (!point) {
                ++pinNumber;
                continue;
            }
            if (point->content) {
                for (const auto& content : *point->content) {
                    if (content) content->parseMetadata(console);
                }
                sortContentsByOrder(*point->content);
            }
            // A point without a usable position gets no pin but keeps its number, so the pins
            // still match the tour's list.
            if (auto coordinate = pointCoordinate(*point)) {
                map->addAnnotation(std::make_shared<PoiAnnotation>(point, pinNumber, *coordinate));
            }
            ++pinNumber;
        }
        map->showAnnotations(map->annotations(), true);
    } else {
        btnNext->setEnabled(false);
    }
    btnPrev->setEnabled(false);

    AnimationOptions fade;
    fade.curve = AnimationCurve::easeIn;
    animate(1.5, 0, fade, [this] {
        bgShare->setAlpha(1);
        viewBtnBottom->setAlpha(1);
        map->setAlpha(1);
        imgCompass->setAlpha(0);
        selectPoi(current_position);
    });
}

void MapController::selectPoi(std::int64_t position) {
    currentPOI = position >= 0 && position < pointCount() ? (*tour->poi)[static_cast<std::size_t>(position)] : nullptr;
    const auto number = std::to_string(position + 1);
    std::shared_ptr<MapAnnotation> pin;
    for (const auto& annotation : map->annotations()) {
        if (annotation->subtitle() == number) {
            pin = annotation;
            break;
        }
    }
    if (!pin) return;
    auto weak = weakSelf();
    std::weak_ptr<MapAnnotation> weakPin = pin;
    animate(
        0.2, [this, pin] { map->setCenterCoordinate(pin->coordinate(), false); },
        [weak, weakPin](bool) {
            auto self = weak.lock();
            auto shown = weakPin.lock();
            if (self && shown) self->map->selectAnnotation(shown, true);
        });
}

void MapController::next() {
    if (!hasPoints()) return;
    btnPrev->setEnabled(true);
    ++current_position;
    if (current_position >= pointCount()) {
        current_position = pointCount() - 1;
        auto board = storyboard();
        if (auto rating = board ? board->instantiateViewController("RateTourController") : nullptr) {
            if (tour) Network::shared().currentTour = tour;  // the rating is for this map's tour
            show(rating);
        }
        return;
    }
    selectPoi(current_position);
}

void MapController::previous() {
    if (!hasPoints()) return;
    --current_position;
    if (current_position >= 1) {
        selectPoi(current_position);
        return;
    }
    btnPrev->setEnabled(false);
    current_position = 0;
    selectPoi(0);
}

void MapController::showContent(const PointOfInterestRef& point) {
    auto board = storyboard();
    auto content = board ? board->instantiate<ContentController>("ContentController") : nullptr;
    if (!content || !point) return;
    content->contents = point->content.value_or(std::vector<PoiContentRef>{});
    if (tour) Network::shared().currentTour = tour;  // the contents are of this map's tour
    show(content);
}

std::shared_ptr<MarkerAnnotationView> MapController::viewForAnnotation(MapView& mapView,
                                                                       const std::shared_ptr<MapAnnotation>& annotation) {
    auto pin = std::dynamic_pointer_cast<PoiAnnotation>(annotation);
    if (!pin) return nullptr;  // the device's own position keeps the map's marker
    auto marker = std::dynamic_pointer_cast<PoiMarkerView>(mapView.dequeueReusableAnnotationView(PoiMarkerView::kReuseIdentifier));
    if (!marker) return nullptr;
    marker->setAnnotation(pin);
    if (pin->image) Environment::current().shared<ImageLoader>().setImage(marker->imageView, *pin->image);

    auto button = std::make_shared<Button>(Rect(0, 0, 200, 150));
    button->setIdentifier("btnCallout");
    button->setTintColor(Color::black());
    // The callout opens its own pin's point, whichever point is current.
    auto weak = weakSelf();
    std::weak_ptr<PointOfInterest> point = pin->poi;
    button->addAction(ControlEvent::touchDown, [weak, point] {
        auto self = weak.lock();
        if (self) self->showContent(point.lock());
    });
    marker->setLeftCalloutAccessoryView(button);
    marker->addSubview(button);
    return marker;
}

// ---- Directions

void MapController::direction() {
    // Without a position there is nowhere to start from, and without a current point nowhere to go.
    if (!currentPOI || !currentLocation || currentLocation->empty()) return;
    Environment::current().console().log(currentPOI->lat.value_or(""));
    auto destination = pointCoordinate(*currentPOI);
    if (!destination) return;

    DirectionsRequest request;
    request.source = MapItem{currentLocation->front().coordinate};
    request.destination = MapItem{*destination};
    request.requestsAlternateRoutes = true;
    request.transportType = DirectionsTransportType::automobile;
    auto weak = weakSelf();
    Directions(request).calculate([weak](const DirectionsOutcome& outcome) {
        auto self = weak.lock();
        if (self && !outcome.error) self->showRoutes(outcome.routes);
    });
}

void MapController::showRoutes(const std::vector<Route>& routes) {
    for (const auto& route : routes) {
        if (!route.polyline) continue;
        map->addOverlay(route.polyline);
        map->setVisibleMapRect(route.polyline->boundingMapRect(), true);
    }
}

std::shared_ptr<OverlayRenderer> MapController::rendererForOverlay(MapView&, const std::shared_ptr<MapOverlay>&) {
    auto renderer = std::make_shared<PolylineRenderer>();
    renderer->setStrokeColor(Color{0, 0, 1, 1});
    renderer->setLineWidth(5);
    return renderer;
}

// ---- Following the device

void MapController::didUpdateLocations(LocationManager&, const std::vector<Location>& locations) {
    currentLocation = locations;
}

void MapController::followMe() {
    if (app.followMe) {
        if (lm) {
            lm->stopUpdatingLocation();
            lm->stopUpdatingHeading();
        }
        app.followMe = false;
        map->setShowsUserLocation(false);
        btnLocate->setTitle(app.text("Locate"));
        btnCenterMap->setTitle(app.text("CenterMap"));
        map->setUserTrackingMode(UserTrackingMode::none, true);
        return;
    }
    app.followMe = true;
    map->setShowsUserLocation(true);
    map->setShowsCompass(true);
    if (lm) {
        lm->startUpdatingLocation();
        lm->startUpdatingHeading();
    }
    btnLocate->setTitle(app.text("LocationStop"));
    btnCenterMap->setTitle(app.text("Center"));
    if (lm && lm->location()) {
        map->setRegion(regionWithDistance(lm->location()->coordinate, regionRadius, regionRadius), true);
    }
    map->setUserTrackingMode(UserTrackingMode::followWithHeading, true);
}

// ---- Zoom and map type

void MapController::scaleSpan(double factor) {
    auto region = map->region();
    region.span.latitudeDelta = std::min(region.span.latitudeDelta * factor, kWidestSpan);
    region.span.longitudeDelta = std::min(region.span.longitudeDelta * factor, kWidestSpan);
    map->setRegion(region, true);
}

void MapController::zoomIn() { scaleSpan(0.5); }

void MapController::zoomOut() { scaleSpan(2.0); }

void MapController::activateFlyOverMap() {
    map->setMapType(map->mapType() == MapType::hybridFlyover ? MapType::standard : MapType::hybridFlyover);
}

// ---- Share

void MapController::share() {
    auto sheet = std::make_shared<ActivityViewController>(
        std::vector<ActivityItem>{std::make_shared<WeakShareItem>(weakSelf())});
    sheet->setExcludedActivityTypes(excludedShareActivityTypes());
    if (auto* popover = sheet->popoverPresentationController()) popover->setSourceView(viewPointer());
    present(sheet, true);
}

std::string MapController::activityViewControllerPlaceholderItem(ActivityViewController&) {
    return currentTourTitle();
}

std::optional<std::string> MapController::activityViewControllerItemForActivityType(ActivityViewController&,
                                                                                    const std::optional<std::string>&) {
    if (!tour || !tour->circuit_id || !currentPOI || !currentPOI->poi_id) return std::nullopt;
    return pointShareLink(app.text("LinkCircuit"), *tour->circuit_id, *currentPOI->poi_id, currentPOI->slug.value_or(""));
}

std::string MapController::activityViewControllerSubjectForActivityType(ActivityViewController&,
                                                                         const std::optional<std::string>&) {
    return currentTourTitle();
}

}  // namespace tq
