// The two layouts of the tour screen, built in code as the storyboards "Main" and "Main-ipad"
// hold them: the views, their arrangements, their first state and the constraints the screen
// changes. The title block and the buttons stand in a column above the two layouts, of which one
// is hidden at a time; each layout scrolls.
#include <memory>
#include <string>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/TourDetailController.h"
#include "ui/common/MainStoryboards.h"

namespace tq {

namespace {

using Screen = TourDetailController;

// One element of the screen in both layouts: its portrait outlet and its landscape twin, each
// with the outlet's name, which its view carries as identifier.
template <class T>
struct Twin {
    std::shared_ptr<T> Screen::*portrait;
    std::shared_ptr<T> Screen::*landscape;
    const char* portraitName;
    const char* landscapeName;
};

// Every twin, in the order each layout holds them.
constexpr Twin<ScrollView> kLayoutView{&Screen::portraitView, &Screen::landscapeView, "portraitView", "landscapeView"};
constexpr Twin<ImageView> kTourImage{&Screen::tourImage, &Screen::tourImageLand, "tourImage", "tourImageLand"};
constexpr Twin<ActivityIndicatorView> kImageActivity{&Screen::activityIndicatorImage, &Screen::activityIndicatorImageLand,
                                                     "activityIndicatorImage", "activityIndicatorImageLand"};
constexpr Twin<Button> kNetworkImage{&Screen::btnNetworkImage, &Screen::btnNetworkImageLand, "btnNetworkImage",
                                     "btnNetworkImageLand"};
constexpr Twin<Button> kConsultIntro{&Screen::btnConsultIntro, &Screen::btnConsultIntroLand, "btnConsultIntro",
                                     "btnConsultIntroLand"};
constexpr Twin<View> kLabelsView{&Screen::labelsView, &Screen::labelsViewLand, "labelsView", "labelsViewLand"};
constexpr Twin<Label> kNearOf{&Screen::lblNearOf, &Screen::lblNearOfLand, "lblNearOf", "lblNearOfLand"};
constexpr Twin<Label> kCity{&Screen::lblCity, &Screen::lblCityLand, "lblCity", "lblCityLand"};
constexpr Twin<Label> kPoi{&Screen::lblPoi, &Screen::lblPoiLand, "lblPoi", "lblPoiLand"};
constexpr Twin<Label> kPoiCount{&Screen::lblPoiCount, &Screen::lblPoiCountLand, "lblPoiCount", "lblPoiCountLand"};
constexpr Twin<Label> kRating{&Screen::lblRating, &Screen::lblRatingLand, "lblRating", "lblRatingLand"};
constexpr Twin<Label> kNoRating{&Screen::lblNoRating, &Screen::lblNoRatingLand, "lblNoRating", "lblNoRatingLand"};
constexpr Twin<StarRatingView> kRatingView{&Screen::ratingView, &Screen::ratingViewLand, "ratingView", "ratingViewLand"};
constexpr Twin<ImageView> kTransport{&Screen::imgTransport, &Screen::imgTransportLand, "imgTransport",
                                     "imgTransportLand"};
constexpr Twin<Label> kDistance{&Screen::lblDistance, &Screen::lblDistanceLand, "lblDistance", "lblDistanceLand"};
constexpr Twin<Label> kDistanceLength{&Screen::lblDistanceLength, &Screen::lblDistanceLengthLand, "lblDistanceLength",
                                      "lblDistanceLengthLand"};
constexpr Twin<Label> kCost{&Screen::lblCost, &Screen::lblCostLand, "lblCost", "lblCostLand"};
constexpr Twin<Label> kAmount{&Screen::lblAmount, &Screen::lblAmountLand, "lblAmount", "lblAmountLand"};
constexpr Twin<Label> kPresentedBy{&Screen::lblPresentedBy, &Screen::lblPresentedByLand, "lblPresentedBy",
                                   "lblPresentedByLand"};
constexpr Twin<Button> kPresentedByButton{&Screen::btnPresentedBy, &Screen::btnPresentedByLand, "btnPresentedBy",
                                          "btnPresentedByLand"};
constexpr Twin<LayoutConstraint> kTopPresentedBy{&Screen::constTopStackPresentedby,
                                                 &Screen::constTopStackPresentedbyLand, "constTopStackPresentedby",
                                                 "constTopStackPresentedbyLand"};
constexpr Twin<Button> kNetworkMiddle{&Screen::btnNetworkMiddle, &Screen::btnNetworkMiddleLand, "btnNetworkMiddle",
                                      "btnNetworkMiddleLand"};
constexpr Twin<Label> kLanguageTitle{&Screen::lblLanguageTitle, &Screen::lblLanguageTitleLand, "lblLanguageTitle",
                                     "lblLanguageTitleLand"};
constexpr Twin<LayoutConstraint> kLanguageTitleTop{&Screen::constLblLangTitleTop, &Screen::constLblLangTitleTopLand,
                                                   "constLblLangTitleTop", "constLblLangTitleTopLand"};
constexpr Twin<SegmentedControl> kLanguage{&Screen::segLanguage, &Screen::segLanguageLand, "segLanguage",
                                           "segLanguageLand"};
constexpr Twin<Label> kCurrentLanguage{&Screen::lblCurrentLang, &Screen::lblCurrentLangLand, "lblCurrentLang",
                                       "lblCurrentLangLand"};
constexpr Twin<WebView> kDescription{&Screen::descriptionView, &Screen::descriptionViewLand, "descriptionView",
                                     "descriptionViewLand"};
constexpr Twin<LayoutConstraint> kDescriptionHeight{&Screen::constDescriptionHeight, &Screen::constDescriptionLandHeight,
                                                    "constDescriptionHeight", "constDescriptionLandHeight"};
constexpr Twin<LayoutConstraint> kTopDescription{&Screen::constTopDescriptionView, &Screen::constTopDescriptionLandView,
                                                 "constTopDescriptionView", "constTopDescriptionLandView"};

// What sets the two layouts apart.
struct Side {
    bool landscape;
    Rect layout;         // the layout's scroll view, under the title block
    Rect image;          // the tour's picture
    Rect description;    // the description page
    double languageGap;  // above the language heading
};

}  // namespace

struct TourDetailLayout {
    Screen& s;
    DeviceIdiom idiom;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame = {}) {
        return addView<T>(parent, name, frame);
    }
    // Builds one side's view of a twin in `parent` and fills that side's outlet.
    template <class T>
    std::shared_ptr<T> make(View& parent, const Side& side, const Twin<T>& twin, Rect frame = {}) {
        return s.*outlet(side, twin) = make<T>(parent, name(side, twin), frame);
    }
    template <class T>
    static std::shared_ptr<T> Screen::*outlet(const Side& side, const Twin<T>& twin) {
        return side.landscape ? twin.landscape : twin.portrait;
    }
    template <class T>
    static std::string name(const Side& side, const Twin<T>& twin) {
        return side.landscape ? twin.landscapeName : twin.portraitName;
    }
    // The space above `item`, from the view before it in its layout's column.
    void topGap(View& holder, const Side& side, const Twin<LayoutConstraint>& twin, const std::shared_ptr<View>& item,
                double constant) {
        s.*outlet(side, twin) =
            offsetConstraint(holder, item, LayoutAttribute::top, LayoutAnchor::previousSibling, constant, name(side, twin));
    }
    std::shared_ptr<Button> hiddenButton(View& parent, const std::string& name) {
        auto button = make<Button>(parent, name);
        button->setHidden(true);
        return button;
    }
    template <class T>
    std::shared_ptr<T> hidden(View& parent, const Side& side, const Twin<T>& twin) {
        auto view = make(parent, side, twin);
        view->setHidden(true);
        return view;
    }
    // A view that a stack view arranges: added by the stack, not by `make`.
    template <class T>
    void arranged(StackView& stack, const Side& side, const Twin<T>& twin) {
        auto view = std::make_shared<T>();
        view->setIdentifier(name(side, twin));
        stack.addArrangedSubview(view);
        s.*outlet(side, twin) = view;
    }

    // The platform's standard margin between texts and the screen's sides.
    static constexpr double kMargin = 16;
    static void keepOffSides(View& holder, const std::shared_ptr<View>& view) {
        for (auto edge : {LayoutAttribute::leading, LayoutAttribute::trailing}) {
            offsetConstraint(holder, view, edge, LayoutAnchor::containerEdge, kMargin,
                             view->identifier() + (edge == LayoutAttribute::leading ? "Leading" : "Trailing"));
        }
    }

    void build(View& root) {
        const double width = root.frame().width();
        const double height = root.frame().height();
        const bool pad = idiom == DeviceIdiom::pad;
        const double imageHeight = pad ? 420 : 240;
        root.setArrangement(Arrangement::column());

        // Title block and the buttons above both layouts.
        s.stackTitle = make<StackView>(root, "stackTitle", Rect(0, 0, width, 60));
        s.stackTitle->setAxis(LayoutAxis::vertical);
        s.stackTitle->setArrangement(s.stackTitle->arrangement().packed(Pack::center));
        s.lblTitle = std::make_shared<Label>();
        s.lblTitle->setIdentifier("lblTitle");
        s.lblTitle->setNumberOfLines(2);
        s.stackTitle->addArrangedSubview(s.lblTitle);
        keepOffSides(root, s.stackTitle);
        // The buttons' titles as the screen sets them when the tour arrives; the presenter's name is
        // not known before, and a dash holds its place.
        s.btnConsultTop = make<Button>(root, "btnConsultTop");
        s.btnConsultTop->setTitle(s.app.text("Consult"));
        s.btnNetworkTop = hiddenButton(root, "btnNetworkTop");
        s.btnHiddenTourContent = hiddenButton(root, "btnHiddenTourContent");
        s.splitView = make<View>(root, "splitView");
        s.btnPreload = make<Button>(root, "btnPreload");
        s.btnPreload->setTitle(s.app.text("Preload"));
        s.constBtnConsultFull = sizeConstraint(root, s.btnConsultTop, LayoutAttribute::width, width, "constBtnConsultFull");

        // Landscape turns the screen: its layout is as wide as the portrait screen is high, and
        // shares it between the picture and the description.
        buildSide(root, pad, {false, Rect(0, 60, width, height - 60), Rect(0, 0, width, imageHeight),
                              Rect(0, 0, width, 200), 10});
        buildSide(root, pad, {true, Rect(0, 60, height, width - 60), Rect(0, 0, height / 2, imageHeight),
                              Rect(height / 2, 0, height / 2, 200), 20});
        s.landscapeView->setHidden(true);

        s.btnShare = std::make_shared<BarButtonItem>(SystemBarItem::action);
        s.navigationItem().setRightBarButtonItem(s.btnShare);
    }

    // One layout. The portrait one alone has the consult button over the picture, the details
    // heading, the presenter's width and the language buttons.
    // The portrait layout is one scrolling column. The landscape one scrolls a row of two
    // columns: the picture and the tour's facts on the left, the presenter, the languages and the
    // description on the right.
    void buildSide(View& root, bool pad, const Side& side) {
        const bool portrait = !side.landscape;
        auto& scroll = *make(root, side, kLayoutView, side.layout);
        scroll.setArrangement(Arrangement::scroll().packed(Pack::start));
        View* left = &scroll;
        View* right = &scroll;
        if (!portrait) {
            auto row = make<View>(scroll, "pictureAndDescriptionLand");
            row->setArrangement(Arrangement::row(10, Alignment::leading));
            for (const char* name : {"leftColumnLand", "rightColumnLand"}) {
                auto column = make<View>(*row, name);
                column->setArrangement(Arrangement::column().packed(Pack::start));
                column->setStretches(true);
                (left == &scroll ? left : right) = column.get();
            }
        }
        auto& p = *left;
        // Until the tour's own picture arrives, the picture of a tour without one.
        make(p, side, kTourImage, side.image)->setImage(Image::named("tourPlaceholder"));
        if (portrait) {
            // The consult button lies over the whole picture: a touch on the picture consults.
            s.btnConsultImag = make<Button>(p, "btnConsultImag");
            sizeConstraint(p, s.btnConsultImag, LayoutAttribute::height, side.image.height(), "btnConsultImagHeight");
            offsetConstraint(p, s.btnConsultImag, LayoutAttribute::top, LayoutAnchor::previousSibling,
                             -side.image.height(), "btnConsultImagTop");
        }
        hidden(p, side, kImageActivity);
        hidden(p, side, kNetworkImage);
        make(p, side, kConsultIntro)->setImage(Image::named("playContent"));

        // The facts take the column's width: a label sized to its text would be as wide as the
        // layout's estimate of that text, narrower than some texts are drawn.
        auto& l = *make(p, side, kLabelsView);
        l.setArrangement(Arrangement::column(4));
        keepOffSides(p, s.*outlet(side, kLabelsView));
        if (portrait) s.lblTourDetails = make<Label>(l, "lblTourDetails");
        make(l, side, kNearOf);
        make(l, side, kCity);
        make(l, side, kPoi);
        make(l, side, kPoiCount);
        make(l, side, kRating);
        hidden(l, side, kNoRating);
        make(l, side, kRatingView)->setEditable(false);
        make(l, side, kTransport);
        make(l, side, kDistance);
        make(l, side, kDistanceLength);
        make(l, side, kCost);
        make(l, side, kAmount);

        buildPresenterAndDescription(*right, pad, side);
    }

    void buildPresenterAndDescription(View& p, bool pad, const Side& side) {
        const bool portrait = !side.landscape;
        auto presenter = make<StackView>(p, portrait ? "stackPresentedBy" : "stackPresentedByLand");
        presenter->setArrangement(presenter->arrangement().packed(Pack::start));
        arranged(*presenter, side, kPresentedBy);
        arranged(*presenter, side, kPresentedByButton);
        (s.*outlet(side, kPresentedByButton))->setTitle("\u2013");
        topGap(p, side, kTopPresentedBy, presenter, pad ? 70 : 80);
        keepOffSides(p, presenter);
        if (portrait) {
            s.constPresentedByWidth =
                sizeConstraint(p, s.lblPresentedBy, LayoutAttribute::width, 102, "constPresentedByWidth");
        }
        hidden(p, side, kNetworkMiddle);

        auto languageTitle = make(p, side, kLanguageTitle);
        topGap(p, side, kLanguageTitleTop, languageTitle, side.languageGap);
        keepOffSides(p, languageTitle);
        auto language = std::make_shared<SegmentedControl>(std::vector<std::string>{"Français", "English"});
        language->setIdentifier(name(side, kLanguage));
        language->setSelectedSegmentIndex(0);
        p.addSubview(language);
        s.*outlet(side, kLanguage) = language;
        keepOffSides(p, language);
        keepOffSides(p, make(p, side, kCurrentLanguage));
        if (portrait) s.stackChangLangButtons = make<StackView>(p, "stackChangLangButtons");

        auto description = make(p, side, kDescription, side.description);
        s.*outlet(side, kDescriptionHeight) = sizeConstraint(p, description, LayoutAttribute::height,
                                                             side.description.height(), name(side, kDescriptionHeight));
        topGap(p, side, kTopDescription, description, 10);
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
    for (const MainStoryboard& board : kMainStoryboards) {
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
