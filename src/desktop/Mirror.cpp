#include "desktop/Mirror.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "desktop/Signals.h"
#include "desktop/ViewWidget.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/map/MapView.h"
#include "platform/media/PanoramaView.h"
#include "platform/media/VideoPlayer.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"

namespace tq::desktop {

namespace {

constexpr const char* kViewKey = "tq-view";

// How far a pointer or finger must travel for a swipe, and how much more along its way than
// across it: a swipe is told by its path, so a slow mouse drag swipes as a quick flick does.
constexpr double kSwipeDistance = 50;
constexpr double kSwipeStraightness = 2;

std::optional<SwipeDirection> swipeOf(double dx, double dy) {
    const double along = std::max(std::abs(dx), std::abs(dy)), across = std::min(std::abs(dx), std::abs(dy));
    if (along < kSwipeDistance || along < kSwipeStraightness * across) return std::nullopt;
    if (std::abs(dx) > std::abs(dy)) return dx > 0 ? SwipeDirection::right : SwipeDirection::left;
    return dy > 0 ? SwipeDirection::down : SwipeDirection::up;
}

// A view with gesture recognizers hears a person's clicks and swipes on its widget through them.
void routeGestures(GtkWidget* widget, View& view) {
    std::weak_ptr<View> weak = view.weak_from_this();
    onClick(widget, [weak](double, double) {
        if (auto v = weak.lock()) v->tapGesture();
    });
    GtkGesture* drag = gtk_gesture_drag_new();
    auto* holder = new std::weak_ptr<View>(weak);
    g_signal_connect_data(
        drag, "drag-end", G_CALLBACK(+[](GtkGestureDrag*, double dx, double dy, gpointer data) {
            auto v = static_cast<std::weak_ptr<View>*>(data)->lock();
            if (auto direction = swipeOf(dx, dy); v && direction) v->swipe(*direction);
        }),
        holder, +[](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<View>*>(data); }, GConnectFlags(0));
    gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(drag));
}

// Properties that change only how a view is drawn, never its size or anyone's place (the rules
// ignore alpha and transforms, and a scroll offset moves the content GTK scrolls). Any other
// property may: a text, a picture, a frame, a constraint, the subviews, hidden...
bool changesLookOnly(std::string_view property) {
    static const std::set<std::string_view> lookOnly = {
        "alpha", "backgroundColor", "barTintColor", "borderColor", "borderWidth", "clipsToBounds",
        "contentOffset", "cornerRadius", "gestureRecognizers", "identifier", "markerTintColor", "onTintColor",
        "selectedSegmentTintColor", "showsHorizontalScrollIndicator", "showsVerticalScrollIndicator", "tag",
        "textColor", "tintColor", "titleColor", "transform", "userInteractionEnabled"};
    return lookOnly.count(property) > 0;
}

void placeAfter(GtkWidget* widget, GtkWidget* host, GtkWidget* previous) {
    if (gtk_widget_get_parent(widget) == host) {
        if (gtk_widget_get_prev_sibling(widget) != previous) gtk_widget_insert_after(widget, host, previous);
        return;
    }
    g_object_ref(widget);
    if (gtk_widget_get_parent(widget)) gtk_widget_unparent(widget);
    gtk_widget_insert_after(widget, host, previous);
    g_object_unref(widget);
}

}  // namespace

std::shared_ptr<Mirror> Mirror::attach(const std::shared_ptr<Window>& window, Images& images) {
    std::shared_ptr<Mirror> mirror(new Mirror(window, images));
    mirror->collectScreens();
    auto& node = mirror->build(*window);
    mirror->root_ = GTK_WIDGET(g_object_ref_sink(node.widget));
    window->setObserver(mirror);
    return mirror;
}

Mirror::Mirror(std::shared_ptr<Window> window, Images& images) : window_(std::move(window)), images_(images) {}

Mirror::~Mirror() {
    if (window_ && window_->observer().get() == this) window_->setObserver(nullptr);
    if (root_) g_object_unref(root_);
}

void Mirror::viewDidChange(View& view, std::string_view property) {
    if (property == "navigationItem") allBarsDirty_ = true;
    if (property == "subviews") noteDepartures(view);
    dirty_.insert(&view);
    if (!changesLookOnly(property)) relayout_.insert(&view);
    // A view drawn by a renderer of one of its ancestors (a map's marker and its callout) has no
    // widget: that ancestor draws it again.
    if (nodes_.find(&view) == nodes_.end()) {
        for (View* above = view.superview(); above; above = above->superview()) {
            if (nodes_.find(above) != nodes_.end()) {
                dirty_.insert(above);
                break;
            }
        }
    }
    if (recording_) reported_.emplace(&view, view.weak_from_this());
}

void Mirror::startRecording() {
    recording_ = true;
    reported_.clear();
    rendered_.clear();
}

std::vector<std::string> Mirror::changedButNotRendered() const {
    std::vector<std::string> missed;
    for (const auto& [key, weak] : reported_) {
        auto view = weak.lock();
        if (!view || view.get() != key || rendered_.count(key)) continue;
        // Only views the window draws: in the tree, with a widget of their own.
        if (!view->isDescendant(*window_) && view.get() != window_.get()) continue;
        if (nodes_.find(key) == nodes_.end()) continue;
        missed.push_back(view->identifier().empty() ? std::string(typeid(*view).name()) : view->identifier());
    }
    return missed;
}

// A view taken out of its parent reports nothing while it is out (a table's cell waiting for
// reuse gets new text then): when it comes back, even to the same parent before the flush, it is
// read again whole.
void Mirror::noteDepartures(const View& parent) {
    auto it = nodes_.find(&parent);
    if (it == nodes_.end()) return;
    for (View* child : it->second.children) {
        const auto& now = parent.subviews();
        if (std::none_of(now.begin(), now.end(), [&](const auto& v) { return v.get() == child; })) departed_.insert(child);
    }
}

void Mirror::refresh(Node& node, View& view) {
    sync(node, view);
    reconcileChildren(node, view);
    queueRelayout(node, view);  // what it reported while out was not counted
    for (View* child : node.children) {
        if (Node* childNode = nodeFor(*child)) refresh(*childNode, *child);
    }
}

Node* Mirror::nodeFor(const View& view) {
    auto it = nodes_.find(&view);
    if (it == nodes_.end()) return nullptr;
    auto alive = it->second.view.lock();
    if (alive.get() != &view) {
        drop(&view);  // another view now lives where a gone one did
        return nullptr;
    }
    return &it->second;
}

GtkWidget* Mirror::widgetFor(const View& view) const {
    auto it = nodes_.find(&view);
    if (it == nodes_.end() || it->second.view.lock().get() != &view) return nullptr;
    return it->second.widget;
}

std::shared_ptr<View> Mirror::viewFor(GtkWidget* widget) const {
    auto* key = static_cast<const View*>(g_object_get_data(G_OBJECT(widget), kViewKey));
    auto it = nodes_.find(key);
    if (!key || it == nodes_.end() || it->second.widget != widget) return nullptr;
    return it->second.view.lock();
}

int Mirror::syncCount(const View& view) const {
    auto it = nodes_.find(&view);
    return it == nodes_.end() ? 0 : it->second.syncs;
}

int Mirror::layoutCount(const View& view) const {
    auto it = nodes_.find(&view);
    if (it == nodes_.end()) return 0;
    const Node& node = it->second;
    int count = viewWidgetState(node.widget).layouts;
    if (node.childHost != node.widget) count += viewWidgetState(node.childHost).layouts;
    return count;
}

void Mirror::queueRelayout(const Node& node, const View& view) {
    // GTK measures and places again the widget and its ancestors; the parent too, for a widget
    // just hidden (a hidden widget passes nothing up).
    gtk_widget_queue_resize(node.widget);
    if (node.childHost != node.widget) gtk_widget_queue_resize(node.childHost);
    if (GtkWidget* parent = gtk_widget_get_parent(node.widget)) gtk_widget_queue_resize(parent);
    // A constraint places its items inside their own containers, which may lie below its holder.
    for (const auto& constraint : view.constraints()) {
        for (const auto& item : {constraint->firstItem(), constraint->secondItem()}) {
            if (!item || item.get() == &view) continue;
            if (GtkWidget* widget = widgetFor(*item)) gtk_widget_queue_resize(widget);
        }
    }
}

Node& Mirror::build(View& view) {
    auto& node = nodes_[&view];
    node = Node{};
    node.view = view.weak_from_this();
    node.widget = viewWidgetNew();
    node.childHost = node.widget;
    node.renderer = &rendererFor(view);
    g_object_set_data(G_OBJECT(node.widget), kViewKey, &view);
    viewWidgetState(node.widget).view = node.view;
    gtk_widget_set_name(node.widget, node.renderer->kind());
    node.renderer->create(node, view, *this);
    sync(node, view);
    reconcileChildren(node, view);
    return node;
}

void Mirror::drop(const View* key) {
    auto it = nodes_.find(key);
    if (it == nodes_.end()) return;
    GtkWidget* widget = it->second.widget;
    // Its children's widgets go with its own; their nodes go now.
    std::function<void(const View*)> forget = [&](const View* k) {
        auto found = nodes_.find(k);
        if (found == nodes_.end()) return;
        auto children = found->second.children;
        nodes_.erase(found);
        for (const auto* child : children) {
            auto c = nodes_.find(child);
            if (c != nodes_.end() && gtk_widget_is_ancestor(c->second.widget, widget)) forget(child);
        }
    };
    forget(key);
    if (gtk_widget_get_parent(widget)) gtk_widget_unparent(widget);
}

void Mirror::sync(Node& node, View& view) {
    GtkWidget* w = node.widget;
    viewWidgetSetLook(w, ViewLook{view.backgroundColor(), view.cornerRadius(), view.borderWidth(), view.borderColor()});
    gtk_widget_set_visible(w, !view.isHidden() && !isDrawnByPresenter(view));
    gtk_widget_set_opacity(w, std::clamp(view.alpha(), 0.0, 1.0));
    gtk_widget_set_overflow(w, view.clipsToBounds() ? GTK_OVERFLOW_HIDDEN : GTK_OVERFLOW_VISIBLE);
    // As on the device, a view nearly transparent takes no touches: they reach what lies beneath.
    gtk_widget_set_can_target(w, view.isUserInteractionEnabled() && view.alpha() >= 0.01);
    if (!node.gesturesRouted && !view.gestureRecognizers().empty()) {
        routeGestures(w, view);
        node.gesturesRouted = true;
    }
    node.renderer->sync(node, view, *this);
    ++node.syncs;
    if (recording_) rendered_.insert(&view);
}

void Mirror::reconcileChildren(Node& node, View& view) {
    std::vector<View*> wanted;
    if (node.renderer->mirrorsSubviews(view)) {
        for (const auto& child : view.subviews()) wanted.push_back(child.get());
    }
    auto before = node.children;
    GtkWidget* host = node.childHost;
    GtkWidget* previous = host == node.widget ? viewWidgetState(host).content : nullptr;
    if (previous && gtk_widget_get_parent(previous) != host) previous = nullptr;
    for (View* child : wanted) {
        Node* childNode = nodeFor(*child);
        if (!childNode) {
            childNode = &build(*child);
        } else if (departed_.erase(child)) {
            refresh(*childNode, *child);
        }
        placeAfter(childNode->widget, host, previous);
        previous = childNode->widget;
    }
    node.children = wanted;
    for (View* gone : before) {
        if (std::find(wanted.begin(), wanted.end(), gone) != wanted.end()) continue;
        auto it = nodes_.find(gone);
        if (it == nodes_.end()) continue;
        // A view that moved under another parent already has its widget there.
        if (gtk_widget_get_parent(it->second.widget) == host) drop(gone);
    }
}

void Mirror::collectScreens() {
    screenRoots_.clear();
    presenterViews_.clear();
    bars_.clear();
    std::function<void(ViewController&)> visit = [&](ViewController& screen) {
        if (screen.isViewLoaded()) {
            screenRoots_.insert(&screen.view());
            if (dynamic_cast<AlertController*>(&screen) || dynamic_cast<ActivityViewController*>(&screen)) {
                presenterViews_.insert(&screen.view());
            }
        }
        if (auto* nav = dynamic_cast<NavigationController*>(&screen)) bars_[&nav->navigationBar()] = nav;
        for (const auto& child : screen.children()) visit(*child);
        auto presented = screen.presentedViewController();
        if (presented && presented->presentingViewController().get() == &screen) visit(*presented);
    };
    if (auto root = window_->rootViewController()) visit(*root);
}

NavigationController* Mirror::navigationControllerOf(const NavigationBar& bar) const {
    auto it = bars_.find(static_cast<const View*>(&bar));
    return it == bars_.end() ? nullptr : it->second;
}

void Mirror::flush() {
    if (flushing_) return;
    flushing_ = true;
    ++flushes_;
    collectScreens();
    auto dirty = std::move(dirty_);
    dirty_.clear();
    auto relayout = std::move(relayout_);
    relayout_.clear();
    for (const View* key : dirty) {
        auto it = nodes_.find(key);
        if (it == nodes_.end()) continue;  // not mirrored (yet), or gone with a dropped subtree
        auto view = it->second.view.lock();
        if (view.get() != key) {
            drop(key);
            continue;
        }
        sync(it->second, *view);
        reconcileChildren(it->second, *view);
    }
    // A push or a pop changes a navigation column's subviews: its bar then shows the new top
    // screen's items, which that screen may have set before its view joined the window.
    for (auto [bar, nav] : bars_) {
        if (nav->isViewLoaded() && dirty.count(&nav->view())) allBarsDirty_ = true;
    }
    if (allBarsDirty_) {
        allBarsDirty_ = false;
        for (auto [bar, nav] : bars_) {
            (void)nav;
            if (Node* node = nodeFor(*bar)) {
                if (auto view = node->view.lock()) sync(*node, *view);
            }
        }
    }
    // Presented screens drawn by a presenter keep their widgets hidden.
    for (const View* key : presenterViews_) {
        if (Node* node = nodeFor(*key)) gtk_widget_set_visible(node->widget, false);
    }
    for (const View* key : relayout) {
        auto it = nodes_.find(key);
        if (it == nodes_.end()) continue;
        auto view = it->second.view.lock();
        if (view.get() == key) queueRelayout(it->second, *view);
    }
    departed_.clear();
    flushing_ = false;
}

std::vector<std::string> Mirror::differences() const {
    std::vector<std::string> found;
    std::function<void(const View&)> compare = [&](const View& view) {
        auto name = view.identifier().empty() ? std::string(typeid(view).name()) : view.identifier();
        auto it = nodes_.find(&view);
        if (it == nodes_.end()) {
            found.push_back(name + ": no widget");
            return;
        }
        const Node& node = it->second;
        bool shown = !view.isHidden() && !isDrawnByPresenter(view);
        if (gtk_widget_get_visible(node.widget) != shown) found.push_back(name + ": hidden differs");
        if (auto* label = dynamic_cast<const Label*>(&view)) {
            GtkWidget* content = viewWidgetState(node.widget).content;
            if (!content || !GTK_IS_LABEL(content) || label->text() != gtk_label_get_text(GTK_LABEL(content))) {
                found.push_back(name + ": text differs");
            }
        }
        if (!node.renderer->mirrorsSubviews(view)) return;
        std::vector<GtkWidget*> expected;
        for (const auto& child : view.subviews()) {
            auto c = nodes_.find(child.get());
            expected.push_back(c == nodes_.end() ? nullptr : c->second.widget);
        }
        std::vector<GtkWidget*> actual;
        GtkWidget* content = viewWidgetState(node.widget).content;
        for (GtkWidget* w = gtk_widget_get_first_child(node.childHost); w; w = gtk_widget_get_next_sibling(w)) {
            if (w != content) actual.push_back(w);
        }
        if (expected != actual) {
            found.push_back(name + ": child widgets differ from the subviews");
            return;
        }
        for (const auto& child : view.subviews()) compare(*child);
    };
    compare(*window_);
    return found;
}

}  // namespace tq::desktop
