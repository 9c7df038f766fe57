#pragma once

#include <memory>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/View.h"

namespace tq {

// `none` is only an answer of the adaptation delegate: "do not adapt, keep the style asked for".
enum class ModalPresentationStyle {
    automatic,
    fullScreen,
    pageSheet,
    formSheet,
    currentContext,
    overFullScreen,
    overCurrentContext,
    popover,
    none
};
enum class ModalTransitionStyle { coverVertical, flipHorizontal, crossDissolve, partialCurl };

enum class PopoverArrowDirection : unsigned { up = 1, down = 2, left = 4, right = 8, any = 15, unknown = ~0u };
inline PopoverArrowDirection operator|(PopoverArrowDirection a, PopoverArrowDirection b) {
    return static_cast<PopoverArrowDirection>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

class PopoverPresentationController;
class ViewController;

// The size of a popover whose screen asks for none.
inline constexpr Size kDefaultPopoverContentSize{320, 480};

// Decides how a popover adapts on a compact screen (a phone). Answering `none` keeps it a popover;
// without a delegate it becomes a full-screen presentation there.
class PopoverPresentationControllerDelegate {
public:
    virtual ~PopoverPresentationControllerDelegate() = default;
    virtual ModalPresentationStyle adaptivePresentationStyle(PopoverPresentationController&) {
        return ModalPresentationStyle::fullScreen;
    }
    virtual void popoverPresentationControllerDidDismissPopover(PopoverPresentationController&) {}
};

// Where a popover points: a source view with a rectangle in it, or a bar button item.
class PopoverPresentationController {
public:
    std::shared_ptr<View> sourceView() const { return sourceView_.lock(); }
    void setSourceView(const std::shared_ptr<View>& view) { sourceView_ = view; }
    Rect sourceRect() const { return sourceRect_; }
    void setSourceRect(Rect rect) { sourceRect_ = rect; }
    std::shared_ptr<BarButtonItem> barButtonItem() const { return barItem_.lock(); }
    void setBarButtonItem(const std::shared_ptr<BarButtonItem>& item) { barItem_ = item; }
    PopoverArrowDirection permittedArrowDirections() const { return arrows_; }
    void setPermittedArrowDirections(PopoverArrowDirection directions) { arrows_ = directions; }
    std::shared_ptr<PopoverPresentationControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<PopoverPresentationControllerDelegate>& delegate) { delegate_ = delegate; }

    // A popover needs somewhere to point. The platform stops the program without one; here the
    // popover is shown all the same and tests can read this.
    bool hasAnchor() const { return sourceView() || barButtonItem(); }

private:
    std::weak_ptr<View> sourceView_;
    Rect sourceRect_;
    std::weak_ptr<BarButtonItem> barItem_;
    PopoverArrowDirection arrows_ = PopoverArrowDirection::any;
    std::weak_ptr<PopoverPresentationControllerDelegate> delegate_;
};

}  // namespace tq
