// The home screen's answers to the application's notifications: a download finished or failed, a
// tour link arrived, the rating screen asks for a store review. They run whatever screen is on top.
#include "app/AppDelegate.h"
#include "product/NotificationNames.h"
#include "app/SceneDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "screens/browse/HomeController.h"
#include "screens/browse/TourSelection.h"
#include "screens/tour/MediaPlayers.h"
#include "ui/common/AlertStyling.h"

namespace tq {
namespace {

constexpr double kScanDelay = 0.8;
constexpr double kAudioFade = 1.0;
constexpr double kAudioStop = 0.5;

}  // namespace

void HomeController::registerObservers() {
    auto& notifications = Environment::current().notifications();
    auto weak = weakSelf();
    auto on = [weak](void (HomeController::*method)()) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    downloadCompleteObserver_ = notifications.addObserver(Notifications::downloadComplete, on(&HomeController::showAlertDownloadDone));
    downloadErrorObserver_ = notifications.addObserver(Notifications::downloadError, on(&HomeController::showAlertDownloadError));
    openTourObserver_ = notifications.addObserver(Notifications::openTourFromScan, on(&HomeController::pushTourFromScan));
    reviewObserver_ = notifications.addObserver(Notifications::showAppStoreReview, on(&HomeController::showReview));
}

void HomeController::presentAfterDismissal(std::shared_ptr<ViewController> alert) {
    auto nav = navigationController();
    if (!nav) return;
    std::weak_ptr<NavigationController> weakNav = nav;
    nav->dismiss(true, [weakNav, alert] {
        if (auto nav = weakNav.lock()) nav->present(alert, true);
    });
}

// ---- Downloads

void HomeController::showAlertDownloadDone() {
    auto alert = std::make_shared<AlertController>("", "");
    setAttributedTitle(*alert, app.text("Preloading"));
    setAttributedMessage(*alert, "\n" + app.text("DownloadDoneMessage"));
    auto weak = weakSelf();
    alert->addAction({app.text("ShowMyTours"), AlertActionStyle::defaultStyle, [weak] {
                          if (auto self = weak.lock()) self->showMyTours();
                      }});
    alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
    presentAfterDismissal(alert);
}

void HomeController::showMyTours() {
    auto& audio = MediaPlayers::shared();
    if (audio.audioStillRunning) {
        if (audio.player) audio.player->setVolume(0, kAudioFade);
        Environment::current().loop().postAfter(kAudioStop, [] {
            auto& audio = MediaPlayers::shared();
            if (audio.player) audio.player->stop();
            audio.audioStillRunning = false;
        });
    }
    if (auto nav = navigationController()) nav->popToRootViewController(false);
    performSegue("myToursSegue");
}

void HomeController::showAlertDownloadError() {
    auto nav = navigationController();
    if (!nav) return;
    // A download refused as it starts is announced by the screen that asked for it, right after
    // this notification. The alert waits a turn so that it can tell, and is not shown twice.
    std::weak_ptr<ViewController> shownBefore = nav->presentedViewController();
    auto weak = weakSelf();
    Environment::current().loop().post([weak, shownBefore] {
        auto self = weak.lock();
        auto nav = self ? self->navigationController() : nullptr;
        if (!nav) return;
        auto shown = nav->presentedViewController();
        if (std::dynamic_pointer_cast<AlertController>(shown) && shown != shownBefore.lock()) return;
        auto alert = std::make_shared<AlertController>(self->app.text("Preloading"), self->app.text("NotDownloadedMessage"));
        alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
        self->presentAfterDismissal(alert);
    });
}

// ---- Tour links

void HomeController::pushTourFromScan() {
    auto nav = navigationController();
    if (nav) nav->popToRootViewController(false);
    if (scanTimer_) scanTimer_->invalidate();
    scanTimer_.reset();
    if (!app.idTourToPush || app.idTourToPush->empty()) {
        // A link that names no tour opens nothing; the wait its routing started ends here.
        app.idTourToPush.reset();
        ProgressOverlay::shared().dismiss();
        return;
    }
    if (!isServiceReachable()) {
        // The pending tour stays for a later link to replace.
        ProgressOverlay::shared().dismiss();
        auto alert = std::make_shared<AlertController>(app.text("ServerNotFound"), app.text("ServerNotFoundMessage"));
        alert->addAction({"OK", AlertActionStyle::defaultStyle, {}});
        presentAfterDismissal(alert);
        return;
    }
    app.isMyTour = false;
    app.tourId = *app.idTourToPush;
    app.idTourToPush.reset();
    // A newer link within the wait replaces this one, so the tour screen is pushed once.
    auto weak = weakSelf();
    scanTimer_ = Environment::current().loop().scheduledTimer(kScanDelay, false, [weak](Timer&) {
        if (auto self = weak.lock()) self->openScannedTour();
    });
}

void HomeController::openScannedTour() {
    scanTimer_.reset();
    performSegue("scanSegue", weak_from_this().lock());
}

// ---- Store review

void HomeController::showReview() { requestReviewInCurrentScene(); }

}  // namespace tq
