#pragma once

namespace tq {

// How a container places its children, so that a renderer can lay the tree out without a
// constraint solver. Screens declare it through platform/ui/LayoutBuilder.h; the exact rules a
// renderer follows are written out in platform/ui/LayoutRules.h.
//
// - column: children top to bottom, `spacing` apart; `alignment` places them across the width.
// - row: children leading to trailing, `spacing` apart; `alignment` places them across the height.
// - overlay: children on top of one another, each placed in the whole container by `alignment`.
// - fixed: every child has an explicit frame in the container's coordinates (table cells).
// - scroll: a column that scrolls; the container's content offset moves it. A scroll view
//   scrolls whatever arrangement it declares; `scroll` is the column it has by default.
// Hidden children take no space in a column, row or scroll, as in a stack view.
enum class ArrangementKind { none, column, row, overlay, fixed, scroll };

// Where a child sits across the arrangement's axis (or in the whole container, for an overlay).
enum class Alignment { fill, leading, firstBaseline, center, trailing, lastBaseline };

// Where the spare length of a column, row or scroll goes when none of its shown children
// stretches: before the children (they pack at the end), around them, or after them. `unsaid`
// is read as `start` (children packed at the start), but the arrangement walk asks every
// container that has spare length to say it, or to give it to a child that stretches.
enum class Pack { unsaid, start, center, end };

struct Arrangement {
    ArrangementKind kind = ArrangementKind::none;
    double spacing = 0;
    Alignment alignment = Alignment::fill;
    Pack pack = Pack::unsaid;

    static Arrangement column(double spacing = 0, Alignment alignment = Alignment::fill) {
        return {ArrangementKind::column, spacing, alignment};
    }
    static Arrangement row(double spacing = 0, Alignment alignment = Alignment::fill) {
        return {ArrangementKind::row, spacing, alignment};
    }
    static Arrangement overlay(Alignment alignment = Alignment::fill) { return {ArrangementKind::overlay, 0, alignment}; }
    static Arrangement fixed() { return {ArrangementKind::fixed, 0, Alignment::fill}; }
    static Arrangement scroll(double spacing = 0, Alignment alignment = Alignment::fill) {
        return {ArrangementKind::scroll, spacing, alignment};
    }
    // The same arrangement, saying where its spare length goes.
    Arrangement packed(Pack where) const {
        Arrangement copy = *this;
        copy.pack = where;
        return copy;
    }

    bool isDeclared() const { return kind != ArrangementKind::none; }
    // Whether children are placed by the arrangement (rather than by frames of their own).
    bool placesChildren() const { return kind != ArrangementKind::none && kind != ArrangementKind::fixed; }
    // Whether children follow one another along an axis (column, row, scroll).
    bool isLinear() const {
        return kind == ArrangementKind::column || kind == ArrangementKind::row || kind == ArrangementKind::scroll;
    }
    bool isVertical() const { return kind == ArrangementKind::column || kind == ArrangementKind::scroll; }
    bool operator==(const Arrangement&) const = default;
};

}  // namespace tq
