#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"
#include "platform/ui/TableView.h"
#include "support/ArrangementWalk.h"

namespace tq {
namespace {

bool anyFaultMentions(const std::vector<std::string>& faults, const std::string& text) {
    for (const auto& fault : faults) {
        if (fault.find(text) != std::string::npos) return true;
    }
    return false;
}

TEST(ArrangementWalkRules, FindEachKindOfUnplaceableView) {
    struct Case {
        const char* name;
        std::function<void(View& root)> build;
        std::string fault;  // empty: the tree holds
    };
    const std::vector<Case> cases = {
        {"a container declaring nothing",
         [](View& root) {
             auto box = addView<View>(root, "box");
             addView<Label>(*box, "lblInside");
         },
         "box: holds 1 subviews but declares no arrangement"},
        {"a fixed container's child without a frame",
         [](View& root) {
             auto card = addView<View>(root, "card");
             card->setArrangement(Arrangement::fixed());
             addView<Label>(*card, "lblFramed", Rect(0, 0, 40, 20));
             addView<Label>(*card, "lblLoose");
         },
         "lblLoose: in the fixed container card without a frame"},
        {"a top constant that says nothing of where it measures from",
         [](View& root) {
             auto label = addView<Label>(root, "lblTop");
             root.addConstraint(LayoutConstraint::size(label, LayoutAttribute::top, 80, "constTop"));
         },
         "constTop on root: does not say what it measures from"},
        {"a column of labels with sizes and offsets",
         [](View& root) {
             auto title = addView<Label>(root, "lblTitle");
             auto stack = addView<StackView>(root, "stackButtons");
             stack->addArrangedSubview(std::make_shared<Button>());
             auto card = addView<View>(root, "card", Rect(0, 0, 100, 50));
             card->setArrangement(Arrangement::fixed());
             addView<Label>(*card, "lblFramed", Rect(0, 0, 40, 20));
             sizeConstraint(root, title, LayoutAttribute::height, 40, "constTitleHeight");
             offsetConstraint(root, stack, LayoutAttribute::top, LayoutAnchor::previousSibling, -12, "constStackTop");
             offsetConstraint(root, card, LayoutAttribute::leading, LayoutAnchor::containerEdge, 16, "constCardLeading");
         },
         ""},
    };
    for (const auto& c : cases) {
        auto root = std::make_shared<View>(Rect(0, 0, 390, 844));
        root->setIdentifier("root");
        root->setArrangement(Arrangement::column(8));
        c.build(*root);
        auto faults = test::arrangementFaults(*root);
        if (c.fault.empty()) {
            EXPECT_TRUE(faults.empty()) << c.name << ": " << (faults.empty() ? "" : faults.front());
        } else {
            EXPECT_EQ(faults.size(), 1u) << c.name;
            EXPECT_TRUE(anyFaultMentions(faults, c.fault)) << c.name << ": " << (faults.empty() ? "none" : faults.front());
        }
    }
}

// A panel holds its buttons' offsets from its own sides while a row between them places the
// buttons: the walk finds the row that does not reach the panel's side.
TEST(ArrangementWalkRules, FindOffsetsHeldAboveTheContainerThatDoesNotReachTheHoldersEdge) {
    for (const auto alignment : {Alignment::center, Alignment::fill}) {
        auto panel = std::make_shared<View>(Rect(0, 0, 1024, 300));
        panel->setIdentifier("panel");
        panel->setArrangement(Arrangement::column(0, alignment));
        auto row = addView<View>(*panel, "row");
        row->setArrangement(Arrangement::row(0, Alignment::center));
        row->setStretches(true);
        auto left = addView<Button>(*row, "btnLeft");
        auto right = addView<Button>(*row, "btnRight");
        left->setStretches(true);
        right->setStretches(true);
        offsetConstraint(*panel, left, LayoutAttribute::leading, LayoutAnchor::containerEdge, 20, "constLeftLeading");
        offsetConstraint(*panel, right, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 20, "constRightTrailing");

        const auto faults = test::layoutFaults(*panel, panel->frame());
        if (alignment == Alignment::fill) {
            EXPECT_TRUE(faults.empty()) << faults.front();
            continue;
        }
        // Centred at its natural width, the row leaves both buttons narrow and far from the sides.
        ASSERT_EQ(faults.size(), 2u);
        EXPECT_TRUE(anyFaultMentions(faults, "constLeftLeading on btnLeft: held by panel, but row"));
        EXPECT_TRUE(anyFaultMentions(faults, "constRightTrailing on btnRight: held by panel, but row"));
    }
}

TEST(Arrangement, ViewKindsComeWithTheArrangementTheyNeed) {
    EXPECT_EQ(View().arrangement().kind, ArrangementKind::none);
    EXPECT_EQ(ScrollView().arrangement().kind, ArrangementKind::scroll);
    EXPECT_EQ(TableView().arrangement().kind, ArrangementKind::fixed);
    EXPECT_EQ(Button().arrangement(), Arrangement::row(0, Alignment::center));
    EXPECT_EQ(StackView().arrangement(), Arrangement::row());

    // A standard cell: the content view fills it, and its own views sit at frames.
    TableViewCell cell(TableViewCellStyle::subtitle, "cell");
    EXPECT_TRUE(test::arrangementFaults(cell).empty());
    EXPECT_EQ(cell.contentView().arrangement().kind, ArrangementKind::fixed);
}

TEST(Arrangement, AStackViewsAxisSpacingAndAlignmentAreItsArrangement) {
    auto held = std::make_shared<StackView>();  // on the heap, as views live (and GCC reads it right)
    StackView& stack = *held;
    stack.setAxis(LayoutAxis::vertical);
    stack.setSpacing(6);
    stack.setAlignment(StackAlignment::center);
    EXPECT_EQ(stack.arrangement(), Arrangement::column(6, Alignment::center));
    stack.setAxis(LayoutAxis::horizontal);
    EXPECT_EQ(stack.arrangement(), Arrangement::row(6, Alignment::center));
    EXPECT_EQ(stack.axis(), LayoutAxis::horizontal);

    // Declared as a column, it reads back as a vertical stack.
    stack.setArrangement(Arrangement::column(2));
    EXPECT_EQ(stack.axis(), LayoutAxis::vertical);
    EXPECT_EQ(stack.spacing(), 2);
}

TEST(Arrangement, AConstraintsConstantReadsAsASizeOrASignedOffsetFromWhatItNames) {
    auto container = std::make_shared<View>();
    auto item = addView<View>(*container, "item");
    auto sibling = addView<View>(*container, "sibling");
    struct Case {
        const char* name;
        std::shared_ptr<LayoutConstraint> constraint;
        LayoutAnchor anchor;
    };
    const std::vector<Case> cases = {
        {"width", LayoutConstraint::size(item, LayoutAttribute::width, 102), LayoutAnchor::itself},
        {"height", LayoutConstraint::size(item, LayoutAttribute::height, 200), LayoutAnchor::itself},
        {"top from the previous sibling",
         LayoutConstraint::offset(item, LayoutAttribute::top, LayoutAnchor::previousSibling, -40), LayoutAnchor::previousSibling},
        {"leading from the edge",
         LayoutConstraint::offset(item, LayoutAttribute::leading, LayoutAnchor::containerEdge, 8), LayoutAnchor::containerEdge},
        {"top to another view",
         std::make_shared<LayoutConstraint>(item, LayoutAttribute::top, sibling, LayoutAttribute::bottom, 1.0, 4),
         LayoutAnchor::secondItem},
        {"a bare top constant", LayoutConstraint::size(item, LayoutAttribute::top, 80), LayoutAnchor::unnamed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.constraint->anchor(), c.anchor) << c.name;
        c.constraint->setConstant(-c.constraint->constant());  // the sign is the offset's direction
        EXPECT_EQ(c.constraint->anchor(), c.anchor) << c.name;
    }
}

}  // namespace
}  // namespace tq
