#pragma once

#include <algorithm>

#include <memory>
#include <vector>

#include "model/PointOfInterest.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class MapLeafletController;
class StoryboardRegistry;

// One row of the point list: its number and the point's name.
class POIListCell : public TableViewCell {
public:
    POIListCell() : TableViewCell(TableViewCellStyle::defaultStyle, "poiCell") {}

    std::shared_ptr<Label> lblTitle;
    const PointOfInterestRef& poi() const { return poi_; }
    // Shows the point as "<number>- <name>".
    void setPoi(PointOfInterestRef poi, std::size_t rowNumber);

protected:
    // The title spans the row, 15 points in from each side.
    void contentViewDidResize(Size size) override {
        if (lblTitle) lblTitle->setFrame(Rect(15, 0, std::max(0.0, size.width - 30), size.height));
    }

private:
    PointOfInterestRef poi_;
};

// The list of the tour's points over the web map; choosing one moves the map to it and closes the
// list. Rows are numbered 1, 2, 3 … in list order; the points themselves are left as they are.
class PoiSelectController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    PoiSelectController();

    AppDelegate& app;
    std::weak_ptr<MapLeafletController> mapController;
    // The web map's own point objects, in the map's order.
    std::vector<PointOfInterestRef> pois;

    std::shared_ptr<Button> btnClose;
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<TableView> tableView;

    // Registers the screen under "PoiSelectController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void dismissView();

    int numberOfRowsInSection(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override;
    void didSelectRowAt(TableView& table, IndexPath indexPath) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
};

}  // namespace tq
