// The catalogue screen's list: loading, the three orders, the table and the selection.
#include <algorithm>
#include <random>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/services/Analytics.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "product/NotificationNames.h"
#include "screens/browse/CatalogController.h"
#include "screens/browse/ListEntrance.h"
#include "screens/browse/TourSelection.h"
#include "service/Network.h"
#include "storage/DBManager.h"

namespace tq {
namespace {

constexpr std::int64_t kNoOrder = 9999;

std::string featuredLanguageCode(std::int64_t tempLang) {
    if (tempLang == kEnglish) return "en";
    if (tempLang == kFrench) return "fr";
    return "es";
}

// Fisher-Yates over the environment's random source, so that a test can fix the order by its seed.
void shuffleTours(std::vector<TourRef>& tours, std::mt19937_64& random) {
    for (std::size_t i = tours.size(); i > 1; --i) {
        std::uniform_int_distribution<std::size_t> pick(0, i - 1);
        std::swap(tours[i - 1], tours[pick(random)]);
    }
}

std::int64_t recentKey(const Tour& tour, std::int64_t lang) {
    const std::optional<std::string> field = lang == kEnglish   ? tour.circuitOrderEn.get()
                                             : lang == kSpanish ? tour.circuitOrderEs.get()
                                                                : tour.circuitOrder.get();
    return field ? parseInt64(*field).value_or(kNoOrder) : kNoOrder;
}

}  // namespace

std::vector<TourRef> featuredTours(const std::vector<TourRef>& catalogue, const std::string& code) {
    std::vector<TourRef> selection;
    for (const auto& tour : catalogue) {
        if (tour && tour->is_featured == "1" && tour->language == code) selection.push_back(tour);
    }
    return selection;
}

std::vector<TourRef> recentOrder(const std::vector<TourRef>& catalogue, std::int64_t lang) {
    std::vector<std::pair<std::int64_t, TourRef>> keyed;
    keyed.reserve(catalogue.size());
    for (const auto& tour : catalogue) {
        if (tour) keyed.emplace_back(recentKey(*tour, lang), tour);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TourRef> ordered;
    ordered.reserve(keyed.size());
    for (auto& [key, tour] : keyed) ordered.push_back(std::move(tour));
    return ordered;
}

// ---- Life cycle

CatalogController::CatalogController() : app(AppDelegate::shared()), locationManager(std::make_unique<LocationManager>()) {}

CatalogController::~CatalogController() = default;

std::weak_ptr<CatalogController> CatalogController::weakSelf() {
    return std::static_pointer_cast<CatalogController>(shared_from_this());
}

void CatalogController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
    tableView->setLayoutMargins({0, 0, 0, 0});
    tableView->setSeparatorInset({0, 0, 0, 0});
    auto self = std::static_pointer_cast<CatalogController>(shared_from_this());
    tableView->setDataSource(self);
    tableView->setDelegate(self);
    CatalogueCell::registerIn(*tableView);

    if (isFavorites) {
        app.isMyTour = true;
        installEditButton();
        DBManager::shared().getAllTours(*this);
    } else {
        app.isMyTour = false;
        loadOnlineCatalogue();
    }
    segmentBar->setTitleTextAttributes({Color::white(), std::nullopt}, ControlState::selected);
    segmentBar->setTitleTextAttributes({Color::black(), std::nullopt}, ControlState::normal);
    setTitle("");

    auto weak = weakSelf();
    auto& notifications = Environment::current().notifications();
    updateCompleteObserver_ = notifications.addObserver(Notifications::updateComplete, [weak] {
        if (auto self = weak.lock()) self->updateDone();
    });
    downloadErrorObserver_ = notifications.addObserver("DownloadError", [weak] {
        if (auto self = weak.lock(); self && self->isUpdatingTour) self->updateAnnounced_ = true;
    });
}

void CatalogController::loadOnlineCatalogue() {
    if (!isServiceReachable()) {
        auto weak = weakSelf();
        presentAlert("ServerNotFound", "ServerNotFoundMessage", "OK", [weak] {
            if (auto self = weak.lock()) self->toHome();
        });
        return;
    }
    ProgressOverlay::shared().show();
    catalogueLoadPending_ = true;
    auto weak = weakSelf();
    Network::shared().getSimpleCatalogue([weak](bool success) {
        // A catalogue the visitor has left ended its wait; the screen in front is not this reply's.
        auto self = weak.lock();
        if (!self || !self->catalogueLoadPending_) return;
        self->catalogueLoadPending_ = false;
        self->catalogueLoaded(success);
    });
}

void CatalogController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (!isMovingToParent()) restoreInterfaceLanguage(app);
    localizeSegmentTitles();
    tableView->reloadData();
}

void CatalogController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    tableView->reloadData();
}

void CatalogController::localizeSegmentTitles() {
    segmentBar->setTitle(app.text("Featured"), 0);
    segmentBar->setTitle(app.text("Recents"), 1);
    segmentBar->setTitle(app.text("Near"), 2);
}

// ---- Loading

void CatalogController::catalogueLoaded(bool success) {
    if (!success) {
        // The list stays as it was; the wait ends and the visitor learns that the service did
        // not answer, rather than meeting an empty list. "OK" leaves the screen as it is.
        ProgressOverlay::shared().dismiss();
        presentAlert("ServerNotFound", "ServerNotFoundMessage", "OK");
        return;
    }
    catalogue = Network::shared().catalogue;
    sortCatalogue();
}

void CatalogController::localToursLoaded(bool success) {
    if (!success) {
        auto weak = weakSelf();
        presentAlert("NoTours", "NoToursMessage", app.text("backButton"), [weak] {
            if (auto self = weak.lock()) self->toHome();
        });
        return;
    }
    catalogue = Network::shared().localCatalogue;
    tableView->reloadData();
    ProgressOverlay::shared().dismiss();
    animateTable();
}

void CatalogController::animateTable() { playListEntrance(*tableView); }

// ---- Orders

void CatalogController::segmentedBarTouch(SegmentedControl& sender) {
    if (tableView->numberOfRows(0) > 0) tableView->scrollToRow({0, 0}, TableScrollPosition::top, false);
    abandonAround();
    switch (sender.selectedSegmentIndex()) {
        case 2:
            sort = Sort::around;
            ProgressOverlay::shared().show();
            startAroundLocating();
            Analytics::shared().logEvent("Recherche_alentour_catalogue", {});
            break;
        case 1:
            sort = Sort::recent;
            break;
        case 0:
            sort = Sort::featured;
            break;
        default:
            break;
    }
    sortCatalogue();
}

void CatalogController::sortCatalogue() {
    const auto& online = Network::shared().catalogue;
    switch (sort) {
        case Sort::featured:
            catalogue = featuredTours(online, featuredLanguageCode(app.tempLang));
            shuffleTours(catalogue, Environment::current().random());
            break;
        case Sort::recent:
            catalogue = recentOrder(online, app.lang);
            break;
        case Sort::around:
            Environment::current().console().log("sort");
            return;
    }
    tableView->reloadData();
    ProgressOverlay::shared().dismiss();
    animateTable();
}

// ---- Navigation

void CatalogController::showSearch() {
    auto board = StoryboardRegistry::shared().named("Search-ipad");
    auto search = board ? board->instantiateViewController("SearchController") : nullptr;
    if (search) show(search, weak_from_this().lock());
}

void CatalogController::toHome() {
    if (auto nav = navigationController()) nav->popToRootViewController(true);
}

void CatalogController::presentAlert(const std::string& titleKey, const std::string& messageKey,
                                     const std::string& buttonTitle, std::function<void()> action) {
    auto alert = std::make_shared<AlertController>(app.text(titleKey), app.text(messageKey));
    alert->addAction({buttonTitle, AlertActionStyle::defaultStyle, std::move(action)});
    if (auto nav = navigationController()) {
        nav->present(alert, true);
    } else {
        present(alert, true);
    }
}

// ---- Table

TourRef CatalogController::tourAt(IndexPath indexPath) const {
    if (indexPath.section != 0 || indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= catalogue.size()) {
        return nullptr;
    }
    return catalogue[static_cast<std::size_t>(indexPath.row)];
}

int CatalogController::numberOfRowsInSection(TableView&, int section) {
    return section == 0 ? static_cast<int>(catalogue.size()) : 0;
}

std::shared_ptr<TableViewCell> CatalogController::cellForRowAt(TableView& table, IndexPath indexPath) {
    auto cell = std::dynamic_pointer_cast<CatalogueCell>(table.dequeueReusableCell(CatalogueCell::cellIdentifier, indexPath));
    if (!cell) return nullptr;
    cell->cellDelegate = weakSelf();
    cell->tour = tourAt(indexPath);
    cell->configureCell();
    return cell;
}

bool CatalogController::canEditRowAt(TableView&, IndexPath) { return isFavorites; }

std::optional<double> CatalogController::heightForRowAt(TableView&, IndexPath indexPath) {
    auto& device = Environment::current().device();
    if (device.idiom == DeviceIdiom::pad) return 135;
    auto tour = tourAt(indexPath);
    const Size screen = device.screenBounds;
    if (tour && tour->distance && screen.width < screen.height) return 115;
    if (screen.height < screen.width) return 130;
    return 105;
}

void CatalogController::didSelectRowAt(TableView& table, IndexPath indexPath) {
    table.deselectRow(indexPath, false);
    auto tour = tourAt(indexPath);
    if (!selectTourForDetail(app, tour)) return;
    triggerSegue("showTourDetail", table.cellForRowAt(indexPath));
}

}  // namespace tq
