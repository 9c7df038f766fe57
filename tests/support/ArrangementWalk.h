#pragma once

// The rules a renderer needs to place a view tree without a solver (see
// platform/ui/LayoutBuilder.h), checked over a whole tree. Header-only, for screen tests.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ImageScrollView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/LayoutRules.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/StackView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/View.h"

namespace tq::test {

inline std::string describeView(const View& view) {
    if (!view.identifier().empty()) return view.identifier();
    std::string path = "(unnamed)";
    for (const View* v = view.superview(); v; v = v->superview()) {
        if (!v->identifier().empty()) return path + " in " + v->identifier();
    }
    return path;
}

// Every place where the tree below `root` breaks the rules, one line each; empty when it holds:
// - a view that holds subviews declares an arrangement;
// - a child of a fixed container has an explicit frame;
// - every constraint held in the tree says what its constant measures from.
inline std::vector<std::string> arrangementFaults(const View& root) {
    std::vector<std::string> faults;
    const auto arrangement = root.arrangement();
    if (!root.subviews().empty() && !arrangement.isDeclared()) {
        faults.push_back(describeView(root) + ": holds " + std::to_string(root.subviews().size()) +
                         " subviews but declares no arrangement");
    }
    for (const auto& child : root.subviews()) {
        const auto& frame = child->frame();
        if (arrangement.kind == ArrangementKind::fixed && (frame.width() <= 0 || frame.height() <= 0)) {
            faults.push_back(describeView(*child) + ": in the fixed container " + describeView(root) +
                             " without a frame");
        }
    }
    for (const auto& constraint : root.constraints()) {
        if (constraint->anchor() == LayoutAnchor::unnamed) {
            auto name = constraint->identifier().empty() ? std::string("(unnamed constraint)") : constraint->identifier();
            faults.push_back(name + " on " + describeView(root) + ": does not say what it measures from");
        }
    }
    for (const auto& child : root.subviews()) {
        auto below = arrangementFaults(*child);
        faults.insert(faults.end(), below.begin(), below.end());
    }
    return faults;
}

namespace walk_detail {

inline std::string rectText(const Rect& r) {
    auto n = [](double v) { return std::to_string(int(v)); };
    return n(r.origin.x) + "," + n(r.origin.y) + " " + n(r.width()) + "x" + n(r.height());
}

inline bool inside(const Rect& inner, const Rect& outer) {
    constexpr double slack = 0.5;
    return inner.origin.x >= outer.origin.x - slack && inner.origin.y >= outer.origin.y - slack &&
           inner.origin.x + inner.width() <= outer.origin.x + outer.width() + slack &&
           inner.origin.y + inner.height() <= outer.origin.y + outer.height() + slack;
}

inline double overlapArea(const Rect& a, const Rect& b) {
    const double w = std::min(a.origin.x + a.width(), b.origin.x + b.width()) - std::max(a.origin.x, b.origin.x);
    const double h = std::min(a.origin.y + a.height(), b.origin.y + b.height()) - std::max(a.origin.y, b.origin.y);
    return w > 0 && h > 0 ? w * h : 0;
}

// A text or a picture a cell shows.
inline bool isCellText(const View& v) {
    return (dynamic_cast<const Label*>(&v) && v.drawsContent()) || (dynamic_cast<const ImageView*>(&v) && v.drawsContent());
}

// Offsets on a child of a column or row that the rules cannot place (rule 2's paddings).
inline void misplacedOffsets(const View& container, std::vector<std::string>& faults) {
    const auto arrangement = container.arrangement();
    if (!arrangement.isLinear()) return;
    const bool vertical = arrangement.isVertical();
    std::vector<const View*> shown;
    if (const auto* stack = dynamic_cast<const StackView*>(&container)) {
        for (const auto& v : stack->arrangedSubviews()) {
            if (!v->isHidden()) shown.push_back(v.get());
        }
    } else {
        for (const auto& v : container.subviews()) {
            if (!v->isHidden()) shown.push_back(v.get());
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (const View* holder = shown[i]; holder; holder = holder->superview()) {
            for (const auto& c : holder->constraints()) {
                if (!c->isActive() || c->firstItem().get() != shown[i] || c->anchor() != LayoutAnchor::containerEdge) continue;
                const auto a = c->firstAttribute();
                const bool start = vertical ? a == LayoutAttribute::top
                                            : (a == LayoutAttribute::leading || a == LayoutAttribute::left);
                const bool end = vertical ? a == LayoutAttribute::bottom
                                          : (a == LayoutAttribute::trailing || a == LayoutAttribute::right);
                const bool centre = a == (vertical ? LayoutAttribute::centerY : LayoutAttribute::centerX);
                if ((start && i != 0) || (end && i + 1 != shown.size()) || centre) {
                    faults.push_back(c->identifier() + " on " + describeView(*shown[i]) + ": an edge offset in the " +
                                     (vertical ? "column " : "row ") + describeView(container) + " that places nothing");
                }
            }
        }
    }
}

// Which edge of a rectangle an attribute names, counted in its own direction: the x or y of that
// edge (or of the centre).
inline std::optional<double> edgeOf(const Rect& r, LayoutAttribute a) {
    switch (a) {
        case LayoutAttribute::left:
        case LayoutAttribute::leading: return r.origin.x;
        case LayoutAttribute::right:
        case LayoutAttribute::trailing: return r.origin.x + r.width();
        case LayoutAttribute::top: return r.origin.y;
        case LayoutAttribute::bottom: return r.origin.y + r.height();
        case LayoutAttribute::centerX: return r.origin.x + r.width() / 2;
        case LayoutAttribute::centerY: return r.origin.y + r.height() / 2;
        default: return std::nullopt;
    }
}

// An edge offset held by a view above the item's container. The rules measure it from the
// container's edge; the holder says it measures from its own. Both hold only when the container
// lies flush with the holder on that edge: otherwise the item is drawn away from where the holder
// puts it (a row of stacks centred at its natural width, while the stacks' offsets pin them to the
// panel's sides).
inline void offsetsHeldAbove(const LayoutPlan& plan, const View& holder, std::vector<std::string>& faults) {
    const auto* holderPlace = plan.placement(holder);
    if (!holderPlace) return;
    for (const auto& c : holder.constraints()) {
        if (!c->isActive() || c->anchor() != LayoutAnchor::containerEdge) continue;
        auto item = c->firstItem();
        if (!item || !item->superview() || item->superview() == &holder || !item->isDescendant(holder)) continue;
        const View& container = *item->superview();
        const auto* containerPlace = plan.placement(container);
        if (!containerPlace || !plan.placement(*item)) continue;
        const auto expected = edgeOf(holderPlace->rect, c->firstAttribute());
        const auto actual = edgeOf(containerPlace->rect, c->firstAttribute());
        if (!expected || !actual || std::abs(*expected - *actual) <= 0.5) continue;
        faults.push_back(c->identifier() + " on " + describeView(*item) + ": held by " + describeView(holder) +
                         ", but " + describeView(container) + ", which places it, lies " +
                         std::to_string(int(std::abs(*expected - *actual))) + " points in from that edge");
    }
}

}  // namespace walk_detail

// Every place where the shown tree below `root`, laid out by the rules of platform/ui/LayoutRules.h
// at `screen`, cannot be drawn as meant, one line each; empty when it holds:
// - a column, row or scroll with room to spare says where it goes (a child stretches, or its pack);
// - an edge offset on a child of a column or row places something;
// - an edge offset held above the item's container is where the holder says (the container lies
//   flush with the holder on that edge);
// - a shown view with content (a text, a picture, a control, a page) gets a width and a height;
// - no two shown siblings of a column or row lie at one rectangle;
// - a navigation bar comes first in its column;
// - every shown view with content, and every scroll view, lies inside the screen or inside the
//   content of the scroll view that holds it;
// - the texts and pictures of one table cell do not overlap.
inline std::vector<std::string> layoutFaults(const View& root, Rect screen) {
    using namespace walk_detail;
    std::vector<std::string> faults;
    const auto plan = planLayout(root, screen);
    for (const View* view : plan.views()) {
        const auto& placed = *plan.placement(*view);
        const auto arrangement = view->arrangement();
        if (const auto* layout = plan.containerLayout(*view)) {
            if (layout->spareLength > 0.5 && arrangement.pack == Pack::unsaid) {
                faults.push_back(describeView(*view) + ": has " + std::to_string(int(layout->spareLength)) +
                                 " points to spare, but no child stretches and it does not say where they go");
            }
            if (arrangement.kind == ArrangementKind::column || arrangement.kind == ArrangementKind::row) {
                const auto& children = layout->children;
                for (std::size_t i = 0; i < children.size(); ++i) {
                    for (std::size_t j = i + 1; j < children.size(); ++j) {
                        const Rect& r = children[i].rect;
                        if (r == children[j].rect && r.width() > 0 && r.height() > 0) {
                            faults.push_back(describeView(*children[i].child) + " and " +
                                             describeView(*children[j].child) + ": share the rectangle " + rectText(r) +
                                             " in " + describeView(*view));
                        }
                    }
                }
                for (std::size_t i = 1; i < children.size(); ++i) {
                    if (dynamic_cast<const NavigationBar*>(children[i].child)) {
                        faults.push_back(describeView(*view) + ": its navigation bar comes after " +
                                         describeView(*children[0].child));
                    }
                }
            }
        }
        misplacedOffsets(*view, faults);
        offsetsHeldAbove(plan, *view, faults);
        const bool scrolls = scrollsContent(*view);
        if (!view->drawsContent() && !scrolls) continue;
        if (view->drawsContent() && (placed.rect.width() <= 0 || placed.rect.height() <= 0)) {
            faults.push_back(describeView(*view) + ": shown with content but left without a size (" +
                             rectText(placed.rect) + ")");
        }
        if (!inside(placed.rect, placed.area)) {
            faults.push_back(describeView(*view) + ": at " + rectText(placed.rect) + ", outside " +
                             (placed.scroller ? "the content of " + describeView(*placed.scroller) : "the screen") +
                             " (" + rectText(placed.area) + ")");
        }
    }
    for (const View* view : plan.views()) {
        if (!dynamic_cast<const TableViewCell*>(view)) continue;
        std::vector<const View*> texts;
        for (const View* other : plan.views()) {
            if (other != view && other->isDescendant(*view) && isCellText(*other)) texts.push_back(other);
        }
        for (std::size_t i = 0; i < texts.size(); ++i) {
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                const Rect& a = plan.placement(*texts[i])->rect;
                const Rect& b = plan.placement(*texts[j])->rect;
                if (overlapArea(a, b) > 0) {
                    faults.push_back(describeView(*texts[i]) + " (" + rectText(a) + ") and " + describeView(*texts[j]) +
                                     " (" + rectText(b) + "): overlap in a cell of " +
                                     (view->superview() ? describeView(*view->superview()) : std::string("no table")));
                }
            }
        }
    }
    return faults;
}

// Where a shown view with content runs past the sides of what shows it: the screen, or the
// nearest scroll view above it when that scroll view scrolls up and down only (a row scrolls
// sideways, and so does a zooming picture). A layout that kept the width it was loaded at shows
// here once the device turns to a narrower width: its content area still grows to hold the view,
// so the check above does not see it.
inline std::vector<std::string> sidewaysFaults(const View& root, Rect screen) {
    using namespace walk_detail;
    std::vector<std::string> faults;
    const auto plan = planLayout(root, screen);
    for (const View* view : plan.views()) {
        if (!view->drawsContent()) continue;
        const auto& placed = *plan.placement(*view);
        Rect room = screen;
        if (placed.scroller) {
            if (placed.scroller->arrangement().kind == ArrangementKind::row ||
                dynamic_cast<const ImageScrollView*>(placed.scroller)) {
                continue;
            }
            room = plan.placement(*placed.scroller)->rect;
        }
        constexpr double slack = 0.5;
        if (placed.rect.origin.x < room.origin.x - slack ||
            placed.rect.origin.x + placed.rect.width() > room.origin.x + room.width() + slack) {
            faults.push_back(describeView(*view) + ": at " + rectText(placed.rect) + ", runs past the sides of " +
                             (placed.scroller ? describeView(*placed.scroller) : "the screen") + " (" +
                             rectText(room) + ")");
        }
    }
    return faults;
}

}  // namespace tq::test
