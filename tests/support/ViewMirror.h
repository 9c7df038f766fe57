#pragma once

// A renderer's view of the tree, for tests: a plain copy kept up to date only by what the
// ViewObserver hears. Whenever a view reports a change, the mirror reads that view again (and,
// for a change of subviews, the subtrees that arrived). A setter that changes state without
// reporting leaves the copy behind, and `differences` shows it. Views attached to a view (a text
// field's left view, a marker's callout views) are mirrored with it. Header-only.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/map/MapView.h"
#include "platform/media/PanoramaView.h"
#include "platform/media/VideoPlayer.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageScrollView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StackView.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"

namespace tq::test {

namespace mirror_detail {

inline std::ostream& operator<<(std::ostream& o, const Color& c) {
    return o << "rgba(" << c.red << "," << c.green << "," << c.blue << "," << c.alpha << ")";
}
inline std::ostream& operator<<(std::ostream& o, const Font& f) { return o << f.name << "/" << f.size << "/" << int(f.weight); }
inline std::ostream& operator<<(std::ostream& o, const Rect& r) {
    return o << r.origin.x << "," << r.origin.y << "," << r.width() << "x" << r.height();
}
inline std::ostream& operator<<(std::ostream& o, const EdgeInsets& e) {
    return o << e.top << "/" << e.left << "/" << e.bottom << "/" << e.right;
}
inline std::ostream& operator<<(std::ostream& o, const Transform& t) {
    return o << t.a << "," << t.b << "," << t.c << "," << t.d << "," << t.tx << "," << t.ty;
}
inline std::ostream& operator<<(std::ostream& o, const Image& i) { return o << int(i.source) << ":" << i.name; }
inline std::ostream& operator<<(std::ostream& o, const AttributedString& s) {
    o << s.text << "|" << s.underline;
    if (s.font) o << "|" << *s.font;
    if (s.foregroundColor) o << "|" << *s.foregroundColor;
    return o << "|" << s.styledRuns().size();
}
inline std::ostream& operator<<(std::ostream& o, const Arrangement& a) {
    return o << int(a.kind) << "/" << a.spacing << "/" << int(a.alignment) << "/" << int(a.pack);
}
inline std::ostream& operator<<(std::ostream& o, const LocationCoordinate& c) {
    return o << c.latitude << ":" << c.longitude;
}
inline std::ostream& operator<<(std::ostream& o, const CoordinateRegion& r) {
    return o << r.center << "/" << r.span.latitudeDelta << "x" << r.span.longitudeDelta;
}
inline std::ostream& operator<<(std::ostream& o, const TextAttributes& a);
template <class T>
std::ostream& operator<<(std::ostream& o, const std::optional<T>& v) {
    if (!v) return o << "-";
    return o << *v;
}

inline std::ostream& operator<<(std::ostream& o, const TextAttributes& a) {
    return o << a.foregroundColor << "/" << a.font;
}

class StateWriter {
public:
    template <class T>
    StateWriter& operator()(const char* name, const T& value) {
        out_ << name << "=" << value << "; ";
        return *this;
    }
    std::string str() const { return out_.str(); }

private:
    std::ostringstream out_;
};

inline void writeBarItem(StateWriter& w, const char* name, const BarButtonItem& item) {
    w(name, item.title())("image", item.image())("enabled", item.isEnabled())("hidden", item.isHidden())(
        "style", int(item.style()))("insets", item.imageInsets())("tint", item.tintColor())("tag", item.tag());
}

}  // namespace mirror_detail

// Everything a renderer could show of one view (not its subviews), as text; with the screen whose
// root view it is, what that screen shows around it (navigation item, alert texts and buttons).
inline std::string viewState(const View& v, ViewController* screen = nullptr) {
    using namespace mirror_detail;
    StateWriter w;
    w("kind", typeid(v).name())("id", v.identifier())("frame", v.frame())("hidden", v.isHidden())("alpha", v.alpha())(
        "tag", v.tag())("touches", v.isUserInteractionEnabled())("background", v.backgroundColor())(
        "tint", v.tintColor())("radius", v.cornerRadius())("clips", v.clipsToBounds())("border", v.borderWidth())(
        "borderColor", v.borderColor())("contentMode", int(v.contentMode()))("transform", v.transform())(
        "margins", v.layoutMargins())("arrangement", v.arrangement())("stretches", v.stretches());
    for (const auto& c : v.constraints()) {
        w("constraint", c->identifier())("constant", c->constant())("active", c->isActive())("priority", c->priority())(
            "anchor", int(c->anchor()));
    }
    for (const auto& g : v.gestureRecognizers()) {
        w("gesture", int(g->kind()))("direction", int(g->direction()))("taps", g->numberOfTapsRequired())(
            "gestureEnabled", g->isEnabled())("cancelsTouches", g->cancelsTouchesInView());
    }
    if (auto* i = dynamic_cast<const ImageView*>(&v)) w("image", i->image());
    if (auto* l = dynamic_cast<const Label*>(&v)) {
        w("text", l->text())("attributed", l->attributedText())("font", l->font())("color", l->textColor())(
            "align", int(l->textAlignment()))("lines", l->numberOfLines())("break", int(l->lineBreakMode()))(
            "fits", l->adjustsFontSizeToFitWidth());
    }
    if (auto* s = dynamic_cast<const StackView*>(&v)) {
        w("distribution", int(s->distribution()));
        for (const auto& a : s->arrangedSubviews()) w("arranged", a.get());
    }
    if (auto* c = dynamic_cast<const Control*>(&v)) {
        w("enabled", c->isEnabled())("selected", c->isSelected())("highlighted", c->isHighlighted());
    }
    if (auto* b = dynamic_cast<const Button*>(&v)) {
        for (auto state : {ControlState::normal, ControlState::highlighted, ControlState::selected, ControlState::disabled}) {
            w("title", b->title(state))("attributedTitle", b->attributedTitle(state))("image", b->image(state))(
                "backgroundImage", b->backgroundImage(state))("titleColor", b->titleColor(state));
        }
        w("imageInsets", b->imageEdgeInsets());
    }
    if (auto* t = dynamic_cast<const TextField*>(&v)) {
        w("text", t->text())("placeholder", t->placeholder())("attributedPlaceholder", t->attributedPlaceholder())(
            "font", t->font())("leftView", t->leftView().get())("leftViewMode", int(t->leftViewMode()))(
            "accessory", t->inputAccessoryView().get())("focused", t->isFirstResponder())(
            "leftViewShown", t->isLeftViewShown());
    }
    if (auto* s = dynamic_cast<const SegmentedControl*>(&v)) {
        for (int i = 0; i < s->numberOfSegments(); ++i) {
            w("segment", s->titleForSegment(i))("segmentImage", s->imageForSegment(i))(
                "segmentEnabled", s->isEnabledForSegment(i));
        }
        w("selectedSegment", s->selectedSegmentIndex())("selectedTint", s->selectedSegmentTintColor());
        for (auto state : {ControlState::normal, ControlState::selected}) {
            w("titleAttributes", s->titleTextAttributes(state));
        }
    }
    if (auto* s = dynamic_cast<const Slider*>(&v)) {
        w("value", s->value())("min", s->minimumValue())("max", s->maximumValue())("continuous", s->isContinuous());
    }
    if (auto* s = dynamic_cast<const Switch*>(&v)) w("on", s->isOn())("onTint", s->onTintColor());
    if (auto* r = dynamic_cast<const StarRatingView*>(&v)) {
        w("rating", r->rating())("minRating", r->minRating())("maxRating", r->maxRating())("fill", int(r->fillMode()))(
            "editable", r->isEditable())("updatesOnTouch", r->updatesOnTouch());
    }
    if (auto* a = dynamic_cast<const ActivityIndicatorView*>(&v)) {
        w("animating", a->isAnimating())("hidesWhenStopped", a->hidesWhenStopped());
    }
    if (auto* s = dynamic_cast<const ScrollView*>(&v)) {
        w("contentSize", Rect(0, 0, s->contentSize().width, s->contentSize().height))(
            "offset", Rect(s->contentOffset().x, s->contentOffset().y, 0, 0))("inset", s->contentInset())(
            "scrolls", s->isScrollEnabled())("vIndicator", s->showsVerticalScrollIndicator())(
            "hIndicator", s->showsHorizontalScrollIndicator())("bounces", s->bounces());
    }
    if (auto* s = dynamic_cast<const WebScrollView*>(&v)) {
        w("scrolls", s->isScrollEnabled())("vIndicator", s->showsVerticalScrollIndicator())(
            "hIndicator", s->showsHorizontalScrollIndicator())("inset", s->contentInset())(
            "contentSize", Rect(0, 0, s->contentSize().width, s->contentSize().height))(
            "offset", Rect(s->contentOffset().x, s->contentOffset().y, 0, 0));
    }
    if (auto* t = dynamic_cast<const TableView*>(&v)) {
        w("rowHeight", t->rowHeight())("estimated", t->estimatedRowHeight())("sectionHeader", t->sectionHeaderHeight())(
            "separator", t->separatorInset())("selection", t->allowsSelection())("editing", t->isEditing())(
            "header", t->tableHeaderView().get())("footer", t->tableFooterView().get());
    }
    if (auto* c = dynamic_cast<const TableViewCell*>(&v)) {
        w("accessory", int(c->accessoryType()))("selectionStyle", int(c->selectionStyle()))(
            "separator", c->separatorInset())("cellSelected", c->isSelected())("cellEditing", c->isEditing())(
            "selectedBackground", c->selectedBackgroundView().get());
    }
    if (auto* i = dynamic_cast<const ImageScrollView*>(&v)) {
        w("image", i->image())("displayMode", int(i->displayMode()))("zoom", i->zoomScale())(
            "minimumZoom", i->minimumZoomScale());
    }
    if (auto* p = dynamic_cast<const PanoramaView*>(&v)) {
        w("projection", int(p->projection()))("control", int(p->controlMethod()))("angleOffset", p->angleOffset())(
            "fieldOfView", p->fieldOfView())("image", p->image())("picture", p->hasPicture())(
            "heading", p->heading())("pitch", p->pitch());
    }
    if (auto* m = dynamic_cast<const MapView*>(&v)) {
        w("region", m->region())("mapType", int(m->mapType()))("userLocation", m->showsUserLocation())(
            "compass", m->showsCompass())("tracking", int(m->userTrackingMode()));
        if (auto user = m->userLocation()) w("userAt", user->coordinate());
        for (const auto& a : m->annotations()) w("annotation", a.get())("marker", m->viewForAnnotation(a).get());
        for (const auto& a : m->selectedAnnotations()) w("selectedAnnotation", a.get());
        for (const auto& o : m->overlays()) {
            w("overlay", o.get());
            if (auto* line = dynamic_cast<const PolylineRenderer*>(m->rendererForOverlay(o).get())) {
                w("stroke", line->strokeColor())("lineWidth", line->lineWidth());
            }
        }
    }
    if (auto* m = dynamic_cast<const MarkerAnnotationView*>(&v)) {
        w("annotation", m->annotation().get())("callout", m->canShowCallout())("glyph", m->glyphImage())(
            "markerTint", m->markerTintColor())("detailAccessory", m->detailCalloutAccessoryView().get())(
            "leftAccessory", m->leftCalloutAccessoryView().get())(
            "rightAccessory", m->rightCalloutAccessoryView().get())("markerSelected", m->isSelected());
    }
    if (auto* web = dynamic_cast<const WebView*>(&v)) w("url", web->url());
    if (auto* l = dynamic_cast<const VideoPlayerLayer*>(&v)) w("player", l->player().get())("gravity", int(l->videoGravity()));
    if (auto* b = dynamic_cast<const NavigationBar*>(&v)) {
        w("barTint", b->barTintColor())("barStyle", int(b->barStyle()))("translucent", b->isTranslucent())(
            "backIndicator", b->backIndicatorImage());
    }
    if (auto* t = dynamic_cast<const Toolbar*>(&v)) {
        w("barStyle", int(t->barStyle()));
        for (const auto& item : t->items()) writeBarItem(w, "item", *item);
    }
    if (auto* alert = dynamic_cast<const AlertController*>(screen)) {
        w("alertTitle", alert->shownTitle())("alertMessage", alert->shownMessage());
        for (const auto& action : alert->actions()) {
            w("action", action.title)("actionStyle", int(action.style))("actionEnabled", action.enabled);
        }
    }
    if (screen) {
        const auto& n = screen->navigationItem();
        w("navTitle", n.title())("titleView", n.titleView().get())("hidesBack", n.hidesBackButton())(
            "supplementsBack", n.leftItemsSupplementBackButton())("backMode", int(n.backButtonDisplayMode()));
        for (const auto& item : n.leftBarButtonItems()) writeBarItem(w, "left", *item);
        for (const auto& item : n.rightBarButtonItems()) writeBarItem(w, "right", *item);
        if (n.backBarButtonItem()) writeBarItem(w, "back", *n.backBarButtonItem());
    }
    return w.str();
}

// Finds the screen whose root view a view is, if any.
using ScreenLookup = std::function<ViewController*(const View&)>;

namespace mirror_detail {
inline ViewController* screenWithView(ViewController& screen, const View& view) {
    if (screen.isViewLoaded() && &screen.view() == &view) return &screen;
    for (const auto& child : screen.children()) {
        if (auto* found = screenWithView(*child, view)) return found;
    }
    auto presented = screen.presentedViewController();
    if (presented && presented->presentingViewController().get() == &screen) return screenWithView(*presented, view);
    return nullptr;
}
}  // namespace mirror_detail

// Every screen shown in the window: its root screen, their children and what they present.
inline ScreenLookup screensIn(const Window& window) {
    return [&window](const View& view) -> ViewController* {
        auto root = window.rootViewController();
        return root ? mirror_detail::screenWithView(*root, view) : nullptr;
    };
}

// The plain copy. Attach it to the root of the tree to mirror; `screenOf` names the screen whose
// root view a view is, so that what the screen shows with it (its navigation item) is mirrored too.
class ViewMirror : public ViewObserver {
public:
    static std::shared_ptr<ViewMirror> attach(View& root, ScreenLookup screenOf = {}) {
        auto mirror = std::make_shared<ViewMirror>();
        mirror->root_ = &root;
        mirror->screenOf_ = std::move(screenOf);
        mirror->copySubtree(root);
        root.setObserver(mirror);
        return mirror;
    }

    void viewDidChange(View& view, std::string_view property) override {
        ++reports_;
        if (!nodes_.count(&view)) {
            copySubtree(view);
            return;
        }
        // A view that arrives is read whole, with what changed while it was out of the tree.
        auto& node = nodes_[&view];
        node.state = read(view);
        if (property == "subviews") {
            auto before = node.children;
            node.children.clear();
            for (const auto& child : view.subviews()) {
                node.children.push_back(child.get());
                if (std::find(before.begin(), before.end(), child.get()) == before.end()) copySubtree(*child);
            }
        }
        // Attaching a view is reported by the setter that takes it, under its own name.
        auto before = node.attached;
        node.attached = view.attachedViews();
        for (const auto* attached : node.attached) {
            if (std::find(before.begin(), before.end(), attached) == before.end()) copySubtree(*attached);
        }
    }

    // Where the copy and the real tree part, one line each; empty when they agree.
    std::vector<std::string> differences() const {
        std::vector<std::string> found;
        compare(*root_, found);
        return found;
    }
    int reports() const { return reports_; }

private:
    struct Node {
        std::string state;
        std::vector<const View*> children;
        std::vector<View*> attached;
    };

    std::string read(const View& view) const {
        return viewState(view, screenOf_ ? screenOf_(view) : nullptr);
    }

    void copySubtree(const View& view) {
        auto& node = nodes_[&view];
        node.state = read(view);
        node.children.clear();
        node.attached = view.attachedViews();
        for (const auto& child : view.subviews()) {
            node.children.push_back(child.get());
            copySubtree(*child);
        }
        for (const auto* attached : view.attachedViews()) copySubtree(*attached);
    }

    void compare(const View& view, std::vector<std::string>& found) const {
        auto name = view.identifier().empty() ? std::string(typeid(view).name()) : view.identifier();
        auto it = nodes_.find(&view);
        if (it == nodes_.end()) {
            found.push_back(name + ": never reported");
            return;
        }
        if (it->second.state != read(view)) {
            found.push_back(name + ": copy " + it->second.state + "\n    tree " + read(view));
        }
        std::vector<const View*> children;
        for (const auto& child : view.subviews()) children.push_back(child.get());
        if (children != it->second.children) {
            found.push_back(name + ": subviews differ");
            return;
        }
        if (view.attachedViews() != it->second.attached) {
            found.push_back(name + ": attached views differ");
            return;
        }
        for (const auto& child : view.subviews()) compare(*child, found);
        for (const auto* attached : view.attachedViews()) compare(*attached, found);
    }

    const View* root_ = nullptr;
    ScreenLookup screenOf_;
    std::map<const View*, Node> nodes_;
    int reports_ = 0;
};

}  // namespace tq::test
