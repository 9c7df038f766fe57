#pragma once

// The layout rules: how every view of the tree is placed from what the tree declares (frames,
// arrangements, stretch, size requests and offsets), with no constraint solver. The headless tree
// never needs positions; a renderer does, and follows exactly these rules, so that what the
// arrangement walk checks here is what the window draws. `layoutContainer` places the children
// of one container (what a renderer's layout manager does for one widget); `planLayout` applies
// it down a whole tree (what the tests walk).
//
// Words. A child's "axis" lengths are its width and height. A container's main axis is the
// vertical for a column and a scroll, the horizontal for a row; the other is its cross axis.
// Only shown children count (hidden ones take no room and are not drawn); a child's alpha does
// not matter. Transforms are drawn, not laid out: the rules ignore them.
//
// 1. What sizes a child along an axis, strongest first:
//    a. a size request: an active width or height constraint whose first item is the child, held
//       by the child or by one of its ancestors (the last such one);
//    b. its frame's length on that axis, when not zero (a frame's origin only counts in a fixed
//       container, see 4);
//    c. its natural length: `View::naturalSize()` (a line of text, a control's usual height, a
//       picture of known pixel size), or for a container the length its own children need by
//       these same rules (the sum along a column or row with its gaps and paddings, the largest
//       across; the bounding box of the frames in a fixed container); zero means none.
//    A view that scrolls has no natural length of its own content: it takes what it is given.
//
// 2. Column, row and scroll (a scroll is a column that scrolls). Children follow one another
//    along the main axis, in subview order (a stack view: its arranged subviews; its other
//    subviews sit at their frames, as in a fixed container).
//    - Main length: the size request; else, for a child that does not stretch, its frame's
//      length, else its natural length; a child that stretches starts from its natural length.
//      In a stack view whose distribution is fillEqually every child starts from the longest of
//      these and every child stretches.
//    - Gaps: `spacing` between neighbours. An offset constraint on a child's start edge (top in a
//      column, leading or left in a row) anchored at the previous sibling replaces the gap before
//      it by its constant; a negative constant makes the child overlap its predecessor by that
//      much (it is drawn after it, so on top). A relation (second item) between the facing
//      edges of two neighbours sets their gap the way the relation reads:
//      `next.start = previous.end + c` gives c, `previous.end = next.start + c` gives -c.
//    - Paddings: an offset anchored at the container's edge on the first shown child's start
//      edge is the room before it; on the last shown child's end edge (bottom, trailing, right)
//      the room after it; the constant counts inwards from that edge. An edge offset on any
//      other child, or a centre offset along the main axis, places nothing: the walk reports it.
//    - Spare length: the container's main length less the children's lengths, gaps and
//      paddings. The children that stretch (`View::stretches()`: scroll, web and map views and
//      screens' root views by default) share it equally, growing or shrinking, never below zero.
//      When none stretches, a positive spare length goes where `Arrangement::pack` says: after
//      the children (start, and unsaid), before them (end) or half on each side (center); a
//      negative one lets the last children run past the end.
//    - Cross axis: the room is the container's cross length less the child's edge offsets on
//      that axis (leading/left and trailing/right in a column, top and bottom in a row). With
//      alignment fill the child takes that room, unless it has a size request; with any other
//      alignment it takes its size request, else its frame's length, else its natural length,
//      and a child left with none of these fills the room (a view centred with no size keeps
//      fill). It then sits at the room's leading edge (leading, firstBaseline), trailing edge
//      (trailing, lastBaseline) or centre (center, and fill when narrower), moved by a centre
//      offset (centerX in a column, centerY in a row) anchored at the container's edge.
//
// 3. Overlay. Every child is placed in the whole container, one axis at a time, from its offsets
//    anchored at the container's edge: a start offset s (top; leading or left), an end offset e
//    (bottom; trailing or right) and a centre offset c (centerY; centerX), insets counted
//    inwards. Its length: the size request; else with both s and e the room between them; else,
//    with alignment fill, the room left after s and e; else its frame's length, else its natural
//    length, else the room left (fill). Its place: at s when given; else ending e before the far
//    edge; else centred and moved by c; else as the alignment says (centre for fill and center).
//    Later children are drawn over earlier ones.
//
// 4. Fixed (and a container that declares nothing). Every child sits at its frame, in the
//    container's coordinates.
//
// 5. Scrolling. A scroll view (and any view whose arrangement is `scroll`) scrolls whatever
//    arrangement it declares: its children are placed by that arrangement in a content area,
//    and the content offset moves the content area up and left. The content area is as wide and
//    high as the scroll view, grown along the main axis of a column, scroll or row to the length
//    its children need, and for a fixed arrangement to the scroll view's content size and the
//    bounding box of its children's frames, whichever is largest.
//
// 6. What is not laid out here. A view that does not draw its subviews (a button draws itself
//    from its state: `View::drawsSubviews()`) keeps its subviews out of the layout. Views
//    attached to a view (a text field's left view, a cell's selected background) are drawn by
//    their holder's renderer. A navigation controller's view is a column: its bar (44 points
//    high) first, then the top screen's view, which stretches (the screen keeps that view's frame
//    under the bar). A window is an overlay: each screen's view fills it.

#include <map>
#include <optional>
#include <vector>

#include "platform/ui/View.h"

namespace tq {

struct ChildPlacement {
    const View* child = nullptr;
    Rect rect;  // in the container's content coordinates (before any scrolling)
};

// One container laid out at a size: where each shown child goes.
struct ContainerLayout {
    std::vector<ChildPlacement> children;
    // The area the children are placed in: the container's size, or a scroll view's content.
    Size contentSize;
    // What the content offset moves the children by (zero unless the container scrolls).
    Point contentOffset;
    bool scrolls = false;
    // Along a column's, row's or scroll's main axis: the length no child took (positive when
    // there was room to spare and no shown child stretches), else zero.
    double spareLength = 0;
};

// Whether the view scrolls its content (a scroll view, or a view declaring `scroll`).
bool scrollsContent(const View& view);
// The children the rules place, in drawing order (shown ones only).
std::vector<const View*> placedChildren(const View& container);
// The view's natural size by rule 1c.
Size naturalSizeOf(const View& view);
// Rules 2 to 5 for one container given its size.
ContainerLayout layoutContainer(const View& container, Size size);

// Where one view of a tree lies, in the coordinates of the tree's root.
struct Placement {
    Rect rect;
    // The nearest view above it that scrolls (null when none), and the area it may be seen in: the
    // content area of that scroll view, else the root's rectangle.
    const View* scroller = nullptr;
    Rect area;
};

// Every shown view of a tree placed by the rules, in drawing order.
class LayoutPlan {
public:
    const Placement* placement(const View& view) const;
    const std::vector<const View*>& views() const { return order_; }
    // The container's own layout as it was computed (null when it placed no child).
    const ContainerLayout* containerLayout(const View& container) const;

private:
    friend LayoutPlan planLayout(const View& root, Rect rootRect);
    void place(const View& view, Rect rect, const View* scroller, Rect area);
    std::vector<const View*> order_;
    std::map<const View*, Placement> placements_;
    std::map<const View*, ContainerLayout> layouts_;
};

// Places `root` at `rootRect` and everything shown below it.
LayoutPlan planLayout(const View& root, Rect rootRect);

}  // namespace tq
