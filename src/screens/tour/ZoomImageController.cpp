#include "screens/tour/ZoomImageController.h"

#include "app/AppDelegate.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"

namespace tq {

ZoomImageController::ZoomImageController() : app(AppDelegate::shared()) {}

void ZoomImageController::loadView() {
    ImageViewerController::loadView();
    // The close button sits in a bar over the picture.
    auto bar = std::make_shared<Toolbar>(Rect(0, 0, view().frame().width(), 44));
    bar->setIdentifier("toolbar");
    std::weak_ptr<ZoomImageController> weak = std::static_pointer_cast<ZoomImageController>(shared_from_this());
    btnClose = std::make_shared<BarButtonItem>("", [weak] {
        if (auto self = weak.lock()) self->close();
    });
    bar->setItems({btnClose});
    view().addSubview(bar);
    sizeConstraint(view(), bar, LayoutAttribute::height, 44, "toolbarHeight");
    offsetConstraint(view(), bar, LayoutAttribute::top, LayoutAnchor::containerEdge, 0, "toolbarTop");
}

void ZoomImageController::viewDidLoad() {
    ImageViewerController::viewDidLoad();
    btnClose->setTitle(app.text("Close"));
    imageScrollView().setDisplayMode(ImageDisplayMode::fit);
    imageScrollView().setImage(imageToZoom);
}

void ZoomImageController::close() { dismiss(true); }

void ZoomImageController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("ZoomImageController",
                                                 [] { return std::make_shared<ZoomImageController>(); });
    }
}

}  // namespace tq
