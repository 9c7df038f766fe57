#include "platform/ui/UiApplication.h"

#include <algorithm>

#include "platform/foundation/Environment.h"
#include "platform/services/SystemURLOpener.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace tq {

UiApplication& UiApplication::shared() { return Environment::current().shared<UiApplication>(); }

std::shared_ptr<Window> UiApplication::showWindow(std::shared_ptr<ViewController> root) {
    auto size = env_.device().screenBounds;
    auto window = std::make_shared<Window>(Rect(0, 0, size.width, size.height));
    addWindow(window);
    window->setRootViewController(std::move(root));
    window->makeKeyAndVisible();
    return window;
}

void UiApplication::addWindow(std::shared_ptr<Window> window) {
    if (!window || std::find(windows_.begin(), windows_.end(), window) != windows_.end()) return;
    windows_.push_back(std::move(window));
}

void UiApplication::makeKey(Window& window) {
    for (auto& w : windows_) w->key_ = false;
    window.key_ = true;
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; });
    if (it == windows_.end()) windows_.push_back(std::static_pointer_cast<Window>(window.shared_from_this()));
}

std::shared_ptr<Window> UiApplication::keyWindow() const {
    for (const auto& w : windows_) {
        if (w->isKeyWindow()) return w;
    }
    return nullptr;
}

std::shared_ptr<ViewController> UiApplication::topViewController() const {
    auto window = keyWindow();
    return window ? window->topPresentedViewController() : nullptr;
}

void UiApplication::open(const std::string& address, std::function<void(bool)> completion) {
    bool accepted = !address.empty();
    if (accepted) opened_.push_back(address);
    auto& opener = env_.shared<SystemURLOpener>();
    if (accepted && opener.hasHandOff()) {
        accepted = opener.handOver(address);
    } else if (address.rfind(openSettingsURLString, 0) == 0) {
        env_.console().log("No system settings to open on this platform: " + address);
        accepted = false;
    }
    if (completion) env_.loop().post([completion = std::move(completion), accepted] { completion(accepted); });
}

void UiApplication::rotate(DeviceOrientation orientation) {
    env_.device().rotate(orientation);
    auto size = env_.device().screenBounds;
    auto windows = windows_;
    for (auto& window : windows) window->transitionToSize(size);
}

}  // namespace tq
