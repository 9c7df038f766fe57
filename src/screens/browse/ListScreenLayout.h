#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

namespace tq {

// The layout the search lists share: a column of the device screen's size, an optional header
// row on top, and the list "tableview", which takes the rest of the height.
std::shared_ptr<View> listScreenRoot();
std::shared_ptr<TableView> addListTable(View& root);

}  // namespace tq
