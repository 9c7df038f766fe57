#pragma once

// One renderer per view kind: it builds what the kind shows inside the view's widget (create) and
// brings it in line with the view (sync). The mirror picks the renderer from a table keyed by
// kind (renderers/Renderers.cpp), the most specific kind first.

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace tq::desktop {

class Mirror;

// One mirrored view: its widget, where its subviews' widgets go, and the renderer's own parts.
struct Node {
    std::weak_ptr<View> view;
    GtkWidget* widget = nullptr;     // the view widget; its parent widget owns it
    GtkWidget* childHost = nullptr;  // where the subviews' widgets go: the widget or a scroll view's content
    const class Renderer* renderer = nullptr;
    std::shared_ptr<void> parts;     // what the renderer keeps (its widgets, a guard flag)
    std::vector<View*> children;     // the subviews mirrored, in order
    int syncs = 0;                   // how many times the view was read again
    bool gesturesRouted = false;     // taps and swipes on the widget reach the view's recognizers
};

class Renderer {
public:
    virtual ~Renderer() = default;
    virtual const char* kind() const = 0;
    // Builds the kind's content inside `node.widget`; may set `node.childHost`.
    virtual void create(Node& node, View& view, Mirror& mirror) const {
        (void)node, (void)view, (void)mirror;
    }
    // Shows the view's present state (the base look is already done).
    virtual void sync(Node& node, View& view, Mirror& mirror) const { (void)node, (void)view, (void)mirror; }
    // Whether the subviews are drawn as widgets of their own; a kind that draws its parts itself
    // (a button's title and picture) says no.
    virtual bool mirrorsSubviews(const View& view) const {
        (void)view;
        return true;
    }
};

const Renderer& rendererFor(const View& view);

template <class Parts>
Parts& partsOf(Node& node) {
    return *static_cast<Parts*>(node.parts.get());
}

}  // namespace tq::desktop
