#include "screens/browse/ListEntrance.h"

#include "platform/ui/Animation.h"
#include "platform/ui/TableView.h"

namespace tq {
namespace {

constexpr double kRowDuration = 0.3;
constexpr double kRowStagger = 0.05;
constexpr double kRise = 30;
constexpr double kStartScale = 0.2;

}  // namespace

void playListEntrance(TableView& table) {
    double delay = 0;
    for (const auto& cell : table.visibleCells()) {
        cell->setAlpha(0);
        cell->setTransform(Transform::translation(0, kRise).concatenating(Transform::scale(kStartScale, kStartScale)));
        std::weak_ptr<View> weak = cell;
        animate(kRowDuration, delay, {}, [weak] {
            if (auto row = weak.lock()) {
                row->setTransform(Transform::identity());
                row->setAlpha(1);
            }
        });
        delay += kRowStagger;
    }
    table.setAlpha(1);
}

}  // namespace tq
