#pragma once

#include <algorithm>

#include <memory>
#include <vector>

#include "model/PoiContent.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class ContentController;
class StoryboardRegistry;

// One row of the content list: a content's title and kind.
class ContentListCell : public TableViewCell {
public:
    ContentListCell();

    PoiContentRef content() const { return content_; }
    // Assigning a content shows its title and kind word: "History (txt)".
    void setContent(PoiContentRef content);

    std::shared_ptr<Label> lblTitle;

protected:
    // The title spans the row, 15 points in from each side.
    void contentViewDidResize(Size size) override {
        if (lblTitle) lblTitle->setFrame(Rect(15, 0, std::max(0.0, size.width - 30), size.height));
    }

private:
    PoiContentRef content_;
};

// The list of the contents of the point shown on the content screen; picking one shows it there.
class ContentSelectController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    ContentSelectController();

    AppDelegate& app;
    // The content screen that opened the list.
    std::weak_ptr<ContentController> contentController;
    std::vector<PoiContentRef> contentList;

    // Outlets, filled by the storyboard.
    std::shared_ptr<Button> btnClose;
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<TableView> tableView;

    // Registers the screen under "ContentSelectController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;
    void dismissView();

protected:
    void loadView() override;
    void viewDidLoad() override;
};

// How the list names a content's kind: the kind's name, and "txt" for a content without one.
std::string contentKindWord(const std::optional<ContentType>& type);

}  // namespace tq
