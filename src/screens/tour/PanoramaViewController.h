#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/media/PanoramaView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// A panorama content's picture in 360°, turned by moving the device or by touch.
class PanoramaViewController : public ViewController {
public:
    PanoramaViewController();

    std::shared_ptr<PanoramaView> panoramaView;
    std::shared_ptr<BarButtonItem> btnClose;
    std::shared_ptr<BarButtonItem> btnswitchControlMethod;
    // Address of the picture (web or local file), set by the opener before showing.
    std::optional<std::string> imagePath;
    // Receives the loaded picture; never on screen.
    std::shared_ptr<ImageView> imageView;
    AppDelegate& app;

    // Registers the screen under "PanoramaViewController" in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void close();
    void switchControlMethod();

protected:
    void loadView() override;
    void viewDidLoad() override;
};

}  // namespace tq
