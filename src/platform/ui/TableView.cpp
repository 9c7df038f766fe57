#include "platform/ui/TableView.h"

#include <algorithm>

#include "platform/foundation/DispatchScope.h"

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

void TableView::recycle(const std::shared_ptr<TableViewCell>& cell) {
    if (!cell) return;
    cell->removeFromSuperview();
    pool_[cell->reuseIdentifier()].push_back(cell);
}

void TableView::recycleShownCells() {
    auto leaving = std::move(shown_);
    shown_.clear();
    for (auto& row : leaving) recycle(row.cell);
}

void TableView::reloadData() {
    ++reloadCount_;
    auto keep = weak_from_this().lock();  // the data source may drop the last reference meanwhile
    auto source = dataSource();
    auto del = delegate();
    recycleShownCells();
    places_.clear();
    headerHeights_.clear();
    selected_.reset();
    if (!source) return;

    int sections = std::max(0, source->numberOfSections(*this));
    double y = header_ ? header_->frame().height() : 0;
    std::vector<std::vector<RowPlace>> places(static_cast<std::size_t>(sections));
    std::vector<double> headers;
    for (int section = 0; section < sections; ++section) {
        int rows = std::max(0, source->numberOfRowsInSection(*this, section));
        double header = sectionHeaderHeight_;
        if (del) header = del->heightForHeaderInSection(*this, section).value_or(sectionHeaderHeight_);
        headers.push_back(header);
        y += header;
        auto& sectionPlaces = places[static_cast<std::size_t>(section)];
        sectionPlaces.reserve(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            double height = rowHeight_;
            if (del) height = del->heightForRowAt(*this, {section, row}).value_or(rowHeight_);
            height = std::max(0.0, height);
            sectionPlaces.push_back({y, height});
            y += height;
        }
    }
    places_ = std::move(places);
    headerHeights_ = std::move(headers);
    setContentSize({frame().width(), y + (footer_ ? footer_->frame().height() : 0)});
    // Fewer rows than before may leave the offset past the end: the last rows come into sight.
    if (contentOffset().y > maximumOffset()) {
        setContentOffset({contentOffset().x, maximumOffset()});  // tiles the rows
    } else {
        tileRows();
    }
}

const TableView::RowPlace* TableView::placeOf(IndexPath indexPath) const {
    if (!isValid(indexPath)) return nullptr;
    return &places_[static_cast<std::size_t>(indexPath.section)][static_cast<std::size_t>(indexPath.row)];
}

std::vector<IndexPath> TableView::rowsInSight() const {
    std::vector<IndexPath> rows;
    const double top = contentOffset().y;
    const double bottom = top + frame().height();
    for (int section = 0; section < numberOfSections(); ++section) {
        const auto& sectionPlaces = places_[static_cast<std::size_t>(section)];
        // Rows lie in content order: skip those ending above the top, stop at the first below the bottom.
        auto first = std::partition_point(sectionPlaces.begin(), sectionPlaces.end(), [&](const RowPlace& place) {
            return place.y + place.height <= top && !(place.height <= 0 && place.y >= top);
        });
        for (auto it = first; it != sectionPlaces.end() && it->y < bottom; ++it) {
            rows.push_back({section, static_cast<int>(it - sectionPlaces.begin())});
        }
    }
    return rows;
}

void TableView::tileRows() {
    auto source = dataSource();
    if (!source) return;
    auto keep = weak_from_this().lock();
    const int tiling = ++tilings_;
    auto wanted = rowsInSight();

    // Rows that left the sight give their cells back first, so that arriving rows can reuse them.
    std::vector<ShownRow> staying;
    for (auto& row : shown_) {
        if (std::binary_search(wanted.begin(), wanted.end(), row.indexPath)) {
            staying.push_back(std::move(row));
        } else {
            recycle(row.cell);
        }
    }
    shown_ = std::move(staying);

    // Gather the arriving cells before placing any: a data source that reloads from inside
    // cellForRowAt must not find half-built state.
    std::vector<ShownRow> arriving;
    for (const auto& indexPath : wanted) {
        if (isShown(indexPath)) continue;
        arriving.push_back({indexPath, source->cellForRowAt(*this, indexPath)});
        if (tiling != tilings_) break;
    }
    if (tiling != tilings_) {
        // Another tiling (a reload) ran meanwhile and placed the rows; these cells go unused.
        for (auto& row : arriving) {
            if (row.cell && !row.cell->superview()) pool_[row.cell->reuseIdentifier()].push_back(row.cell);
        }
        return;
    }

    const double width = frame().width();
    for (auto& row : arriving) {
        if (!row.cell) continue;
        const auto* place = placeOf(row.indexPath);
        row.cell->setFrame(Rect(0, place->y, width, place->height));
        row.cell->setEditing(editing_);
        if (selected_ == row.indexPath) row.cell->setSelected(true);
        addSubview(row.cell);
    }
    for (auto& row : shown_) {
        const auto* place = placeOf(row.indexPath);
        if (row.cell) row.cell->setFrame(Rect(0, place->y, width, place->height));
    }
    shown_.insert(shown_.end(), arriving.begin(), arriving.end());
    std::sort(shown_.begin(), shown_.end(),
              [](const ShownRow& a, const ShownRow& b) { return a.indexPath < b.indexPath; });

    // willDisplay may scroll or reload again: it runs last, and stops once the rows have moved on.
    auto del = delegate();
    for (auto& row : arriving) {
        if (tiling != tilings_) break;
        if (!row.cell) continue;
        if (del) del->willDisplay(*this, *row.cell, row.indexPath);
        row.cell->layoutIfNeeded();
    }
}

double TableView::maximumOffset() const {
    return std::max(-contentInset().top, contentSize().height + contentInset().bottom - frame().height());
}

void TableView::setFrame(Rect frame) {
    ScrollView::setFrame(frame);
    tileRows();
}

void TableView::deleteRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }
void TableView::insertRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }
void TableView::reloadRows(const std::vector<IndexPath>&, TableRowAnimation) { reloadData(); }

int TableView::numberOfRows(int section) const {
    if (section < 0 || section >= numberOfSections()) return 0;
    return static_cast<int>(places_[static_cast<std::size_t>(section)].size());
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
    const auto* place = placeOf(indexPath);
    if (!place) return std::nullopt;
    return place->height;
}

std::optional<Rect> TableView::rectForRow(IndexPath indexPath) const {
    const auto* place = placeOf(indexPath);
    if (!place) return std::nullopt;
    return Rect(0, place->y, frame().width(), place->height);
}

bool TableView::selectRow(IndexPath indexPath) {
    if (!allowsSelection_ || editing_ || !isShown(indexPath) || !isInteractiveInTree()) return false;
    DispatchScope scope(weak_from_this().lock());
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
    DispatchScope scope(weak_from_this().lock());
    auto configuration = trailingSwipeActions(indexPath);
    if (!configuration) return false;
    for (auto& action : configuration->actions) {
        if (action.title != title) continue;
        if (action.handler) action.handler([](bool) {});
        return true;
    }
    return false;
}

TableCellEditingStyle TableView::editingStyleOfRow(IndexPath indexPath) {
    auto source = dataSource();
    if (!source || !isShown(indexPath) || !source->canEditRowAt(*this, indexPath)) return TableCellEditingStyle::none;
    auto del = delegate();
    return del ? del->editingStyleForRowAt(*this, indexPath) : TableCellEditingStyle::deletion;
}

bool TableView::tapDeleteConfirmation(IndexPath indexPath) {
    if (!editing_ || !isInteractiveInTree()) return false;
    if (editingStyleOfRow(indexPath) != TableCellEditingStyle::deletion) return false;
    auto source = dataSource();
    if (!source) return false;
    DispatchScope scope(weak_from_this().lock());
    source->commitEditingStyle(*this, TableCellEditingStyle::deletion, indexPath);
    return true;
}

void TableView::scrollToRow(IndexPath indexPath, TableScrollPosition position, bool animated) {
    const auto* place = placeOf(indexPath);
    if (!place) return;
    const double height = frame().height();
    const double top = contentOffset().y;
    double y = top;
    switch (position) {
        case TableScrollPosition::top:
            y = place->y;
            break;
        case TableScrollPosition::middle:
            y = place->y - (height - place->height) / 2;
            break;
        case TableScrollPosition::bottom:
            y = place->y + place->height - height;
            break;
        case TableScrollPosition::none:
            if (place->y < top) {
                y = place->y;
            } else if (place->y + place->height > top + height) {
                y = place->y + place->height - height;
            }
            break;
    }
    y = std::clamp(y, -contentInset().top, maximumOffset());
    setContentOffset({contentOffset().x, y}, animated);
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
