#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/PointOfInterest.h"
#include "platform/location/LocationManager.h"
#include "model/Tour.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"
#include "screens/tour/TourNeighbours.h"

namespace tq {

class AppDelegate;
class MediaPlayers;
class StoryboardRegistry;

// The web map on which a visitor follows a tour point by point: a Leaflet page in a web view draws
// the tour's points, and native buttons around it step from point to point, open a point's
// contents, give directions, share the point and show the map options and the help page.
//
// The screen works in one of three modes, fixed by its tour: a custom map (`use_custom_map`
// exactly "1"), a downloaded tour (the offline page in the cache directory, tiles from the tour's
// folder) or an online tour (the bundle's main page, public tiles).
//
// Its duties are split by concern over several files: set-up and loading (this file's .cpp),
// the page bridge, stepping, options and panels, location, directions and share.
class MapLeafletController : public ViewController,
                             public PointMapScreen,
                             public WebNavigationDelegate,
                             public WebUIDelegate,
                             public ScriptMessageHandler,
                             public TableViewDataSource,
                             public TableViewDelegate,
                             public ActivityItemSource,
                             public LocationManagerDelegate {
public:
    MapLeafletController();
    ~MapLeafletController() override;

    AppDelegate& app;
    // The last batch of device locations delivered.
    std::optional<std::vector<Location>> currentLocation;
    TourRef tour;
    // The client's current tour is whichever full-tour reply came last; the screens this map opens
    // (contents, rating) work on the map's own tour.
    void makeShownTourCurrent();
    std::int64_t currentPoiIndex = 0;
    PointOfInterestRef currentPOI;
    bool gyroIsEnable = false;
    bool seeAround = false;
    const std::unique_ptr<LocationManager> locationManager;
    MediaPlayers& audioPlayer;

    // Copies of the application-wide flags, taken on first read and kept until written.
    bool isMyTour();
    void setIsMyTour(bool value) { isMyTour_ = value; }
    bool locationIsEnable();
    void setLocationIsEnable(bool value) { locationIsEnable_ = value; }

    // Outlets, filled by the layout.
    std::shared_ptr<WebView> map;
    std::shared_ptr<View> bgShare;
    std::shared_ptr<Button> btnShare, btnDirections;
    std::shared_ptr<View> viewBtnBottom, bgPrev, bgNext;
    std::shared_ptr<Button> btnPrev, btnNext;
    std::shared_ptr<BarButtonItem> rightBarButton;
    std::shared_ptr<View> popUp, popUpBG;
    std::shared_ptr<Button> btnClosePopup;
    std::shared_ptr<ImageView> mapHandImage;
    std::shared_ptr<Button> btnShowHowItWorks, btnCloseHowItWorks;
    std::shared_ptr<View> popUpHow;
    std::shared_ptr<WebView> webViewHow;
    std::shared_ptr<Button> btnShowOptions, btnCloseOptions;
    std::shared_ptr<View> popUpOptions, popUpOptionsInnerView;
    std::shared_ptr<TableView> tableViewOptions;
    std::shared_ptr<Label> lblOptionsTitle;
    std::shared_ptr<LayoutConstraint> constShareTrailing, constMapLead, constHowHeight;
    std::shared_ptr<View> bgTop, splitBtnView;

    void setCurrentPoiIndex(std::int64_t index) override { currentPoiIndex = index; }

    // Registers the screen under "MapLeafletController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    // ---- Set-up and loading
    void toHome();
    void setupMapWebView();
    void prepareTourPois();
    void decodeCustomMapMetadata();
    bool isCustomMap() const;

    // ---- Options, panels and help
    void loadHowItWorks();
    std::string helpPageName();
    void showExplanation();
    void closeExplanation();
    void showMapOptions();
    void closeMapOptions();
    void closeHandPopup();

    // ---- Directions and share
    void share();
    void getDirections();

    // ---- Stepping
    void showPoiSelectController();
    void next();
    void previous();
    void centerOnCurrentPoi();
    void showCurrentPoiContent();
    void showPoiFromPage(const ScriptValue& result, const std::optional<WebError>& error);
    void showAroundPoiFromPage(const ScriptValue& result, const std::optional<WebError>& error);
    void selectPoiFromPage();

    // ---- Location, compass and points around
    void toggleFollowMe();
    void centerOnUserPosition();
    void toggleGyroscope();
    void toggleSeeAround();
    void showPoisAround(bool success, const std::string& language);
    void startLocationByAuthorization();
    // The visitor's position cannot be used, is not known yet, or the directions target has none.
    enum class LocationAlert { locationUnavailable, activateFollowMe, targetUnavailable };
    void showLocationAlert(LocationAlert kind);

    // ---- Location manager
    void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) override;
    void didUpdateHeading(LocationManager& manager, const Heading& heading) override;
    void didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) override;
    void didChangeAuthorization(LocationManager& manager) override;

    // ---- Bridge: web views
    void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                         DecisionHandler decisionHandler) override;
    void didFinishNavigation(WebView& webView, const WebNavigation& navigation) override;
    void didFailNavigation(WebView& webView, const WebNavigation& navigation, const WebError& error) override;
    void didFailProvisionalNavigation(WebView& webView, const WebNavigation& navigation,
                                      const WebError& error) override;
    void runJavaScriptAlertPanel(WebView& webView, const std::string& message,
                                 std::function<void()> completion) override;
    void runJavaScriptConfirmPanel(WebView& webView, const std::string& message,
                                   std::function<void(bool)> completion) override;
    void runJavaScriptTextInputPanel(WebView& webView, const std::string& prompt,
                                     const std::optional<std::string>& defaultText,
                                     std::function<void(std::optional<std::string>)> completion) override;
    void userContentControllerDidReceiveScriptMessage(UserContentController& controller,
                                                      const ScriptMessage& message) override;

    // ---- Options table
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;

    // ---- Share sheet items
    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

    // ---- Life cycle
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct MapLeafletLayout;
    enum class OptionsMode { customMap, downloaded, online };
    enum class OptionRow;

    std::weak_ptr<MapLeafletController> weakSelf();
    // Wraps a member so that a delayed step or a callback does nothing once the screen is gone.
    template <class F>
    auto whileAlive(F action);
    void wireActions();
    bool isPad() const;
    std::string pageLanguage() const;
    // Evaluates a text in the map page, ignoring its answer.
    void evaluate(const std::string& text);
    void evaluate(const std::optional<std::string>& text);
    std::optional<std::string> encodedTour() const;
    std::string pageCallForLoadedTour(const std::string& tourJson);
    void revealDownloaded(const std::optional<WebError>& error);
    void revealOnline(const std::optional<WebError>& error);
    void evaluateCentreAfterLoading();
    void fadeOutAudioForPage();
    void fadeOutAudioForStepping();
    void fadeOutAndStopAudio(double stopAfter);
    std::optional<std::size_t> pointPosition(std::int64_t index) const;
    std::size_t pointCount() const;
    // Presents a panel of the page; false when it could not be shown.
    bool presentPanel(std::shared_ptr<ViewController> panel);
    void setPrevEnabled(bool enabled, std::optional<double> alpha);
    void applyPhoneLayoutOnLoad();
    OptionsMode optionsMode();
    std::optional<OptionRow> optionRow(int row);
    std::string optionLabel(OptionRow row);
    std::string joinedLabel(const std::string& first, const std::string& second);
    void showHandHintOnFirstUse();
    void storeFollowMe();
    DeviceIdiom layoutIdiom_ = DeviceIdiom::phone;
    std::optional<bool> isMyTour_;
    std::optional<bool> locationIsEnable_;
    bool pageRequested_ = false;
};

}  // namespace tq
