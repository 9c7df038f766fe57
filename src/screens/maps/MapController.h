#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "model/Tour.h"
#include "platform/location/LocationManager.h"
#include "platform/map/Directions.h"
#include "platform/map/MapView.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class AppDelegate;
class PoiAnnotation;
class StoryboardRegistry;

// The tour on the platform's native map: a numbered pin per point, a current point the visitor
// steps through (the rating screen after the last one), a callout opening a point's contents,
// driving routes to the current point, following the device with its heading, zoom, the flyover
// toggle, share and a first-use hint shared with the web map. Only a storyboard transition reaches
// it. Every view carries its outlet's name as identifier.
class MapController : public ViewController,
                      public MapViewDelegate,
                      public LocationManagerDelegate,
                      public ActivityItemSource {
public:
    MapController();
    ~MapController() override;

    AppDelegate& app;
    // The last batch of positions the location manager delivered.
    std::optional<std::vector<Location>> currentLocation;
    // Metres shown north-south and east-west when following starts.
    double regionRadius = 500;
    PointOfInterestRef currentPOI;
    TourRef tour;
    // Position of the current point in the tour's sorted point list.
    std::int64_t current_position = 0;
    std::shared_ptr<LocationManager> lm;

    // Outlets, filled by the storyboard.
    std::shared_ptr<MapView> map;
    std::shared_ptr<Button> btnLocate, btnCenterMap, btnPrev, btnNext;
    std::shared_ptr<View> bgPrev, bgNext, bgShare, viewBtnBottom;
    std::shared_ptr<ImageView> imgCompass;
    std::shared_ptr<View> popUp, popUpBG;
    std::shared_ptr<ImageView> mapHandImage;
    std::shared_ptr<Button> btnClosePopup;
    std::shared_ptr<View> bgTop, splitBtnView;
    std::shared_ptr<BarButtonItem> rightBarButton;
    std::shared_ptr<WebView> mapWkWebView;
    std::shared_ptr<Button> btnShare, btnDirections;

    // Registers the screen under "MapController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void addPoiAnnotations();
    void selectPoi(std::int64_t position);
    void localizeMapButtons();
    // Opens the contents of a point on the content screen.
    void showContent(const PointOfInterestRef& point);
    void closePopup();
    void next();
    void previous();
    void showListPOI() {}
    void share();
    void direction();
    void centerMap() {}
    void activateFlyOverMap();
    void followMe();
    void zoomIn();
    void zoomOut();

    // Map view.
    std::shared_ptr<MarkerAnnotationView> viewForAnnotation(MapView& map,
                                                            const std::shared_ptr<MapAnnotation>& annotation) override;
    std::shared_ptr<OverlayRenderer> rendererForOverlay(MapView& map, const std::shared_ptr<MapOverlay>& overlay) override;

    // Location manager.
    void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) override;

    // Share sheet items: the current point's link, with the tour's title as subject.
    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct MapControllerLayout;
    std::weak_ptr<MapController> weakSelf();
    void wireActions();
    void showRoutes(const std::vector<Route>& routes);
    void scaleSpan(double factor);
    bool hasPoints() const;
    std::int64_t pointCount() const;
};

// The share link of a point: prefix + circuit_id + "/poi/" + poi_id + "/" + the point's slug.
std::string pointShareLink(const std::string& prefix, const std::string& circuitId, const std::string& poiId,
                           const std::string& slug);

}  // namespace tq
