#pragma once

// The window's mirror of the view tree: one widget per view, kept from change reports alone.
// Reports only mark views dirty; once per turn of the loop `flush` reads each dirty view again,
// reconciles its children by identity (a view keeps its widget while it stays in the tree) and
// asks GTK to lay out again only where a change can move something: the changed view's widget
// (GTK then measures and places again its ancestors, and any sibling whose place changes) and the
// items of the constraints it holds. A change of look alone (a colour, alpha, an offset) is only
// drawn. Views are held weakly: a view that went between a report and the flush is dropped with
// its widget.

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/Renderer.h"
#include "platform/ui/View.h"

namespace tq {
class Window;
class ViewController;
class NavigationController;
class NavigationBar;
}  // namespace tq

namespace tq::desktop {

class Images;

class Mirror : public ViewObserver {
public:
    // Builds the widgets of the whole tree and observes it from now on.
    static std::shared_ptr<Mirror> attach(const std::shared_ptr<Window>& window, Images& images);
    ~Mirror() override;

    void viewDidChange(View& view, std::string_view property) override;
    bool hasPendingChanges() const { return !dirty_.empty() || allBarsDirty_; }
    // Reads every view changed since the last flush again; one per turn of the loop.
    void flush();

    GtkWidget* rootWidget() const { return root_; }
    Window& window() const { return *window_; }
    Images& images() const { return images_; }
    GtkWidget* widgetFor(const View& view) const;
    // The view a mirrored widget stands for, if it is still there.
    std::shared_ptr<View> viewFor(GtkWidget* widget) const;
    int syncCount(const View& view) const;
    // How many times the layout placed the children of the view's widget (and of its scrolled
    // content): what a change relays out.
    int layoutCount(const View& view) const;
    int flushCount() const { return flushes_; }
    // Where the widgets and the view tree part, one line each; empty when they agree.
    std::vector<std::string> differences() const;
    // Tests: from now on, note every view that reports a change and every view read again...
    void startRecording();
    // ...and name the views still in the tree that reported a change but were not read again since.
    std::vector<std::string> changedButNotRendered() const;

    // What the renderers ask of the screens around a view.
    NavigationController* navigationControllerOf(const NavigationBar& bar) const;
    bool isScreenRoot(const View& view) const { return screenRoots_.count(&view) > 0; }
    // A screen presented by kind (an alert, a share sheet): its view is drawn by a presenter.
    bool isDrawnByPresenter(const View& view) const { return presenterViews_.count(&view) > 0; }

private:
    Mirror(std::shared_ptr<Window> window, Images& images);
    Node* nodeFor(const View& view);
    Node& build(View& view);
    void drop(const View* key);
    void sync(Node& node, View& view);
    void reconcileChildren(Node& node, View& view);
    void noteDepartures(const View& parent);
    void refresh(Node& node, View& view);
    void queueRelayout(const Node& node, const View& view);
    void collectScreens();

    std::shared_ptr<Window> window_;
    Images& images_;
    GtkWidget* root_ = nullptr;
    std::map<const View*, Node> nodes_;
    std::set<const View*> dirty_;
    std::set<const View*> departed_;  // taken out of their parent since the last flush
    std::set<const View*> relayout_;  // dirty views with a change that may move or size something
    bool allBarsDirty_ = false;
    bool flushing_ = false;
    int flushes_ = 0;
    std::set<const View*> screenRoots_;
    std::set<const View*> presenterViews_;
    std::map<const View*, NavigationController*> bars_;
    bool recording_ = false;
    std::map<const View*, std::weak_ptr<View>> reported_;
    std::set<const View*> rendered_;
};

}  // namespace tq::desktop
