#include "screens/tour/ContentController.h"

#include "platform/foundation/Environment.h"
#include "platform/ui/Storyboard.h"

namespace tq {

void ContentController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("ContentController", [] { return std::make_shared<ContentController>(); });
    }
}

void ContentController::showContentAtIndex(std::int64_t index) { shownIndexes.push_back(index); }

void ContentController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    std::weak_ptr<ContentController> weak = std::static_pointer_cast<ContentController>(shared_from_this());
    Environment::current().loop().postAfter(0.2, [weak] {
        if (auto self = weak.lock()) self->showContentAtIndex(self->currentIndex);
    });
}

}  // namespace tq
