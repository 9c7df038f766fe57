#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/Presentation.h"
#include "platform/ui/View.h"

namespace tq {

// How the status bar draws over the screen: the system's choice, light text, or dark text.
enum class StatusBarStyle { defaultStyle, lightContent, darkContent };

class NavigationController;
class Storyboard;
class StoryboardSegue;
class Window;

// Handed to `viewWillTransitionToSize`: the new size, and a way to run work alongside the
// transition and after it. Alongside work runs at once; completions run on the main loop once the
// transition's duration has passed on its clock.
class TransitionCoordinator {
public:
    TransitionCoordinator(Size size, double duration) : size_(size), duration_(duration) {}
    Size targetSize() const { return size_; }
    double transitionDuration() const { return duration_; }
    void animateAlongsideTransition(const std::function<void()>& alongside, std::function<void()> completion = {}) {
        if (alongside) alongside();
        if (completion) completions_.push_back(std::move(completion));
    }
    std::vector<std::function<void()>> takeCompletions() { return std::move(completions_); }

private:
    Size size_;
    double duration_;
    std::vector<std::function<void()>> completions_;
};

// A screen: it owns a root view, built on first access by `loadView` and then `viewDidLoad`.
// It has the platform's life cycle, a navigation item, containment (navigation controllers hold
// their screens as children), modal and popover presentation, and storyboard segues.
//
// Timing of the stand-in: presenting and dismissing take effect at once (the appearance calls run
// before the call returns); their completions run on the next turn of the main loop.
class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    ViewController();
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    View& view();
    std::shared_ptr<View> viewPointer();
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    void loadViewIfNeeded() { view(); }

    // Setting the title also titles the navigation item, as on the platform.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    NavigationItem& navigationItem() { return navigationItem_; }

    // Life cycle. The base versions do nothing, so calling them from an override is harmless.
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    // The screen is about to take `size` (a rotation). The view still has its old size here.
    virtual void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
        (void)size;
        (void)coordinator;
    }
    // How the screen wants the status bar drawn while it is on top.
    virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::defaultStyle; }

    // Only meaningful inside the appearance calls: why the screen appears or disappears.
    bool isMovingToParent() const { return movingToParent_; }
    bool isMovingFromParent() const { return movingFromParent_; }
    bool isBeingPresented() const { return beingPresented_; }
    bool isBeingDismissed() const { return beingDismissed_; }
    // Between viewDidAppear and viewWillDisappear.
    bool isVisible() const { return appearance_ == Appearance::appeared; }

    // Containment.
    std::shared_ptr<ViewController> parent() const { return parent_ ? parent_->weak_from_this().lock() : nullptr; }
    const std::vector<std::shared_ptr<ViewController>>& children() const { return children_; }
    void addChild(std::shared_ptr<ViewController> child);
    void removeFromParent();
    // The nearest navigation controller above this screen (or this screen's presenter's, when it was
    // presented inside one), as the platform finds it.
    std::shared_ptr<NavigationController> navigationController() const;

    // Presentation. The presenter is the outermost container of this screen, as on the platform.
    // Refused (false, completion not run) when that presenter already presents a screen, or when
    // `controller` is already shown somewhere.
    bool present(std::shared_ptr<ViewController> controller, bool animated, std::function<void()> completion = {});
    // Dismisses what this screen (or its container) presents; when it presents nothing, dismisses
    // the screen itself if it was presented. The completion always runs, on the next turn.
    void dismiss(bool animated, std::function<void()> completion = {});
    std::shared_ptr<ViewController> presentedViewController() const;
    std::shared_ptr<ViewController> presentingViewController() const;
    // Pushes on the navigation controller when there is one, else presents modally.
    void show(std::shared_ptr<ViewController> controller, const std::any& sender = {});
    // Whether the last presentation of this screen was asked to animate.
    bool wasPresentedAnimated() const { return presentedAnimated_; }

    ModalPresentationStyle modalPresentationStyle() const { return modalStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) { modalStyle_ = style; }
    ModalTransitionStyle modalTransitionStyle() const { return transitionStyle_; }
    void setModalTransitionStyle(ModalTransitionStyle style) { transitionStyle_ = style; }
    // The style the screen was actually presented in, once adapted to the device.
    ModalPresentationStyle presentationStyleInEffect() const { return styleInEffect_; }
    // Present when the screen will be (or is) shown as a popover: its style is popover, or it is a
    // kind that becomes one on a tablet (share sheets, action sheets). Null otherwise.
    PopoverPresentationController* popoverPresentationController();
    // The size the screen asks for when it is shown in a popover; zero takes the default size.
    Size preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(Size size) { preferredContentSize_ = size; }
    // The size the screen is shown at: while it is presented as a popover, its preferred content
    // size (or the default popover size), else the device's screen. Screens lay their views out at it.
    Size presentedContentSize() const;

    // Storyboards.
    std::shared_ptr<Storyboard> storyboard() const { return storyboard_; }
    const std::string& storyboardIdentifier() const { return storyboardIdentifier_; }
    // Builds the destination from this screen's storyboard, calls prepareForSegue, then shows it as
    // the segue's kind says. False when the storyboard has no such segue.
    bool performSegue(const std::string& identifier, const std::any& sender = {});
    // A control wired to a segue in the layout was triggered: asks shouldPerformSegue first.
    bool triggerSegue(const std::string& identifier, const std::any& sender = {});
    virtual void prepareForSegue(StoryboardSegue& segue, const std::any& sender) {
        (void)segue;
        (void)sender;
    }
    virtual bool shouldPerformSegue(const std::string& identifier, const std::any& sender) {
        (void)identifier;
        (void)sender;
        return true;
    }

    // The window the screen is shown in, if any.
    std::shared_ptr<Window> window() const;

    // Drivers used by containers, windows and presentations; screens do not call these.
    void beginAppearance(bool appearing, bool animated);
    void endAppearance(bool appearing, bool animated);
    void transitionToSize(Size size, TransitionCoordinator& coordinator);

protected:
    // Builds the root view; the default is an empty view of the screen's size.
    virtual void loadView();
    virtual void viewDidLoad() {}
    void setView(std::shared_ptr<View> view) { view_ = std::move(view); }
    // The children that are on screen while this screen is (a navigation controller: its top).
    virtual std::vector<std::shared_ptr<ViewController>> visibleChildren() const { return children_; }
    // The root view took a new size; a container places its children's views again here.
    virtual void viewDidResize() {}
    // Share sheets and action sheets become popovers on a tablet even in the automatic style.
    virtual bool becomesPopoverOnTablet() const { return false; }

private:
    friend class NavigationController;
    friend class Window;
    friend class Storyboard;
    enum class Appearance { disappeared, appearing, appeared, disappearing };

    ViewController& presentationHost();
    const ViewController& presentationHost() const;
    ModalPresentationStyle adaptedStyle();
    bool coversPresenter() const;
    void dismissPresentedChain(bool animated);
    void resizeForTransition(Size size);

    std::shared_ptr<View> view_;
    std::string title_;
    NavigationItem navigationItem_;
    // A plain pointer so that a container can adopt its first screen in its constructor; the
    // container clears it when it goes.
    ViewController* parent_ = nullptr;
    std::vector<std::shared_ptr<ViewController>> children_;
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    std::weak_ptr<Window> window_;
    std::shared_ptr<Storyboard> storyboard_;
    std::string storyboardIdentifier_;
    ModalPresentationStyle modalStyle_ = ModalPresentationStyle::automatic;
    ModalTransitionStyle transitionStyle_ = ModalTransitionStyle::coverVertical;
    ModalPresentationStyle styleInEffect_ = ModalPresentationStyle::automatic;
    std::unique_ptr<PopoverPresentationController> popover_;
    Size preferredContentSize_;
    Appearance appearance_ = Appearance::disappeared;
    bool movingToParent_ = false;
    bool movingFromParent_ = false;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    bool presentedAnimated_ = false;
    bool presenterLeft_ = false;  // presenting this screen made its presenter disappear
};

}  // namespace tq
