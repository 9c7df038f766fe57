// The tour screen's Preload and Share.
#include <cstdio>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/services/Analytics.h"
#include "screens/tour/ShareController.h"
#include "screens/tour/TourDetailController.h"
#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/TourDownloader.h"
#include "ui/common/AlertStyling.h"

namespace tq {
namespace {

// The size part of the download question: " 12 MB ?" for 12.4. The number keeps its width of three
// and always has a blank before it; a size that is no number is left out.
std::string sizeQuestion(const std::optional<std::string>& size, const std::string& megabytes) {
    auto value = parseDouble(size.value_or(""));
    if (!value) return " ?";
    char number[64];
    std::snprintf(number, sizeof number, "%3.0f", static_cast<double>(static_cast<float>(*value)));
    std::string part = number;
    if (part.empty() || part.front() != ' ') part.insert(part.begin(), ' ');
    return part + " " + megabytes + " ?";
}

}  // namespace

std::shared_ptr<AlertController> TourDetailController::styledAlert(const std::string& title, const std::string& message) {
    auto alert = std::make_shared<AlertController>("", "");
    setAttributedTitle(*alert, title);
    setAttributedMessage(*alert, message);
    return alert;
}

// ---- Preload

void TourDetailController::preloadTour() {
    if (!tour || !tour->circuit_id) return;  // nothing that could be stored under a name
    if (TourDownloaders::shared().current().isDownloadRunning()) {
        auto alert = styledAlert(app.text("Notice"), "\n" + app.text("downloadInProgress"));
        alert->addAction({"OK", AlertActionStyle::cancel, {}});
        present(alert, true);
        return;
    }
    auto weak = weakSelf();
    DBManager::shared().tourExist(tour->circuit_id.value_or(""), [weak](bool exists) {
        if (auto self = weak.lock()) self->confirmPreload(exists);
    });
}

void TourDetailController::confirmPreload(bool exists) {
    if (exists) {
        auto alert = styledAlert(app.text("Message"), "\n" + app.text("CatalogExist"));
        alert->addAction({"OK", AlertActionStyle::cancel, {}});
        present(alert, true);
        return;
    }
    auto message = "\n " + app.text("startDownloading?") + sizeQuestion(tour->size, app.text("MB"));
    auto alert = styledAlert(tour->title.value_or(""), message);
    auto weak = weakSelf();
    alert->addAction({app.text("No"), AlertActionStyle::cancel, {}});
    alert->addAction({app.text("Yes"), AlertActionStyle::defaultStyle, [weak] {
                          if (auto self = weak.lock()) self->startPreload();
                      }});
    present(alert, true);
}

void TourDetailController::startPreload() {
    auto& downloader = TourDownloaders::shared().current();
    auto toDownload = tour;  // the tour on this screen, whatever reply came last
    if (!toDownload) return;
    makeShownTourCurrent();
    downloader.setDownloadRunning(true);
    downloader.setTourToDownload(toDownload);
    bool alreadyStored = false;
    DBManager::shared().tourExist(toDownload->circuit_id.value_or(""), [&downloader, &alreadyStored](bool exists) {
        alreadyStored = exists;
        downloader.startTourDownloadIfRoom(exists);
    });

    // The catalogue answers inside the call, so the download has begun or been refused by now;
    // only a download that runs is announced.
    std::shared_ptr<AlertController> alert;
    if (downloader.isDownloadRunning()) {
        alert = styledAlert(app.text("Preloading"), "\n" + app.text("PreloadStarted"));
    } else if (alreadyStored) {
        alert = styledAlert(app.text("Message"), "\n" + app.text("CatalogExist"));
    } else {
        alert = styledAlert(app.text("Preloading"), "\n" + app.text("NotDownloadedMessage"));
    }
    alert->addAction({"OK", AlertActionStyle::cancel, {}});
    present(alert, true);
    if (downloader.isDownloadRunning()) {
        Analytics::shared().logEvent("Chargement_circuit", {{"nom", tour ? tour->title.value_or("") : ""}});
    }
}

// ---- Share

void TourDetailController::share() {
    auto sheet = std::make_shared<ActivityViewController>(
        std::vector<ActivityItem>{std::make_shared<WeakShareItem>(weakSelf())});
    sheet->setExcludedActivityTypes(excludedShareActivityTypes());
    if (Environment::current().device().idiom == DeviceIdiom::pad) {
        sheet->setModalTransitionStyle(ModalTransitionStyle::flipHorizontal);
        sheet->setModalPresentationStyle(ModalPresentationStyle::automatic);
        if (auto* popover = sheet->popoverPresentationController()) popover->setBarButtonItem(btnShare);
    }
    present(sheet, true);
}

std::string tourShareLink(const std::string& prefix, const std::string& circuitId, const std::string& slug) {
    return prefix + circuitId + "/" + slug;
}

std::optional<std::string> TourDetailController::shareLinkItem() const {
    if (!tour || !tour->circuit_id) return std::nullopt;
    return tourShareLink(app.text("LinkCircuit"), *tour->circuit_id, tour->slug.value_or(""));
}

std::string TourDetailController::activityViewControllerPlaceholderItem(ActivityViewController&) {
    return tour ? tour->title.value_or("") : std::string();
}

std::optional<std::string> TourDetailController::activityViewControllerItemForActivityType(
    ActivityViewController&, const std::optional<std::string>&) {
    return shareLinkItem();
}

std::string TourDetailController::activityViewControllerSubjectForActivityType(ActivityViewController&,
                                                                               const std::optional<std::string>&) {
    return tour ? tour->title.value_or("") : std::string();
}

}  // namespace tq
