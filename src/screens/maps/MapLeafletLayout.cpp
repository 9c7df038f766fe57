// The web map's layout, built in code as the storyboards "Main" and "Main-ipad" hold it: the map,
// the button groups around it, the three panels over it and the constraints the screen changes.
// Everything sits at frames of its own, the panels on top of the map.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapLeafletController.h"
#include "ui/common/MainStoryboards.h"

namespace tq {

struct MapLeafletLayout {
    MapLeafletController& s;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame) {
        return addView<T>(parent, name, frame);
    }
    // A group whose children sit at frames of their own.
    std::shared_ptr<View> group(View& parent, const std::string& name, Rect frame) {
        auto view = make<View>(parent, name, frame);
        view->setArrangement(Arrangement::fixed());
        return view;
    }
    std::shared_ptr<View> hiddenPanel(View& parent, const std::string& name, Rect frame) {
        auto panel = group(parent, name, frame);
        panel->setHidden(true);
        panel->setAlpha(0);
        return panel;
    }
    std::shared_ptr<LayoutConstraint> edgeOffset(View& holder, const std::shared_ptr<View>& item,
                                                 LayoutAttribute attribute, double constant, const std::string& name) {
        return offsetConstraint(holder, item, attribute, LayoutAnchor::containerEdge, constant, name);
    }

    void build(View& root) {
        const double w = root.frame().width();
        const double h = root.frame().height();
        root.setArrangement(Arrangement::fixed());

        s.bgTop = make<View>(root, "bgTop", Rect(0, 0, w, 50));
        s.map = make<WebView>(root, "map", Rect(0, 50, w, h - 150));
        s.constMapLead = edgeOffset(root, s.map, LayoutAttribute::leading, 0, "constMapLead");

        s.bgShare = group(root, "bgShare", Rect(w - 110, 60, 100, 44));
        s.bgShare->setAlpha(0);
        s.splitBtnView = make<View>(*s.bgShare, "splitBtnView", Rect(50, 0, 1, 44));
        s.btnShare = make<Button>(*s.bgShare, "btnShare", Rect(0, 0, 50, 44));
        s.btnDirections = make<Button>(*s.bgShare, "btnDirections", Rect(51, 0, 49, 44));
        s.constShareTrailing = edgeOffset(root, s.bgShare, LayoutAttribute::trailing, 16, "constShareTrailing");

        s.viewBtnBottom = group(root, "viewBtnBottom", Rect(0, h - 100, w, 100));
        s.viewBtnBottom->setAlpha(0);
        auto& bottom = *s.viewBtnBottom;
        s.bgPrev = make<View>(bottom, "bgPrev", Rect(20, 15, 70, 70));
        s.btnPrev = make<Button>(bottom, "btnPrev", Rect(20, 15, 70, 70));
        s.btnPrev->setEnabled(false);
        s.btnShowHowItWorks = make<Button>(bottom, "btnShowHowItWorks", Rect(100, 30, 80, 40));
        s.btnShowOptions = make<Button>(bottom, "btnShowOptions", Rect(w - 180, 30, 80, 40));
        s.bgNext = make<View>(bottom, "bgNext", Rect(w - 90, 15, 70, 70));
        s.btnNext = make<Button>(bottom, "btnNext", Rect(w - 90, 15, 70, 70));

        s.popUpHow = hiddenPanel(root, "popUpHow", Rect(10, 60, w - 20, h - 120));
        s.webViewHow = make<WebView>(*s.popUpHow, "webViewHow", Rect(0, 0, w - 20, h - 170));
        s.btnCloseHowItWorks = make<Button>(*s.popUpHow, "btnCloseHowItWorks", Rect(w - 70, 0, 50, 50));
        // Pulled up over the bottom bar's height when a custom map shows in portrait.
        s.constHowHeight = edgeOffset(root, s.popUpHow, LayoutAttribute::bottom, 0, "constHowHeight");

        s.popUpOptions = hiddenPanel(root, "popUpOptions", Rect(0, 0, w, h));
        s.btnCloseOptions = make<Button>(*s.popUpOptions, "btnCloseOptions", Rect(0, 0, w, h));
        s.popUpOptionsInnerView = group(*s.popUpOptions, "popUpOptionsInnerView", Rect(20, h / 4, w - 40, h / 2));
        s.popUpOptionsInnerView->setAlpha(0);
        s.lblOptionsTitle = make<Label>(*s.popUpOptionsInnerView, "lblOptionsTitle", Rect(0, 0, w - 40, 44));
        s.tableViewOptions = make<TableView>(*s.popUpOptionsInnerView, "tableViewOptions", Rect(0, 44, w - 40, h / 2 - 44));

        s.popUpBG = hiddenPanel(root, "popUpBG", Rect(0, 0, w, h));
        s.popUp = hiddenPanel(root, "popUp", Rect(20, h / 6, w - 40, h * 2 / 3));
        s.mapHandImage = make<ImageView>(*s.popUp, "mapHandImage", Rect(0, 0, w - 40, h * 2 / 3 - 50));
        s.btnClosePopup = make<Button>(*s.popUp, "btnClosePopup", Rect(0, h * 2 / 3 - 50, w - 40, 50));

        s.rightBarButton = std::make_shared<BarButtonItem>();
        s.navigationItem().setRightBarButtonItem(s.rightBarButton);
    }
};

void MapLeafletController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    MapLeafletLayout{*this}.build(*root);
    wireActions();
}

void MapLeafletController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](void (MapLeafletController::*method)()) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    struct Wiring {
        std::shared_ptr<Button> button;
        void (MapLeafletController::*action)();
    };
    for (const auto& [button, action] : {Wiring{btnNext, &MapLeafletController::next},
                                          Wiring{btnPrev, &MapLeafletController::previous},
                                          Wiring{btnShare, &MapLeafletController::share},
                                          Wiring{btnDirections, &MapLeafletController::getDirections},
                                          Wiring{btnShowHowItWorks, &MapLeafletController::showExplanation},
                                          Wiring{btnCloseHowItWorks, &MapLeafletController::closeExplanation},
                                          Wiring{btnShowOptions, &MapLeafletController::showMapOptions},
                                          Wiring{btnCloseOptions, &MapLeafletController::closeMapOptions},
                                          Wiring{btnClosePopup, &MapLeafletController::closeHandPopup}}) {
        button->addAction(ControlEvent::touchUpInside, on(action));
    }
    rightBarButton->setAction(on(&MapLeafletController::showPoiSelectController));
    tableViewOptions->setDataSource(std::static_pointer_cast<TableViewDataSource>(weak.lock()));
    tableViewOptions->setDelegate(std::static_pointer_cast<TableViewDelegate>(weak.lock()));
}

void MapLeafletController::registerIn(StoryboardRegistry& registry) {
    for (const MainStoryboard& board : kMainStoryboards) {
        registry.storyboard(board.name).registerScreen("MapLeafletController", [idiom = board.idiom] {
            auto screen = std::make_shared<MapLeafletController>();
            screen->layoutIdiom_ = idiom;
            return screen;
        });
    }
}

}  // namespace tq
