#include "screens/tour/ContentSelectController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/ContentController.h"

namespace tq {
namespace {

constexpr const char* kCellIdentifier = "contentCell";
constexpr double kHeaderHeight = 50;

}  // namespace

std::string contentKindWord(const std::optional<ContentType>& type) {
    return type ? std::string(contentTypeName(*type)) : std::string("txt");
}

// ---- Cell

ContentListCell::ContentListCell() : TableViewCell(TableViewCellStyle::defaultStyle, kCellIdentifier) {
    lblTitle = std::make_shared<Label>(Rect(15, 0, 300, 44));
    lblTitle->setIdentifier("lblTitle");
    contentView().addSubview(lblTitle);
}

void ContentListCell::setContent(PoiContentRef content) {
    content_ = std::move(content);
    if (!content_) {
        lblTitle->setText("");
        return;
    }
    lblTitle->setText(content_->title.value_or("") + " (" + contentKindWord(content_->content_type) + ")");
}

// ---- Screen

ContentSelectController::ContentSelectController() : app(AppDelegate::shared()) {}

void ContentSelectController::loadView() {
    auto size = presentedContentSize();
    const double width = size.width;
    auto root = std::make_shared<View>(Rect(0, 0, width, size.height));
    // The title and the close button side by side above the list, which takes the rest.
    root->setArrangement(Arrangement::column());
    setView(root);
    lblTitle = std::make_shared<Label>(Rect(0, 0, width - 80, kHeaderHeight));
    lblTitle->setIdentifier("lblTitle");
    btnClose = std::make_shared<Button>(Rect(width - 80, 0, 80, kHeaderHeight));
    btnClose->setIdentifier("btnClose");
    addHeaderRow(*root, lblTitle, btnClose, kHeaderHeight, 80);
    tableView = std::make_shared<TableView>(Rect(0, kHeaderHeight, width, size.height - kHeaderHeight));
    tableView->setIdentifier("tableView");
    root->addSubview(tableView);
    tableView->registerCell(kCellIdentifier, [] { return std::make_shared<ContentListCell>(); });

    std::weak_ptr<ContentSelectController> weak =
        std::static_pointer_cast<ContentSelectController>(shared_from_this());
    btnClose->addAction(ControlEvent::touchUpInside, [weak] {
        if (auto self = weak.lock()) self->dismissView();
    });
}

void ContentSelectController::viewDidLoad() {
    ViewController::viewDidLoad();
    btnClose->setTitle(app.text("Close"));
    lblTitle->setText(app.text("ContentPOI"));
    auto self = std::static_pointer_cast<ContentSelectController>(shared_from_this());
    tableView->setDataSource(std::shared_ptr<TableViewDataSource>(self, self.get()));
    tableView->setDelegate(std::shared_ptr<TableViewDelegate>(self, self.get()));
    tableView->reloadData();
}

int ContentSelectController::numberOfRowsInSection(TableView&, int) { return static_cast<int>(contentList.size()); }

std::shared_ptr<TableViewCell> ContentSelectController::cellForRowAt(TableView& table, IndexPath indexPath) {
    auto cell = table.dequeueReusableCell(kCellIdentifier, indexPath);
    if (auto row = std::dynamic_pointer_cast<ContentListCell>(cell)) {
        row->setContent(contentList.at(static_cast<std::size_t>(indexPath.row)));
    }
    return cell;
}

void ContentSelectController::didSelectRowAt(TableView&, IndexPath indexPath) {
    if (auto screen = contentController.lock()) {
        screen->currentIndex = indexPath.row + 1;
        screen->showContentAtIndex(indexPath.row + 1);
    }
    dismiss(true);
}

void ContentSelectController::dismissView() { dismiss(true); }

void ContentSelectController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("ContentSelectController",
                                                 [] { return std::make_shared<ContentSelectController>(); });
    }
}

}  // namespace tq
