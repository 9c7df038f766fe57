#include <gtest/gtest.h>

#include "platform/ui/TableView.h"

namespace tq {
namespace {

class CountingCell : public TableViewCell {
public:
    using TableViewCell::TableViewCell;
    void awakeFromNib() override { ++awakenings; }
    void prepareForReuse() override { ++reuses; }
    int awakenings = 0;
    int reuses = 0;
    int layouts = 0;

protected:
    void layoutSubviews() override { ++layouts; }
};

// A list of names in one section, answering as a screen would, and remembering what it was told.
class NameList : public TableViewDataSource, public TableViewDelegate {
public:
    explicit NameList(std::vector<std::string> names) : names(std::move(names)) {}
    int numberOfRowsInSection(TableView&, int) override { return static_cast<int>(names.size()); }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override {
        ++cellRequests;
        auto cell = table.dequeueReusableCell("nameCell", indexPath);
        cell->textLabel().setText(names[static_cast<std::size_t>(indexPath.row)]);
        return cell;
    }
    void commitEditingStyle(TableView& table, TableCellEditingStyle style, IndexPath indexPath) override {
        if (style != TableCellEditingStyle::deletion) return;
        names.erase(names.begin() + indexPath.row);
        table.deleteRows({indexPath});
    }
    void didSelectRowAt(TableView&, IndexPath indexPath) override { selected.push_back(indexPath.row); }
    std::optional<double> heightForRowAt(TableView&, IndexPath indexPath) override {
        return indexPath.row == 0 ? std::optional<double>(130) : std::nullopt;
    }
    void willDisplay(TableView&, TableViewCell& cell, IndexPath) override { displayed.push_back(cell.textLabel().text()); }

    std::vector<std::string> names;
    std::vector<int> selected;
    std::vector<std::string> displayed;
    int cellRequests = 0;
};

struct Table {
    explicit Table(std::vector<std::string> names) : list(std::make_shared<NameList>(std::move(names))) {
        table->setDataSource(list);
        table->setDelegate(list);
        table->registerCell("nameCell", [] { return std::make_shared<CountingCell>(); });
    }
    std::shared_ptr<TableView> table = std::make_shared<TableView>(Rect(0, 0, 390, 700));
    std::shared_ptr<NameList> list;
};

std::vector<std::string> shownTexts(const TableView& table) {
    std::vector<std::string> texts;
    for (const auto& cell : table.visibleCells()) texts.push_back(cell->textLabel().text());
    return texts;
}

TEST(TableReload, AsksForEveryRowUpToTheCapWithHeightsAndDisplayNotices) {
    std::vector<std::string> many;
    for (int i = 0; i < 70; ++i) many.push_back("tour " + std::to_string(i));
    Table t(many);
    t.table->reloadData();
    EXPECT_EQ(t.table->numberOfRows(0), 70);
    EXPECT_EQ(t.list->cellRequests, TableView::defaultVisibleRowLimit);
    EXPECT_EQ(t.table->visibleCells().size(), 50u);
    EXPECT_EQ(t.list->displayed.front(), "tour 0");
    EXPECT_EQ(t.table->cellForRowAt({0, 3})->textLabel().text(), "tour 3");
    EXPECT_EQ(t.table->cellForRowAt({0, 60}), nullptr);  // beyond what is shown
    EXPECT_EQ(t.table->heightOfRow({0, 0}), 130);
    EXPECT_EQ(t.table->heightOfRow({0, 1}), 44);
    EXPECT_EQ(t.table->cellForRowAt({0, 1})->frame().origin.y, 130);
    auto* cell = dynamic_cast<CountingCell*>(t.table->cellForRowAt({0, 2}).get());
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->layouts, 1);  // laid out once shown, as rows rely on layoutSubviews
}

TEST(TableReload, ReusesCellsThatLeftTheScreen) {
    Table t({"a", "b", "c"});
    t.table->reloadData();
    auto first = std::dynamic_pointer_cast<CountingCell>(t.table->cellForRowAt({0, 0}));
    t.list->names = {"x", "y"};
    t.table->reloadData();
    EXPECT_EQ(shownTexts(*t.table), (std::vector<std::string>{"x", "y"}));
    int reused = 0;
    for (const auto& cell : t.table->visibleCells()) {
        auto counting = std::dynamic_pointer_cast<CountingCell>(cell);
        EXPECT_EQ(counting->awakenings, 1);
        reused += counting->reuses;
    }
    EXPECT_EQ(reused, 2);
    EXPECT_EQ(t.table->subviews().size(), 2u);  // the third cell waits in the pool, off the tree
    EXPECT_EQ(first->reuseIdentifier(), "nameCell");

    auto plain = t.table->dequeueReusableCell("regionCell");
    EXPECT_EQ(plain->reuseIdentifier(), "regionCell");
    EXPECT_EQ(plain->style(), TableViewCellStyle::defaultStyle);
}

TEST(TableReload, ATableWhoseDataSourceIsGoneShowsNothing) {
    Table t({"a"});
    t.table->reloadData();
    t.list.reset();
    t.table->reloadData();
    EXPECT_TRUE(t.table->visibleCells().empty());
    EXPECT_EQ(t.table->numberOfSections(), 0);
    EXPECT_FALSE(t.table->selectRow({0, 0}));
}

TEST(TableSelection, APersonsTapReachesTheDelegateOnlyWhenTheRowCanBeTapped) {
    Table t({"a", "b"});
    t.table->reloadData();
    EXPECT_TRUE(t.table->selectRow({0, 1}));
    EXPECT_EQ(t.table->indexPathForSelectedRow(), (IndexPath{0, 1}));
    EXPECT_TRUE(t.table->cellForRowAt({0, 1})->isSelected());

    EXPECT_FALSE(t.table->selectRow({0, 5}));
    EXPECT_FALSE(t.table->selectRow({1, 0}));
    t.table->setUserInteractionEnabled(false);  // locked during an update
    EXPECT_FALSE(t.table->selectRow({0, 0}));
    t.table->setUserInteractionEnabled(true);
    t.table->setEditing(true);
    EXPECT_FALSE(t.table->selectRow({0, 0}));
    EXPECT_EQ(t.list->selected, (std::vector<int>{1}));

    t.table->deselectRow({0, 1}, false);
    EXPECT_FALSE(t.table->indexPathForSelectedRow().has_value());
    EXPECT_FALSE(t.table->cellForRowAt({0, 1})->isSelected());
}

TEST(TableSelection, CodeSelectsWithoutTellingTheDelegate) {
    Table t({"a", "b"});
    t.table->reloadData();
    t.table->selectRow({0, 1}, false, TableScrollPosition::top);
    EXPECT_EQ(t.table->indexPathForSelectedRow(), (IndexPath{0, 1}));
    EXPECT_TRUE(t.list->selected.empty());
    EXPECT_EQ(t.table->contentOffset().y, 130);
}

TEST(TableDeletion, TheStandardSwipeAndTheEditingControlCommitTheDeletion) {
    Table t({"a", "b", "c"});
    t.table->reloadData();
    auto swipe = t.table->trailingSwipeActions({0, 1});
    ASSERT_TRUE(swipe.has_value());
    ASSERT_EQ(swipe->actions.size(), 1u);
    EXPECT_EQ(swipe->actions[0].style, ContextualAction::Style::destructive);
    EXPECT_TRUE(t.table->performSwipeAction({0, 1}, "Delete"));
    EXPECT_EQ(shownTexts(*t.table), (std::vector<std::string>{"a", "c"}));

    EXPECT_FALSE(t.table->tapDeleteConfirmation({0, 0}));  // not in editing mode
    t.table->setEditing(true);
    EXPECT_TRUE(t.table->cellForRowAt({0, 0})->isEditing());
    EXPECT_TRUE(t.table->tapDeleteConfirmation({0, 0}));
    EXPECT_EQ(shownTexts(*t.table), (std::vector<std::string>{"c"}));
}

class GuardedList : public NameList {
public:
    using NameList::NameList;
    bool canEditRowAt(TableView&, IndexPath indexPath) override { return indexPath.row != 0; }
    std::optional<SwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAt(TableView&, IndexPath) override {
        ContextualAction update{ContextualAction::Style::normal, "Update", [this](std::function<void(bool)> done) {
                                    ++updates;
                                    done(true);
                                }, std::nullopt};
        return SwipeActionsConfiguration{{update}, false};
    }
    int updates = 0;
};

TEST(TableDeletion, TheScreensOwnSwipeActionsAndEditabilityApply) {
    auto list = std::make_shared<GuardedList>(std::vector<std::string>{"a", "b"});
    auto table = std::make_shared<TableView>();
    table->setDataSource(list);
    table->setDelegate(list);
    table->reloadData();
    EXPECT_FALSE(table->trailingSwipeActions({0, 0}).has_value());
    EXPECT_FALSE(table->performSwipeAction({0, 1}, "Delete"));
    EXPECT_TRUE(table->performSwipeAction({0, 1}, "Update"));
    EXPECT_EQ(list->updates, 1);
    EXPECT_EQ(list->names.size(), 2u);
}

TEST(TableScrolling, ScrollsToAShownRowAndIgnoresOthers) {
    Table t({"a", "b", "c"});
    auto header = std::make_shared<View>(Rect(0, 0, 390, 20));
    t.table->setTableHeaderView(header);
    t.table->reloadData();
    t.table->scrollToRow({0, 2}, TableScrollPosition::top, false);
    EXPECT_EQ(t.table->contentOffset().y, 20 + 130 + 44);
    t.table->scrollToRow({0, 9}, TableScrollPosition::top, false);
    t.table->scrollToRow({3, 0}, TableScrollPosition::top, false);
    EXPECT_EQ(t.table->contentOffset().y, 20 + 130 + 44);
}

}  // namespace
}  // namespace tq
