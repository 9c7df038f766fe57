#pragma once

namespace tq {

// How a container places its children, so that a renderer can lay the tree out without a
// constraint solver. Screens declare it through platform/ui/LayoutBuilder.h.
//
// - column: children top to bottom, `spacing` apart; `alignment` places them across the width.
// - row: children leading to trailing, `spacing` apart; `alignment` places them across the height.
// - overlay: children on top of one another, each placed in the whole container by `alignment`.
// - fixed: every child has an explicit frame in the container's coordinates (table cells).
// - scroll: a column that scrolls; the container's content offset moves it.
// Hidden children take no space in a column, row or scroll, as in a stack view.
enum class ArrangementKind { none, column, row, overlay, fixed, scroll };

// Where a child sits across the arrangement's axis (or in the whole container, for an overlay).
enum class Alignment { fill, leading, firstBaseline, center, trailing, lastBaseline };

struct Arrangement {
    ArrangementKind kind = ArrangementKind::none;
    double spacing = 0;
    Alignment alignment = Alignment::fill;

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

    bool isDeclared() const { return kind != ArrangementKind::none; }
    // Whether children are placed by the arrangement (rather than by frames of their own).
    bool placesChildren() const { return kind != ArrangementKind::none && kind != ArrangementKind::fixed; }
    bool operator==(const Arrangement&) const = default;
};

}  // namespace tq
