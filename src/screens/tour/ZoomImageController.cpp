#include "screens/tour/ZoomImageController.h"

#include <algorithm>

#include "app/AppDelegate.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"

namespace tq {

namespace {
constexpr double kBarHeight = 44;
}

ZoomImageController::ZoomImageController() : app(AppDelegate::shared()) {}

void ZoomImageController::loadView() {
    ImageViewerController::loadView();
    // The close button sits in a bar above the picture: the picture is fitted to the room below
    // it, so that none of it lies under the bar.
    auto bar = std::make_shared<Toolbar>(Rect(0, 0, view().frame().width(), kBarHeight));
    bar->setIdentifier("toolbar");
    std::weak_ptr<ZoomImageController> weak = std::static_pointer_cast<ZoomImageController>(shared_from_this());
    btnClose = std::make_shared<BarButtonItem>("", [weak] {
        if (auto self = weak.lock()) self->close();
    });
    bar->setItems({btnClose});
    view().addSubview(bar);
    sizeConstraint(view(), bar, LayoutAttribute::height, kBarHeight, "toolbarHeight");
    offsetConstraint(view(), bar, LayoutAttribute::top, LayoutAnchor::containerEdge, 0, "toolbarTop");
    auto picture = view().subviews().front();
    picture->setFrame(Rect(0, kBarHeight, view().frame().width(), std::max(0.0, view().frame().height() - kBarHeight)));
    offsetConstraint(view(), picture, LayoutAttribute::top, LayoutAnchor::containerEdge, kBarHeight, "pictureTop");
    offsetConstraint(view(), picture, LayoutAttribute::bottom, LayoutAnchor::containerEdge, 0, "pictureBottom");
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
