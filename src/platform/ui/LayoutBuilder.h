#pragma once

// How a screen declares its layout, so that a renderer can place every view without a solver:
//
//   auto column = addView<View>(root, "contentView");        // a named view (the outlet's name)
//   column->setArrangement(Arrangement::column(8));           // children top to bottom, 8 apart
//   auto title = addView<Label>(*column, "lblTitle");         // placed by the column
//   auto card = addView<View>(*column, "cardView");
//   card->setArrangement(Arrangement::fixed());               // children at frames of their own
//   auto badge = addView<ImageView>(*card, "imgBadge", Rect(4, 4, 20, 20));
//   sizeConstraint(*column, title, LayoutAttribute::height, 40, "constTitleHeight");
//   offsetConstraint(*column, title, LayoutAttribute::top, LayoutAnchor::previousSibling, -6, "constTitleTop");
//
// - Every view that holds subviews declares an arrangement: column, row, overlay, scroll (a
//   scrolling column) or fixed. A stack view is one already (its axis, spacing and alignment);
//   scroll views, table views, buttons and web views come with theirs.
// - A child of a fixed container (or of no arrangement) needs an explicit frame.
// - A constraint is a size request (width, height) or a signed offset (top, leading, ...) that
//   names what it measures from: the previous sibling or the container's edge.
// The arrangement walk test checks every screen registered in the storyboards against these
// rules, in both orientations and on both idioms.

#include <memory>
#include <string>

#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/View.h"

namespace tq {

// A new view of type T named `identifier`, added as the last subview of `parent`.
template <class T>
std::shared_ptr<T> addView(View& parent, const std::string& identifier, Rect frame = {}) {
    auto view = std::make_shared<T>();
    view->setIdentifier(identifier);
    if (frame != Rect()) view->setFrame(frame);
    parent.addSubview(view);
    return view;
}

// A size request (width or height) of `item`, held by `holder`.
inline std::shared_ptr<LayoutConstraint> sizeConstraint(View& holder, const std::shared_ptr<View>& item,
                                                        LayoutAttribute attribute, double constant,
                                                        const std::string& identifier) {
    auto constraint = LayoutConstraint::size(item, attribute, constant, identifier);
    holder.addConstraint(constraint);
    return constraint;
}

// A signed offset of `item`'s edge from `from` (the previous sibling or the container's edge),
// held by `holder`.
inline std::shared_ptr<LayoutConstraint> offsetConstraint(View& holder, const std::shared_ptr<View>& item,
                                                          LayoutAttribute attribute, LayoutAnchor from,
                                                          double constant, const std::string& identifier) {
    auto constraint = LayoutConstraint::offset(item, attribute, from, constant, identifier);
    holder.addConstraint(constraint);
    return constraint;
}

// `view` named `name` as the next part of `column`: `height` high, `gap` under the part before it
// (the first part: under the column's top; a negative gap lays it over the part before it), and
// `inset` in from both sides, so that it spans the column's width whatever the device's
// orientation (no side offsets when `inset` is negative).
template <class T>
std::shared_ptr<T> addColumnPart(View& column, std::shared_ptr<T> view, const std::string& name, double gap,
                                 double height, double inset) {
    view->setIdentifier(name);
    const bool first = column.subviews().empty();
    column.addSubview(view);
    sizeConstraint(column, view, LayoutAttribute::height, height, name + "Height");
    offsetConstraint(column, view, LayoutAttribute::top, first ? LayoutAnchor::containerEdge : LayoutAnchor::previousSibling,
                     gap, name + "Top");
    if (inset >= 0) {
        offsetConstraint(column, view, LayoutAttribute::leading, LayoutAnchor::containerEdge, inset, name + "Leading");
        offsetConstraint(column, view, LayoutAttribute::trailing, LayoutAnchor::containerEdge, inset, name + "Trailing");
    }
    return view;
}

// A header row `height` high on top of a column: a title that takes the width the button leaves,
// then a button `buttonWidth` wide. Returns the row, which holds both.
inline std::shared_ptr<View> addHeaderRow(View& column, const std::shared_ptr<View>& title,
                                          const std::shared_ptr<View>& button, double height, double buttonWidth) {
    auto row = std::make_shared<View>();
    row->setIdentifier("headerRow");
    row->setArrangement(Arrangement::row(0, Alignment::fill));
    column.addSubview(row);
    row->addSubview(title);
    row->addSubview(button);
    title->setStretches(true);
    sizeConstraint(column, row, LayoutAttribute::height, height, "headerHeight");
    sizeConstraint(column, button, LayoutAttribute::width, buttonWidth, "closeWidth");
    return row;
}

}  // namespace tq
