#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

namespace tq {

// The layout the search lists share: a column of the device screen's size, an optional header
// row on top, and the list "tableview", which takes the rest of the height.
std::shared_ptr<View> listScreenRoot();
std::shared_ptr<TableView> addListTable(View& root);
// A table lays its rows out at its own frame's width: after the screen turns, this gives `table`
// the rectangle the layout rules now place it at within `root`, so its rows follow.
void fitTableToLayout(View& root, TableView& table);

}  // namespace tq
