#include "screens/browse/ListScreenLayout.h"

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/LayoutRules.h"

namespace tq {

std::shared_ptr<View> listScreenRoot() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    root->setArrangement(Arrangement::column());
    return root;
}

std::shared_ptr<TableView> addListTable(View& root) {
    return addView<TableView>(root, "tableview", Rect(0, 0, root.frame().width(), root.frame().height()));
}

void fitTableToLayout(View& root, TableView& table) {
    const auto plan = planLayout(root, Rect(0, 0, root.frame().width(), root.frame().height()));
    if (const auto* placed = plan.placement(table)) table.setFrame(placed->rect);
}

}  // namespace tq
