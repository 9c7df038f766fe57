#include "screens/browse/NetworkController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/CatalogueCell.h"
#include "screens/browse/TourSelection.h"
#include "service/Network.h"

namespace tq {

NetworkController::NetworkController() : app(AppDelegate::shared()) {}

void NetworkController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        auto& storyboard = registry.storyboard(name);
        storyboard.registerScreen("NetworkController", [] { return std::make_shared<NetworkController>(); });
        storyboard.addSegue(
            {.identifier = "showTourDetail", .destination = "TourDetailController", .source = "NetworkController"});
    }
}

void NetworkController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    root->setArrangement(Arrangement::column());
    tableView = std::make_shared<TableView>(root->bounds());
    tableView->setIdentifier("tableView");
    root->addSubview(tableView);
}

void NetworkController::viewDidLoad() {
    ViewController::viewDidLoad();
    auto self = std::static_pointer_cast<NetworkController>(shared_from_this());
    tableView->setDataSource(self);
    tableView->setDelegate(self);
    CatalogueCell::registerIn(*tableView);

    auto& network = Network::shared();
    networkTour = network.currentTour;
    // Without a list to ask for, the screen stays empty rather than ask for nothing.
    if (!network.lastNetworkId || network.lastNetworkId->empty()) return;
    ProgressOverlay::shared().show();
    loadInFlight_ = true;
    std::weak_ptr<NetworkController> weak = self;
    network.getNetworkCatalogue(*network.lastNetworkId, forNetwork, [weak](bool success) {
        // A list the visitor has left ended its wait; the screen in front is not this reply's.
        auto self = weak.lock();
        if (!self || !self->loadInFlight_) return;
        self->loadInFlight_ = false;
        ProgressOverlay::shared().dismiss();
        if (success) self->catalogue = Network::shared().networkCatalogue;
        self->tableView->reloadData();
    });
}

void NetworkController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (!isMovingToParent()) restoreInterfaceLanguage(app);
    tableView->reloadData();
    navigationItem().setTitle(networkTour ? networkTour->title.value_or("") : "");
}

void NetworkController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (isMovingFromParent() && loadInFlight_) {
        loadInFlight_ = false;
        ProgressOverlay::shared().dismiss();
    }
    navigationItem().setTitle("");
}

void NetworkController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    tableView->reloadData();
}

TourRef NetworkController::tourAt(IndexPath indexPath) const {
    if (indexPath.section != 0 || indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= catalogue.size()) {
        return nullptr;
    }
    return catalogue[static_cast<std::size_t>(indexPath.row)];
}

int NetworkController::numberOfRowsInSection(TableView&, int section) {
    return section == 0 ? static_cast<int>(catalogue.size()) : 0;
}

std::shared_ptr<TableViewCell> NetworkController::cellForRowAt(TableView& table, IndexPath indexPath) {
    auto cell = std::dynamic_pointer_cast<CatalogueCell>(table.dequeueReusableCell(CatalogueCell::cellIdentifier, indexPath));
    if (!cell) return nullptr;
    cell->tour = tourAt(indexPath);
    cell->configureCell();
    return cell;
}

std::optional<double> NetworkController::heightForRowAt(TableView&, IndexPath) {
    auto& device = Environment::current().device();
    if (device.idiom == DeviceIdiom::pad) return 135;
    return device.screenBounds.height < device.screenBounds.width ? 120 : 105;
}

void NetworkController::didSelectRowAt(TableView& table, IndexPath indexPath) {
    table.deselectRow(indexPath, false);
    if (!selectTourForDetail(app, tourAt(indexPath))) return;
    triggerSegue("showTourDetail", table.cellForRowAt(indexPath));
}

}  // namespace tq
