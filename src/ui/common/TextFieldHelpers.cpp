#include "ui/common/TextFieldHelpers.h"

#include "platform/foundation/Environment.h"
#include "platform/ui/BarButtonItem.h"

namespace tq {

void addKeyboardToolbar(TextField& field) {
    const double width = Environment::current().device().screenBounds.width;
    auto toolbar = std::make_shared<Toolbar>(Rect(0, 0, width, 50));
    toolbar->setBarStyle(BarStyle::defaultStyle);
    // The toolbar lives as long as the field holds it, so the field is reached without a cycle.
    std::weak_ptr<View> weakField = field.shared_from_this();
    auto close = std::make_shared<BarButtonItem>(SystemBarItem::close, [weakField] {
        if (auto view = weakField.lock()) resignResponder(static_cast<TextField&>(*view));
    });
    toolbar->setItems({std::make_shared<BarButtonItem>(SystemBarItem::flexibleSpace), close});
    toolbar->sizeToFit();
    field.setInputAccessoryView(toolbar);
}

void resignResponder(TextField& field) { field.resignFirstResponder(); }

void setLeftIcon(TextField& field, const Image& image) {
    auto container = std::make_shared<View>(Rect(0, 0, 28, 20));
    auto icon = std::make_shared<ImageView>(Rect(8, 0, 20, 20));
    icon->setImage(image);
    container->addSubview(icon);
    field.setLeftView(container);
    field.setLeftViewMode(ViewMode::always);
}

}  // namespace tq
