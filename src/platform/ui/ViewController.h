#pragma once

#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace tq {

// A screen: it owns a root view, built on first access by `loadView` and then `viewDidLoad`.
class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    ViewController() = default;
    virtual ~ViewController() = default;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    View& view();
    std::shared_ptr<View> viewPointer();
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    void loadViewIfNeeded() { view(); }

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

protected:
    // Builds the root view; the default is an empty view of the screen's size.
    virtual void loadView();
    virtual void viewDidLoad() {}
    void setView(std::shared_ptr<View> view) { view_ = std::move(view); }

private:
    std::shared_ptr<View> view_;
    std::string title_;
};

}  // namespace tq
