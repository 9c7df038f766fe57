#include "screens/maps/PoiSelectController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapLeafletController.h"

namespace tq {

void POIListCell::setPoi(PointOfInterestRef poi, std::size_t rowNumber) {
    poi_ = std::move(poi);
    if (!lblTitle) {
        lblTitle = std::make_shared<Label>(Rect(15, 0, 290, 44));
        lblTitle->setIdentifier("lblTitle");
        contentView().addSubview(lblTitle);
    }
    std::string name = poi_ && poi_->poi_name ? *poi_->poi_name : "";
    lblTitle->setText(std::to_string(rowNumber) + "- " + name);
}

PoiSelectController::PoiSelectController() : app(AppDelegate::shared()) {}

void PoiSelectController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("PoiSelectController",
                                                 [] { return std::make_shared<PoiSelectController>(); });
    }
}

void PoiSelectController::loadView() {
    auto size = presentedContentSize();
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    // The title and the close button side by side above the list, which takes the rest.
    root->setArrangement(Arrangement::column());
    setView(root);
    lblTitle = std::make_shared<Label>(Rect(0, 0, size.width - 80, 50));
    lblTitle->setIdentifier("lblTitle");
    btnClose = std::make_shared<Button>(Rect(size.width - 80, 0, 80, 50));
    btnClose->setIdentifier("btnClose");
    addHeaderRow(*root, lblTitle, btnClose, 50, 80);
    tableView = std::make_shared<TableView>(Rect(0, 50, size.width, size.height - 50));
    tableView->setIdentifier("tableView");
    root->addSubview(tableView);
    tableView->registerCell("poiCell", [] { return std::make_shared<POIListCell>(); });

    std::weak_ptr<PoiSelectController> weak = std::static_pointer_cast<PoiSelectController>(shared_from_this());
    btnClose->addAction(ControlEvent::touchUpInside, [weak] {
        if (auto self = weak.lock()) self->dismissView();
    });
    tableView->setDataSource(std::static_pointer_cast<TableViewDataSource>(weak.lock()));
    tableView->setDelegate(std::static_pointer_cast<TableViewDelegate>(weak.lock()));
}

void PoiSelectController::viewDidLoad() {
    ViewController::viewDidLoad();
    btnClose->setTitle(app.text("Close"), ControlState::normal);
    lblTitle->setText(app.text("ListPOI"));
    tableView->reloadData();
}

int PoiSelectController::numberOfRowsInSection(TableView& table, int section) {
    (void)table;
    (void)section;
    return static_cast<int>(pois.size());
}

std::shared_ptr<TableViewCell> PoiSelectController::cellForRowAt(TableView& table, IndexPath indexPath) {
    auto cell = std::dynamic_pointer_cast<POIListCell>(table.dequeueReusableCell("poiCell", indexPath));
    if (!cell) cell = std::make_shared<POIListCell>();
    auto row = static_cast<std::size_t>(indexPath.row);
    // The number is the row's; the point's own `poi_order` is shared with the map and stays as it is.
    cell->setPoi(row < pois.size() ? pois[row] : nullptr, row + 1);
    return cell;
}

void PoiSelectController::didSelectRowAt(TableView& table, IndexPath indexPath) {
    (void)table;
    if (auto map = mapController.lock()) {
        map->currentPoiIndex = indexPath.row;
        map->centerOnCurrentPoi();
    }
    dismiss(true);
}

void PoiSelectController::dismissView() { dismiss(true); }

}  // namespace tq
