#include "platform/ui/Button.h"

#include <algorithm>

#include "platform/ui/TextMetrics.h"

namespace tq {

namespace {
unsigned key(ControlState state) { return static_cast<unsigned>(state); }

template <class T>
void store(std::map<unsigned, T>& values, std::optional<T> value, ControlState state) {
    if (value) {
        values[key(state)] = std::move(*value);
    } else {
        values.erase(key(state));
    }
}
}  // namespace

template <class T>
std::optional<T> Button::lookup(const std::map<unsigned, T>& values, ControlState state) {
    auto exact = values.find(key(state));
    if (exact != values.end()) return exact->second;
    // A combined state falls back to its strongest single flag, then to normal.
    for (ControlState single : {ControlState::disabled, ControlState::selected, ControlState::highlighted}) {
        if ((key(state) & key(single)) == 0) continue;
        auto it = values.find(key(single));
        if (it != values.end()) return it->second;
    }
    auto normal = values.find(key(ControlState::normal));
    if (normal != values.end()) return normal->second;
    return std::nullopt;
}

void Button::setTitle(std::optional<std::string> title, ControlState state) {
    store(titles_, std::move(title), state);
    refreshContent();
}

std::optional<std::string> Button::title(ControlState state) const {
    auto it = titles_.find(key(state));
    return it == titles_.end() ? std::nullopt : std::optional(it->second);
}

void Button::setAttributedTitle(std::optional<AttributedString> title, ControlState state) {
    store(attributedTitles_, std::move(title), state);
    refreshContent();
}

std::optional<AttributedString> Button::attributedTitle(ControlState state) const {
    auto it = attributedTitles_.find(key(state));
    return it == attributedTitles_.end() ? std::nullopt : std::optional(it->second);
}

void Button::setImage(std::optional<Image> image, ControlState state) {
    store(images_, std::move(image), state);
    refreshContent();
}

std::optional<Image> Button::image(ControlState state) const {
    auto it = images_.find(key(state));
    return it == images_.end() ? std::nullopt : std::optional(it->second);
}

void Button::setBackgroundImage(std::optional<Image> image, ControlState state) {
    store(backgrounds_, std::move(image), state);
    changed("backgroundImage");
}

std::optional<Image> Button::backgroundImage(ControlState state) const {
    auto it = backgrounds_.find(key(state));
    return it == backgrounds_.end() ? std::nullopt : std::optional(it->second);
}

void Button::setTitleColor(std::optional<Color> color, ControlState state) {
    store(titleColors_, color, state);
    changed("titleColor");
}

std::optional<Color> Button::titleColor(ControlState state) const {
    auto it = titleColors_.find(key(state));
    return it == titleColors_.end() ? std::nullopt : std::optional(it->second);
}

std::string Button::currentTitle() const {
    if (auto styled = currentAttributedTitle()) return styled->text;
    return lookup(titles_, state()).value_or(std::string());
}

std::optional<AttributedString> Button::currentAttributedTitle() const { return lookup(attributedTitles_, state()); }
std::optional<Image> Button::currentImage() const { return lookup(images_, state()); }
std::optional<Image> Button::currentBackgroundImage() const { return lookup(backgrounds_, state()); }

Label& Button::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = std::make_shared<Label>();
        addSubview(titleLabel_);
        refreshContent();
    }
    return *titleLabel_;
}

ImageView& Button::imageView() {
    if (!imageView_) {
        imageView_ = std::make_shared<ImageView>();
        addSubview(imageView_);
        refreshContent();
    }
    return *imageView_;
}

void Button::refreshContent() {
    if (titleLabel_) {
        if (auto styled = currentAttributedTitle()) {
            titleLabel_->setAttributedText(styled);
        } else {
            titleLabel_->setText(currentTitle());
        }
    }
    if (imageView_) imageView_->setImage(currentImage());
    changed("content");
}

Size Button::naturalSize() const {
    const double fontSize = titleLabel_ && titleLabel_->font() ? titleLabel_->font()->size : 15;
    const std::string title = currentTitle();
    Size size{title.empty() ? 0 : nominalTextWidth(title, fontSize) + 16, 44};
    for (const auto& picture : {currentImage(), currentBackgroundImage()}) {
        if (!picture || picture->pixelWidth <= 0) continue;
        size.width = std::max(size.width, double(picture->pixelWidth));
        size.height = std::max(size.height, double(picture->pixelHeight));
    }
    if (size.width == 0) size.width = 44;
    return size;
}

bool Button::tap() {
    if (!canBeTouched()) return false;
    // One touch, three events: the first may already release the screen that holds this button.
    DispatchScope scope(weak_from_this().lock());
    sendActions(ControlEvent::touchDown);
    sendActions(ControlEvent::touchUpInside);
    sendActions(ControlEvent::primaryActionTriggered);
    return true;
}

}  // namespace tq
