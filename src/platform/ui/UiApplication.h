#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Device.h"

namespace tq {

class Environment;
class ViewController;
class Window;

// The running application as the view toolkit sees it: its windows with the key window, the
// opening of addresses, and device rotation. (The application's launch and scenes live in app/.)
class UiApplication {
public:
    explicit UiApplication(Environment& env) : env_(env) {}
    static UiApplication& shared();

    // A window of the screen's size, made key and visible with `root` at its root.
    std::shared_ptr<Window> showWindow(std::shared_ptr<ViewController> root);
    void addWindow(std::shared_ptr<Window> window);
    const std::vector<std::shared_ptr<Window>>& windows() const { return windows_; }
    std::shared_ptr<Window> keyWindow() const;
    // The top-most presented screen of the key window (its root when nothing is presented).
    std::shared_ptr<ViewController> topViewController() const;

    // The address of the system settings; the application's own page is reached by adding to it.
    static constexpr const char* openSettingsURLString = "app-settings:";

    // Opening an address hands it to the system: here it is recorded, and the completion hears
    // success on the next turn of the main loop. Empty addresses are refused. With a hand-off
    // plugged into the SystemURLOpener, every address goes to it and the completion hears its
    // answer; without one there are no system settings to open: such an address is recorded, told
    // on the console, and refused.
    void open(const std::string& address, std::function<void(bool)> completion = {});
    const std::vector<std::string>& openedAddresses() const { return opened_; }

    // The language of the platform's own texts (the back button's generic title): a language
    // code such as "fr". The system follows the application's language; English until told.
    const std::string& localization() const { return localization_; }
    void setLocalization(std::string languageCode) { localization_ = std::move(languageCode); }

    // Turns the device: the screen's bounds follow, and every window transitions to the new size.
    void rotate(DeviceOrientation orientation);

private:
    friend class Window;
    void makeKey(Window& window);
    Environment& env_;
    std::vector<std::shared_ptr<Window>> windows_;
    std::vector<std::string> opened_;
    std::string localization_ = "en";
};

}  // namespace tq
