#pragma once

#include <compare>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"

namespace tq {

struct IndexPath {
    int section = 0;
    int row = 0;
    auto operator<=>(const IndexPath&) const = default;
};

enum class TableCellEditingStyle { none, deletion, insertion };
enum class TableScrollPosition { none, top, middle, bottom };
enum class TableRowAnimation { none, fade, right, left, top, bottom, automatic };

// A button shown when a person swipes a row. The handler receives a completion to call with
// whether the action was carried out.
struct ContextualAction {
    enum class Style { normal, destructive };
    Style style = Style::normal;
    std::string title{};
    std::function<void(std::function<void(bool)>)> handler{};
    std::optional<Color> backgroundColor{};
};

struct SwipeActionsConfiguration {
    std::vector<ContextualAction> actions{};
    bool performsFirstActionWithFullSwipe = true;
};

class TableView;

// What a table asks of its data: counts and cells, and edits.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSections(TableView&) { return 1; }
    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    virtual std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) = 0;
    virtual bool canEditRowAt(TableView&, IndexPath) { return true; }
    virtual void commitEditingStyle(TableView&, TableCellEditingStyle, IndexPath) {}
};

// What a table tells, and asks of, the screen that runs it.
class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    virtual void didSelectRowAt(TableView&, IndexPath) {}
    virtual void didDeselectRowAt(TableView&, IndexPath) {}
    // Nothing: the table's rowHeight.
    virtual std::optional<double> heightForRowAt(TableView&, IndexPath) { return std::nullopt; }
    // Nothing: the table's sectionHeaderHeight.
    virtual std::optional<double> heightForHeaderInSection(TableView&, int section) {
        (void)section;
        return std::nullopt;
    }
    virtual void willDisplay(TableView&, TableViewCell&, IndexPath) {}
    virtual TableCellEditingStyle editingStyleForRowAt(TableView&, IndexPath) { return TableCellEditingStyle::deletion; }
    // Nothing: the standard swipe, a Delete button when the row can be deleted.
    virtual std::optional<SwipeActionsConfiguration> trailingSwipeActionsConfigurationForRowAt(TableView&, IndexPath) {
        return std::nullopt;
    }
};

// A list of rows in sections. Only the rows in sight have cells: those that the content offset
// and the table's height show. reloadData asks the delegate for every row's height (the content
// size follows from them) and the data source for the cells in sight; scrolling (`scrollTo`,
// `scrollToRow`, a new offset or frame) asks for the cells of rows coming into sight and hands the
// cells of rows leaving it back to the reuse pool.
// Data source and delegate are held weakly, as on the platform; the screen that owns the table
// usually is both.
class TableView : public ScrollView {
public:
    using CellFactory = std::function<std::shared_ptr<TableViewCell>()>;

    using ScrollView::ScrollView;

    void setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource) { dataSource_ = dataSource; }
    void setDelegate(const std::shared_ptr<TableViewDelegate>& delegate) { delegate_ = delegate; }
    std::shared_ptr<TableViewDataSource> dataSource() const { return dataSource_.lock(); }
    std::shared_ptr<TableViewDelegate> delegate() const { return delegate_.lock(); }

    // Cells: a factory per reuse identifier; dequeuing hands out a cell that left the screen, or a
    // new one. An identifier without a factory gives a plain default-style cell.
    void registerCell(const std::string& reuseIdentifier, CellFactory factory);
    std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& reuseIdentifier);
    std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& reuseIdentifier, IndexPath indexPath);

    void reloadData();
    // The data source has already dropped or added the rows; the table asks again.
    void deleteRows(const std::vector<IndexPath>& indexPaths, TableRowAnimation animation = TableRowAnimation::automatic);
    void insertRows(const std::vector<IndexPath>& indexPaths, TableRowAnimation animation = TableRowAnimation::automatic);
    void reloadRows(const std::vector<IndexPath>& indexPaths, TableRowAnimation animation = TableRowAnimation::automatic);
    int reloadCount() const { return reloadCount_; }

    int numberOfSections() const { return static_cast<int>(places_.size()); }
    int numberOfRows(int section) const;
    // The cell of a row in sight; null for a row out of sight.
    std::shared_ptr<TableViewCell> cellForRowAt(IndexPath indexPath) const;
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    // The height the delegate gave the row at the last reload (rowHeight without a delegate answer).
    std::optional<double> heightOfRow(IndexPath indexPath) const;
    // Where the row sits in the content, whether in sight or not.
    std::optional<Rect> rectForRow(IndexPath indexPath) const;
    // The space above the section's rows, as the delegate gave it at the last reload (0 for a section
    // that is not there).
    double heightOfHeader(int section) const;

    // A person taps a row: it becomes selected and the delegate hears didSelectRowAt. Nothing
    // happens for a row out of sight, while selection is off, or while the table takes no touches.
    bool selectRow(IndexPath indexPath);
    // Code selects or deselects: the delegate hears nothing.
    void selectRow(IndexPath indexPath, bool animated, TableScrollPosition position);
    void deselectRow(IndexPath indexPath, bool animated);
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) {
        allowsSelection_ = allows;
        changed("allowsSelection");
    }

    bool isEditing() const { return editing_; }
    void setEditing(bool editing, bool animated = false);
    // What a person sees on swiping the row; nothing when the row cannot be edited.
    std::optional<SwipeActionsConfiguration> trailingSwipeActions(IndexPath indexPath);
    // A person swipes the row and taps the button titled `title`.
    bool performSwipeAction(IndexPath indexPath, const std::string& title);
    // What the row in sight shows in editing mode (`deletion`: a delete control); `none` for a row
    // that cannot be edited or is out of sight.
    TableCellEditingStyle editingStyleOfRow(IndexPath indexPath);
    // A person in editing mode taps the row's delete control and confirms.
    bool tapDeleteConfirmation(IndexPath indexPath);

    // Sets the offset so that the row sits at the top, middle or bottom of the table (`none`: moves
    // only as far as needed to bring it into sight), within the content; rows out of range are ignored.
    void scrollToRow(IndexPath indexPath, TableScrollPosition position, bool animated);

    void setFrame(Rect frame) override;

    const std::shared_ptr<View>& tableHeaderView() const { return header_; }
    void setTableHeaderView(std::shared_ptr<View> view);
    const std::shared_ptr<View>& tableFooterView() const { return footer_; }
    void setTableFooterView(std::shared_ptr<View> view);
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height) {
        rowHeight_ = height;
        changed("rowHeight");
    }
    double estimatedRowHeight() const { return estimatedRowHeight_; }
    void setEstimatedRowHeight(double height) {
        estimatedRowHeight_ = height;
        changed("estimatedRowHeight");
    }
    // Sections carry no titles here, so their headers take no room unless asked to.
    double sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(double height) {
        sectionHeaderHeight_ = height;
        changed("sectionHeaderHeight");
    }
    const EdgeInsets& separatorInset() const { return separatorInset_; }
    void setSeparatorInset(EdgeInsets insets) {
        separatorInset_ = insets;
        changed("separatorInset");
    }

protected:
    // The rows, header and footer sit at the frames the table gives them.
    Arrangement defaultArrangement() const override { return Arrangement::fixed(); }
    void contentOffsetDidChange() override { tileRows(); }

private:
    struct RowPlace {
        double y;
        double height;
    };
    struct ShownRow {
        IndexPath indexPath;
        std::shared_ptr<TableViewCell> cell;
    };
    bool isShown(IndexPath indexPath) const;
    bool isValid(IndexPath indexPath) const;
    const RowPlace* placeOf(IndexPath indexPath) const;
    std::vector<IndexPath> rowsInSight() const;
    // Gives rows coming into sight their cells and takes them from rows leaving it.
    void tileRows();
    void recycle(const std::shared_ptr<TableViewCell>& cell);
    void recycleShownCells();
    double maximumOffset() const;
    std::weak_ptr<TableViewDataSource> dataSource_;
    std::weak_ptr<TableViewDelegate> delegate_;
    std::map<std::string, CellFactory> factories_;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> pool_;
    // Every row's place in the content, by section, as the last reload measured them.
    std::vector<std::vector<RowPlace>> places_;
    std::vector<double> headerHeights_;
    std::vector<ShownRow> shown_;
    std::optional<IndexPath> selected_;
    bool allowsSelection_ = true;
    bool editing_ = false;
    int reloadCount_ = 0;
    // Counts tilings, so that one interrupted by another (a data source reloading from inside
    // cellForRowAt) gives way to it.
    int tilings_ = 0;
    std::shared_ptr<View> header_;
    std::shared_ptr<View> footer_;
    double rowHeight_ = 44;
    double estimatedRowHeight_ = 0;
    double sectionHeaderHeight_ = 0;
    EdgeInsets separatorInset_{0, 15, 0, 0};
};

}  // namespace tq
