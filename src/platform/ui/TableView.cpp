#include "platform/ui/TableView.h"

#include <algorithm>

namespace tq {

void TableView::registerCell(const std::string& reuseIdentifier, CellFactory factory) {
    if (factory) factories_[reuseIdentifier] = std::move(factory);
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& reuseIdentifier) {
    auto& pool = pool_[reuseIdentifier];
    if (!pool.empty()) {
        auto cell = pool.back();
        pool.pop_back();
        cell->setSelected(false);
        cell->prepareForReuse();
        return cell;
    }
    std::shared_ptr<TableViewCell> cell;
    auto factory = factories_.find(reuseIdentifier);
    if (factory != factories_.end()) cell = factory->second();
    if (!cell) cell = std::make_shared<TableViewCell>(TableViewCellStyle::defaultStyle, reuseIdentifier);
    cell->reuseIdentifier_ = reuseIdentifier;
    cell->awakeFromNib();
    return cell;
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& reuseIdentifier, IndexPath) {
    return dequeueReusableCell(reuseIdentifier);
}

void TableView::recycleShownCells() {
    for (auto& row : shown_) {
        if (!row.cell) continue;
        row.cell->removeFromSuperview();
        pool_[row.cell->reuseIdentifier()].push_back(row.cell);
    }
    shown_.clear();
}

void TableView::reloadData() {
    ++reloadCount_;
    auto keep = weak_from_this().lock();  // the data source may drop the last reference meanwhile
    auto source = dataSource();
    auto del = delegate();
    recycleShownCells();
    rowCounts_.clear();
    headerHeights_.clear();
    selected_.reset();
    if (!source) return;

    int sections = std::max(0, source->numberOfSections(*this));
    for (int section = 0; section < sections; ++section) {
        rowCounts_.push_back(std::max(0, source->numberOfRowsInSection(*this, section)));
        double header = sectionHeaderHeight_;
        if (del) header = del->heightForHeaderInSection(*this, section).value_or(sectionHeaderHeight_);
        headerHeights_.push_back(header);
    }
    // Gather the cells first: a data source that reloads from inside cellForRowAt must not find
    // half-built state.
    std::vector<ShownRow> rows;
    double y = header_ ? header_->frame().height() : 0;
    for (int section = 0; section < sections; ++section) {
        y += heightOfHeader(section);
        for (int row = 0; row < rowCounts_[static_cast<std::size_t>(section)]; ++row) {
            if (static_cast<int>(rows.size()) >= visibleRowLimit_) break;
            IndexPath indexPath{section, row};
            auto cell = source->cellForRowAt(*this, indexPath);
            double height = rowHeight_;
            if (del) height = del->heightForRowAt(*this, indexPath).value_or(rowHeight_);
            if (cell) {
                cell->setFrame(Rect(0, y, frame().width(), height));
                cell->setEditing(editing_);
            }
            rows.push_back({indexPath, cell, height});
            y += height;
        }
    }
    recycleShownCells();
    shown_ = std::move(rows);
    for (auto& row : shown_) {
        if (row.cell) addSubview(row.cell);
    }
    setContentSize({frame().width(), y + (footer_ ? footer_->frame().height() : 0)});
    // Copy: willDisplay may reload again.
    auto shown = shown_;
    for (auto& row : shown) {
        if (!row.cell) continue;
        if (del) del->willDisplay(*this, *row.cell, row.indexPath);
        row.cell->layoutIfNeeded();
    }
}

void TableView::deleteRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }
void TableView::insertRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }
void TableView::reloadRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }

int TableView::numberOfRows(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return rowCounts_[static_cast<std::size_t>(section)];
}

bool TableView::isValid(IndexPath indexPath) const {
    return indexPath.row >= 0 && indexPath.row < numberOfRows(indexPath.section);
}

bool TableView::isShown(IndexPath indexPath) const {
    return std::any_of(shown_.begin(), shown_.end(), [&](const auto& row) { return row.indexPath == indexPath; });
}

std::shared_ptr<TableViewCell> TableView::cellForRowAt(IndexPath indexPath) const {
    for (const auto& row : shown_) {
        if (row.indexPath == indexPath) return row.cell;
    }
    return nullptr;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const {
    std::vector<std::shared_ptr<TableViewCell>> cells;
    for (const auto& row : shown_) {
        if (row.cell) cells.push_back(row.cell);
    }
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const {
    std::vector<IndexPath> paths;
    for (const auto& row : shown_) paths.push_back(row.indexPath);
    return paths;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const {
    for (const auto& row : shown_) {
        if (row.cell.get() == &cell) return row.indexPath;
    }
    return std::nullopt;
}

double TableView::heightOfHeader(int section) const {
    if (section < 0 || section >= static_cast<int>(headerHeights_.size())) return 0;
    return headerHeights_[static_cast<std::size_t>(section)];
}

std::optional<double> TableView::heightOfRow(IndexPath indexPath) const {
    for (const auto& row : shown_) {
        if (row.indexPath == indexPath) return row.height;
    }
    return std::nullopt;
}

bool TableView::selectRow(IndexPath indexPath) {
    if (!allowsSelection_ || editing_ || !isShown(indexPath) || !isInteractiveInTree()) return false;
    auto keep = weak_from_this().lock();
    if (selected_ && *selected_ != indexPath) {
        if (auto previous = cellForRowAt(*selected_)) previous->setSelected(false);
    }
    selected_ = indexPath;
    if (auto cell = cellForRowAt(indexPath)) cell->setSelected(true);
    if (auto del = delegate()) del->didSelectRowAt(*this, indexPath);
    return true;
}

void TableView::selectRow(IndexPath indexPath, bool, TableScrollPosition position) {
    if (!isValid(indexPath)) return;
    if (selected_) deselectRow(*selected_, false);
    selected_ = indexPath;
    if (auto cell = cellForRowAt(indexPath)) cell->setSelected(true);
    if (position != TableScrollPosition::none) scrollToRow(indexPath, position, false);
}

void TableView::deselectRow(IndexPath indexPath, bool animated) {
    if (auto cell = cellForRowAt(indexPath)) cell->setSelected(false, animated);
    if (selected_ == indexPath) selected_.reset();
}

void TableView::setEditing(bool editing, bool) {
    editing_ = editing;
    for (auto& row : shown_) {
        if (row.cell) row.cell->setEditing(editing);
    }
    changed("editing");
}

std::optional<SwipeActionsConfiguration> TableView::trailingSwipeActions(IndexPath indexPath) {
    auto source = dataSource();
    if (!source || !isShown(indexPath) || !source->canEditRowAt(*this, indexPath)) return std::nullopt;
    auto del = delegate();
    if (del) {
        if (auto configuration = del->trailingSwipeActionsConfigurationForRowAt(*this, indexPath)) return configuration;
    }
    auto style = del ? del->editingStyleForRowAt(*this, indexPath) : TableCellEditingStyle::deletion;
    if (style != TableCellEditingStyle::deletion) return std::nullopt;
    // The standard swipe: one Delete button that commits the deletion.
    std::weak_ptr<View> weakTable = weak_from_this();
    ContextualAction remove;
    remove.style = ContextualAction::Style::destructive;
    remove.title = "Delete";
    remove.handler = [weakTable, indexPath](std::function<void(bool)> done) {
        auto table = std::static_pointer_cast<TableView>(weakTable.lock());
        auto source = table ? table->dataSource() : nullptr;
        if (source) source->commitEditingStyle(*table, TableCellEditingStyle::deletion, indexPath);
        if (done) done(static_cast<bool>(source));
    };
    return SwipeActionsConfiguration{{remove}, true};
}

bool TableView::performSwipeAction(IndexPath indexPath, const std::string& title) {
    if (!isInteractiveInTree()) return false;
    auto configuration = trailingSwipeActions(indexPath);
    if (!configuration) return false;
    for (auto& action : configuration->actions) {
        if (action.title != title) continue;
        if (action.handler) action.handler([](bool) {});
        return true;
    }
    return false;
}

bool TableView::tapDeleteConfirmation(IndexPath indexPath) {
    if (!editing_ || !isShown(indexPath) || !isInteractiveInTree()) return false;
    auto source = dataSource();
    if (!source || !source->canEditRowAt(*this, indexPath)) return false;
    auto del = delegate();
    auto style = del ? del->editingStyleForRowAt(*this, indexPath) : TableCellEditingStyle::deletion;
    if (style != TableCellEditingStyle::deletion) return false;
    auto keep = weak_from_this().lock();
    source->commitEditingStyle(*this, TableCellEditingStyle::deletion, indexPath);
    return true;
}

void TableView::scrollToRow(IndexPath indexPath, TableScrollPosition, bool animated) {
    if (!isValid(indexPath)) return;
    double y = header_ ? header_->frame().height() : 0;
    for (int section = 0; section < numberOfSections(); ++section) {
        y += heightOfHeader(section);
        for (int row = 0; row < numberOfRows(section); ++row) {
            IndexPath here{section, row};
            if (here == indexPath) {
                setContentOffset({0, y}, animated);
                return;
            }
            y += heightOfRow(here).value_or(rowHeight_);
        }
    }
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
    if (header_) header_->removeFromSuperview();
    header_ = std::move(view);
    if (header_) addSubview(header_);
    changed("tableHeaderView");
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
    if (footer_) footer_->removeFromSuperview();
    footer_ = std::move(view);
    if (footer_) addSubview(footer_);
    changed("tableFooterView");
}

}  // namespace tq
