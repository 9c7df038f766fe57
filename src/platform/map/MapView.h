#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/map/MapAnnotation.h"
#include "platform/map/MapOverlay.h"
#include "platform/map/MapTypes.h"
#include "platform/ui/View.h"
#include "platform/ui/WeakDelegate.h"

namespace tq {

class MapView;

// What a map asks of, and tells, the screen that runs it.
class MapViewDelegate : public WeaklyReferenced {
public:
    // The marker of an annotation; nothing gives the map's default marker.
    virtual std::shared_ptr<MarkerAnnotationView> viewForAnnotation(MapView& map,
                                                                    const std::shared_ptr<MapAnnotation>& annotation) {
        (void)map;
        (void)annotation;
        return nullptr;
    }
    // How an overlay is drawn; nothing leaves it undrawn.
    virtual std::shared_ptr<OverlayRenderer> rendererForOverlay(MapView& map, const std::shared_ptr<MapOverlay>& overlay) {
        (void)map;
        (void)overlay;
        return nullptr;
    }
};

// A map with a headless engine: nothing is drawn. It holds what the screen sets on it (region,
// type, user location, tracking, annotations in the order they were added, overlays with their
// renderers, the selection) and reports every change as a view does, so that a renderer can
// mirror it. Each annotation's marker is asked of the delegate when the annotation is added and
// placed among the map's subviews. The person's and the device's side are played through
// `HeadlessMapBackend`.
class MapView : public View {
protected:
    bool stretchesByDefault() const override { return true; }

public:
    using MarkerFactory = std::function<std::shared_ptr<MarkerAnnotationView>(const std::string& reuseIdentifier)>;

    using View::View;
    // A map takes the room its container gives it.
    bool drawsContent() const override { return true; }

    void setDelegate(MapViewDelegate* delegate) { delegate_ = delegate; }
    MapViewDelegate* delegate() const { return delegate_.get(); }

    // Markers: a kind per reuse identifier; dequeuing hands out a marker no annotation uses any
    // more, or a new one of the registered kind (a plain marker without a registration).
    void registerMarkerClass(const std::string& reuseIdentifier, MarkerFactory factory);
    std::shared_ptr<MarkerAnnotationView> dequeueReusableAnnotationView(const std::string& reuseIdentifier);

    // Annotations, in the map's order (the order they were added; the user location last).
    std::vector<std::shared_ptr<MapAnnotation>> annotations() const;
    void addAnnotation(std::shared_ptr<MapAnnotation> annotation);
    void addAnnotations(const std::vector<std::shared_ptr<MapAnnotation>>& annotations);
    void removeAnnotation(const std::shared_ptr<MapAnnotation>& annotation);
    // The marker shown for an annotation, if the map has the annotation.
    std::shared_ptr<MarkerAnnotationView> viewForAnnotation(const std::shared_ptr<MapAnnotation>& annotation) const;
    // Moves the region so that every one of them is in sight.
    void showAnnotations(const std::vector<std::shared_ptr<MapAnnotation>>& annotations, bool animated);
    const std::vector<std::shared_ptr<MapAnnotation>>& selectedAnnotations() const { return selected_; }
    void selectAnnotation(const std::shared_ptr<MapAnnotation>& annotation, bool animated);
    void deselectAnnotation(const std::shared_ptr<MapAnnotation>& annotation, bool animated);

    // Where the map looks.
    const CoordinateRegion& region() const { return region_; }
    // Spans are kept within the earth: at most 180 degrees of latitude and 360 of longitude.
    void setRegion(const CoordinateRegion& region, bool animated);
    LocationCoordinate centerCoordinate() const { return region_.center; }
    void setCenterCoordinate(LocationCoordinate center, bool animated);
    MapRect visibleMapRect() const { return mapRectForRegion(region_); }
    void setVisibleMapRect(const MapRect& rect, bool animated);
    // Whether the last change of where the map looks was asked to animate.
    bool lastMoveAnimated() const { return lastMoveAnimated_; }

    MapType mapType() const { return mapType_; }
    void setMapType(MapType type);

    bool showsUserLocation() const { return showsUserLocation_; }
    void setShowsUserLocation(bool shows);
    // The device's position while the user location shows and is known.
    std::shared_ptr<UserLocationAnnotation> userLocation() const;
    bool showsCompass() const { return showsCompass_; }
    void setShowsCompass(bool shows);
    UserTrackingMode userTrackingMode() const { return trackingMode_; }
    void setUserTrackingMode(UserTrackingMode mode, bool animated);

    // Overlays, in the order they were added, each with the renderer its delegate gave.
    const std::vector<std::shared_ptr<MapOverlay>>& overlays() const { return overlays_; }
    void addOverlay(std::shared_ptr<MapOverlay> overlay);
    std::shared_ptr<OverlayRenderer> rendererForOverlay(const std::shared_ptr<MapOverlay>& overlay) const;

    // The device side (see HeadlessMapBackend): the position the user location shows.
    void userLocationDidChange(LocationCoordinate coordinate);

protected:
    // The map places each marker at its annotation's position.
    Arrangement defaultArrangement() const override { return Arrangement::overlay(); }

private:
    struct Pin {
        std::shared_ptr<MapAnnotation> annotation;
        std::shared_ptr<MarkerAnnotationView> view;
    };
    void place(const std::shared_ptr<MapAnnotation>& annotation);
    void unplace(const std::shared_ptr<MapAnnotation>& annotation);
    void moveTo(const CoordinateRegion& region, bool animated);

    WeakDelegate<MapViewDelegate> delegate_;
    std::map<std::string, MarkerFactory> markerKinds_;
    std::map<std::string, std::vector<std::shared_ptr<MarkerAnnotationView>>> reusable_;
    std::vector<Pin> pins_;
    std::vector<std::shared_ptr<MapAnnotation>> selected_;
    CoordinateRegion region_{{0, 0}, {180, 360}};
    bool lastMoveAnimated_ = false;
    MapType mapType_ = MapType::standard;
    bool showsUserLocation_ = false;
    std::shared_ptr<UserLocationAnnotation> userLocation_;
    bool userLocationKnown_ = false;
    LocationCoordinate lastUserCoordinate_;
    bool showsCompass_ = true;
    UserTrackingMode trackingMode_ = UserTrackingMode::none;
    std::vector<std::shared_ptr<MapOverlay>> overlays_;
    std::vector<std::shared_ptr<OverlayRenderer>> renderers_;
};

}  // namespace tq
