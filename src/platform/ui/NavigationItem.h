#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/View.h"

namespace tq {

enum class BackButtonDisplayMode { defaultMode, generic, minimal };

// What a screen shows in the navigation bar while it is on top: title or title view, bar button
// items and how the back button behaves.
class NavigationItem {
public:
    NavigationItem() = default;
    NavigationItem(const NavigationItem&) = delete;
    NavigationItem& operator=(const NavigationItem&) = delete;
    // The screen whose item this is hears of every change, its bar button items' included.
    void setChangeHandler(std::function<void()> handler) { changeHandler_ = std::move(handler); }

    const std::string& title() const { return title_; }
    void setTitle(std::string title) {
        title_ = std::move(title);
        changed("title");
    }
    const std::shared_ptr<View>& titleView() const { return titleView_; }
    void setTitleView(std::shared_ptr<View> view) {
        titleView_ = std::move(view);
        changed("titleView");
    }

    const std::vector<std::shared_ptr<BarButtonItem>>& leftBarButtonItems() const { return left_; }
    void setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
        left_ = std::move(items);
        adopt(left_);
        changed("leftBarButtonItems");
    }
    std::shared_ptr<BarButtonItem> leftBarButtonItem() const { return left_.empty() ? nullptr : left_.front(); }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) {
        setLeftBarButtonItems(item ? std::vector{item} : std::vector<std::shared_ptr<BarButtonItem>>{});
    }
    const std::vector<std::shared_ptr<BarButtonItem>>& rightBarButtonItems() const { return right_; }
    void setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) {
        right_ = std::move(items);
        adopt(right_);
        changed("rightBarButtonItems");
    }
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const { return right_.empty() ? nullptr : right_.front(); }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
        setRightBarButtonItems(item ? std::vector{item} : std::vector<std::shared_ptr<BarButtonItem>>{});
    }

    bool hidesBackButton() const { return hidesBack_; }
    void setHidesBackButton(bool hides, bool animated = false) {
        (void)animated;
        hidesBack_ = hides;
        changed("hidesBackButton");
    }
    // Whether left items sit beside the back button rather than replacing it.
    bool leftItemsSupplementBackButton() const { return supplementBack_; }
    void setLeftItemsSupplementBackButton(bool supplement) {
        supplementBack_ = supplement;
        changed("leftItemsSupplementBackButton");
    }
    // How screens pushed above this one show their back button.
    BackButtonDisplayMode backButtonDisplayMode() const { return backMode_; }
    void setBackButtonDisplayMode(BackButtonDisplayMode mode) {
        backMode_ = mode;
        changed("backButtonDisplayMode");
    }
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return backItem_; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
        backItem_ = std::move(item);
        if (backItem_) backItem_->setHolder(itemChanged_);
        changed("backBarButtonItem");
    }

private:
    void changed(std::string_view) {
        if (changeHandler_) changeHandler_();
    }
    void adopt(const std::vector<std::shared_ptr<BarButtonItem>>& items) {
        for (const auto& item : items) {
            if (item) item->setHolder(itemChanged_);
        }
    }
    std::function<void()> changeHandler_;
    std::shared_ptr<const std::function<void()>> itemChanged_ =
        std::make_shared<const std::function<void()>>([this] { changed("barButtonItems"); });
    std::string title_;
    std::shared_ptr<View> titleView_;
    std::vector<std::shared_ptr<BarButtonItem>> left_;
    std::vector<std::shared_ptr<BarButtonItem>> right_;
    bool hidesBack_ = false;
    bool supplementBack_ = false;
    BackButtonDisplayMode backMode_ = BackButtonDisplayMode::defaultMode;
    std::shared_ptr<BarButtonItem> backItem_;
};

// The bar at the top of a navigation controller. Hidden flag, touch acceptance and tint are the
// view's own.
class NavigationBar : public View {
public:
    using View::View;
    // The bar's height; its width is its container's.
    static constexpr double height = 44;
    Size naturalSize() const override { return {0, height}; }
    bool drawsContent() const override { return true; }
    const std::optional<Color>& barTintColor() const { return barTint_; }
    void setBarTintColor(std::optional<Color> color) {
        barTint_ = color;
        changed("barTintColor");
    }
    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style) {
        barStyle_ = style;
        changed("barStyle");
    }
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent) {
        translucent_ = translucent;
        changed("translucent");
    }
    const std::optional<TextAttributes>& titleTextAttributes() const { return titleAttributes_; }
    void setTitleTextAttributes(std::optional<TextAttributes> attributes) {
        titleAttributes_ = std::move(attributes);
        changed("titleTextAttributes");
    }
    const std::optional<std::string>& backIndicatorImage() const { return backIndicator_; }
    void setBackIndicatorImage(std::optional<std::string> name) {
        backIndicator_ = std::move(name);
        changed("backIndicatorImage");
    }

private:
    std::optional<std::string> backIndicator_;
    std::optional<Color> barTint_;
    BarStyle barStyle_ = BarStyle::defaultStyle;
    bool translucent_ = true;
    std::optional<TextAttributes> titleAttributes_;
};

}  // namespace tq
