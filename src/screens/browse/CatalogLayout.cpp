// The catalogue screen's layout, built in code as the storyboards "Main" and "Main-ipad" hold it:
// the order control above the table, the tool bar below it, and the bar buttons.
#include <memory>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/CatalogController.h"
#include "screens/browse/ListScreenLayout.h"

namespace tq {

struct CatalogLayout {
    CatalogController& s;

    void build(View& root) {
        const double width = root.frame().width();
        const double height = root.frame().height();
        const double barHeight = 44;
        root.setArrangement(Arrangement::column(8));

        s.segmentBar = std::make_shared<SegmentedControl>(std::vector<std::string>{"", "", ""});
        s.segmentBar->setIdentifier("segmentBar");
        s.segmentBar->setFrame(Rect(8, 8, width - 16, 32));
        s.segmentBar->setSelectedSegmentIndex(1);
        root.addSubview(s.segmentBar);

        s.tableView = std::make_shared<TableView>(Rect(0, 48, width, height - 48 - barHeight));
        s.tableView->setIdentifier("tableView");
        s.tableView->setAlpha(0);  // the list entrance shows it
        root.addSubview(s.tableView);

        s.toolBar = std::make_shared<Toolbar>(Rect(0, height - barHeight, width, barHeight));
        s.toolBar->setIdentifier("toolBar");
        root.addSubview(s.toolBar);
    }

    void wireActions() {
        std::weak_ptr<CatalogController> weak = std::static_pointer_cast<CatalogController>(s.shared_from_this());
        auto on = [weak](void (CatalogController::*method)()) {
            return [weak, method] {
                if (auto self = weak.lock()) ((*self).*method)();
            };
        };
        s.segmentBar->addAction(ControlEvent::valueChanged, [weak](Control& sender) {
            if (auto self = weak.lock()) self->segmentedBarTouch(static_cast<SegmentedControl&>(sender));
        });
        s.btnSearch = std::make_shared<BarButtonItem>(SystemBarItem::none, on(&CatalogController::showSearch));
        s.btnSearch->setImage(Image::named("search"));
        s.navigationItem().setRightBarButtonItem(s.btnSearch);

        auto home = std::make_shared<BarButtonItem>("", on(&CatalogController::toHome));
        home->setImage(Image::named("home"));
        s.navigationItem().setLeftBarButtonItem(home);
        s.navigationItem().setLeftItemsSupplementBackButton(true);

        s.btnCheckForUpdate = std::make_shared<BarButtonItem>(SystemBarItem::none, on(&CatalogController::checkForUpdates));
        s.btnCheckForUpdate->setImage(Image::named("refresh"));
        s.toolBar->setItems({std::make_shared<BarButtonItem>(SystemBarItem::flexibleSpace), s.btnCheckForUpdate});
    }
};

void CatalogController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    CatalogLayout layout{*this};
    layout.build(*root);
    layout.wireActions();
}

void CatalogController::viewDidResize() {
    if (isViewLoaded() && tableView) fitTableToLayout(view(), *tableView);
}

void CatalogController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        auto& storyboard = registry.storyboard(name);
        storyboard.registerScreen("CatalogController", [] { return std::make_shared<CatalogController>(); });
        // A row shows the tour screen once the selection has put the tour in the application state.
        storyboard.addSegue(
            {.identifier = "showTourDetail", .destination = "TourDetailController", .source = "CatalogController"});
    }
}

}  // namespace tq
