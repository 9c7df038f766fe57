#pragma once

#include <cstdint>
#include <vector>

#include "model/PoiContent.h"
#include "platform/ui/ViewController.h"

namespace tq {

class StoryboardRegistry;

// The player of a point's contents, one after another. For now it holds the contents the map
// hands it and the position it shows.
class ContentController : public ViewController {
public:
    std::vector<PoiContentRef> contents;
    std::int64_t currentIndex = 0;
    // The positions shown, in order.
    std::vector<std::int64_t> shownIndexes;

    void showContentAtIndex(std::int64_t index);

    // Registers the screen under "ContentController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    // Each appearance shows the current content again, a moment later.
    void viewWillAppear(bool animated) override;
};

}  // namespace tq
