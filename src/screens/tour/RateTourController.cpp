#include "screens/tour/RateTourController.h"

#include <cmath>
#include <cstdio>

#include "app/AppDelegate.h"
#include "product/NotificationNames.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/services/Uuid.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/UiApplication.h"
#include "screens/tour/ShareController.h"
#include "screens/tour/TourDetailController.h"
#include "service/Network.h"
#include "ui/common/HomeButton.h"

namespace tq {
namespace {

constexpr const char* kDeviceUuidKey = "deviceUUID";
constexpr const char* kNoUuid = "noUUID";
// The application's page in the platform's store.
constexpr const char* kStoreHost = "apps.apple.com";
// The store gives the identifier when the application is registered there; until then a zero one.
constexpr const char* kStoreApplicationId = "0000000000";

// How long the rating's result stays up before it closes by itself.
constexpr double kResultSecondsOnPad = 2.0;
constexpr double kResultSecondsOnPhone = 3.0;

std::string markText(double mark) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f", mark);
    return text;
}

bool isPad() { return Environment::current().device().idiom == DeviceIdiom::pad; }

}  // namespace

std::string storeReviewAddress() {
    return std::string("itms-apps://") + kStoreHost + "/app/id" + kStoreApplicationId + "?action=write-review";
}

float roundedToHalf(float value) { return std::round(value * 2.0f) / 2.0f; }

RateTourController::RateTourController() : app(AppDelegate::shared()) {}

std::weak_ptr<RateTourController> RateTourController::weakSelf() {
    return std::static_pointer_cast<RateTourController>(shared_from_this());
}

void RateTourController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](void (RateTourController::*method)()) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    btnRate->addAction(ControlEvent::touchUpInside, on(&RateTourController::sendRatingTour));
    btnShare->addAction(ControlEvent::touchUpInside, on(&RateTourController::openShareOptions));
    btnRateApp->addAction(ControlEvent::touchUpInside, on(&RateTourController::showRequestReview));
    btnFinish->addAction(ControlEvent::touchUpInside, on(&RateTourController::backToCatalog));
    btnClose->addAction(ControlEvent::touchUpInside, on(&RateTourController::closeRatingView));
    sliderRating->addAction(ControlEvent::valueChanged, [weak](Control& sender) {
        if (auto self = weak.lock()) self->setupStarRatingSlider(static_cast<Slider&>(sender));
    });
}

// ---- Life cycle

void RateTourController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (!tour) tour = Network::shared().currentTour;
    localizeRatingTexts();
    setupRatingView();
    for (const auto& button : {btnRate, btnFinish, btnRateApp, btnShare}) button->setCornerRadius(20);

    installHomeButton(*this, &RateTourController::toHome);
}

void RateTourController::localizeRatingTexts() {
    lblTitle->setText(app.text("ThanksTitle"));
    lblRate->setText(app.text("RateText"));
    lblShare->setText(app.text("ShareText"));
    lblRateTour->setText(app.text("RateAppDescription"));
    btnRate->setTitle(app.text("Send"));
    btnShare->setTitle(app.text("Share"));
    btnFinish->setTitle(app.text("BackMenu"));
    btnRateApp->setTitle(app.text("RateApp"));
}

// ---- The mark

void RateTourController::setupRatingView() {
    ratingView->setUpdatesOnTouch(true);
    ratingView->setFillMode(StarFillMode::half);
    auto weak = weakSelf();
    ratingView->setOnTouch([weak](double mark) {
        if (auto self = weak.lock()) self->ratingTouched(mark);
    });
}

void RateTourController::ratingTouched(double mark) {
    ratingResults->setText(markText(mark));
    sliderRating->setValue(static_cast<float>(mark));
}

void RateTourController::setupStarRatingSlider(Slider& sender) {
    float value = roundedToHalf(sender.value());
    sender.setValue(value);
    ratingResults->setText(markText(value));
    ratingView->setRating(value);
}

// ---- Sending

void RateTourController::sendRatingTour() {
    if (!tour || !tour->circuit_id) return;  // nothing the service could file the mark under
    auto weak = weakSelf();
    Network::shared().setRating(*tour->circuit_id, coordinateText(ratingView->rating()), currentDeviceUUID(),
                                [weak](int code) {
                                    if (auto self = weak.lock()) self->showRatingResult(code);
                                });
}

void RateTourController::showRatingResult(int code) {
    auto& console = Environment::current().console();
    std::string messageKey = "ThanksMessage";
    switch (code) {
        case 1: console.log("ok"); break;
        case 2:
            console.log("already");
            messageKey = "AlreadyRated";
            break;
        default: console.log("fail"); break;  // 0, and any code the service may add
    }

    auto alert = std::make_shared<AlertController>(app.text("Rate"), app.text(messageKey));
    if (isPad()) {
        if (auto* popover = alert->popoverPresentationController()) popover->setSourceView(btnRate);
    }
    auto weak = weakSelf();
    std::weak_ptr<AlertController> weakAlert = alert;
    present(alert, true, [weak, weakAlert] {
        if (auto self = weak.lock()) self->closeAlertLater(weakAlert);
    });
}

void RateTourController::closeAlertLater(const std::weak_ptr<AlertController>& alert) {
    auto weak = weakSelf();
    Environment::current().loop().scheduledTimer(isPad() ? kResultSecondsOnPad : kResultSecondsOnPhone, false,
                                                 [weak, alert](Timer&) {
                                                     auto self = weak.lock();
                                                     auto shown = alert.lock();
                                                     // Only the result itself: whatever else is up by
                                                     // then stays.
                                                     if (self && shown && self->presentedViewController() == shown) {
                                                         self->dismiss(true);
                                                     }
                                                 });
}

std::string RateTourController::currentDeviceUUID() {
    auto& settings = Environment::current().settings();
    auto stored = settings.stringForKey(kDeviceUuidKey);
    if (stored && !stored->empty()) return *stored;
    auto made = Environment::current().shared<UuidFactory>().make();
    if (!made || made->empty()) {
        settings.remove(kDeviceUuidKey);
        settings.synchronize();
        return kNoUuid;
    }
    settings.setString(kDeviceUuidKey, *made);
    settings.synchronize();
    return *made;
}

// ---- Sharing and the store

void RateTourController::openShareOptions() {
    auto sheet = std::make_shared<ActivityViewController>(
        std::vector<ActivityItem>{std::make_shared<WeakShareItem>(weakSelf())});
    sheet->setExcludedActivityTypes(excludedShareActivityTypes());
    if (isPad()) {
        if (auto* popover = sheet->popoverPresentationController()) popover->setSourceView(btnShare);
        sheet->setModalTransitionStyle(ModalTransitionStyle::coverVertical);
    }
    present(sheet, true);
}

std::string RateTourController::activityViewControllerPlaceholderItem(ActivityViewController&) {
    return tour ? tour->title.value_or("") : std::string();
}

std::optional<std::string> RateTourController::activityViewControllerItemForActivityType(
    ActivityViewController&, const std::optional<std::string>&) {
    if (!tour || !tour->circuit_id) return std::nullopt;
    return tourShareLink(app.text("LinkCircuit"), *tour->circuit_id, tour->slug.value_or(""));
}

std::string RateTourController::activityViewControllerSubjectForActivityType(ActivityViewController&,
                                                                              const std::optional<std::string>&) {
    return tour ? tour->title.value_or("") : std::string();
}

void RateTourController::showRequestReview() { UiApplication::shared().open(storeReviewAddress()); }

// ---- Leaving

void RateTourController::toHome() {
    Environment::current().notifications().post(Notifications::showAppStoreReview);
    if (auto nav = navigationController()) nav->popToRootViewController(true);
}

void RateTourController::backToCatalog() {
    // With the home screen alone below, there is no catalogue to go back to: the stack stays.
    auto nav = navigationController();
    if (nav && nav->viewControllers().size() >= 2) nav->popToViewController(*nav->viewControllers()[1], true);
    Environment::current().notifications().post(Notifications::showAppStoreReview);
}

void RateTourController::closeRatingView() {
    if (auto nav = navigationController()) nav->popViewController(true);
}

}  // namespace tq
