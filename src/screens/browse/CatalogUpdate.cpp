// The list of stored tours: deletion, the update of a tour that has a newer version, and the
// check for updates.
#include <string>

#include "app/AppDelegate.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "screens/browse/CatalogController.h"
#include "storage/DBManager.h"

namespace tq {

// What the offline library calls back when an update ends. The library owns it until then and
// lets it go after; it reaches the screen weakly, so a screen closed during the update is not called.
class CatalogController::UpdateLock : public UpdateRequester {
public:
    explicit UpdateLock(std::weak_ptr<CatalogController> screen) : screen_(std::move(screen)) {}

    void unlockAfterUpdate() override {
        if (auto screen = screen_.lock()) screen->unlockAfterUpdate();
    }

private:
    std::weak_ptr<CatalogController> screen_;
};

// ---- Deletion

void CatalogController::installEditButton() {
    segmentBar->setHidden(true);
    auto weak = weakSelf();
    btnSearch = std::make_shared<BarButtonItem>(app.text("Delete"), [weak] {
        if (auto self = weak.lock()) self->editFavorites();
    });
    btnSearch->setStyle(BarButtonItemStyle::plain);
    navigationItem().setRightBarButtonItem(btnSearch);
}

void CatalogController::editFavorites() {
    isEditingTour = !isEditingTour;
    tableView->setEditing(isEditingTour, false);
}

void CatalogController::commitEditingStyle(TableView&, TableCellEditingStyle style, IndexPath indexPath) {
    if (!app.isMyTour || style != TableCellEditingStyle::deletion) return;
    auto tour = tourAt(indexPath);
    if (!tour || !tour->circuit_id) return;
    ProgressOverlay::shared().show();
    auto weak = weakSelf();
    std::string tourId = *tour->circuit_id;
    DBManager::shared().deleteTour(tourId, [weak, tourId](bool success) {
        if (auto self = weak.lock()) {
            self->tourDeleted(success, tourId);
        } else {
            ProgressOverlay::shared().dismiss();
        }
    });
}

void CatalogController::tourDeleted(bool success, const std::string& tourId) {
    if (success) {
        // The row is found again by its tour: the list may have changed since the swipe.
        std::erase_if(catalogue, [&tourId](const TourRef& tour) { return tour && tour->circuit_id == tourId; });
        DBManager::shared().getAllTours(*this);
    }
    ProgressOverlay::shared().dismiss();
}

// ---- Update

void CatalogController::confirmTourUpdate(Button& sender) {
    if (isUpdatingTour) {
        presentAlert("Notice", "downloadInProgress", "OK");
        return;
    }
    // The tag is read now: the cell may show another tour by the time the visitor answers.
    const int tag = sender.tag();
    auto alert = std::make_shared<AlertController>(app.text("UpdateTitle"), app.text("startDownloadingUpdate"));
    auto weak = weakSelf();
    alert->addAction({app.text("No"), AlertActionStyle::defaultStyle, {}});
    alert->addAction({app.text("Update"), AlertActionStyle::defaultStyle, [weak, tag] {
                          if (auto self = weak.lock()) self->startTourUpdate(tag);
                      }});
    if (auto nav = navigationController()) nav->present(alert, true);
}

void CatalogController::startTourUpdate(int senderTag) {
    if (senderTag == 0 || isUpdatingTour) return;
    isUpdatingTour = true;
    updateAnnounced_ = false;
    lockForUpdate(true);
    ProgressOverlay::shared().show(app.text("Updating"));
    DBManager::shared().deleteTourForUpdate(std::to_string(senderTag), senderTag, std::make_shared<UpdateLock>(weakSelf()));
}

void CatalogController::updateDone() {
    updateAnnounced_ = true;
    DBManager::shared().getAllTours(*this);
    ProgressOverlay::shared().dismiss();
}

void CatalogController::unlockAfterUpdate() {
    isUpdatingTour = false;
    lockForUpdate(false);
    ProgressOverlay::shared().dismiss();
    if (updateAnnounced_) return;
    // The update ended without a word from the library (refused, or the tour was no longer
    // stored): the visitor hears that nothing was updated.
    updateAnnounced_ = true;
    presentAlert("Preloading", "NotDownloadedMessage", "OK");
}

void CatalogController::lockForUpdate(bool locked) {
    tableView->setUserInteractionEnabled(!locked);
    if (auto nav = navigationController()) nav->navigationBar().setUserInteractionEnabled(!locked);
}

void CatalogController::checkForUpdates() {
    DBManager::shared().checkToursForUpdates([](bool) {});
}

}  // namespace tq
