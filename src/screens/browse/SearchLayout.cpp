// The layout of the search screen, built in code as the storyboard "Search-ipad" holds it: the tab
// control above the three tab views, which lie on one another and show one at a time.
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
        s.viewKeywordSearch->setArrangement(Arrangement::fixed());
        s.viewLocationSearch->setArrangement(Arrangement::fixed());
        buildRegionTab(*s.viewLocationSearch, width);
        buildKeywordTab(*s.viewKeywordSearch, width);
        buildWorldTab(*s.viewWorldSearch, width, height - top);
    }

    // One region level: the field showing the choice and the button over it that opens the picker.
    void regionRow(View& parent, double y, double width, std::shared_ptr<TextField>& field,
                   std::shared_ptr<Button>& button, const std::string& fieldName, const std::string& buttonName,
                   bool hidden) {
        field = addView<TextField>(parent, fieldName, Rect(20, y, width - 40, 44));
        field->setUserInteractionEnabled(false);
        button = addView<Button>(parent, buttonName, Rect(20, y, width - 40, 44));
        field->setHidden(hidden);
        button->setHidden(hidden);
    }

    void buildRegionTab(View& tab, double width) {
        s.lblChoosePlace = addView<Label>(tab, "lblChoosePlace", Rect(20, 10, width - 40, 30));
        regionRow(tab, 50, width, s.txtViewCountry, s.btnCountry, "txtViewCountry", "btnCountry", false);
        // The state and city rows show once a country with states, or a state, is chosen.
        regionRow(tab, 104, width, s.txtViewState, s.btnState, "txtViewState", "btnState", true);
        regionRow(tab, 158, width, s.txtViewCity, s.btnCity, "txtViewCity", "btnCity", true);
        s.btnSearchPlaces = addView<Button>(tab, "btnSearchPlaces", Rect(60, 222, width - 120, 44));
        s.lblSearchAround = addView<Label>(tab, "lblSearchAround", Rect(20, 300, width - 40, 30));
        s.imgDistance = addView<ImageView>(tab, "imgDistance", Rect(width / 2 - 40, 340, 80, 80));
        s.imgDistance->setImage(Image::named("distance"));
        s.btnSearchAround = addView<Button>(tab, "btnSearchAround", Rect(60, 430, width - 120, 44));
    }

    void buildKeywordTab(View& tab, double width) {
        s.lblChooseKeyword = addView<Label>(tab, "lblChooseKeyword", Rect(20, 10, width - 40, 30));
        s.txtKeyword = addView<TextField>(tab, "txtKeyword", Rect(20, 50, width - 40, 44));
        s.lblExactSearch = addView<Label>(tab, "lblExactSearch", Rect(20, 110, width - 110, 30));
        s.switchExactSearch = addView<Switch>(tab, "switchExactSearch", Rect(width - 80, 110, 60, 30));
        s.btnSearchkeywords = addView<Button>(tab, "btnSearchkeywords", Rect(60, 170, width - 120, 44));
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
