// The layout of the search screen, built in code as the storyboard "Search-ipad" holds it: the tab
// control above the three tab views, which lie on one another and show one at a time. Each tab
// spans the screen's width, so a turned device lays it out at its new width.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/StackView.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/SearchController.h"

namespace tq {

struct SearchLayout {
    SearchController& s;
    DeviceIdiom idiom;

    void build(View& root) {
        const double width = root.frame().width();
        const double height = root.frame().height();
        const double top = 60;
        // A column: the tab control 20 points in from the sides, then the tabs, which take the rest.
        root.setArrangement(Arrangement::column());
        s.segmentTypeSearch = std::make_shared<SegmentedControl>(std::vector<std::string>{"", "", ""});
        s.segmentTypeSearch->setIdentifier("segmentTypeSearch");
        s.segmentTypeSearch->setFrame(Rect(20, 10, width - 40, 40));
        s.segmentTypeSearch->setImage(Image::named("magnifyingglass"), 2);
        s.segmentTypeSearch->setSelectedSegmentIndex(0);
        root.addSubview(s.segmentTypeSearch);
        offsetConstraint(root, s.segmentTypeSearch, LayoutAttribute::top, LayoutAnchor::containerEdge, 10, "segmentTop");
        offsetConstraint(root, s.segmentTypeSearch, LayoutAttribute::leading, LayoutAnchor::containerEdge, 20,
                         "segmentLeading");
        offsetConstraint(root, s.segmentTypeSearch, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 20,
                         "segmentTrailing");

        auto tabs = addView<View>(root, "viewTabs");
        tabs->setArrangement(Arrangement::overlay());
        tabs->setStretches(true);
        offsetConstraint(root, tabs, LayoutAttribute::top, LayoutAnchor::previousSibling, 10, "tabsTop");
        // The region tab shows first; the others wait for their segment.
        const Rect tab(0, top, width, height - top);
        s.viewKeywordSearch = addView<ScrollView>(*tabs, "viewKeywordSearch", tab);
        s.viewKeywordSearch->setHidden(true);
        s.viewWorldSearch = addView<View>(*tabs, "viewWorldSearch", tab);
        s.viewWorldSearch->setHidden(true);
        s.viewLocationSearch = addView<ScrollView>(*tabs, "viewLocationSearch", tab);
        buildRegionTab(*s.viewLocationSearch);
        buildKeywordTab(*s.viewKeywordSearch);
        buildWorldTab(*s.viewWorldSearch, width, height - top);
    }

    // `view` as the next part of the scrolling column `tab` (see addColumnPart).
    template <class T>
    static std::shared_ptr<T> place(View& tab, std::shared_ptr<T> view, const std::string& name, double gap,
                                    double height, double inset) {
        return addColumnPart(tab, std::move(view), name, gap, height, inset);
    }
    template <class T>
    static std::shared_ptr<T> place(View& tab, const std::string& name, double gap, double height, double inset) {
        return place(tab, std::make_shared<T>(), name, gap, height, inset);
    }

    static constexpr double kSideInset = 20;
    static constexpr double kButtonInset = 60;
    static constexpr double kFieldHeight = 44;

    // One region level: the field showing the choice and, over it, the button that opens the
    // picker. A hidden level takes no room.
    void regionRow(View& tab, double gap, std::shared_ptr<TextField>& field, std::shared_ptr<Button>& button,
                   const std::string& fieldName, const std::string& buttonName, bool hidden) {
        field = place<TextField>(tab, fieldName, gap, kFieldHeight, kSideInset);
        field->setUserInteractionEnabled(false);
        button = place<Button>(tab, buttonName, -kFieldHeight, kFieldHeight, kSideInset);
        field->setHidden(hidden);
        button->setHidden(hidden);
    }

    void buildRegionTab(View& tab) {
        tab.setArrangement(Arrangement::scroll().packed(Pack::start));
        s.lblChoosePlace = place<Label>(tab, "lblChoosePlace", 10, 30, kSideInset);
        regionRow(tab, 10, s.txtViewCountry, s.btnCountry, "txtViewCountry", "btnCountry", false);
        // The state and city rows show once a country with states, or a state, is chosen.
        regionRow(tab, 10, s.txtViewState, s.btnState, "txtViewState", "btnState", true);
        regionRow(tab, 10, s.txtViewCity, s.btnCity, "txtViewCity", "btnCity", true);
        s.btnSearchPlaces = place<Button>(tab, "btnSearchPlaces", 20, kFieldHeight, kButtonInset);
        s.lblSearchAround = place<Label>(tab, "lblSearchAround", 34, 30, kSideInset);
        // The picture keeps its 80 points square, centred.
        s.imgDistance = std::make_shared<ImageView>();
        s.imgDistance->setIdentifier("imgDistance");
        tab.addSubview(s.imgDistance);
        sizeConstraint(tab, s.imgDistance, LayoutAttribute::width, 80, "imgDistanceWidth");
        sizeConstraint(tab, s.imgDistance, LayoutAttribute::height, 80, "imgDistanceHeight");
        offsetConstraint(tab, s.imgDistance, LayoutAttribute::top, LayoutAnchor::previousSibling, 10, "imgDistanceTop");
        s.imgDistance->setImage(Image::named("distance"));
        s.btnSearchAround = place<Button>(tab, "btnSearchAround", 10, kFieldHeight, kButtonInset);
    }

    void buildKeywordTab(View& tab) {
        tab.setArrangement(Arrangement::scroll().packed(Pack::start));
        s.lblChooseKeyword = place<Label>(tab, "lblChooseKeyword", 10, 30, kSideInset);
        s.txtKeyword = place<TextField>(tab, "txtKeyword", 10, kFieldHeight, kSideInset);
        // The exact-search line: its text takes the width the switch leaves.
        auto exact = place<View>(tab, "viewExactSearch", 16, 30, kSideInset);
        exact->setArrangement(Arrangement::row(10, Alignment::fill));
        s.lblExactSearch = addView<Label>(*exact, "lblExactSearch");
        s.lblExactSearch->setStretches(true);
        s.switchExactSearch = addView<Switch>(*exact, "switchExactSearch");
        sizeConstraint(*exact, s.switchExactSearch, LayoutAttribute::width, 60, "switchExactSearchWidth");
        s.btnSearchkeywords = place<Button>(tab, "btnSearchkeywords", 30, kFieldHeight, kButtonInset);
    }

    // The world map over a row of its two buttons, which share the width.
    void buildWorldTab(View& tab, double width, double height) {
        tab.setArrangement(Arrangement::column(10));
        s.webView = addView<WebView>(tab, "webView", Rect(0, 0, width, height - 60));
        auto buttons = addView<StackView>(tab, "stackWorldButtons");
        buttons->setAxis(LayoutAxis::horizontal);
        buttons->setSpacing(20);
        buttons->setDistribution(StackDistribution::fillEqually);
        sizeConstraint(tab, buttons, LayoutAttribute::height, 40, "worldButtonsHeight");
        offsetConstraint(tab, buttons, LayoutAttribute::leading, LayoutAnchor::containerEdge, 20, "worldButtonsLeading");
        offsetConstraint(tab, buttons, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 20, "worldButtonsTrailing");
        offsetConstraint(tab, buttons, LayoutAttribute::bottom, LayoutAnchor::containerEdge, 10, "worldButtonsBottom");
        for (auto* button : {&s.btnLocateMe, &s.btnCenterMap}) {
            *button = std::make_shared<Button>();
            buttons->addArrangedSubview(*button);
        }
        s.btnLocateMe->setIdentifier("btnLocateMe");
        s.btnCenterMap->setIdentifier("btnCenterMap");
    }
};

void SearchController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    SearchLayout{*this, layoutIdiom_}.build(*root);
    wireActions();
}

void SearchController::registerIn(StoryboardRegistry& registry) {
    auto& board = registry.storyboard("Search-ipad");
    // On phones the tour screen, and every screen it opens, comes from the search storyboard with
    // the phone's layouts.
    registry.storyboard("Main");
    board.includeScreensOf(registry.named("Main"));
    board.registerScreen("SearchController", [] {
        auto screen = std::make_shared<SearchController>();
        screen->layoutIdiom_ = Environment::current().device().idiom;
        return screen;
    });
}

}  // namespace tq
