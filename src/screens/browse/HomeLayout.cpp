// The home screen's layout, built in code as the storyboards "Main" and "Main-ipad" hold it: the
// video behind everything, the still backgrounds, and a portrait and a landscape panel each with
// the logo and the five buttons. Also the constants the screen sets by screen size.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/HomeController.h"
#include "screens/browse/SearchResultsController.h"

namespace tq {

struct HomeLayout {
    HomeController& s;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name) {
        if (auto* stack = dynamic_cast<StackView*>(&parent)) {
            auto view = std::make_shared<T>();
            view->setIdentifier(name);
            stack->addArrangedSubview(view);
            return view;
        }
        return addView<T>(parent, name);
    }
    static std::shared_ptr<LayoutConstraint> size(View& holder, const std::shared_ptr<View>& item,
                                                  LayoutAttribute attribute, double constant, const std::string& name) {
        return sizeConstraint(holder, item, attribute, constant, name);
    }
    // An offset from the holder's edge.
    static std::shared_ptr<LayoutConstraint> edge(View& holder, const std::shared_ptr<View>& item,
                                                  LayoutAttribute attribute, double constant, const std::string& name) {
        return offsetConstraint(holder, item, attribute, LayoutAnchor::containerEdge, constant, name);
    }
    // `first.firstEdge = second.secondEdge + constant`, as the platform reads a relation: between
    // neighbours of a row, the space between them.
    static std::shared_ptr<LayoutConstraint> relation(View& holder, const std::shared_ptr<View>& first,
                                                      LayoutAttribute firstEdge, const std::shared_ptr<View>& second,
                                                      LayoutAttribute secondEdge, double constant,
                                                      const std::string& name) {
        auto constraint = std::make_shared<LayoutConstraint>(first, firstEdge, second, secondEdge, 1.0, constant);
        constraint->setIdentifier(name);
        holder.addConstraint(constraint);
        return constraint;
    }

    void build(View& root) {
        const Rect full = root.bounds();
        root.setArrangement(Arrangement::overlay());
        // The still backgrounds (the clips' first frames) lie under the video: they show until the
        // video draws its first frame, and where no video can play; over it, they would hide it.
        s.backgroundImage = make<ImageView>(root, "backgroundImage");
        s.backgroundImage->setImage(Image::named("background"));
        s.backgroundImageLand = make<ImageView>(root, "backgroundImageLand");
        s.backgroundImageLand->setImage(Image::named("background-land"));

        s.blackOverlay = make<View>(root, "blackOverlay");
        s.blackOverlay->setArrangement(Arrangement::overlay());
        s.blackOverlay->setFrame(full);
        s.constTopBlackOverlay = edge(root, s.blackOverlay, LayoutAttribute::top, 40, "constTopBlackOverlay");
        s.constBGCenterH = edge(root, s.blackOverlay, LayoutAttribute::centerX, 0, "constBGCenterH");

        buildPortrait(root);
        buildLandscape(root);
    }

    void buildPortrait(View& root) {
        // The logo pinned at the top, the buttons centred, the compass pinned at the bottom.
        auto& panel = *(s.portraitButtonView = make<View>(root, "portraitButtonView"));
        panel.setArrangement(Arrangement::overlay(Alignment::center));
        s.imageLogo = make<ImageView>(panel, "imageLogo");
        s.constLogoTop = edge(panel, s.imageLogo, LayoutAttribute::top, 60, "constLogoTop");
        s.constLogoWidth = size(panel, s.imageLogo, LayoutAttribute::width, 260, "constLogoWidth");
        s.constLogoHeight = size(panel, s.imageLogo, LayoutAttribute::height, 100, "constLogoHeight");

        s.stackButton = make<StackView>(panel, "stackButton");
        s.stackButton->setAxis(LayoutAxis::vertical);
        s.stackButton->setDistribution(StackDistribution::fillEqually);
        s.btnCatalog = make<Button>(*s.stackButton, "btnCatalog");
        s.btnMyTours = make<Button>(*s.stackButton, "btnMyTours");
        s.btnSearch = make<Button>(*s.stackButton, "btnSearch");
        s.btnSettings = make<Button>(*s.stackButton, "btnSettings");
        s.constStackButtonY = edge(panel, s.stackButton, LayoutAttribute::centerY, 0, "constStackButtonY");
        s.constStackButtonWidth = size(panel, s.stackButton, LayoutAttribute::width, 260, "constStackButtonWidth");
        s.constBtnCatalogWidth = size(panel, s.btnCatalog, LayoutAttribute::width, 120, "constBtnCatalogWidth");
        s.constBtnCatalogHeight = size(panel, s.btnCatalog, LayoutAttribute::height, 110, "constBtnCatalogHeight");

        s.btnCompass = make<Button>(panel, "btnCompass");
        s.constBtnCompassWidth = size(panel, s.btnCompass, LayoutAttribute::width, 190, "constBtnCompassWidth");
        s.constBtnCompassHeight = size(panel, s.btnCompass, LayoutAttribute::height, 190, "constBtnCompassHeight");
        s.constBtnCompassBottom = edge(panel, s.btnCompass, LayoutAttribute::bottom, 20, "constBtnCompassBottom");
    }

    void buildLandscape(View& root) {
        // The logo on top; under it a row that takes the rest of the height: two stacks of buttons
        // sharing the width on either side of the compass. The stacks' outer offsets are held by the
        // panel and measured from its sides, so the row spans the panel's whole width (the logo,
        // which asks for a width, stays centred).
        auto& panel = *(s.landscapeButtonView = make<View>(root, "landscapeButtonView"));
        s.landscapeButtonView->setHidden(true);
        panel.setArrangement(Arrangement::column(0, Alignment::fill));
        s.imageLogoLand = make<ImageView>(panel, "imageLogoLand");
        s.constLogoTopLand = edge(panel, s.imageLogoLand, LayoutAttribute::top, 20, "constLogoTopLand");
        s.constLogoWidthLand = size(panel, s.imageLogoLand, LayoutAttribute::width, 240, "constLogoWidthLand");
        s.constLogoHeightLand = size(panel, s.imageLogoLand, LayoutAttribute::height, 90, "constLogoHeightLand");

        auto row = make<View>(panel, "landscapeButtonRow");
        row->setArrangement(Arrangement::row(0, Alignment::center));
        row->setStretches(true);
        s.stackButtonLeftLand = make<StackView>(*row, "stackButtonLeftLand");
        s.stackButtonLeftLand->setAxis(LayoutAxis::vertical);
        s.stackButtonLeftLand->setDistribution(StackDistribution::fillEqually);
        s.stackButtonLeftLand->setStretches(true);
        s.btnCatalogLand = make<Button>(*s.stackButtonLeftLand, "btnCatalogLand");
        s.btnMyToursLand = make<Button>(*s.stackButtonLeftLand, "btnMyToursLand");
        s.btnCompassLand = make<Button>(*row, "btnCompassLand");
        s.stackButtonRightLand = make<StackView>(*row, "stackButtonRightLand");
        s.stackButtonRightLand->setAxis(LayoutAxis::vertical);
        s.stackButtonRightLand->setDistribution(StackDistribution::fillEqually);
        s.stackButtonRightLand->setStretches(true);
        s.btnSearchLand = make<Button>(*s.stackButtonRightLand, "btnSearchLand");
        s.btnSettingsLand = make<Button>(*s.stackButtonRightLand, "btnSettingsLand");

        s.constBtnCatalogHeightLand =
            size(panel, s.btnCatalogLand, LayoutAttribute::height, 100, "constBtnCatalogHeightLand");
        // The right stack's buttons as high as the left's, so the two stacks match beside the compass.
        size(panel, s.btnSearchLand, LayoutAttribute::height, 100, "constBtnSearchHeightLand");
        s.constBtnCompassWidthLand = size(panel, s.btnCompassLand, LayoutAttribute::width, 150, "constBtnCompassWidthLand");
        s.constBtnCompassHeightLand =
            size(panel, s.btnCompassLand, LayoutAttribute::height, 150, "constBtnCompassHeightLand");
        s.constBtnCompassBottomLand =
            edge(panel, s.btnCompassLand, LayoutAttribute::bottom, 10, "constBtnCompassBottomLand");
        s.constStackButtonLeftLeadingLand =
            edge(panel, s.stackButtonLeftLand, LayoutAttribute::leading, 20, "constStackButtonLeftLeadingLand");
        // -20 leaves 20 points between each stack and the compass (-40: 40).
        s.constStackButtonLeftTrailingLand =
            relation(panel, s.stackButtonLeftLand, LayoutAttribute::trailing, s.btnCompassLand, LayoutAttribute::leading,
                     -20, "constStackButtonLeftTrailingLand");
        s.constStackButtonRightLeadingLand =
            relation(panel, s.btnCompassLand, LayoutAttribute::trailing, s.stackButtonRightLand, LayoutAttribute::leading,
                     -20, "constStackButtonRightLeadingLand");
        s.constStackButtonRightTrailingLand =
            edge(panel, s.stackButtonRightLand, LayoutAttribute::trailing, 20, "constStackButtonRightTrailingLand");
    }

    void wireActions() {
        std::weak_ptr<HomeController> weak = std::static_pointer_cast<HomeController>(s.shared_from_this());
        auto on = [weak](void (HomeController::*method)()) {
            return [weak, method] {
                if (auto self = weak.lock()) ((*self).*method)();
            };
        };
        auto segue = [weak](const char* identifier) {
            return [weak, identifier](Control& sender) {
                if (auto self = weak.lock()) self->triggerSegue(identifier, sender.shared_from_this());
            };
        };
        for (const auto& button : {s.btnCatalog, s.btnCatalogLand}) {
            button->addAction(ControlEvent::touchUpInside, segue("showCatalog"));
        }
        for (const auto& button : {s.btnMyTours, s.btnMyToursLand}) {
            button->addAction(ControlEvent::touchUpInside, segue("myToursSegue2"));
        }
        for (const auto& button : {s.btnSearch, s.btnSearchLand}) {
            button->addAction(ControlEvent::touchUpInside, on(&HomeController::showSearch));
        }
        for (const auto& button : {s.btnSettings, s.btnSettingsLand}) {
            button->addAction(ControlEvent::touchUpInside, on(&HomeController::showSettings));
        }
        for (const auto& button : {s.btnCompass, s.btnCompassLand}) {
            button->addAction(ControlEvent::touchUpInside, on(&HomeController::searchNear));
        }
    }
};

void HomeController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    HomeLayout layout{*this};
    layout.build(*root);
    layout.wireActions();
}

// ---- Constants by screen size

void HomeController::applyConstantsForScreenSize() {
    const Size screen = Environment::current().device().screenBounds;
    auto side = [&screen](double value) { return screen.width == value || screen.height == value; };
    if (side(320)) applyConstants320();
    if (side(375)) applyConstants375();
    if (side(834)) {
        constBtnCatalogWidth->setConstant(140);
        constBtnCatalogHeight->setConstant(131);
    }
    if (side(1024)) applyConstants1024();
}

void HomeController::applyConstants320() {
    constLogoTop->setConstant(40);
    constLogoWidth->setConstant(216);
    constLogoHeight->setConstant(90);
    constStackButtonY->setConstant(-20);
    constBtnCatalogHeight->setConstant(90);
    constBtnCompassWidth->setConstant(150);
    constBtnCompassHeight->setConstant(151);
    constBtnCompassBottom->setConstant(0);
    constStackButtonWidth->setConstant(230);
    constBtnCompassBottomLand->setConstant(0);
    constBtnCompassHeightLand->setConstant(130);
    constBtnCompassWidthLand->setConstant(130);
    constStackButtonLeftTrailingLand->setConstant(-40);
    constStackButtonRightLeadingLand->setConstant(-40);
    constLogoTopLand->setConstant(10);
    constLogoWidthLand->setConstant(200);
    constLogoHeightLand->setConstant(80);
}

void HomeController::applyConstants375() {
    constLogoTop->setConstant(50);
    constLogoWidth->setConstant(220);
    constLogoHeight->setConstant(83);
    constStackButtonY->setConstant(-25);
    constBtnCompassWidth->setConstant(170);
    constBtnCompassHeight->setConstant(171);
}

void HomeController::applyConstants1024() {
    constBtnCatalogWidth->setConstant(150);
    constBtnCatalogHeight->setConstant(140);
    constLogoWidth->setConstant(350);
    constLogoHeight->setConstant(142);
    constBtnCompassWidth->setConstant(270);
    constBtnCompassHeight->setConstant(270);
}

// ---- Storyboards

void HomeController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        auto& storyboard = registry.storyboard(name);
        storyboard.registerScreen("HomeController", [] { return std::make_shared<HomeController>(); });
        storyboard.setInitialScreen("HomeController");
        for (const char* segue : {"showCatalog", "myToursSegue", "myToursSegue2"}) {
            storyboard.addSegue({.identifier = segue, .destination = "CatalogController", .source = "HomeController"});
        }
        storyboard.addSegue({.identifier = "scanSegue", .destination = "TourDetailController", .source = "HomeController"});
    }
    // On a phone the home screen shows the tours near the visitor from its own storyboard.
    registry.storyboard("Main").registerScreen("SearchResultsController",
                                               [] { return std::make_shared<SearchResultsController>(); });
}

}  // namespace tq
