#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/MainLoop.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/location/LocationManager.h"
#include "platform/media/VideoPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/StackView.h"
#include "platform/ui/ViewController.h"
#include "screens/browse/CatalogController.h"

namespace tq {

class AppDelegate;
class Network;
class StoryboardRegistry;

// The screen the visitor starts from, at the root of the one navigation stack: the logo over a
// background video and five entry buttons (catalogue, my tours, search, settings, and the compass
// that finds the tours around), laid out once for portrait and once for landscape.
//
// It lives as long as the application, so it also receives the application-wide notifications:
// a download finished or failed, a tour link, a store review request.
class HomeController : public ViewController, public LocationManagerDelegate {
public:
    HomeController();
    ~HomeController() override;

    // Outlets, filled by the storyboard.
    std::shared_ptr<View> blackOverlay;
    std::shared_ptr<VideoPlayerLayer> playerLayer, playerLayerLand;
    std::shared_ptr<LayoutConstraint> constLogoTop, constLogoWidth, constLogoHeight, constStackButtonY,
        constStackButtonWidth, constBtnCatalogWidth, constBtnCompassWidth, constBtnCompassHeight, constBtnCatalogHeight,
        constBtnCompassBottom, constBtnCatalogHeightLand, constBtnCompassWidthLand, constBtnCompassHeightLand,
        constBtnCompassBottomLand, constStackButtonLeftLeadingLand, constStackButtonRightTrailingLand,
        constStackButtonLeftTrailingLand, constStackButtonRightLeadingLand, constLogoTopLand, constLogoWidthLand,
        constLogoHeightLand, constTopBlackOverlay, constBGCenterH;
    std::shared_ptr<View> portraitButtonView;
    std::shared_ptr<Button> btnCatalog, btnMyTours, btnSearch, btnSettings, btnCompass;
    std::shared_ptr<View> landscapeButtonView;
    std::shared_ptr<Button> btnCatalogLand, btnMyToursLand, btnSearchLand, btnSettingsLand, btnCompassLand;
    std::shared_ptr<ImageView> imageLogo, imageLogoLand;
    std::shared_ptr<ImageView> backgroundImage, backgroundImageLand;
    std::shared_ptr<StackView> stackButton, stackButtonLeftLand, stackButtonRightLand;

    std::unique_ptr<LocationManager> locationManager;
    std::optional<LocationCoordinate> userPosition;
    AppDelegate& app;
    bool isSearchingNear = false;
    // Null when the bundle holds no readable video.
    std::shared_ptr<VideoPlayer> player, playerLand;
    bool isViewVisible = true;

    // Registers the screen, the navigation stack it roots and its segues in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    // ---- Layout and entry
    void localizeHomeButtons();
    void showSearch();
    void showSettings();
    void applyConstants320();
    void applyConstants375();
    void applyConstants1024();

    // ---- Background videos
    void setupPortraitVideo();
    void setupLandscapeVideo();

    // ---- Notifications
    void showAlertDownloadDone();
    void showAlertDownloadError();
    void pushTourFromScan();
    void showReview();

    // ---- Search near me
    void searchNear();
    void startLocationForSearch();
    void searchToursAround();
    void showLocationDeniedAlert();
    void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) override;
    void didFailWithError(LocationManager& manager, const LocationError& error) override;
    void didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) override;

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;
    void prepareForSegue(StoryboardSegue& segue, const std::any& sender) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct HomeLayout;
    std::weak_ptr<HomeController> weakSelf();
    void applyConstantsForScreenSize();
    void registerObservers();
    // Shows one orientation's buttons and background.
    void showButtonPanel(bool landscape);
    // Shows one orientation's video layer; the player of that orientation starts `delay` seconds
    // later (at once for 0).
    void showVideo(bool landscape, double delay);
    void rewindVideos();
    void setTopOffset(double phoneOffset);
    // Presents `alert` on the navigation controller once whatever it presents has gone.
    void presentAfterDismissal(std::shared_ptr<ViewController> alert);
    void showMyTours();
    void openScannedTour();
    void toursNearbyLoaded(bool success);
    // An alert with the one button "OK", on the navigation controller.
    void presentNotice(const std::string& titleKey, const std::string& messageKey);

    ObserverToken downloadCompleteObserver_, downloadErrorObserver_, openTourObserver_, reviewObserver_;
    // The pending opening of a linked tour; a newer link replaces it.
    std::shared_ptr<Timer> scanTimer_;
    // Location updates run for a search near me (not merely for the authorisation request).
    bool locatingForSearch_ = false;
};

}  // namespace tq
