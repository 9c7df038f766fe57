#pragma once

#include <memory>
#include <optional>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageScrollView.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The picture of an image content, full screen, shown whole at first and zoomed and moved by the
// visitor.
class ZoomImageController : public ImageViewerController {
public:
    ZoomImageController();

    std::shared_ptr<BarButtonItem> btnClose;
    // Set by the opener before presenting.
    std::optional<Image> imageToZoom;
    AppDelegate& app;

    // Registers the screen under "ZoomImageController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void close();

protected:
    void loadView() override;
    void viewDidLoad() override;
};

}  // namespace tq
