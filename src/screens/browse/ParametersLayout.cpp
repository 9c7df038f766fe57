// The layout of the settings screen, built in code as the storyboards "Settings-ipad" and "Main"
// hold it: one column scrolling over the whole screen, with the three choices on top, then the
// About text, a picture and the table of information entries. Every part spans the screen's width,
// so a turned device lays the same column out at its new width.
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/ParametersController.h"

namespace tq {

struct ParametersLayout {
    ParametersController& s;

    static constexpr double kSideInset = 20;

    // `view` as the next part of `column` (see addColumnPart); a part with no inset takes the
    // column's own placing across.
    template <class T>
    static std::shared_ptr<T> place(View& column, std::shared_ptr<T> view, const std::string& name, double gap,
                                    double height, double inset) {
        return addColumnPart(column, std::move(view), name, gap, height, inset > 0 ? inset : -1);
    }
    template <class T>
    static std::shared_ptr<T> place(View& column, const std::string& name, double gap, double height, double inset) {
        return place(column, std::make_shared<T>(), name, gap, height, inset);
    }
    std::shared_ptr<SegmentedControl> segments(View& column, const std::string& name, std::vector<std::string> titles,
                                               double gap) {
        return place(column, std::make_shared<SegmentedControl>(std::move(titles)), name, gap, 32, kSideInset);
    }

    void build(View& root) {
        root.setArrangement(Arrangement::overlay());
        s.scrollView = addView<ScrollView>(root, "scrollView", root.bounds());
        s.scrollView->setArrangement(Arrangement::scroll().packed(Pack::start));
        auto& column = *s.scrollView;

        s.choicesView = place<View>(column, "choicesView", 0, 300, 0);
        s.choicesView->setArrangement(Arrangement::column().packed(Pack::start));
        auto& choices = *s.choicesView;
        s.lblLanguage = place<Label>(choices, "lblLanguage", 10, 24, kSideInset);
        s.segLang = segments(choices, "segLang", {"English", "Français", "Español"}, 6);
        s.lblUnit = place<Label>(choices, "lblUnit", 18, 24, kSideInset);
        s.segUnits = segments(choices, "segUnits", {"Kilometers", "Miles"}, 6);
        s.lblOpenAppTitle = place<Label>(choices, "lblOpenAppTitle", 18, 44, kSideInset);
        s.lblOpenAppTitle->setNumberOfLines(2);
        s.lblOpenApp = place<Label>(choices, "lblOpenApp", 1, 20, kSideInset);
        s.segOpenApp = segments(choices, "segOpenApp", {"Classic", "Catalog"}, 5);

        s.webView = place<WebView>(column, "webView", 0, 260, 0);
        s.imgPatrimoine = place<ImageView>(column, "imgPatrimoine", 10, 80, kSideInset);
        s.imgPatrimoine->setContentMode(ContentMode::scaleAspectFit);
        s.tableViewInformation = place<TableView>(column, "tableViewInformation", 10, kTableHeight, 0);
        s.tableViewInformation->setScrollEnabled(false);
        fitTable(s, root.frame().width());
    }

    // Every row in sight at once (the table does not scroll), as wide as the screen.
    static constexpr double kTableHeight = 9 * 44;
    static void fitTable(ParametersController& screen, double width) {
        screen.tableViewInformation->setFrame(Rect(0, 0, width, kTableHeight));
    }
};

void ParametersController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    ParametersLayout{*this}.build(*root);
    wireActions();
}

void ParametersController::viewDidResize() {
    if (tableViewInformation && isViewLoaded()) ParametersLayout::fitTable(*this, view().frame().width());
}

void ParametersController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Settings-ipad", "Main"}) {
        registry.storyboard(name).registerScreen("ParameterViewController",
                                                 [] { return std::make_shared<ParametersController>(); });
    }
}

}  // namespace tq
