#include "platform/map/MapView.h"

#include <algorithm>
#include <cmath>

namespace tq {
namespace {

// Room left around annotations shown together, and the least span that still shows a street.
constexpr double kShowMargin = 1.2;
constexpr double kLeastSpan = 0.005;

bool isFinite(LocationCoordinate c) { return std::isfinite(c.latitude) && std::isfinite(c.longitude); }

}  // namespace

void MapView::registerMarkerClass(const std::string& reuseIdentifier, MarkerFactory factory) {
    markerKinds_[reuseIdentifier] = std::move(factory);
}

std::shared_ptr<MarkerAnnotationView> MapView::dequeueReusableAnnotationView(const std::string& reuseIdentifier) {
    auto& free = reusable_[reuseIdentifier];
    if (!free.empty()) {
        auto view = free.back();
        free.pop_back();
        view->prepareForReuse();
        return view;
    }
    auto kind = markerKinds_.find(reuseIdentifier);
    if (kind != markerKinds_.end() && kind->second) {
        if (auto view = kind->second(reuseIdentifier)) return view;
    }
    return std::make_shared<MarkerAnnotationView>(reuseIdentifier);
}

// ---- Annotations

std::vector<std::shared_ptr<MapAnnotation>> MapView::annotations() const {
    std::vector<std::shared_ptr<MapAnnotation>> list;
    for (const auto& pin : pins_) list.push_back(pin.annotation);
    return list;
}

void MapView::addAnnotation(std::shared_ptr<MapAnnotation> annotation) {
    if (!annotation || viewForAnnotation(annotation)) return;
    place(annotation);
    changed("annotations");
}

void MapView::addAnnotations(const std::vector<std::shared_ptr<MapAnnotation>>& annotations) {
    for (const auto& annotation : annotations) addAnnotation(annotation);
}

void MapView::removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation) {
    if (!viewForAnnotation(annotation)) return;
    unplace(annotation);
    changed("annotations");
}

void MapView::place(const std::shared_ptr<MapAnnotation>& annotation) {
    std::shared_ptr<MarkerAnnotationView> view;
    if (auto* delegate = delegate_.get()) view = delegate->viewForAnnotation(*this, annotation);
    if (!view) {
        view = std::make_shared<MarkerAnnotationView>();
        view->setAnnotation(annotation);
    }
    // The user location stays last in the map's order.
    auto at = pins_.end();
    if (userLocation_ && !pins_.empty() && pins_.back().annotation == userLocation_) at = pins_.end() - 1;
    pins_.insert(at, {annotation, view});
    addSubview(view);
}

void MapView::unplace(const std::shared_ptr<MapAnnotation>& annotation) {
    auto pin = std::find_if(pins_.begin(), pins_.end(), [&](const Pin& p) { return p.annotation == annotation; });
    if (pin == pins_.end()) return;
    auto view = pin->view;
    pins_.erase(pin);
    selected_.erase(std::remove(selected_.begin(), selected_.end(), annotation), selected_.end());
    view->setSelected(false);
    view->removeFromSuperview();
    if (!view->reuseIdentifier().empty()) reusable_[view->reuseIdentifier()].push_back(view);
}

std::shared_ptr<MarkerAnnotationView> MapView::viewForAnnotation(const std::shared_ptr<MapAnnotation>& annotation) const {
    for (const auto& pin : pins_) {
        if (pin.annotation == annotation) return pin.view;
    }
    return nullptr;
}

void MapView::showAnnotations(const std::vector<std::shared_ptr<MapAnnotation>>& annotations, bool animated) {
    bool any = false;
    double south = 0, north = 0, west = 0, east = 0;
    for (const auto& annotation : annotations) {
        if (!annotation) continue;
        auto c = annotation->coordinate();
        if (!isFinite(c)) continue;
        if (!any) {
            south = north = c.latitude;
            west = east = c.longitude;
            any = true;
            continue;
        }
        south = std::min(south, c.latitude);
        north = std::max(north, c.latitude);
        west = std::min(west, c.longitude);
        east = std::max(east, c.longitude);
    }
    if (!any) return;
    setRegion({{(south + north) / 2, (west + east) / 2},
               {std::max((north - south) * kShowMargin, kLeastSpan), std::max((east - west) * kShowMargin, kLeastSpan)}},
              animated);
}

void MapView::selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation, bool animated) {
    (void)animated;
    auto view = viewForAnnotation(annotation);
    if (!view) return;
    for (const auto& previous : selected_) {
        if (auto previousView = viewForAnnotation(previous)) previousView->setSelected(false);
    }
    selected_ = {annotation};
    view->setSelected(true);
    changed("selectedAnnotations");
}

void MapView::deselectAnnotation(const std::shared_ptr<MapAnnotation>& annotation, bool animated) {
    (void)animated;
    auto it = std::find(selected_.begin(), selected_.end(), annotation);
    if (it == selected_.end()) return;
    selected_.erase(it);
    if (auto view = viewForAnnotation(annotation)) view->setSelected(false);
    changed("selectedAnnotations");
}

// ---- Where the map looks

void MapView::moveTo(const CoordinateRegion& region, bool animated) {
    region_ = region;
    lastMoveAnimated_ = animated;
    changed("region");
}

void MapView::setRegion(const CoordinateRegion& region, bool animated) {
    if (!isFinite(region.center) || !std::isfinite(region.span.latitudeDelta) ||
        !std::isfinite(region.span.longitudeDelta)) {
        return;
    }
    auto kept = region;
    kept.span.latitudeDelta = std::clamp(kept.span.latitudeDelta, 0.0, 180.0);
    kept.span.longitudeDelta = std::clamp(kept.span.longitudeDelta, 0.0, 360.0);
    moveTo(kept, animated);
}

void MapView::setCenterCoordinate(LocationCoordinate center, bool animated) {
    if (!isFinite(center)) return;
    moveTo({center, region_.span}, animated);
}

void MapView::setVisibleMapRect(const MapRect& rect, bool animated) { setRegion(regionForMapRect(rect), animated); }

void MapView::setMapType(MapType type) {
    mapType_ = type;
    changed("mapType");
}

// ---- The device's position

void MapView::setShowsUserLocation(bool shows) {
    showsUserLocation_ = shows;
    if (!shows && userLocation_) {
        unplace(userLocation_);
        userLocation_.reset();
    } else if (shows && userLocationKnown_ && !userLocation_) {
        userLocation_ = std::make_shared<UserLocationAnnotation>();
        userLocation_->setCoordinate(lastUserCoordinate_);
        place(userLocation_);
    }
    changed("showsUserLocation");
}

std::shared_ptr<UserLocationAnnotation> MapView::userLocation() const { return userLocation_; }

void MapView::setShowsCompass(bool shows) {
    showsCompass_ = shows;
    changed("showsCompass");
}

void MapView::setUserTrackingMode(UserTrackingMode mode, bool animated) {
    trackingMode_ = mode;
    if (mode != UserTrackingMode::none && userLocationKnown_) setCenterCoordinate(lastUserCoordinate_, animated);
    changed("userTrackingMode");
}

void MapView::userLocationDidChange(LocationCoordinate coordinate) {
    userLocationKnown_ = true;
    lastUserCoordinate_ = coordinate;
    if (showsUserLocation_) {
        if (!userLocation_) {
            userLocation_ = std::make_shared<UserLocationAnnotation>();
            userLocation_->setCoordinate(coordinate);
            place(userLocation_);
        } else {
            userLocation_->setCoordinate(coordinate);
        }
        changed("userLocation");
    }
    if (trackingMode_ != UserTrackingMode::none) setCenterCoordinate(coordinate, true);
}

// ---- Overlays

void MapView::addOverlay(std::shared_ptr<MapOverlay> overlay) {
    if (!overlay) return;
    std::shared_ptr<OverlayRenderer> renderer;
    if (auto* delegate = delegate_.get()) renderer = delegate->rendererForOverlay(*this, overlay);
    if (renderer) renderer->setMap(weak_from_this());
    overlays_.push_back(std::move(overlay));
    renderers_.push_back(std::move(renderer));
    changed("overlays");
}

std::shared_ptr<OverlayRenderer> MapView::rendererForOverlay(const std::shared_ptr<MapOverlay>& overlay) const {
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        if (overlays_[i] == overlay) return renderers_[i];
    }
    return nullptr;
}

}  // namespace tq
