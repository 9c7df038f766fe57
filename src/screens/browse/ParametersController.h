#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The settings screen: the interface language, the distance unit and the opening screen of the
// application, then the About text and the table of information entries, each opening on an
// information page. Every choice takes effect at once, in the application's state and in the
// stored settings. The screen's own captions are fixed texts in the three languages; the
// information entries and the About text come from the text dictionary.
class ParametersController : public ViewController,
                             public WebNavigationDelegate,
                             public TableViewDataSource,
                             public TableViewDelegate {
public:
    ParametersController();

    // Outlets, filled by the storyboard.
    std::shared_ptr<TableView> tableViewInformation;
    std::shared_ptr<View> choicesView;
    std::shared_ptr<ScrollView> scrollView;
    std::shared_ptr<WebView> webView;
    std::shared_ptr<ImageView> imgPatrimoine;
    std::shared_ptr<SegmentedControl> segLang;
    std::shared_ptr<Label> lblLanguage;
    std::shared_ptr<SegmentedControl> segUnits;
    std::shared_ptr<Label> lblUnit;
    std::shared_ptr<Label> lblOpenAppTitle;
    std::shared_ptr<Label> lblOpenApp;
    std::shared_ptr<SegmentedControl> segOpenApp;
    AppDelegate& app;
    // The titles of the information rows, in row order.
    std::vector<std::string> arrayCellTitle;

    // Registers the screen under "ParameterViewController" in "Settings-ipad" and "Main".
    static void registerIn(StoryboardRegistry& registry);

    void applyInterfaceLanguage(std::int64_t language);
    void btnlang(SegmentedControl& sender);
    void btnChangeUnit(SegmentedControl& sender);
    void setChangeOpenAppSetting(SegmentedControl& sender);
    void loadInformationTexts();

    // The information table.
    bool canEditRowAt(TableView& tableView, IndexPath indexPath) override;
    int numberOfSections(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    // The information table lays its rows out at its own width: it follows the screen's.
    void viewDidResize() override;

private:
    friend struct ParametersLayout;
    std::weak_ptr<ParametersController> weakSelf();
    void wireActions();
};

// One information entry: the dictionary keys of its title and of its page's text.
struct InformationEntry {
    const char* titleKey;
    const char* textKey;
};

// The nine entries of the information table, in row order.
const std::vector<InformationEntry>& informationEntries();

// The About page: the idiom's template around the dictionary's "AboutIntro" text.
std::string aboutPageHtml(const std::string& intro, bool pad);

}  // namespace tq
