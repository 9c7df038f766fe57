#include "ui/common/HomeButton.h"

namespace tq {

std::shared_ptr<BarButtonItem> installHomeButton(NavigationItem& item, std::function<void()> goHome) {
    auto home = std::make_shared<BarButtonItem>("", std::move(goHome));
    home->setImage(Image::named("home"));
    home->setStyle(BarButtonItemStyle::plain);
    home->setImageInsets({0, 10, -10, -10});
    item.setLeftItemsSupplementBackButton(true);
    item.setLeftBarButtonItem(home);
    return home;
}

}  // namespace tq
