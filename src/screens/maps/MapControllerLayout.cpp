// The layout of the native map, built in code as the storyboards "Main" and "Main-ipad" hold it:
// the map under everything, a bar on top, the stepping buttons on their round backgrounds, the
// bottom bar of map buttons, the compass, and the first-use hint over a dimmed screen.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/maps/MapController.h"

namespace tq {

struct MapControllerLayout {
    MapController& s;
    double width;
    double height;

    // A round background with its button on it.
    std::shared_ptr<Button> roundButton(View& root, std::shared_ptr<View>& background, const std::string& backgroundName,
                                        const std::string& name, double x) {
        background = addView<View>(root, backgroundName, Rect(x, height - 170, 70, 70));
        background->setArrangement(Arrangement::fixed());
        return addView<Button>(*background, name, Rect(0, 0, 70, 70));
    }

    void build(View& root) {
        // Everything lies over the map at frames of its own.
        root.setArrangement(Arrangement::fixed());
        s.map = addView<MapView>(root, "map", root.bounds());
        s.map->setAlpha(0);
        s.mapWkWebView = addView<WebView>(root, "mapWkWebView", root.bounds());
        s.mapWkWebView->setHidden(true);
        s.bgTop = addView<View>(root, "bgTop", Rect(0, 0, width, 60));

        s.btnPrev = roundButton(root, s.bgPrev, "bgPrev", "btnPrev", 20);
        s.btnNext = roundButton(root, s.bgNext, "bgNext", "btnNext", width - 90);
        s.bgShare = addView<View>(root, "bgShare", Rect(width - 70, 70, 50, 50));
        s.bgShare->setAlpha(0);
        s.bgShare->setArrangement(Arrangement::fixed());
        s.btnShare = addView<Button>(*s.bgShare, "btnShare", Rect(0, 0, 50, 50));
        s.imgCompass = addView<ImageView>(root, "imgCompass", Rect(width / 2 - 60, height / 2 - 60, 120, 120));
        s.imgCompass->setImage(Image::named("compass"));

        s.viewBtnBottom = addView<View>(root, "viewBtnBottom", Rect(0, height - 90, width, 90));
        s.viewBtnBottom->setAlpha(0);
        s.viewBtnBottom->setArrangement(Arrangement::fixed());
        auto& bottom = *s.viewBtnBottom;
        const double third = width / 3;
        s.btnLocate = addView<Button>(bottom, "btnLocate", Rect(0, 0, third, 44));
        s.btnCenterMap = addView<Button>(bottom, "btnCenterMap", Rect(third, 0, third, 44));
        s.btnDirections = addView<Button>(bottom, "btnDirections", Rect(2 * third, 0, third, 44));
        s.splitBtnView = addView<View>(bottom, "splitBtnView", Rect(0, 44, width, 1));
        addView<Button>(bottom, "btnZoomIn", Rect(0, 46, third, 44));
        addView<Button>(bottom, "btnZoomOut", Rect(third, 46, third, 44));
        addView<Button>(bottom, "btnFlyOver", Rect(2 * third, 46, third, 44));

        s.popUpBG = addView<View>(root, "popUpBG", root.bounds());
        s.popUpBG->setBackgroundColor(Color{0, 0, 0, 0.5});
        s.popUp = addView<View>(root, "popUp", Rect(30, height / 2 - 150, width - 60, 300));
        s.popUp->setArrangement(Arrangement::fixed());
        s.mapHandImage = addView<ImageView>(*s.popUp, "mapHandImage", Rect(0, 0, width - 60, 240));
        s.mapHandImage->setImage(Image::named("mapHand"));
        s.btnClosePopup = addView<Button>(*s.popUp, "btnClosePopup", Rect(0, 250, width - 60, 44));
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
