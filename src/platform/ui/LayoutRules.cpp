#include "platform/ui/LayoutRules.h"

#include <algorithm>

#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"

namespace tq {

namespace {

enum class Axis { horizontal, vertical };

double along(Size size, Axis axis) { return axis == Axis::horizontal ? size.width : size.height; }
double along(const Rect& rect, Axis axis) { return along(rect.size, axis); }
Axis across(Axis axis) { return axis == Axis::horizontal ? Axis::vertical : Axis::horizontal; }

bool isStart(LayoutAttribute a, Axis axis) {
    if (axis == Axis::vertical) return a == LayoutAttribute::top;
    return a == LayoutAttribute::leading || a == LayoutAttribute::left;
}
bool isEnd(LayoutAttribute a, Axis axis) {
    if (axis == Axis::vertical) return a == LayoutAttribute::bottom;
    return a == LayoutAttribute::trailing || a == LayoutAttribute::right;
}
bool isCentre(LayoutAttribute a, Axis axis) {
    return a == (axis == Axis::vertical ? LayoutAttribute::centerY : LayoutAttribute::centerX);
}

// Calls `visit` with every active constraint held by `view` or one of its ancestors.
template <class F>
void forEachConstraintAbove(const View& view, F&& visit) {
    for (const View* holder = &view; holder; holder = holder->superview()) {
        for (const auto& constraint : holder->constraints()) {
            if (constraint->isActive()) visit(*constraint);
        }
    }
}

// What the constraints say of one child: its size requests and its offsets from the edges.
struct ChildConstraints {
    std::optional<double> width, height;
    std::optional<double> startH, endH, centreH, startV, endV, centreV;  // container-edge offsets
    std::optional<double> gapFromPrevious[2];                            // [horizontal, vertical]

    std::optional<double> request(Axis axis) const { return axis == Axis::horizontal ? width : height; }
    std::optional<double> start(Axis axis) const { return axis == Axis::horizontal ? startH : startV; }
    std::optional<double> end(Axis axis) const { return axis == Axis::horizontal ? endH : endV; }
    std::optional<double> centre(Axis axis) const { return axis == Axis::horizontal ? centreH : centreV; }
};

ChildConstraints constraintsOf(const View& child) {
    ChildConstraints out;
    forEachConstraintAbove(child, [&](const LayoutConstraint& c) {
        if (c.firstItem().get() != &child) return;
        const auto a = c.firstAttribute();
        switch (c.anchor()) {
            case LayoutAnchor::itself:
                (a == LayoutAttribute::width ? out.width : out.height) = c.constant();
                break;
            case LayoutAnchor::containerEdge:
                for (Axis axis : {Axis::horizontal, Axis::vertical}) {
                    const bool h = axis == Axis::horizontal;
                    if (isStart(a, axis)) (h ? out.startH : out.startV) = c.constant();
                    if (isEnd(a, axis)) (h ? out.endH : out.endV) = c.constant();
                    if (isCentre(a, axis)) (h ? out.centreH : out.centreV) = c.constant();
                }
                break;
            case LayoutAnchor::previousSibling:
                for (Axis axis : {Axis::horizontal, Axis::vertical}) {
                    if (isStart(a, axis)) out.gapFromPrevious[int(axis)] = c.constant();
                }
                break;
            default:
                break;
        }
    });
    return out;
}

// A relation between the facing edges of `previous` and `next` along `axis`, as a gap.
std::optional<double> relationGap(const View& previous, const View& next, Axis axis) {
    std::optional<double> gap;
    forEachConstraintAbove(next, [&](const LayoutConstraint& c) {
        if (c.anchor() != LayoutAnchor::secondItem) return;
        const View* first = c.firstItem().get();
        const View* second = c.secondItem().get();
        if (first == &next && second == &previous && isStart(c.firstAttribute(), axis) &&
            isEnd(c.secondAttribute(), axis)) {
            gap = c.constant();
        } else if (first == &previous && second == &next && isEnd(c.firstAttribute(), axis) &&
                   isStart(c.secondAttribute(), axis)) {
            gap = -c.constant();
        }
    });
    return gap;
}

bool equalLengths(const View& container) {
    const auto* stack = dynamic_cast<const StackView*>(&container);
    return stack && stack->distribution() == StackDistribution::fillEqually;
}

// The children a linear arrangement lines up; a stack view lines up only its arranged views.
std::vector<const View*> linedUpChildren(const View& container) {
    std::vector<const View*> out;
    if (const auto* stack = dynamic_cast<const StackView*>(&container)) {
        for (const auto& v : stack->arrangedSubviews()) {
            if (!v->isHidden() && v->superview() == &container) out.push_back(v.get());
        }
        return out;
    }
    for (const auto& v : container.subviews()) {
        if (!v->isHidden()) out.push_back(v.get());
    }
    return out;
}

bool isLinedUp(const View& container, const View& child) {
    const auto* stack = dynamic_cast<const StackView*>(&container);
    if (!stack) return true;
    const auto& arranged = stack->arrangedSubviews();
    return std::any_of(arranged.begin(), arranged.end(), [&](const auto& v) { return v.get() == &child; });
}

Axis mainAxis(const Arrangement& arrangement) {
    return arrangement.kind == ArrangementKind::row ? Axis::horizontal : Axis::vertical;
}

// Rule 1: the length a child asks for along an axis (request, frame, natural).
double preferredLength(const View& child, const ChildConstraints& c, Axis axis) {
    if (auto request = c.request(axis)) return std::max(0.0, *request);
    if (double framed = along(child.frame(), axis); framed > 0) return framed;
    return along(naturalSizeOf(child), axis);
}

// Rule 2's main length before the spare length is shared.
double mainBase(const View& child, const ChildConstraints& c, Axis axis) {
    if (auto request = c.request(axis)) return std::max(0.0, *request);
    if (child.stretches()) return along(naturalSizeOf(child), axis);
    return preferredLength(child, c, axis);
}

struct Line {
    std::vector<const View*> children;
    std::vector<ChildConstraints> constraints;
    std::vector<double> lengths;
    std::vector<bool> stretching;
    std::vector<double> gaps;  // gaps[i]: before child i (gaps[0] is the start padding)
    double endPadding = 0;
    double total() const {
        double sum = endPadding;
        for (double g : gaps) sum += g;
        for (double l : lengths) sum += l;
        return sum;
    }
};

Line lineUp(const View& container, Axis axis) {
    Line line;
    line.children = linedUpChildren(container);
    const auto arrangement = container.arrangement();
    const bool equal = equalLengths(container);
    for (std::size_t i = 0; i < line.children.size(); ++i) {
        const View& child = *line.children[i];
        line.constraints.push_back(constraintsOf(child));
        const auto& c = line.constraints.back();
        line.lengths.push_back(mainBase(child, c, axis));
        line.stretching.push_back(equal || (!c.request(axis) && child.stretches()));
        double gap = i == 0 ? 0 : arrangement.spacing;
        if (i == 0) {
            if (auto start = c.start(axis)) gap = *start;
        } else if (auto relation = relationGap(*line.children[i - 1], child, axis)) {
            gap = *relation;
        } else if (auto fromPrevious = c.gapFromPrevious[int(axis)]) {
            gap = *fromPrevious;
        }
        line.gaps.push_back(gap);
    }
    if (!line.children.empty()) {
        if (auto end = line.constraints.back().end(axis)) line.endPadding = *end;
    }
    if (equal && !line.lengths.empty()) {
        const double longest = *std::max_element(line.lengths.begin(), line.lengths.end());
        std::fill(line.lengths.begin(), line.lengths.end(), longest);
    }
    return line;
}

// Rule 2's cross axis: the child's length and place across a room of `room` from `lead`.
std::pair<double, double> placeAcross(const View& child, const ChildConstraints& c, Axis crossAxis, double length,
                                      Alignment alignment) {
    const double lead = c.start(crossAxis).value_or(0);
    const double trail = c.end(crossAxis).value_or(0);
    const double room = length - lead - trail;
    double size;
    if (auto request = c.request(crossAxis)) {
        size = std::max(0.0, *request);
    } else if (alignment == Alignment::fill) {
        size = room;
    } else {
        size = preferredLength(child, c, crossAxis);
        if (size <= 0) size = room;
    }
    double position;
    switch (alignment) {
        case Alignment::leading:
        case Alignment::firstBaseline:
            position = lead;
            break;
        case Alignment::trailing:
        case Alignment::lastBaseline:
            position = length - trail - size;
            break;
        default:
            position = lead + (room - size) / 2;
            break;
    }
    position += c.centre(crossAxis).value_or(0);
    return {std::max(0.0, size), position};
}

Rect makeRect(Axis axis, double mainPos, double mainLen, double crossPos, double crossLen) {
    if (axis == Axis::vertical) return Rect(crossPos, mainPos, crossLen, mainLen);
    return Rect(mainPos, crossPos, mainLen, crossLen);
}

void layOutLine(const View& container, Size size, ContainerLayout& out) {
    const auto arrangement = container.arrangement();
    const Axis axis = mainAxis(arrangement);
    Line line = lineUp(container, axis);
    const double spare = along(size, axis) - line.total();
    const auto stretchers = std::count(line.stretching.begin(), line.stretching.end(), true);
    double before = 0;
    if (stretchers > 0) {
        for (std::size_t i = 0; i < line.lengths.size(); ++i) {
            if (line.stretching[i]) line.lengths[i] = std::max(0.0, line.lengths[i] + spare / double(stretchers));
        }
    } else if (spare > 0) {
        out.spareLength = spare;
        if (arrangement.pack == Pack::end) before = spare;
        if (arrangement.pack == Pack::center) before = spare / 2;
    }
    double position = before;
    for (std::size_t i = 0; i < line.children.size(); ++i) {
        position += line.gaps[i];
        const auto [crossLen, crossPos] = placeAcross(*line.children[i], line.constraints[i], across(axis),
                                                      along(size, across(axis)), arrangement.alignment);
        out.children.push_back({line.children[i], makeRect(axis, position, line.lengths[i], crossPos, crossLen)});
        position += line.lengths[i];
    }
}

// Rule 3, one axis.
std::pair<double, double> placeInOverlay(const View& child, const ChildConstraints& c, Axis axis, double length,
                                         Alignment alignment) {
    const auto start = c.start(axis), end = c.end(axis), centre = c.centre(axis);
    const double room = length - start.value_or(0) - end.value_or(0);
    double size;
    if (auto request = c.request(axis)) {
        size = std::max(0.0, *request);
    } else if ((start && end) || alignment == Alignment::fill) {
        size = room;
    } else {
        size = preferredLength(child, c, axis);
        if (size <= 0) size = room;
    }
    double position;
    if (start) {
        position = *start;
    } else if (end) {
        position = length - *end - size;
    } else if (centre) {
        position = (length - size) / 2 + *centre;
    } else if (alignment == Alignment::leading || alignment == Alignment::firstBaseline) {
        position = 0;
    } else if (alignment == Alignment::trailing || alignment == Alignment::lastBaseline) {
        position = length - size;
    } else {
        position = (length - size) / 2;
    }
    return {std::max(0.0, size), position};
}

void layOutOverlay(const View& container, Size size, ContainerLayout& out) {
    const auto alignment = container.arrangement().alignment;
    for (const View* child : placedChildren(container)) {
        const auto c = constraintsOf(*child);
        const auto [w, x] = placeInOverlay(*child, c, Axis::horizontal, size.width, alignment);
        const auto [h, y] = placeInOverlay(*child, c, Axis::vertical, size.height, alignment);
        out.children.push_back({child, Rect(x, y, w, h)});
    }
}

Size framesBoundingBox(const View& container, bool onlyLoose) {
    Size box;
    for (const View* child : placedChildren(container)) {
        if (onlyLoose && isLinedUp(container, *child)) continue;
        const Rect& f = child->frame();
        box.width = std::max(box.width, f.origin.x + f.width());
        box.height = std::max(box.height, f.origin.y + f.height());
    }
    return box;
}

// The natural size of what a container holds, by its arrangement (rule 1c).
Size contentNaturalSize(const View& container) {
    const auto arrangement = container.arrangement();
    if (!container.drawsSubviews() || container.subviews().empty()) return {};
    if (arrangement.isLinear()) {
        const Axis axis = mainAxis(arrangement);
        Line line = lineUp(container, axis);
        double crossMax = 0;
        for (std::size_t i = 0; i < line.children.size(); ++i) {
            const auto& c = line.constraints[i];
            const double cross = preferredLength(*line.children[i], c, across(axis)) +
                                 c.start(across(axis)).value_or(0) + c.end(across(axis)).value_or(0);
            crossMax = std::max(crossMax, cross);
        }
        const double main = std::max(0.0, line.total());
        return axis == Axis::vertical ? Size{crossMax, main} : Size{main, crossMax};
    }
    if (arrangement.kind == ArrangementKind::overlay) {
        Size box;
        for (const View* child : placedChildren(container)) {
            const auto c = constraintsOf(*child);
            box.width = std::max(box.width, preferredLength(*child, c, Axis::horizontal) + c.startH.value_or(0) +
                                                c.endH.value_or(0));
            box.height = std::max(box.height, preferredLength(*child, c, Axis::vertical) + c.startV.value_or(0) +
                                                  c.endV.value_or(0));
        }
        return box;
    }
    return framesBoundingBox(container, false);
}

}  // namespace

bool scrollsContent(const View& view) {
    return dynamic_cast<const ScrollView*>(&view) || view.arrangement().kind == ArrangementKind::scroll;
}

std::vector<const View*> placedChildren(const View& container) {
    std::vector<const View*> out;
    if (!container.drawsSubviews()) return out;
    for (const auto& v : container.subviews()) {
        if (!v->isHidden()) out.push_back(v.get());
    }
    return out;
}

Size naturalSizeOf(const View& view) {
    Size own = view.naturalSize();
    if (scrollsContent(view)) return own;
    Size content = contentNaturalSize(view);
    return {std::max(own.width, content.width), std::max(own.height, content.height)};
}

ContainerLayout layoutContainer(const View& container, Size size) {
    ContainerLayout out;
    const auto arrangement = container.arrangement();
    out.scrolls = scrollsContent(container);
    out.contentSize = size;
    if (out.scrolls) {
        const auto* scroller = dynamic_cast<const ScrollView*>(&container);
        if (scroller) out.contentOffset = scroller->contentOffset();
        const Size needed = contentNaturalSize(container);
        if (arrangement.isLinear()) {
            const Axis axis = mainAxis(arrangement);
            if (axis == Axis::vertical) {
                out.contentSize.height = std::max(size.height, needed.height);
            } else {
                out.contentSize.width = std::max(size.width, needed.width);
            }
        } else if (arrangement.kind != ArrangementKind::overlay) {
            const Size declared = scroller ? scroller->contentSize() : Size{};
            out.contentSize = {std::max({size.width, declared.width, needed.width}),
                               std::max({size.height, declared.height, needed.height})};
        }
    }
    if (!container.drawsSubviews()) return out;
    if (arrangement.isLinear()) {
        layOutLine(container, out.contentSize, out);
        // A stack view's other subviews sit at their frames.
        for (const View* child : placedChildren(container)) {
            if (!isLinedUp(container, *child)) out.children.push_back({child, child->frame()});
        }
    } else if (arrangement.kind == ArrangementKind::overlay) {
        layOutOverlay(container, out.contentSize, out);
    } else {
        for (const View* child : placedChildren(container)) out.children.push_back({child, child->frame()});
    }
    return out;
}

const Placement* LayoutPlan::placement(const View& view) const {
    auto it = placements_.find(&view);
    return it == placements_.end() ? nullptr : &it->second;
}

const ContainerLayout* LayoutPlan::containerLayout(const View& container) const {
    auto it = layouts_.find(&container);
    return it == layouts_.end() ? nullptr : &it->second;
}

void LayoutPlan::place(const View& view, Rect rect, const View* scroller, Rect area) {
    order_.push_back(&view);
    placements_[&view] = {rect, scroller, area};
    if (view.subviews().empty()) return;
    auto layout = layoutContainer(view, rect.size);
    const Point origin{rect.origin.x - layout.contentOffset.x, rect.origin.y - layout.contentOffset.y};
    if (layout.scrolls) {
        scroller = &view;
        area = Rect(origin.x, origin.y, layout.contentSize.width, layout.contentSize.height);
    }
    for (const auto& [child, childRect] : layout.children) {
        place(*child, Rect(origin.x + childRect.origin.x, origin.y + childRect.origin.y, childRect.width(),
                           childRect.height()),
              scroller, area);
    }
    layouts_[&view] = std::move(layout);
}

LayoutPlan planLayout(const View& root, Rect rootRect) {
    LayoutPlan plan;
    if (root.isHidden()) return plan;
    plan.place(root, rootRect, nullptr, rootRect);
    return plan;
}

}  // namespace tq
