#include "screens/browse/SelectSearchLanguageController.h"

#include "app/AppDelegate.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/ListScreenLayout.h"
#include "screens/browse/SearchController.h"
#include "service/Network.h"

namespace tq {
namespace {

constexpr const char* kLanguageCell = "langCell";
// The value of the first row: every language.
constexpr std::int64_t kAllLanguages = 4;

}  // namespace

SelectSearchLanguageController::SelectSearchLanguageController() : app(AppDelegate::shared()) {}

void SelectSearchLanguageController::registerIn(StoryboardRegistry& registry) {
    registry.storyboard("Search-ipad").registerScreen("SelectSearchLanguageController", [] {
        return std::make_shared<SelectSearchLanguageController>();
    });
}

void SelectSearchLanguageController::loadView() {
    auto root = listScreenRoot();
    setView(root);
    tableview = addListTable(*root);
}

void SelectSearchLanguageController::viewDidResize() {
    if (isViewLoaded() && tableview) fitTableToLayout(view(), *tableview);
}

void SelectSearchLanguageController::viewDidLoad() {
    ViewController::viewDidLoad();
    langList = Network::shared().languages;
    auto self = std::static_pointer_cast<SelectSearchLanguageController>(shared_from_this());
    tableview->setDataSource(self);
    tableview->setDelegate(self);
    tableview->reloadData();
}

int SelectSearchLanguageController::numberOfRowsInSection(TableView&, int) {
    return static_cast<int>(langList ? langList->size() : 0) + 1;
}

std::shared_ptr<TableViewCell> SelectSearchLanguageController::cellForRowAt(TableView& tableView, IndexPath indexPath) {
    auto cell = tableView.dequeueReusableCell(kLanguageCell, indexPath);
    std::string text;
    if (indexPath.row == 0) {
        text = app.text("AllLanguage");
    } else if (langList && indexPath.row > 0 && static_cast<std::size_t>(indexPath.row) <= langList->size()) {
        const auto& language = (*langList)[static_cast<std::size_t>(indexPath.row - 1)];
        text = app.lang == kEnglish ? language.lang_en : app.lang == kFrench ? language.lang_fr : language.lang_es;
    }
    cell->textLabel().setText(text);
    return cell;
}

void SelectSearchLanguageController::didSelectRowAt(TableView&, IndexPath indexPath) {
    const auto count = static_cast<int>(langList ? langList->size() : 0);
    if (indexPath.row < 0 || indexPath.row > count) return;
    // Without a search screen the pick has nowhere to go; the picker still closes.
    if (auto search = searchVC.lock()) search->languageSelected = indexPath.row == 0 ? kAllLanguages : indexPath.row;
    dismiss(true);
}

}  // namespace tq
