#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/Tour.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/VideoPlayerViewController.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/StackView.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The presentation of one tour before the visitor follows it: title, image, place, organisation,
// description, language versions, rating, points, distance and transport, or a network's details
// and its number of sub-tours. Online the tour comes from the web service; in the downloaded-tours
// mode from the stored tours, and the network-only actions are withdrawn.
//
// Two layouts are held at once, portrait and landscape, one hidden at a time; most elements have
// a landscape twin whose name ends in "Land". Every view carries its outlet's name as identifier.
class TourDetailController : public ViewController,
                             public WebNavigationDelegate,
                             public WebUIDelegate,
                             public VideoPlayerViewControllerDelegate,
                             public ActivityItemSource {
public:
    TourDetailController();
    ~TourDetailController() override;

    std::shared_ptr<VideoPlayerViewController> movieController;
    TourRef tour;
    AppDelegate& app;

    // Outlets, filled by the storyboard.
    std::shared_ptr<Button> btnConsultTop, btnNetworkTop, btnHiddenTourContent, btnPreload;
    std::shared_ptr<View> splitView;
    std::shared_ptr<StackView> stackTitle;
    std::shared_ptr<BarButtonItem> btnShare;
    std::shared_ptr<Button> btnConsultIntro;
    std::shared_ptr<ScrollView> portraitView;
    std::shared_ptr<View> labelsView;
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<ImageView> tourImage;
    std::shared_ptr<Label> lblTourDetails, lblNearOf, lblCity, lblPoi, lblPoiCount, lblRating, lblNoRating;
    std::shared_ptr<StarRatingView> ratingView;
    std::shared_ptr<ImageView> imgTransport;
    std::shared_ptr<Label> lblDistance, lblDistanceLength, lblCost, lblAmount, lblPresentedBy;
    std::shared_ptr<Button> btnPresentedBy;
    std::shared_ptr<LayoutConstraint> constTopStackPresentedby, constTopStackPresentedbyLand;
    std::shared_ptr<Button> btnConsultImag, btnNetworkImage, btnNetworkMiddle;
    std::shared_ptr<Label> lblLanguageTitle;
    std::shared_ptr<SegmentedControl> segLanguage;
    std::shared_ptr<Label> lblCurrentLang;
    std::shared_ptr<StackView> stackChangLangButtons;
    std::string idTourFr, idTourEn, idTourEs;
    // The presenting organisation's `org_id`, handed to the organisation list.
    std::string presentedBy;
    std::shared_ptr<WebView> descriptionView;
    std::shared_ptr<LayoutConstraint> constDescriptionHeight, constTopDescriptionView, constLblLangTitleTop,
        constLblLangTitleTopLand, constDescriptionLandHeight, constTopDescriptionLandView, constBtnConsultFull,
        constPresentedByWidth;
    std::shared_ptr<Button> btnNetworkImageLand, btnNetworkMiddleLand;
    std::shared_ptr<ScrollView> landscapeView;
    std::shared_ptr<View> labelsViewLand;
    std::shared_ptr<Button> btnConsultIntroLand;
    std::shared_ptr<ImageView> tourImageLand;
    std::shared_ptr<Label> lblNearOfLand, lblCityLand, lblPoiLand, lblPoiCountLand, lblRatingLand, lblNoRatingLand;
    std::shared_ptr<StarRatingView> ratingViewLand;
    std::shared_ptr<Label> lblLanguageTitleLand, lblCurrentLangLand;
    std::shared_ptr<SegmentedControl> segLanguageLand;
    std::shared_ptr<ImageView> imgTransportLand;
    std::shared_ptr<Label> lblDistanceLand, lblDistanceLengthLand, lblCostLand, lblAmountLand, lblPresentedByLand;
    std::shared_ptr<Button> btnPresentedByLand;
    std::shared_ptr<WebView> descriptionViewLand;
    std::shared_ptr<ActivityIndicatorView> activityIndicatorImage, activityIndicatorImageLand;

    // Registers the screen, its phone and tablet layouts and its segues in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void toHome();
    void loadTourDetail();
    void showNetworkLayout();
    void showTourLayout();
    void populateTourDetail();
    void loadDescriptionHtml();
    void buildLanguageSegments();
    void changeTourLanguage(SegmentedControl& control);
    void showHiddenContentAlert();
    void playIntro();
    void videoEnd();
    void preloadTour();
    void confirmPreload(bool exists);
    void startPreload();
    void share();

    // The identifier of the language version whose segment title is `name`; nothing when that
    // version has no identifier.
    std::optional<std::string> tourIdForLanguageName(const std::string& name) const;
    // "LinkCircuit" text + circuit_id + "/" + slug, for the current tour; nothing without a tour
    // or its identifier.
    std::optional<std::string> shareLinkItem() const;

    // Web views.
    void didFinishNavigation(WebView& webView, const WebNavigation& navigation) override;
    void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                         DecisionHandler decisionHandler) override;

    // Share sheet items.
    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;
    void prepareForSegue(StoryboardSegue& segue, const std::any& sender) override;

protected:
    // Builds the layout of the storyboard the screen came from.
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct TourDetailLayout;
    // The constants the layout gives the constraints that the network layout moves, so that an
    // ordinary tour shown after a network one gets them back.
    struct LaidOutConstants {
        double topStackPresentedby = 0, topDescriptionView = 0, lblLangTitleTop = 0, lblLangTitleTopLand = 0;
    };

    std::weak_ptr<TourDetailController> weakSelf();
    // The client's current tour is whichever reply came last, possibly one asked for by a screen
    // that has gone since; what this screen opens works on the tour this screen shows.
    void makeShownTourCurrent();
    void wireActions();
    void showMainImages();
    void showPresenter();
    void fillRating();
    void fillDistance();
    void applyHiddenContent();
    void openMapAtPendingPoint();
    void fitDescriptionHeight(WebView& webView, double height);
    // An alert whose visible title and message are styled; the plain ones stay empty.
    std::shared_ptr<AlertController> styledAlert(const std::string& title, const std::string& message);

    DeviceIdiom layoutIdiom_ = DeviceIdiom::phone;
    LaidOutConstants laidOut_;
    ObserverToken introEndObserver_;
    bool loadInFlight_ = false;  // the tour was asked for and its reply has not come
};

// The share link of a tour: prefix + circuit_id + "/" + slug.
std::string tourShareLink(const std::string& prefix, const std::string& circuitId, const std::string& slug);

// The distance text of a tour's `length` for a distance unit: empty for "0.00" or no length; the
// length and " km" in kilometres; otherwise miles as "%5.2f Mi", empty when the length is no number.
std::string tourDistanceText(const std::optional<std::string>& length, const std::string& distanceUnit);

}  // namespace tq
