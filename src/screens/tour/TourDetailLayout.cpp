// The two layouts of the tour screen, built in code as the storyboards "Main" and "Main-ipad"
// hold them: the views, their arrangements, their first state and the constraints the screen
// changes. The title block and the buttons stand in a column above the two layouts, of which one
// is hidden at a time; each layout scrolls.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/TourDetailController.h"

namespace tq {

struct TourDetailLayout {
    TourDetailController& s;
    DeviceIdiom idiom;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame = {}) {
        return addView<T>(parent, name, frame);
    }
    // The space above `item`, from the view before it in its layout's column.
    std::shared_ptr<LayoutConstraint> topGap(View& holder, const std::shared_ptr<View>& item, double constant,
                                             const std::string& name) {
        return offsetConstraint(holder, item, LayoutAttribute::top, LayoutAnchor::previousSibling, constant, name);
    }
    std::shared_ptr<SegmentedControl> languageControl(View& parent, const std::string& name) {
        auto control = std::make_shared<SegmentedControl>(std::vector<std::string>{"Français", "English"});
        control->setIdentifier(name);
        control->setSelectedSegmentIndex(0);
        parent.addSubview(control);
        return control;
    }
    std::shared_ptr<Button> hiddenButton(View& parent, const std::string& name) {
        auto button = make<Button>(parent, name);
        button->setHidden(true);
        return button;
    }

    void build(View& root) {
        const double width = root.frame().width();
        const bool pad = idiom == DeviceIdiom::pad;
        root.setArrangement(Arrangement::column());

        // Title block and the buttons above both layouts.
        s.stackTitle = make<StackView>(root, "stackTitle", Rect(0, 0, width, 60));
        s.stackTitle->setAxis(LayoutAxis::vertical);
        s.lblTitle = std::make_shared<Label>();
        s.lblTitle->setIdentifier("lblTitle");
        s.lblTitle->setNumberOfLines(2);
        s.stackTitle->addArrangedSubview(s.lblTitle);
        s.btnConsultTop = make<Button>(root, "btnConsultTop");
        s.btnNetworkTop = hiddenButton(root, "btnNetworkTop");
        s.btnHiddenTourContent = hiddenButton(root, "btnHiddenTourContent");
        s.splitView = make<View>(root, "splitView");
        s.btnPreload = make<Button>(root, "btnPreload");
        s.constBtnConsultFull = sizeConstraint(root, s.btnConsultTop, LayoutAttribute::width, width, "constBtnConsultFull");

        buildPortrait(root, width, pad);
        buildLandscape(root, width, pad);

        s.btnShare = std::make_shared<BarButtonItem>(SystemBarItem::action);
        s.navigationItem().setRightBarButtonItem(s.btnShare);
    }

    void buildPortrait(View& root, double width, bool pad) {
        s.portraitView = make<ScrollView>(root, "portraitView", Rect(0, 60, width, root.frame().height() - 60));
        auto& p = *s.portraitView;
        s.tourImage = make<ImageView>(p, "tourImage", Rect(0, 0, width, pad ? 420 : 240));
        s.activityIndicatorImage = make<ActivityIndicatorView>(p, "activityIndicatorImage");
        s.activityIndicatorImage->setHidden(true);
        s.btnConsultImag = make<Button>(p, "btnConsultImag");
        s.btnNetworkImage = hiddenButton(p, "btnNetworkImage");
        s.btnConsultIntro = make<Button>(p, "btnConsultIntro");

        s.labelsView = make<View>(p, "labelsView");
        auto& l = *s.labelsView;
        l.setArrangement(Arrangement::column(4, Alignment::leading));
        s.lblTourDetails = make<Label>(l, "lblTourDetails");
        s.lblNearOf = make<Label>(l, "lblNearOf");
        s.lblCity = make<Label>(l, "lblCity");
        s.lblPoi = make<Label>(l, "lblPoi");
        s.lblPoiCount = make<Label>(l, "lblPoiCount");
        s.lblRating = make<Label>(l, "lblRating");
        s.lblNoRating = make<Label>(l, "lblNoRating");
        s.lblNoRating->setHidden(true);
        s.ratingView = make<StarRatingView>(l, "ratingView");
        s.ratingView->setEditable(false);
        s.imgTransport = make<ImageView>(l, "imgTransport");
        s.lblDistance = make<Label>(l, "lblDistance");
        s.lblDistanceLength = make<Label>(l, "lblDistanceLength");
        s.lblCost = make<Label>(l, "lblCost");
        s.lblAmount = make<Label>(l, "lblAmount");

        auto presenter = make<StackView>(p, "stackPresentedBy");
        s.lblPresentedBy = std::make_shared<Label>();
        s.lblPresentedBy->setIdentifier("lblPresentedBy");
        presenter->addArrangedSubview(s.lblPresentedBy);
        s.btnPresentedBy = std::make_shared<Button>();
        s.btnPresentedBy->setIdentifier("btnPresentedBy");
        presenter->addArrangedSubview(s.btnPresentedBy);
        s.constTopStackPresentedby = topGap(p, presenter, pad ? 70 : 80, "constTopStackPresentedby");
        s.constPresentedByWidth = sizeConstraint(p, s.lblPresentedBy, LayoutAttribute::width, 102, "constPresentedByWidth");
        s.btnNetworkMiddle = hiddenButton(p, "btnNetworkMiddle");

        s.lblLanguageTitle = make<Label>(p, "lblLanguageTitle");
        s.constLblLangTitleTop = topGap(p, s.lblLanguageTitle, 10, "constLblLangTitleTop");
        s.segLanguage = languageControl(p, "segLanguage");
        s.lblCurrentLang = make<Label>(p, "lblCurrentLang");
        s.stackChangLangButtons = make<StackView>(p, "stackChangLangButtons");

        s.descriptionView = make<WebView>(p, "descriptionView", Rect(0, 0, width, 200));
        s.constDescriptionHeight = sizeConstraint(p, s.descriptionView, LayoutAttribute::height, 200, "constDescriptionHeight");
        s.constTopDescriptionView = topGap(p, s.descriptionView, 10, "constTopDescriptionView");
    }

    void buildLandscape(View& root, double width, bool pad) {
        const double height = root.frame().height();
        s.landscapeView = make<ScrollView>(root, "landscapeView", Rect(0, 60, height, width - 60));
        s.landscapeView->setHidden(true);
        auto& p = *s.landscapeView;
        s.tourImageLand = make<ImageView>(p, "tourImageLand", Rect(0, 0, height / 2, pad ? 420 : 240));
        s.activityIndicatorImageLand = make<ActivityIndicatorView>(p, "activityIndicatorImageLand");
        s.activityIndicatorImageLand->setHidden(true);
        s.btnNetworkImageLand = hiddenButton(p, "btnNetworkImageLand");
        s.btnConsultIntroLand = make<Button>(p, "btnConsultIntroLand");

        s.labelsViewLand = make<View>(p, "labelsViewLand");
        auto& l = *s.labelsViewLand;
        l.setArrangement(Arrangement::column(4, Alignment::leading));
        s.lblNearOfLand = make<Label>(l, "lblNearOfLand");
        s.lblCityLand = make<Label>(l, "lblCityLand");
        s.lblPoiLand = make<Label>(l, "lblPoiLand");
        s.lblPoiCountLand = make<Label>(l, "lblPoiCountLand");
        s.lblRatingLand = make<Label>(l, "lblRatingLand");
        s.lblNoRatingLand = make<Label>(l, "lblNoRatingLand");
        s.lblNoRatingLand->setHidden(true);
        s.ratingViewLand = make<StarRatingView>(l, "ratingViewLand");
        s.ratingViewLand->setEditable(false);
        s.imgTransportLand = make<ImageView>(l, "imgTransportLand");
        s.lblDistanceLand = make<Label>(l, "lblDistanceLand");
        s.lblDistanceLengthLand = make<Label>(l, "lblDistanceLengthLand");
        s.lblCostLand = make<Label>(l, "lblCostLand");
        s.lblAmountLand = make<Label>(l, "lblAmountLand");

        auto presenter = make<StackView>(p, "stackPresentedByLand");
        s.lblPresentedByLand = std::make_shared<Label>();
        s.lblPresentedByLand->setIdentifier("lblPresentedByLand");
        presenter->addArrangedSubview(s.lblPresentedByLand);
        s.btnPresentedByLand = std::make_shared<Button>();
        s.btnPresentedByLand->setIdentifier("btnPresentedByLand");
        presenter->addArrangedSubview(s.btnPresentedByLand);
        s.constTopStackPresentedbyLand = topGap(p, presenter, pad ? 70 : 80, "constTopStackPresentedbyLand");
        s.btnNetworkMiddleLand = hiddenButton(p, "btnNetworkMiddleLand");

        s.lblLanguageTitleLand = make<Label>(p, "lblLanguageTitleLand");
        s.constLblLangTitleTopLand = topGap(p, s.lblLanguageTitleLand, 20, "constLblLangTitleTopLand");
        s.segLanguageLand = languageControl(p, "segLanguageLand");
        s.lblCurrentLangLand = make<Label>(p, "lblCurrentLangLand");

        s.descriptionViewLand = make<WebView>(p, "descriptionViewLand", Rect(height / 2, 0, height / 2, 200));
        s.constDescriptionLandHeight =
            sizeConstraint(p, s.descriptionViewLand, LayoutAttribute::height, 200, "constDescriptionLandHeight");
        s.constTopDescriptionLandView = topGap(p, s.descriptionViewLand, 10, "constTopDescriptionLandView");
    }
};

void TourDetailController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    TourDetailLayout{*this, layoutIdiom_}.build(*root);
    wireActions();
}

void TourDetailController::registerIn(StoryboardRegistry& registry) {
    struct Board {
        const char* name;
        DeviceIdiom idiom;
    };
    for (const Board board : {Board{"Main", DeviceIdiom::phone}, Board{"Main-ipad", DeviceIdiom::pad}}) {
        auto& storyboard = registry.storyboard(board.name);
        storyboard.registerScreen("TourDetailController", [idiom = board.idiom] {
            auto screen = std::make_shared<TourDetailController>();
            screen->layoutIdiom_ = idiom;
            return screen;
        });
        // The organisation list and the web map register themselves under these identifiers.
        storyboard.addSegue({.identifier = "showNetworkPresentedBy", .destination = "NetworkController",
                             .source = "TourDetailController"});
        storyboard.addSegue({.identifier = "showNetwork", .destination = "NetworkController",
                             .source = "TourDetailController"});
        storyboard.addSegue({.identifier = "showMap", .destination = "MapLeafletController",
                             .source = "TourDetailController"});
    }
}

}  // namespace tq
