#include "screens/tour/PanoramaViewController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"

namespace tq {

PanoramaViewController::PanoramaViewController() : app(AppDelegate::shared()) {}

void PanoramaViewController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    root->setArrangement(Arrangement::overlay());
    panoramaView = std::make_shared<PanoramaView>(Rect(0, 0, size.width, size.height));
    panoramaView->setIdentifier("panoramaView");
    root->addSubview(panoramaView);
    setView(root);

    std::weak_ptr<PanoramaViewController> weak = std::static_pointer_cast<PanoramaViewController>(shared_from_this());
    btnClose = std::make_shared<BarButtonItem>("", [weak] {
        if (auto self = weak.lock()) self->close();
    });
    btnswitchControlMethod = std::make_shared<BarButtonItem>("", [weak] {
        if (auto self = weak.lock()) self->switchControlMethod();
    });
    navigationItem().setLeftBarButtonItem(btnClose);
    navigationItem().setRightBarButtonItem(btnswitchControlMethod);
}

void PanoramaViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    panoramaView->setProjection(PanoramaProjection::cylindrical);
    panoramaView->setControlMethod(PanoramaControlMethod::motion);
    panoramaView->setAngleOffset(135.0f);
    btnClose->setTitle(app.text("Close"));
    btnswitchControlMethod->setTitle(app.text("Touch"));
    imageView = std::make_shared<ImageView>();

    auto& env = Environment::current();
    if (!imagePath) {
        env.console().log("Error: no picture address");
        ProgressOverlay::shared().dismiss();
        return;
    }
    std::weak_ptr<PanoramaViewController> weak = std::static_pointer_cast<PanoramaViewController>(shared_from_this());
    env.shared<ImageLoader>().setImage(imageView, *imagePath, {}, [weak](const ImageLoadResult& result) {
        if (auto self = weak.lock()) {
            if (result.succeeded()) {
                self->panoramaView->setImage(result.image);
            } else {
                Environment::current().console().log("Error: " + (result.error ? result.error->description : ""));
            }
        }
        ProgressOverlay::shared().dismiss();
    });
}

void PanoramaViewController::switchControlMethod() {
    bool toTouch = panoramaView->controlMethod() != PanoramaControlMethod::touch;
    panoramaView->setControlMethod(toTouch ? PanoramaControlMethod::touch : PanoramaControlMethod::motion);
    // The button names the control it switches to.
    btnswitchControlMethod->setTitle(app.text(toTouch ? "Motion" : "Touch"));
}

void PanoramaViewController::close() {
    if (auto nav = navigationController()) nav->popViewController(true);
}

void PanoramaViewController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("PanoramaViewController",
                                                 [] { return std::make_shared<PanoramaViewController>(); });
    }
}

}  // namespace tq
