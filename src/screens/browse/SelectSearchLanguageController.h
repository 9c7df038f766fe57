#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "model/Replies.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class SearchController;
class StoryboardRegistry;

// A small list in which the visitor picks the language of the tours the search looks for: all
// languages, or one of the client's search languages. The pick goes to the search screen's
// `languageSelected`: 4 for all languages, the row number otherwise.
class SelectSearchLanguageController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    SelectSearchLanguageController();

    std::weak_ptr<SearchController> searchVC;
    std::optional<std::vector<Language>> langList;
    AppDelegate& app;
    std::shared_ptr<TableView> tableview;

    // Registers the screen under "SelectSearchLanguageController" in "Search-ipad".
    static void registerIn(StoryboardRegistry& registry);

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;

protected:
    void loadView() override;
    void viewDidResize() override;
    void viewDidLoad() override;
};

}  // namespace tq
