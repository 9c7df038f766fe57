#include "platform/ui/ViewController.h"

namespace tq {

View& ViewController::view() { return *viewPointer(); }

std::shared_ptr<View> ViewController::viewPointer() {
    if (!view_) {
        loadView();
        if (!view_) view_ = std::make_shared<View>();
        viewDidLoad();
    }
    return view_;
}

void ViewController::loadView() { view_ = std::make_shared<View>(); }

}  // namespace tq
