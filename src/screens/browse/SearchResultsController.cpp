#include "screens/browse/SearchResultsController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/Animation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/Window.h"
#include "screens/browse/CatalogueCell.h"
#include "screens/browse/ListScreenLayout.h"
#include "service/Network.h"

namespace tq {
namespace {

// The phone's transition from a row to the tour screen.
constexpr const char* kRowSegue = "showTourDetail";

}  // namespace

double searchResultRowHeight(DeviceIdiom idiom, Size screen, bool hasDistance) {
    if (idiom == DeviceIdiom::pad) return hasDistance ? 145 : 135;
    if (hasDistance && screen.width < screen.height) return 120;
    if (screen.height < screen.width) return 130;
    return 105;
}

// The screen is created by the search that found the tours, as its reply has come.
SearchResultsController::SearchResultsController()
    : app(AppDelegate::shared()),
      catalogue(Network::shared().searchCatalogue),
      cityCatalogue(Network::shared().searchCatalogueCity) {}

void SearchResultsController::registerIn(StoryboardRegistry& registry) {
    auto& board = registry.storyboard("Search-ipad");
    board.registerScreen("SearchResultsController", [] { return std::make_shared<SearchResultsController>(); });
    board.addSegue({.identifier = kRowSegue, .destination = "TourDetailController", .source = "SearchResultsController"});
}

void SearchResultsController::loadView() {
    auto root = listScreenRoot();
    setView(root);
    tableview = addListTable(*root);
    // The rows fade in on the first appearance.
    tableview->setAlpha(0);
}

void SearchResultsController::viewDidResize() {
    if (isViewLoaded() && tableview) fitTableToLayout(view(), *tableview);
}

void SearchResultsController::viewDidLoad() {
    ViewController::viewDidLoad();
    ProgressOverlay::shared().show();
    app.isMyTour = false;
    auto self = std::static_pointer_cast<SearchResultsController>(shared_from_this());
    tableview->setDataSource(self);
    tableview->setDelegate(self);
    CatalogueCell::registerIn(*tableview);
    if (isShowFromHome) addStatusBarStrip();
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
}

void SearchResultsController::addStatusBarStrip() {
    statusBarStrip = std::make_shared<View>();
    statusBarStrip->setIdentifier("statusBarStrip");
    statusBarStrip->setBackgroundColor(Color::black());
    auto shownIn = window();
    const double height = shownIn ? shownIn->statusBarHeight() : 0;
    statusBarStrip->setFrame(Rect(0, 0, view().frame().width(), height));
    view().addSubview(statusBarStrip);
}

void SearchResultsController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // Back from the tour screen, which may have switched the dictionary to the tour's language.
    if (!isMovingToParent()) {
        app.tempLang = app.lang;
        app.loadLanguageDictionary();
    }
    tableview->reloadData();
}

void SearchResultsController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    ProgressOverlay::shared().dismiss();
    if (!isMovingToParent()) return;
    tableview->reloadData();
    playEntranceAnimation();
    tableview->setAlpha(1);
}

void SearchResultsController::playEntranceAnimation() {
    double delay = 0;
    for (const auto& cell : tableview->visibleCells()) {
        cell->setAlpha(0);
        cell->setTransform(Transform::scale(0.2, 0.2).concatenating(Transform::translation(0, 30)));
        std::weak_ptr<View> weakCell = cell;
        animate(0.3, delay, {}, [weakCell] {
            if (auto row = weakCell.lock()) {
                row->setAlpha(1);
                row->setTransform(Transform::identity());
            }
        });
        delay += 0.05;
    }
}

void SearchResultsController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    // Row heights depend on the orientation.
    tableview->reloadData();
}

// ---- Table

bool SearchResultsController::showsCitySection() const { return !cityCatalogue.empty(); }

int SearchResultsController::numberOfSections(TableView&) {
    if (!showsCitySection()) return 1;
    return catalogue.empty() ? 1 : 2;
}

int SearchResultsController::numberOfRowsInSection(TableView&, int section) {
    if (section == 0 && showsCitySection()) return static_cast<int>(cityCatalogue.size());
    return static_cast<int>(catalogue.size());
}

TourRef SearchResultsController::tourAt(IndexPath indexPath) const {
    const auto& list = indexPath.section == 0 && showsCitySection() ? cityCatalogue : catalogue;
    if (indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= list.size()) return nullptr;
    return list[static_cast<std::size_t>(indexPath.row)];
}

// The rows are the catalogue's own, in online mode; no cell delegate, since search results offer
// no update button.
std::shared_ptr<TableViewCell> SearchResultsController::cellForRowAt(TableView& tableView, IndexPath indexPath) {
    auto cell = std::dynamic_pointer_cast<CatalogueCell>(tableView.dequeueReusableCell(CatalogueCell::cellIdentifier, indexPath));
    if (!cell) return nullptr;
    cell->tour = tourAt(indexPath);
    cell->configureCell();
    return cell;
}

std::optional<double> SearchResultsController::heightForRowAt(TableView&, IndexPath indexPath) {
    auto tour = tourAt(indexPath);
    const auto& device = Environment::current().device();
    return searchResultRowHeight(device.idiom, device.screenBounds, tour && tour->distance.has_value());
}

std::optional<double> SearchResultsController::heightForHeaderInSection(TableView&, int) { return 0; }

void SearchResultsController::didSelectRowAt(TableView& tableView, IndexPath indexPath) {
    auto tour = tourAt(indexPath);
    // The list may have changed since the row was drawn, and a tour without identifier cannot be
    // opened.
    if (!tour || !tour->circuit_id) {
        tableView.deselectRow(indexPath, false);
        return;
    }
    app.tourId = *tour->circuit_id;
    const auto language = tour->language.value_or("");
    app.tempLang = language == "fr" ? kFrench : language == "es" ? kSpanish : kEnglish;
    app.loadLanguageDictionary();
    setTitle("");
    if (Environment::current().device().idiom == DeviceIdiom::pad) {
        auto board = StoryboardRegistry::shared().named("Main-ipad");
        auto tourScreen = board ? board->instantiateViewController("TourDetailController") : nullptr;
        if (tourScreen) show(tourScreen);
    } else {
        triggerSegue(kRowSegue, tableView.cellForRowAt(indexPath));
    }
    tableView.deselectRow(indexPath, false);
}

}  // namespace tq
