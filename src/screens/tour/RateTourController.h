#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/Tour.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AlertController;
class AppDelegate;
class StoryboardRegistry;

// The screen at the end of a tour. The visitor gives the web-service client's current tour a mark
// in half steps, with the stars or the slider, and sends it; shares the tour's link; opens the
// store's review page of the application; or leaves towards the home screen or the catalogue,
// which asks the home screen for the store's review prompt.
//
// Nothing is handed to the screen: each visit builds a new one from the storyboard. Every view
// carries its outlet's name as identifier.
class RateTourController : public ViewController, public ActivityItemSource {
public:
    RateTourController();

    AppDelegate& app;
    // The tour being rated: the client's current tour when the screen loads. A full-tour reply
    // that lands later, for a screen that has gone, does not change it.
    TourRef tour;

    // Outlets, filled by the storyboard.
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<StarRatingView> ratingView;
    std::shared_ptr<Slider> sliderRating;
    std::shared_ptr<Label> ratingResults;
    std::shared_ptr<Button> btnRate, btnFinish, btnShare, btnRateApp, btnClose;
    std::shared_ptr<Label> lblTitle, lblShare, lblRate, lblRateTour, statusLabel;

    // Registers the screen under "RateTourController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void toHome();
    void showRequestReview();
    void sendRatingTour();
    void openShareOptions();
    void backToCatalog();
    void closeRatingView();
    void localizeRatingTexts();
    void setupStarRatingSlider(Slider& sender);
    void setupRatingView();

    // The visitor touches the stars: the label and the slider follow the mark.
    void ratingTouched(double mark);
    // The answer of the web service to a rating: an alert that closes by itself.
    void showRatingResult(int code);
    // The identifier the ratings of this device are sent under, made and stored on first use.
    std::string currentDeviceUUID();

    // Share sheet items: the tour's link for every activity, its title as subject and placeholder.
    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct RateTourLayout;
    std::weak_ptr<RateTourController> weakSelf();
    void wireActions();
    void closeAlertLater(const std::weak_ptr<AlertController>& alert);
};

// The store's write-review page of this application.
std::string storeReviewAddress();

// The mark a slider value stands for: the value rounded to the nearest half, halves of a step
// going away from zero (3.25 gives 3.5).
float roundedToHalf(float value);

}  // namespace tq
