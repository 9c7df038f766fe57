#pragma once

// The rules a renderer needs to place a view tree without a solver (see
// platform/ui/LayoutBuilder.h), checked over a whole tree. Header-only, for screen tests.

#include <string>
#include <vector>

#include "platform/ui/LayoutConstraint.h"
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

}  // namespace tq::test
