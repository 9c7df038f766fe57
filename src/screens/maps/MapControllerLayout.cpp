// The layout of the native map, built in code as the storyboards "Main" and "Main-ipad" hold it:
// the map under everything, a bar on top, the stepping buttons on their round backgrounds, the
// bottom bar of map buttons, the compass, and the first-use hint over a dimmed screen.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/StackView.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapController.h"

namespace tq {

struct MapControllerLayout {
    MapController& s;
    double width;
    double height;

    // A view over the map: pinned by its offsets from the screen's edges, sized by requests.
    static void pin(View& root, const std::shared_ptr<View>& view, LayoutAttribute edge, double inset) {
        offsetConstraint(root, view, edge, LayoutAnchor::containerEdge, inset, view->identifier() + "Pin" + std::to_string(int(edge)));
    }
    static void size(View& root, const std::shared_ptr<View>& view, double w, double h) {
        if (w > 0) sizeConstraint(root, view, LayoutAttribute::width, w, view->identifier() + "Width");
        if (h > 0) sizeConstraint(root, view, LayoutAttribute::height, h, view->identifier() + "Height");
    }

    // A round background with its button on it, 100 points above the bottom, 20 from one side.
    std::shared_ptr<Button> roundButton(View& root, std::shared_ptr<View>& background, const std::string& backgroundName,
                                        const std::string& name, double x, LayoutAttribute side) {
        background = addView<View>(root, backgroundName, Rect(x, height - 170, 70, 70));
        background->setArrangement(Arrangement::overlay());
        size(root, background, 70, 70);
        pin(root, background, LayoutAttribute::bottom, 100);
        pin(root, background, side, 20);
        background->setBackgroundColor(Color{0.09, 0.196, 0.302, 1});  // a dark disc, shown faintly
        auto button = addView<Button>(*background, name, Rect(0, 0, 70, 70));
        button->setImage(Image::named(side == LayoutAttribute::leading ? "stepPrevious" : "stepNext"));
        return button;
    }

    // A row of three equal buttons.
    std::shared_ptr<StackView> buttonRow(View& parent, const std::string& name) {
        auto row = addView<StackView>(parent, name);
        row->setAxis(LayoutAxis::horizontal);
        row->setDistribution(StackDistribution::fillEqually);
        sizeConstraint(parent, row, LayoutAttribute::height, 44, name + "Height");
        return row;
    }
    static std::shared_ptr<Button> arrangedButton(StackView& row, const std::string& name) {
        auto button = std::make_shared<Button>();
        button->setIdentifier(name);
        row.addArrangedSubview(button);
        return button;
    }

    void build(View& root) {
        // Everything lies over the map, pinned to the screen's edges or centred.
        root.setArrangement(Arrangement::overlay());
        s.map = addView<MapView>(root, "map", root.bounds());
        s.map->setAlpha(0);
        s.mapWkWebView = addView<WebView>(root, "mapWkWebView", root.bounds());
        s.mapWkWebView->setHidden(true);
        s.bgTop = addView<View>(root, "bgTop", Rect(0, 0, width, 60));
        size(root, s.bgTop, 0, 60);
        pin(root, s.bgTop, LayoutAttribute::top, 0);
        s.btnPrev = roundButton(root, s.bgPrev, "bgPrev", "btnPrev", 20, LayoutAttribute::leading);
        s.btnNext = roundButton(root, s.bgNext, "bgNext", "btnNext", width - 90, LayoutAttribute::trailing);
        s.bgShare = addView<View>(root, "bgShare", Rect(width - 70, 70, 50, 50));
        s.bgShare->setAlpha(0);
        s.bgShare->setArrangement(Arrangement::overlay());
        size(root, s.bgShare, 50, 50);
        pin(root, s.bgShare, LayoutAttribute::top, 70);
        pin(root, s.bgShare, LayoutAttribute::trailing, 20);
        s.btnShare = addView<Button>(*s.bgShare, "btnShare", Rect(0, 0, 50, 50));
        s.bgShare->setBackgroundColor(Color::white());
        s.btnShare->setImage(Image::named("system-action"));
        s.imgCompass = addView<ImageView>(root, "imgCompass", Rect(width / 2 - 60, height / 2 - 60, 120, 120));
        s.imgCompass->setImage(Image::named("compass"));
        size(root, s.imgCompass, 120, 120);

        // Two rows of three buttons at the bottom, a line between them.
        s.viewBtnBottom = addView<View>(root, "viewBtnBottom", Rect(0, height - 90, width, 90));
        s.viewBtnBottom->setAlpha(0);
        s.viewBtnBottom->setArrangement(Arrangement::column().packed(Pack::start));
        size(root, s.viewBtnBottom, 0, 90);
        pin(root, s.viewBtnBottom, LayoutAttribute::bottom, 0);
        auto& bottom = *s.viewBtnBottom;
        auto top = buttonRow(bottom, "stackBtnTop");
        s.btnLocate = arrangedButton(*top, "btnLocate");
        s.btnCenterMap = arrangedButton(*top, "btnCenterMap");
        s.btnDirections = arrangedButton(*top, "btnDirections");
        s.btnDirections->setImage(Image::named("directions"));
        s.splitBtnView = addView<View>(bottom, "splitBtnView", Rect(0, 44, width, 1));
        auto lower = buttonRow(bottom, "stackBtnBottom");
        // Signs that read the same in every language.
        arrangedButton(*lower, "btnZoomIn")->setTitle("+");
        arrangedButton(*lower, "btnZoomOut")->setTitle("\u2212");
        arrangedButton(*lower, "btnFlyOver")->setTitle("3D");

        s.popUpBG = addView<View>(root, "popUpBG", root.bounds());
        s.popUpBG->setBackgroundColor(Color{0, 0, 0, 0.5});
        // The hint: 30 points in from each side, 40 from the top and bottom; the picture takes
        // what its button leaves.
        s.popUp = addView<View>(root, "popUp", Rect(30, height / 2 - 150, width - 60, 300));
        s.popUp->setArrangement(Arrangement::column(10));
        for (auto edge : {LayoutAttribute::top, LayoutAttribute::bottom}) pin(root, s.popUp, edge, 40);
        for (auto edge : {LayoutAttribute::leading, LayoutAttribute::trailing}) pin(root, s.popUp, edge, 30);
        s.mapHandImage = addView<ImageView>(*s.popUp, "mapHandImage", Rect(0, 0, width - 60, 240));
        s.mapHandImage->setStretches(true);
        s.mapHandImage->setImage(Image::named("mapHand"));
        s.btnClosePopup = addView<Button>(*s.popUp, "btnClosePopup", Rect(0, 250, width - 60, 44));
        s.btnClosePopup->setImage(Image::named("close"));
        s.btnClosePopup->imageView().setContentMode(ContentMode::center);
        s.mapHandImage->setContentMode(ContentMode::center);
        s.popUp->setBackgroundColor(Color::white());
        s.popUp->setCornerRadius(12);
        for (const auto& hint : {s.popUp, s.popUpBG}) {
            hint->setHidden(true);
            hint->setAlpha(0);
        }
        s.rightBarButton = std::make_shared<BarButtonItem>();
    }
};

void MapController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    MapControllerLayout{*this, size.width, size.height}.build(*root);
    map->setDelegate(this);
    wireActions();
}

void MapController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](void (MapController::*method)()) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    auto& root = view();
    const std::pair<const char*, void (MapController::*)()> actions[] = {
        {"btnNext", &MapController::next},          {"btnPrev", &MapController::previous},
        {"btnShare", &MapController::share},        {"btnDirections", &MapController::direction},
        {"btnLocate", &MapController::followMe},    {"btnCenterMap", &MapController::centerMap},
        {"btnZoomIn", &MapController::zoomIn},      {"btnZoomOut", &MapController::zoomOut},
        {"btnFlyOver", &MapController::activateFlyOverMap}, {"btnClosePopup", &MapController::closePopup},
    };
    for (const auto& [name, method] : actions) {
        if (auto* button = findView<Button>(root, name)) button->addAction(ControlEvent::touchUpInside, on(method));
    }
}

void MapController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("MapController", [] { return std::make_shared<MapController>(); });
    }
}

}  // namespace tq
