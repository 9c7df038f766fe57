#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/View.h"

namespace tq {

// The layout the search lists share: a root view of the device screen's size whose views sit at
// frames of their own, and the list "tableview" filling it below `top`.
std::shared_ptr<View> listScreenRoot();
std::shared_ptr<TableView> addListTable(View& root, double top = 0);

}  // namespace tq
