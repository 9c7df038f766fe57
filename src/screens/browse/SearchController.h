#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/Regions.h"
#include "platform/location/LocationManager.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class AppDelegate;
class Network;
class StoryboardRegistry;

// The search screen: tours by region (country, then state, then city), by keyword (plain or exact),
// around the visitor's position, and on a world map of tours. Results go to the results list, which
// reads the web-service client's result lists itself.
//
// Split by concern: tabs and keyword here, the region chain in SearchRegions.cpp, search around and
// the world map in SearchAround.cpp and SearchWorldMap.cpp, the layout in SearchLayout.cpp.
class SearchController : public ViewController,
                         public WebNavigationDelegate,
                         public WebUIDelegate,
                         public ScriptMessageHandler,
                         public LocationManagerDelegate {
public:
    SearchController();
    ~SearchController() override;

    AppDelegate& app;
    std::shared_ptr<LocationManager> locationManager;
    Network& network;

    // Outlets, filled by the storyboard. Every view carries its outlet's name as identifier.
    std::shared_ptr<ScrollView> viewLocationSearch, viewKeywordSearch;
    std::shared_ptr<View> viewWorldSearch;
    std::shared_ptr<SegmentedControl> segmentTypeSearch;
    std::shared_ptr<Label> lblChoosePlace, lblSearchAround, lblExactSearch, lblChooseKeyword;
    std::shared_ptr<ImageView> imgDistance;
    std::shared_ptr<TextField> txtViewCountry, txtViewState, txtViewCity;
    std::shared_ptr<Button> btnCountry, btnState, btnCity, btnSearchPlaces, btnSearchAround;
    std::shared_ptr<TextField> txtKeyword;
    std::shared_ptr<Switch> switchExactSearch;
    std::shared_ptr<Button> btnSearchkeywords, btnLocateMe, btnCenterMap;
    std::shared_ptr<WebView> webView;

    bool resultPresented = false;
    // True until the world-map page has been initialised without error.
    bool loadingMap = true;
    // A search around waits for a position.
    bool loadingAround = false;
    // Counts the searches sent (keyword, around, region): a reply answers only the newest, as the
    // visitor sees the results of the last search asked for.
    int searchRequest = 0;
    // The world map is to show the visitor's position.
    bool isLocateMe = false;
    // The search language: 4 all languages, 1 to 3 the rows of the language picker.
    std::int64_t languageSelected = 4;
    std::optional<City> city;
    std::optional<State> state;
    std::optional<Country> country;
    std::optional<RegionType> searchType;

    // Registers the screen and its layouts under "SearchController" in "Search-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void localizeSearchLabels();
    void switchSearchTab();

    // The region chain; the region picker writes `country`, `state` or `city` first.
    void chooseCountry();
    void chooseState();
    void chooseCity();
    // The states reply for the country whose code is given; a reply for a country no longer chosen
    // is ignored.
    void statesLoaded(bool success, const std::string& countryIso);
    void loadCitiesForState();
    void refreshRegionFields();
    void searchByPlaces();

    void searchByKeyword();

    // Search around the position, and the position shown on the world map.
    void searchAround();
    void startLocating();
    void showLocationUnavailableAlert();
    void locateMe();
    void handleLocationUpdate(LocationManager& manager, const std::vector<Location>& locations);

    // Location callbacks.
    void didFailWithError(LocationManager& manager, const LocationError& error) override;
    void didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) override;
    void didChangeAuthorization(LocationManager& manager) override;
    void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) override;

    // Opens the tour screen on a tour identifier.
    void openTourDetail(const std::string& tourId);

    // The world map.
    void loadWorldMapPage();
    void initializeWorldMap();
    void centerMap();

    // Web view and page bridge.
    void didFinishNavigation(WebView& webView, const WebNavigation& navigation) override;
    void didFailNavigation(WebView& webView, const WebNavigation& navigation, const WebError& error) override;
    void didFailProvisionalNavigation(WebView& webView, const WebNavigation& navigation,
                                      const WebError& error) override;
    void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                         DecisionHandler decisionHandler) override;
    void userContentControllerDidReceiveScriptMessage(UserContentController& controller,
                                                      const ScriptMessage& message) override;

    void viewWillAppear(bool animated) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct SearchLayout;

    std::weak_ptr<SearchController> weakSelf();
    void wireActions();
    // Empties both result lists of the client before a search.
    void clearSearchResults();
    // Pushes the results list from this screen's storyboard; the title is set when given.
    void showResults(const std::optional<std::string>& title = std::nullopt);
    // An alert with one "Close" button that does nothing, presented by this screen.
    void presentCloseAlert(const std::string& titleKey, const std::string& messageKey);
    void keywordSecondStage(bool success, const std::string& keyword, const std::string& language, bool exact);
    void showKeywordResults(bool success);
    void showRegionResults();
    void showAroundResults(bool success);
    void showPositionOnMap(double latitude, double longitude);
    void openRegionPicker(RegionType level);

    DeviceIdiom layoutIdiom_ = DeviceIdiom::phone;
};

// What the keyword search sends: the typed text without the fifteen characters ( ) . : < \ / ? [ >
// ] + , { } and with every "'" written "%27", then percent-escaped as one address segment. Empty
// when nothing is left to search for.
std::string encodeSearchKeyword(const std::string& typed);

// The language code of the keyword search for the picker's value: the code of the client's
// language at row - 1 for rows 1 to 3, "all" for anything else.
std::string keywordSearchLanguage(std::int64_t languageSelected, const Network& network);

}  // namespace tq
