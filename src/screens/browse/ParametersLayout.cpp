// The layout of the settings screen, built in code as the storyboards "Settings-ipad" and "Main"
// hold it: one column scrolling over 400 by 1100 points, with the three choices on top, then the
// About text, a picture and the table of information entries.
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Environment.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/ParametersController.h"

namespace tq {

struct ParametersLayout {
    ParametersController& s;
    double width;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame) {
        auto view = std::make_shared<T>();
        view->setIdentifier(name);
        view->setFrame(frame);
        parent.addSubview(view);
        return view;
    }
    std::shared_ptr<SegmentedControl> segments(View& parent, const std::string& name, std::vector<std::string> titles,
                                               double y) {
        auto control = std::make_shared<SegmentedControl>(titles);
        control->setIdentifier(name);
        control->setFrame(Rect(20, y, width - 40, 32));
        parent.addSubview(control);
        return control;
    }

    void build(View& root) {
        // Every view sits at a frame of its own; the scroll view fills the screen.
        root.setArrangement(Arrangement::overlay());
        s.scrollView = make<ScrollView>(root, "scrollView", root.bounds());
        s.scrollView->setArrangement(Arrangement::fixed());
        auto& column = *s.scrollView;

        s.choicesView = make<View>(column, "choicesView", Rect(0, 0, width, 300));
        s.choicesView->setArrangement(Arrangement::fixed());
        auto& choices = *s.choicesView;
        s.lblLanguage = make<Label>(choices, "lblLanguage", Rect(20, 10, width - 40, 24));
        s.segLang = segments(choices, "segLang", {"English", "Français", "Español"}, 40);
        s.lblUnit = make<Label>(choices, "lblUnit", Rect(20, 90, width - 40, 24));
        s.segUnits = segments(choices, "segUnits", {"Kilometers", "Miles"}, 120);
        s.lblOpenAppTitle = make<Label>(choices, "lblOpenAppTitle", Rect(20, 170, width - 40, 44));
        s.lblOpenAppTitle->setNumberOfLines(2);
        s.lblOpenApp = make<Label>(choices, "lblOpenApp", Rect(20, 215, width - 40, 20));
        s.segOpenApp = segments(choices, "segOpenApp", {"Classic", "Catalog"}, 240);

        s.webView = make<WebView>(column, "webView", Rect(0, 300, width, 260));
        s.imgPatrimoine = make<ImageView>(column, "imgPatrimoine", Rect(20, 570, width - 40, 80));
        s.imgPatrimoine->setContentMode(ContentMode::scaleAspectFit);
        s.tableViewInformation = make<TableView>(column, "tableViewInformation", Rect(0, 660, width, 9 * 44));
        s.tableViewInformation->setScrollEnabled(false);
    }
};

void ParametersController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    ParametersLayout{*this, size.width}.build(*root);
    wireActions();
}

void ParametersController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Settings-ipad", "Main"}) {
        registry.storyboard(name).registerScreen("ParameterViewController",
                                                 [] { return std::make_shared<ParametersController>(); });
    }
}

}  // namespace tq
