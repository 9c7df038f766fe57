#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/DispatchScope.h"
#include "platform/ui/View.h"

namespace tq {

enum class SystemBarItem { none, flexibleSpace, fixedSpace, close, done, cancel, action };
enum class BarButtonItemStyle { plain, done };

// The bundle picture a system item is drawn with: the share icon for `action` and the close icon
// for `close`. The spaces show nothing, and `done` and `cancel` are words, not pictures: none.
inline std::optional<std::string> systemBarItemImageName(SystemBarItem item) {
    switch (item) {
        case SystemBarItem::action: return "system-action";
        case SystemBarItem::close: return "system-close";
        case SystemBarItem::none:
        case SystemBarItem::flexibleSpace:
        case SystemBarItem::fixedSpace:
        case SystemBarItem::done:
        case SystemBarItem::cancel: break;
    }
    return std::nullopt;
}

// A button of a toolbar or navigation bar. Its action is the target-action pair of the platform,
// held as one callable.
class BarButtonItem {
public:
    BarButtonItem() = default;
    explicit BarButtonItem(SystemBarItem system, std::function<void()> action = {})
        : system_(system), action_(std::move(action)) {}
    BarButtonItem(std::string title, std::function<void()> action) : title_(std::move(title)), action_(std::move(action)) {}

    SystemBarItem systemItem() const { return system_; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) {
        title_ = std::move(title);
        changed("title");
    }
    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image) {
        image_ = std::move(image);
        changed("image");
    }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) {
        enabled_ = enabled;
        changed("enabled");
    }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) {
        hidden_ = hidden;
        changed("hidden");
    }
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style) {
        style_ = style;
        changed("style");
    }
    const EdgeInsets& imageInsets() const { return imageInsets_; }
    void setImageInsets(EdgeInsets insets) {
        imageInsets_ = insets;
        changed("imageInsets");
    }
    const std::optional<Color>& tintColor() const { return tint_; }
    void setTintColor(std::optional<Color> color) {
        tint_ = color;
        changed("tintColor");
    }
    int tag() const { return tag_; }
    void setTag(int tag) {
        tag_ = tag;
        changed("tag");
    }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    bool hasAction() const { return static_cast<bool>(action_); }

    // What shows the item (a navigation item, a toolbar) hears of its changes through this; held
    // weakly, as the item may outlive it.
    void setHolder(std::weak_ptr<const std::function<void()>> holder) { holder_ = std::move(holder); }

    // A person taps the item: nothing happens while it is disabled or hidden. Returns whether the
    // tap reached an action.
    bool tap() {
        if (!enabled_ || hidden_ || !action_) return false;
        // The action may replace itself, or release the item and the screen that shows it.
        DispatchScope scope;
        auto action = action_;
        action();
        return true;
    }

private:
    void changed(std::string_view) {
        if (auto holder = holder_.lock()) (*holder)();
    }
    std::weak_ptr<const std::function<void()>> holder_;
    SystemBarItem system_ = SystemBarItem::none;
    std::string title_;
    std::optional<Image> image_;
    bool enabled_ = true;
    bool hidden_ = false;
    BarButtonItemStyle style_ = BarButtonItemStyle::plain;
    EdgeInsets imageInsets_;
    std::optional<Color> tint_;
    int tag_ = 0;
    std::function<void()> action_;
};

enum class BarStyle { defaultStyle, black };

class Toolbar : public View {
public:
    using View::View;
    Size naturalSize() const override { return {0, 44}; }
    bool drawsContent() const override { return true; }
    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
        items_ = std::move(items);
        for (auto& item : items_) item->setHolder(itemChanged_);
        changed("items");
    }
    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style) {
        barStyle_ = style;
        changed("barStyle");
    }
    // A toolbar's natural height is kept; only its width follows what it was given.
    void sizeToFit() { ++sizeToFitCount_; }
    int sizeToFitCount() const { return sizeToFitCount_; }

private:
    std::shared_ptr<const std::function<void()>> itemChanged_ =
        std::make_shared<const std::function<void()>>([this] { changed("items"); });
    std::vector<std::shared_ptr<BarButtonItem>> items_;
    BarStyle barStyle_ = BarStyle::defaultStyle;
    int sizeToFitCount_ = 0;
};

}  // namespace tq
