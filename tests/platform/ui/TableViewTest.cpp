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

std::vector<std::string> tours(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("tour " + std::to_string(i));
    return names;
}

// The rows that have cells, as "first..last" of section 0 (rows in sight are consecutive).
std::string rowsInSight(const TableView& table) {
    auto paths = table.indexPathsForVisibleRows();
    if (paths.empty()) return "none";
    return std::to_string(paths.front().row) + ".." + std::to_string(paths.back().row);
}

// 1000 rows in a table 700 high: row 0 is 130 high, the others 44; the content is 44086 high.
TEST(TableRowsInSight, OnlyTheRowsTheOffsetAndHeightShowHaveCells) {
    Table t(tours(1000));
    t.table->reloadData();
    EXPECT_EQ(t.table->numberOfRows(0), 1000);
    EXPECT_EQ(t.table->contentSize().height, 130 + 999 * 44);
    EXPECT_EQ(rowsInSight(*t.table), "0..13");
    EXPECT_EQ(t.list->cellRequests, 14);
    EXPECT_EQ(t.table->cellForRowAt({0, 1})->frame().origin.y, 130);
    EXPECT_EQ(t.table->cellForRowAt({0, 60}), nullptr);
    EXPECT_EQ(t.table->heightOfRow({0, 0}), 130);
    EXPECT_EQ(t.table->heightOfRow({0, 600}), 44) << "every row is measured, in sight or not";

    const struct {
        double offset;
        const char* rows;
    } cases[] = {
        {130, "1..16"},     // row 0 ends exactly at the top: out of sight
        {150, "1..17"},     // row 1 partly in sight at the top, row 17 at the bottom
        {22000, "498..513"},
        {43386, "984..999"},  // the end of the content
        {0, "0..13"},       // back to the top
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(t.table->scrollTo({0, c.offset}));
        EXPECT_EQ(rowsInSight(*t.table), c.rows) << "offset " << c.offset;
        // Only the cells in sight hang in the tree; the others wait in the pool.
        EXPECT_EQ(t.table->subviews().size(), t.table->visibleCells().size()) << "offset " << c.offset;
    }
    int made = 0;
    for (const auto& cell : t.table->visibleCells()) made += dynamic_cast<CountingCell&>(*cell).awakenings;
    EXPECT_EQ(made, 14) << "cells leaving the sight are reused, not made anew";
}

TEST(TableRowsInSight, ARowComingIntoSightIsConfiguredLaidOutAndAnnounced) {
    Table t(tours(1000));
    t.table->reloadData();
    t.list->displayed.clear();
    ASSERT_TRUE(t.table->scrollTo({0, 130 + 499 * 44}));
    auto cell = t.table->cellForRowAt({0, 500});
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel().text(), "tour 500");
    EXPECT_EQ(cell->frame(), Rect(0, 130 + 499 * 44, 390, 44));
    EXPECT_EQ(t.table->rectForRow({0, 500}), cell->frame());
    EXPECT_EQ(t.table->indexPathForCell(*cell), (IndexPath{0, 500}));
    auto& counting = dynamic_cast<CountingCell&>(*cell);
    EXPECT_EQ(counting.reuses, 1) << "a cell that left the sight, prepared for its new row";
    EXPECT_EQ(counting.layouts, 2);
    EXPECT_EQ(t.list->displayed.front(), "tour 500");
    EXPECT_EQ(t.list->displayed.size(), t.table->visibleCells().size());

    // Scrolling is a person's gesture: not while it is off.
    t.table->setScrollEnabled(false);
    EXPECT_FALSE(t.table->scrollTo({0, 0}));
    EXPECT_EQ(t.table->cellForRowAt({0, 0}), nullptr);
}

TEST(TableRowsInSight, SelectionByIndexPathFollowsTheRowThroughScrolling) {
    Table t(tours(1000));
    t.table->reloadData();
    EXPECT_FALSE(t.table->selectRow({0, 500})) << "a row out of sight cannot be tapped";
    t.table->scrollToRow({0, 500}, TableScrollPosition::top, false);
    EXPECT_TRUE(t.table->selectRow({0, 500}));
    EXPECT_EQ(t.list->selected, (std::vector<int>{500}));
    EXPECT_TRUE(t.table->cellForRowAt({0, 500})->isSelected());

    // Away and back: the row's new cell shows the selection; the cell reused elsewhere does not.
    t.table->scrollTo({0, 0});
    for (const auto& cell : t.table->visibleCells()) EXPECT_FALSE(cell->isSelected());
    t.table->scrollTo({0, 130 + 495 * 44});
    EXPECT_TRUE(t.table->cellForRowAt({0, 500})->isSelected());
    EXPECT_FALSE(t.table->cellForRowAt({0, 499})->isSelected());

    // Code selects a row far away and brings it into sight.
    t.table->selectRow({0, 900}, false, TableScrollPosition::middle);
    EXPECT_EQ(t.table->indexPathForSelectedRow(), (IndexPath{0, 900}));
    ASSERT_NE(t.table->cellForRowAt({0, 900}), nullptr);
    EXPECT_TRUE(t.table->cellForRowAt({0, 900})->isSelected());
    EXPECT_EQ(t.list->selected, (std::vector<int>{500}));
}

TEST(TableRowsInSight, ReloadingFewerRowsOrGrowingTheTableKeepsRowsInSight) {
    Table t(tours(1000));
    t.table->reloadData();
    t.table->scrollTo({0, 40000});
    t.list->names = tours(30);  // 130 + 29 * 44 = 1406 high
    t.table->reloadData();
    EXPECT_EQ(t.table->contentOffset().y, 1406 - 700);
    EXPECT_EQ(rowsInSight(*t.table), "14..29");

    t.table->scrollTo({0, 0});
    t.table->setFrame(Rect(0, 0, 844, 1406));  // turned, and as high as the content
    EXPECT_EQ(rowsInSight(*t.table), "0..29");
    EXPECT_EQ(t.table->cellForRowAt({0, 3})->frame().width(), 844);

    t.table->setFrame(Rect(0, 0, 844, 0));
    EXPECT_EQ(rowsInSight(*t.table), "none") << "a table without height shows no row";
}

// A list that swaps its data and reloads from inside cellForRowAt once, when asked for one row.
class ReloadingList : public NameList {
public:
    using NameList::NameList;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override {
        if (indexPath.row == reloadAt) {
            reloadAt = -1;
            names = tours(600);
            for (auto& name : names) name = "new " + name;
            table.reloadData();
        }
        return NameList::cellForRowAt(table, indexPath);
    }
    int reloadAt = -1;
};

TEST(TableRowsInSight, AReloadFromInsideCellForRowAtLeavesOneCellPerRowInSight) {
    auto list = std::make_shared<ReloadingList>(tours(1000));
    auto table = std::make_shared<TableView>(Rect(0, 0, 390, 700));
    table->setDataSource(list);
    table->setDelegate(list);
    table->reloadData();
    list->reloadAt = 505;  // comes into sight halfway through the scroll below
    table->scrollTo({0, 130 + 499 * 44});
    EXPECT_EQ(rowsInSight(*table), "500..515");
    EXPECT_EQ(table->visibleCells().size(), 16u);
    ASSERT_EQ(table->subviews().size(), 16u) << "one cell per row, none left over from before the reload";
    for (const auto& view : table->subviews()) {
        auto& cell = dynamic_cast<TableViewCell&>(*view);
        auto path = table->indexPathForCell(cell);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(cell.textLabel().text(), "new tour " + std::to_string(path->row));
    }
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
    Table t(tours(40));
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
    auto table = std::make_shared<TableView>(Rect(0, 0, 390, 700));
    table->setDataSource(list);
    table->setDelegate(list);
    table->reloadData();
    EXPECT_FALSE(table->trailingSwipeActions({0, 0}).has_value());
    EXPECT_FALSE(table->performSwipeAction({0, 1}, "Delete"));
    EXPECT_TRUE(table->performSwipeAction({0, 1}, "Update"));
    EXPECT_EQ(list->updates, 1);
    EXPECT_EQ(list->names.size(), 2u);
    // In editing mode only the rows the screen lets go show a delete control, and only they delete.
    table->setEditing(true);
    EXPECT_EQ(table->editingStyleOfRow({0, 0}), TableCellEditingStyle::none);
    EXPECT_EQ(table->editingStyleOfRow({0, 1}), TableCellEditingStyle::deletion);
    EXPECT_EQ(table->editingStyleOfRow({0, 5}), TableCellEditingStyle::none);
    EXPECT_FALSE(table->tapDeleteConfirmation({0, 0}));
    EXPECT_EQ(list->names.size(), 2u);
}

TEST(TableScrolling, ScrollsToARowAtTheAskedPositionWithinTheContent) {
    Table t(tours(100));  // rows at 20 + 130 + 44 * (row - 1) under a 20-point header; 4506 high
    t.table->setTableHeaderView(std::make_shared<View>(Rect(0, 0, 390, 20)));
    t.table->reloadData();
    const double row10 = 20 + 130 + 9 * 44;
    const struct {
        IndexPath row;
        TableScrollPosition position;
        double from;
        double offset;
    } cases[] = {
        {{0, 2}, TableScrollPosition::top, 0, 20 + 130 + 44},
        {{0, 10}, TableScrollPosition::middle, 0, row10 - (700 - 44) / 2.0},
        {{0, 10}, TableScrollPosition::bottom, 0, 0},                 // already at the bottom's reach
        {{0, 30}, TableScrollPosition::bottom, 0, row10 + 20 * 44 + 44 - 700},
        {{0, 10}, TableScrollPosition::none, 0, 0},                   // in sight: no move
        {{0, 40}, TableScrollPosition::none, 0, row10 + 30 * 44 + 44 - 700},
        {{0, 10}, TableScrollPosition::none, 3000, row10},
        {{0, 99}, TableScrollPosition::top, 0, 4506 - 700},           // no further than the end
        {{0, 0}, TableScrollPosition::middle, 500, 0},
        {{0, 100}, TableScrollPosition::top, 123, 123},               // no such row: no move
        {{3, 0}, TableScrollPosition::top, 123, 123},
    };
    for (const auto& c : cases) {
        t.table->setContentOffset({0, c.from});
        t.table->scrollToRow(c.row, c.position, false);
        EXPECT_EQ(t.table->contentOffset().y, c.offset) << "row " << c.row.row << " position " << int(c.position);
        if (t.table->rectForRow(c.row)) {
            EXPECT_NE(t.table->cellForRowAt(c.row), nullptr) << "row " << c.row.row << " is in sight";
        }
    }
}

}  // namespace
}  // namespace tq
