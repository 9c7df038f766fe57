#include "desktop/LayoutRules.h"

#include <algorithm>
#include <cmath>

namespace tq::desktop {

namespace {

// A column's and a row's rules are one: `vertical` says which axis is the main one.
struct AxisView {
    bool vertical;
    double main(Size s) const { return vertical ? s.height : s.width; }
    double cross(Size s) const { return vertical ? s.width : s.height; }
    std::optional<double> mainRequest(const ChildSpec& c) const { return vertical ? c.height : c.width; }
    std::optional<double> crossRequest(const ChildSpec& c) const { return vertical ? c.width : c.height; }
    std::optional<double> start(const ChildOffsets& o) const { return vertical ? o.top : o.leading; }
    bool startFromEdge(const ChildOffsets& o) const { return vertical ? o.topFromEdge : o.leadingFromEdge; }
    std::optional<double> end(const ChildOffsets& o) const { return vertical ? o.bottom : o.trailing; }
    std::optional<double> center(const ChildOffsets& o) const { return vertical ? o.centerY : o.centerX; }
    std::optional<double> crossStart(const ChildOffsets& o) const { return vertical ? o.leading : o.top; }
    std::optional<double> crossEnd(const ChildOffsets& o) const { return vertical ? o.trailing : o.bottom; }
    std::optional<double> crossCenter(const ChildOffsets& o) const { return vertical ? o.centerX : o.centerY; }
    double frameMain(const Rect& r) const { return vertical ? r.height() : r.width(); }
    double frameCross(const Rect& r) const { return vertical ? r.width() : r.height(); }
    Rect rect(double mainPos, double crossPos, double mainSize, double crossSize) const {
        return vertical ? Rect(crossPos, mainPos, crossSize, mainSize) : Rect(mainPos, crossPos, mainSize, crossSize);
    }
};

double inset(const std::optional<double>& value) { return value ? std::abs(*value) : 0.0; }

// The size across the axis a child gets, and where it sits.
std::pair<double, double> placeAcross(const AxisView& axis, Alignment alignment, double room, const LayoutChild& child) {
    const auto& o = child.spec.offsets;
    double before = axis.crossStart(o).value_or(0);
    double after = inset(axis.crossEnd(o));
    double natural = axis.cross(child.natural);
    if (natural <= 0) natural = axis.frameCross(child.spec.frame);
    double size;
    if (auto request = axis.crossRequest(child.spec)) {
        size = *request;
    } else if (alignment == Alignment::fill || natural <= 0) {
        size = room - before - after;  // a centred view with no size of its own keeps fill
    } else {
        size = std::min(natural, room - before - after);
    }
    size = std::max(0.0, size);
    double pos;
    switch (alignment) {
        case Alignment::center: pos = (room - size) / 2 + axis.crossCenter(o).value_or(0); break;
        case Alignment::trailing:
        case Alignment::lastBaseline: pos = room - size - after; break;
        default: pos = before; break;
    }
    if (alignment != Alignment::center && axis.crossCenter(o)) pos = (room - size) / 2 + *axis.crossCenter(o);
    return {size, pos};
}

// A child's length along the axis when it does not stretch, given its size across.
double fixedLength(const AxisView& axis, const LayoutChild& child, double across) {
    if (auto request = axis.mainRequest(child.spec)) return std::max(0.0, *request);
    double natural = axis.vertical ? child.heightAt(across) : child.natural.width;
    if (natural <= 0) natural = axis.frameMain(child.spec.frame);
    return std::max(0.0, natural);
}

bool stretches(const AxisView& axis, const LayoutChild& child) {
    return child.spec.stretches && !axis.mainRequest(child.spec);
}

double gapBefore(const AxisView& axis, std::size_t index, double spacing, const LayoutChild& child) {
    const auto& o = child.spec.offsets;
    if (auto start = axis.start(o); start && (index == 0 || !axis.startFromEdge(o))) return *start;
    return index == 0 ? 0 : spacing;
}

std::vector<Rect> arrangeLine(const AxisView& axis, const Arrangement& a, Size container,
                              const std::vector<LayoutChild>& children) {
    const double length = axis.main(container);
    const double room = axis.cross(container);
    std::vector<std::pair<double, double>> across;
    std::vector<double> lengths(children.size(), 0);
    double used = 0;
    int flexible = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        across.push_back(placeAcross(axis, a.alignment, room, children[i]));
        used += gapBefore(axis, i, a.spacing, children[i]);
        if (stretches(axis, children[i])) {
            ++flexible;
        } else {
            lengths[i] = fixedLength(axis, children[i], across[i].first);
            used += lengths[i];
        }
    }
    if (!children.empty()) used += inset(axis.end(children.back().spec.offsets));
    const double share = flexible ? std::max(0.0, length - used) / flexible : 0;
    std::vector<Rect> rects;
    double cursor = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const auto& o = children[i].spec.offsets;
        double size = stretches(axis, children[i]) ? share : lengths[i];
        double pos;
        if (auto center = axis.center(o)) {
            pos = (length - size) / 2 + *center;
        } else if (auto start = axis.start(o); start && i > 0 && axis.startFromEdge(o)) {
            pos = *start;
        } else if (axis.end(o) && !axis.start(o) && i + 1 == children.size()) {
            pos = std::max(cursor, length - size - inset(axis.end(o)));
        } else {
            pos = cursor + gapBefore(axis, i, a.spacing, children[i]);
        }
        rects.push_back(axis.rect(pos, across[i].second, size, across[i].first));
        cursor = pos + size;
    }
    return rects;
}

Rect placeInOverlay(Alignment alignment, Size container, const LayoutChild& child) {
    const auto& o = child.spec.offsets;
    auto side = [&](std::optional<double> request, double natural, double frameSize, double room,
                    std::optional<double> before, std::optional<double> after, std::optional<double> center) {
        double b = before.value_or(0), e = inset(after);
        if (natural <= 0) natural = frameSize;
        double size;
        bool fills = alignment == Alignment::fill && !center;
        if (request) {
            size = *request;
        } else if (fills || natural <= 0 || (before && after)) {
            size = room - b - e;
        } else {
            size = std::min(natural, room - b - e);
        }
        size = std::max(0.0, size);
        double pos;
        if (center) {
            pos = (room - size) / 2 + *center;
        } else if (before) {
            pos = b;
        } else if (after) {
            pos = room - size - e;
        } else if (alignment == Alignment::center) {
            pos = (room - size) / 2;
        } else if (alignment == Alignment::trailing || alignment == Alignment::lastBaseline) {
            pos = room - size;
        } else {
            pos = 0;
        }
        return std::pair{size, pos};
    };
    auto [w, x] = side(child.spec.width, child.natural.width, child.spec.frame.width(), container.width, o.leading,
                       o.trailing, o.centerX);
    double naturalHeight = child.heightAt(w);
    auto [h, y] = side(child.spec.height, naturalHeight, child.spec.frame.height(), container.height, o.top, o.bottom,
                       o.centerY);
    return Rect(x, y, w, h);
}

}  // namespace

std::vector<Rect> arrangeChildren(const Arrangement& arrangement, Size container, const std::vector<LayoutChild>& children) {
    switch (arrangement.kind) {
        case ArrangementKind::column:
        case ArrangementKind::scroll: return arrangeLine(AxisView{true}, arrangement, container, children);
        case ArrangementKind::row: return arrangeLine(AxisView{false}, arrangement, container, children);
        case ArrangementKind::overlay: {
            std::vector<Rect> rects;
            for (const auto& child : children) rects.push_back(placeInOverlay(arrangement.alignment, container, child));
            return rects;
        }
        case ArrangementKind::fixed:
        case ArrangementKind::none: break;
    }
    std::vector<Rect> rects;
    for (const auto& child : children) {
        const Rect& f = child.spec.frame;
        if (f.width() > 0 && f.height() > 0) {
            rects.push_back(f);
        } else if (arrangement.kind == ArrangementKind::none) {
            rects.push_back(Rect(0, 0, container.width, container.height));
        } else {
            rects.push_back(Rect(f.origin.x, f.origin.y, child.natural.width, child.natural.height));
        }
    }
    return rects;
}

Size naturalSize(const Arrangement& arrangement, const std::vector<LayoutChild>& children, double forWidth) {
    Size total;
    switch (arrangement.kind) {
        case ArrangementKind::column:
        case ArrangementKind::scroll:
        case ArrangementKind::row: {
            AxisView axis{arrangement.kind != ArrangementKind::row};
            double length = 0, across = 0;
            double room = axis.vertical && forWidth >= 0 ? forWidth : -1;
            for (std::size_t i = 0; i < children.size(); ++i) {
                const auto& child = children[i];
                const auto& o = child.spec.offsets;
                double crossSize = axis.crossRequest(child.spec).value_or(axis.cross(child.natural));
                if (room >= 0 && !axis.crossRequest(child.spec)) {
                    crossSize = room - axis.crossStart(o).value_or(0) - inset(axis.crossEnd(o));
                }
                across = std::max(across, crossSize + axis.crossStart(o).value_or(0) + inset(axis.crossEnd(o)));
                length += gapBefore(axis, i, arrangement.spacing, child) + fixedLength(axis, child, crossSize);
            }
            if (!children.empty()) length += inset(axis.end(children.back().spec.offsets));
            total = axis.vertical ? Size{across, length} : Size{length, across};
            break;
        }
        case ArrangementKind::overlay:
            for (const auto& child : children) {
                const auto& o = child.spec.offsets;
                double w = child.spec.width.value_or(child.natural.width) + o.leading.value_or(0) + inset(o.trailing);
                double h = child.spec.height.value_or(child.heightAt(forWidth >= 0 ? forWidth : child.natural.width)) +
                           o.top.value_or(0) + inset(o.bottom);
                total.width = std::max(total.width, w);
                total.height = std::max(total.height, h);
            }
            break;
        case ArrangementKind::fixed:
        case ArrangementKind::none:
            for (const auto& child : children) {
                const Rect& f = child.spec.frame;
                double w = f.width() > 0 ? f.width() : child.natural.width;
                double h = f.height() > 0 ? f.height() : child.natural.height;
                total.width = std::max(total.width, f.origin.x + w);
                total.height = std::max(total.height, f.origin.y + h);
            }
            break;
    }
    total.width = std::max(0.0, total.width);
    total.height = std::max(0.0, total.height);
    return total;
}

}  // namespace tq::desktop
