#pragma once

// How the window places a container's children from what the view tree declares: the container's
// arrangement, and for each child its size requests, its signed offsets and its frame. Pure
// arithmetic on rectangles, so that the rules can be read and tested without a display; the GTK
// layout manager (ArrangementLayout) only measures children and hands the results to GTK.
//
// - column / row: children one after another along the axis, `spacing` apart. A top (leading)
//   offset replaces the gap before a child (from the container's edge for the first child, or for
//   an offset that says so); it may be negative, and then the child overlaps the one before. A
//   centre offset places the child in the middle of the container, shifted by the constant; a
//   bottom (trailing) offset from the container's edge places it that far from the end. Across the
//   axis the arrangement's alignment places each child, its size request winning over fill.
//   Children that stretch share what space is left along the axis.
// - overlay: every child is placed in the whole container, by its offsets or else by alignment.
// - fixed (and none): every child at its frame; a child without one fills the container.
// - scroll: a column whose length is its content's.
// Hidden children are not given to the rules: they take no space.

#include <optional>
#include <vector>

#include "platform/ui/Arrangement.h"
#include "platform/ui/Geometry.h"

namespace tq::desktop {

// The signed offsets that place one child, each as its constraint's constant.
struct ChildOffsets {
    std::optional<double> top, bottom, leading, trailing, centerX, centerY;
    // Whether the top / leading offset counts from the container's edge rather than from the
    // previous sibling.
    bool topFromEdge = false;
    bool leadingFromEdge = false;
    bool operator==(const ChildOffsets&) const = default;
};

// What a child asks of its container's layout.
struct ChildSpec {
    std::optional<double> width, height;  // size requests
    ChildOffsets offsets;
    Rect frame;            // its own frame (fixed containers place children there)
    bool stretches = false;  // takes a share of the spare space along a column or row
    bool operator==(const ChildSpec&) const = default;
};

// A child as the rules see it: what it asks, and its natural size as its widget measures it. The
// natural height may depend on the width the child gets (text that wraps): `heightForWidth`.
struct LayoutChild {
    ChildSpec spec;
    Size natural;
    // Natural height at a given width; when absent, `natural.height`.
    double (*heightForWidth)(void* context, double width) = nullptr;
    void* context = nullptr;
    double heightAt(double width) const { return heightForWidth ? heightForWidth(context, width) : natural.height; }
};

// Rectangles for the children, in the container's coordinates, in the order given.
std::vector<Rect> arrangeChildren(const Arrangement& arrangement, Size container, const std::vector<LayoutChild>& children);

// The size the container would like for its children: the natural size of the arrangement.
Size naturalSize(const Arrangement& arrangement, const std::vector<LayoutChild>& children, double forWidth = -1);

}  // namespace tq::desktop
