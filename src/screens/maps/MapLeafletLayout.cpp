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

namespace {

const Color kDiscColour{0.09, 0.196, 0.302, 1};
const Color kPartingLine{0.8, 0.8, 0.8, 1};

}  // namespace

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

    static void size(View& holder, const std::shared_ptr<View>& view, double w, double h) {
        if (w > 0) sizeConstraint(holder, view, LayoutAttribute::width, w, view->identifier() + "Width");
        if (h > 0) sizeConstraint(holder, view, LayoutAttribute::height, h, view->identifier() + "Height");
    }
    void pin(View& holder, const std::shared_ptr<View>& view, LayoutAttribute edge, double inset) {
        edgeOffset(holder, view, edge, inset, view->identifier() + "Pin" + std::to_string(int(edge)));
    }

    void build(View& root) {
        const double w = root.frame().width();
        const double h = root.frame().height();
        // The map between the top band and the bottom bar; panels lie over it, pinned to the edges.
        root.setArrangement(Arrangement::overlay());

        // The screen starts under the navigation bar here, so the top band has no room to fill: the
        // map starts at the top instead of under an empty strip.
        s.bgTop = make<View>(root, "bgTop", Rect(0, 0, w, 0));
        pin(root, s.bgTop, LayoutAttribute::top, 0);
        s.map = make<WebView>(root, "map", Rect(0, 0, w, h - 100));
        s.constMapLead = edgeOffset(root, s.map, LayoutAttribute::leading, 0, "constMapLead");
        pin(root, s.map, LayoutAttribute::top, 0);
        pin(root, s.map, LayoutAttribute::bottom, 100);

        s.bgShare = group(root, "bgShare", Rect(w - 110, 10, 100, 44));
        s.bgShare->setAlpha(0);
        s.splitBtnView = make<View>(*s.bgShare, "splitBtnView", Rect(50, 0, 1, 44));
        s.btnShare = make<Button>(*s.bgShare, "btnShare", Rect(0, 0, 50, 44));
        s.btnDirections = make<Button>(*s.bgShare, "btnDirections", Rect(51, 0, 49, 44));
        // A white plate with the two pictures, parted by a thin line, readable over any map.
        s.bgShare->setBackgroundColor(Color::white());
        s.splitBtnView->setBackgroundColor(kPartingLine);
        s.btnShare->setImage(Image::named("system-action"));
        s.btnDirections->setImage(Image::named("directions"));
        s.constShareTrailing = edgeOffset(root, s.bgShare, LayoutAttribute::trailing, 16, "constShareTrailing");
        size(root, s.bgShare, 100, 44);
        pin(root, s.bgShare, LayoutAttribute::top, 10);

        // The bottom bar: previous and the explanation on the left, the options and next on the right.
        s.viewBtnBottom = make<View>(root, "viewBtnBottom", Rect(0, h - 100, w, 100));
        s.viewBtnBottom->setArrangement(Arrangement::overlay(Alignment::center));
        s.viewBtnBottom->setAlpha(0);
        size(root, s.viewBtnBottom, 0, 100);
        pin(root, s.viewBtnBottom, LayoutAttribute::bottom, 0);
        auto& bottom = *s.viewBtnBottom;
        auto placeIn = [&](const std::shared_ptr<View>& view, LayoutAttribute side, double inset, double vw, double vh) {
            size(bottom, view, vw, vh);
            pin(bottom, view, side, inset);
        };
        s.bgPrev = make<View>(bottom, "bgPrev", Rect(20, 15, 70, 70));
        placeIn(s.bgPrev, LayoutAttribute::leading, 20, 70, 70);
        s.btnPrev = make<Button>(bottom, "btnPrev", Rect(20, 15, 70, 70));
        placeIn(s.btnPrev, LayoutAttribute::leading, 20, 70, 70);
        s.btnPrev->setEnabled(false);
        s.btnPrev->setImage(Image::named("stepPrevious"));
        // The explanation and the options share the room between the two circles, each starting
        // from what its title needs: titles differ in length from one language to another.
        auto middle = make<View>(bottom, "viewBtnMiddle", Rect(100, 30, w - 200, 40));
        middle->setArrangement(Arrangement::row(10));
        edgeOffset(bottom, middle, LayoutAttribute::leading, 100, "viewBtnMiddleLeading");
        edgeOffset(bottom, middle, LayoutAttribute::trailing, 100, "viewBtnMiddleTrailing");
        size(bottom, middle, 0, 40);
        s.btnShowHowItWorks = make<Button>(*middle, "btnShowHowItWorks", Rect());
        s.btnShowOptions = make<Button>(*middle, "btnShowOptions", Rect());
        for (const auto& button : {s.btnShowHowItWorks, s.btnShowOptions}) button->setStretches(true);
        s.bgNext = make<View>(bottom, "bgNext", Rect(w - 90, 15, 70, 70));
        placeIn(s.bgNext, LayoutAttribute::trailing, 20, 70, 70);
        s.btnNext = make<Button>(bottom, "btnNext", Rect(w - 90, 15, 70, 70));
        placeIn(s.btnNext, LayoutAttribute::trailing, 20, 70, 70);
        s.btnNext->setImage(Image::named("stepNext"));
        // The round backgrounds are dark discs that the screen shows faintly behind each picture.
        for (const auto& disc : {s.bgPrev, s.bgNext}) disc->setBackgroundColor(kDiscColour);

        // The explanation: its page under a close button at the top right. Its bottom follows
        // the screen's bottom as the platform reads a relation: -80 pulls it 80 points up.
        s.popUpHow = hiddenPanel(root, "popUpHow", Rect(10, 60, w - 20, h - 120));
        s.popUpHow->setArrangement(Arrangement::overlay());
        pin(root, s.popUpHow, LayoutAttribute::top, 60);
        pin(root, s.popUpHow, LayoutAttribute::leading, 10);
        pin(root, s.popUpHow, LayoutAttribute::trailing, 10);
        s.webViewHow = make<WebView>(*s.popUpHow, "webViewHow", Rect(0, 0, w - 20, h - 170));
        pin(*s.popUpHow, s.webViewHow, LayoutAttribute::bottom, 50);
        s.btnCloseHowItWorks = make<Button>(*s.popUpHow, "btnCloseHowItWorks", Rect(w - 70, 0, 50, 50));
        size(*s.popUpHow, s.btnCloseHowItWorks, 50, 50);
        pin(*s.popUpHow, s.btnCloseHowItWorks, LayoutAttribute::top, 0);
        pin(*s.popUpHow, s.btnCloseHowItWorks, LayoutAttribute::trailing, 0);
        s.constHowHeight = std::make_shared<LayoutConstraint>(s.popUpHow, LayoutAttribute::bottom, root.shared_from_this(),
                                                              LayoutAttribute::bottom, 1.0, 0.0);
        s.constHowHeight->setIdentifier("constHowHeight");
        root.addConstraint(s.constHowHeight);

        // The options: a close button over the whole screen, the title and the list in the middle.
        s.popUpOptions = hiddenPanel(root, "popUpOptions", Rect(0, 0, w, h));
        s.popUpOptions->setArrangement(Arrangement::overlay());
        s.btnCloseOptions = make<Button>(*s.popUpOptions, "btnCloseOptions", Rect(0, 0, w, h));
        s.popUpOptionsInnerView = make<View>(*s.popUpOptions, "popUpOptionsInnerView", Rect(20, h / 4, w - 40, h / 2));
        s.popUpOptionsInnerView->setArrangement(Arrangement::column());
        s.popUpOptionsInnerView->setAlpha(0);
        for (auto edge : {LayoutAttribute::top, LayoutAttribute::bottom}) pin(*s.popUpOptions, s.popUpOptionsInnerView, edge, 60);
        for (auto edge : {LayoutAttribute::leading, LayoutAttribute::trailing}) {
            pin(*s.popUpOptions, s.popUpOptionsInnerView, edge, 20);
        }
        // A card of its own over the dimmed map: the map's page and its controls stay behind it.
        s.popUpOptions->setBackgroundColor(Color{0, 0, 0, 0.3});
        s.popUpOptionsInnerView->setBackgroundColor(Color::white());
        s.popUpOptionsInnerView->setCornerRadius(12);
        s.popUpOptionsInnerView->setClipsToBounds(true);
        s.lblOptionsTitle = make<Label>(*s.popUpOptionsInnerView, "lblOptionsTitle", Rect(0, 0, w - 40, 44));
        s.lblOptionsTitle->setTextAlignment(TextAlignment::center);
        s.tableViewOptions = make<TableView>(*s.popUpOptionsInnerView, "tableViewOptions", Rect(0, 44, w - 40, h / 2 - 44));

        // The hand hint: its picture over its close button, 20 points in from the sides.
        s.popUpBG = hiddenPanel(root, "popUpBG", Rect(0, 0, w, h));
        s.popUpBG->setBackgroundColor(Color::black());
        s.popUp = hiddenPanel(root, "popUp", Rect(20, h / 6, w - 40, h * 2 / 3));
        s.popUp->setArrangement(Arrangement::column());
        for (auto edge : {LayoutAttribute::top, LayoutAttribute::bottom}) pin(root, s.popUp, edge, 60);
        for (auto edge : {LayoutAttribute::leading, LayoutAttribute::trailing}) pin(root, s.popUp, edge, 20);
        s.mapHandImage = make<ImageView>(*s.popUp, "mapHandImage", Rect(0, 0, w - 40, h * 2 / 3 - 50));
        s.mapHandImage->setStretches(true);
        // Drawn at its own size on the white card, never blown up past its pixels.
        s.mapHandImage->setContentMode(ContentMode::center);
        s.popUp->setBackgroundColor(Color::white());
        s.popUp->setCornerRadius(12);
        s.btnClosePopup = make<Button>(*s.popUp, "btnClosePopup", Rect(0, h * 2 / 3 - 50, w - 40, 50));
        s.btnClosePopup->setImage(Image::named("close"));
        s.btnClosePopup->imageView().setContentMode(ContentMode::center);

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
