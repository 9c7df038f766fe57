#pragma once

#include <functional>
#include <memory>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ViewController.h"

namespace tq {

// The "home" button at the left of a screen's navigation bar, beside the back button. A tap runs
// `goHome` (each screen decides what going home means for it: popping to the home screen, the
// interface language, its audio).
std::shared_ptr<BarButtonItem> installHomeButton(NavigationItem& item, std::function<void()> goHome);

// The same, calling the screen's own `toHome` for as long as the screen lives.
template <class Screen>
std::shared_ptr<BarButtonItem> installHomeButton(Screen& screen, void (Screen::*toHome)()) {
    std::weak_ptr<Screen> weak = std::static_pointer_cast<Screen>(screen.shared_from_this());
    return installHomeButton(screen.navigationItem(), [weak, toHome] {
        if (auto self = weak.lock()) ((*self).*toHome)();
    });
}

}  // namespace tq
