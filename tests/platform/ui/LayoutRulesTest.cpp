#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/map/MapView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/LayoutRules.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/StackView.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

std::string show(const Rect& r) {
    return std::to_string(int(r.origin.x)) + "," + std::to_string(int(r.origin.y)) + " " + std::to_string(int(r.width())) +
           "x" + std::to_string(int(r.height()));
}

// Where the rules put each named view of a tree laid out at `size`.
std::map<std::string, std::string> placed(const View& root, Size size) {
    std::map<std::string, std::string> out;
    auto plan = planLayout(root, Rect(0, 0, size.width, size.height));
    for (const View* view : plan.views()) {
        if (!view->identifier().empty() && view != &root) out[view->identifier()] = show(plan.placement(*view)->rect);
    }
    return out;
}

struct Case {
    const char* name;
    std::function<void(View& root)> build;
    std::map<std::string, std::string> expected;  // identifier -> "x,y wxh"; others are not checked
};

void runCases(const std::vector<Case>& cases, Size size = {300, 500}) {
    test::TestEnvironment env;  // web views need one
    for (const auto& c : cases) {
        auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
        root->setArrangement(Arrangement::column());
        c.build(*root);
        auto got = placed(*root, size);
        for (const auto& [id, rect] : c.expected) {
            EXPECT_EQ(got[id], rect) << c.name << ": " << id;
        }
    }
}

TEST(LayoutRules, AColumnGivesItsSpareLengthToTheChildrenThatStretchOrWhereItsPackSays) {
    runCases({
        {"a scroll view under a title takes the rest",
         [](View& root) {
             auto title = addView<Label>(root, "title");
             sizeConstraint(root, title, LayoutAttribute::height, 40, "h");
             addView<ScrollView>(root, "list");
         },
         {{"title", "0,0 300x40"}, {"list", "0,40 300x460"}}},
        {"web and map views share it equally",
         [](View& root) {
             addView<WebView>(root, "page");
             addView<MapView>(root, "map");
         },
         {{"page", "0,0 300x250"}, {"map", "0,250 300x250"}}},
        {"a view told not to stretch keeps its frame's height",
         [](View& root) {
             auto page = addView<WebView>(root, "page", Rect(0, 0, 300, 100));
             page->setStretches(false);
         },
         {{"page", "0,0 300x100"}}},
        {"nothing stretches and the pack is the end: children sit at the bottom",
         [](View& root) {
             root.setArrangement(Arrangement::column(10).packed(Pack::end));
             addView<Button>(root, "first");
             addView<Button>(root, "second");
         },
         {{"first", "0,402 300x44"}, {"second", "0,456 300x44"}}},
        {"centre pack: half the spare length on each side",
         [](View& root) {
             root.setArrangement(Arrangement::column().packed(Pack::center));
             addView<Button>(root, "only");
         },
         {{"only", "0,228 300x44"}}},
        {"hidden children take no room",
         [](View& root) {
             addView<Button>(root, "gone")->setHidden(true);
             addView<Button>(root, "shown");
         },
         {{"shown", "0,0 300x44"}}},
        {"a stack that shares equally makes every child as long",
         [](View& root) {
             auto stack = addView<StackView>(root, "stack");
             stack->setAxis(LayoutAxis::vertical);
             stack->setDistribution(StackDistribution::fillEqually);
             stack->setStretches(true);
             for (const char* name : {"a", "b"}) {
                 auto button = std::make_shared<Button>();
                 button->setIdentifier(name);
                 stack->addArrangedSubview(button);
             }
         },
         {{"a", "0,0 300x250"}, {"b", "0,250 300x250"}}},
    });
}

TEST(LayoutRules, FramesSizeChildrenOfColumnsAndRowsButTheirOriginsDoNot) {
    runCases({
        {"a picture with only a frame keeps the frame's size",
         [](View& root) {
             root.setArrangement(Arrangement::column(0, Alignment::leading));
             addView<Label>(root, "title");
             addView<ImageView>(root, "picture", Rect(50, 70, 200, 120));
         },
         {{"title", "0,0 300x21"}, {"picture", "0,21 200x120"}}},
        {"side by side in a row",
         [](View& root) {
             auto row = addView<View>(root, "row");
             row->setArrangement(Arrangement::row(10, Alignment::leading));
             addView<ImageView>(*row, "picture", Rect(0, 0, 120, 80));
             addView<WebView>(*row, "description", Rect(120, 0, 150, 200));
         },
         {{"row", "0,0 300x200"}, {"picture", "0,0 120x80"}, {"description", "130,0 170x200"}}},
        {"a view centred with no size fills; a sized one is centred",
         [](View& root) {
             root.setArrangement(Arrangement::column(0, Alignment::center));
             addView<View>(root, "loose");
             auto logo = addView<ImageView>(root, "logo");
             sizeConstraint(root, logo, LayoutAttribute::width, 100, "w");
             sizeConstraint(root, logo, LayoutAttribute::height, 50, "h");
         },
         {{"loose", "0,0 300x0"}, {"logo", "100,0 100x50"}}},
    });
}

TEST(LayoutRules, OffsetsAreGapsPaddingsAndOverlapsTheArrangementStates) {
    runCases({
        {"a negative gap from the previous sibling overlaps it",
         [](View& root) {
             addView<Button>(root, "above");
             auto title = addView<Label>(root, "title");
             offsetConstraint(root, title, LayoutAttribute::top, LayoutAnchor::previousSibling, -40, "gap");
         },
         {{"above", "0,0 300x44"}, {"title", "0,4 300x21"}}},
        {"paddings at the first child's start and the last child's end; insets across",
         [](View& root) {
             root.setArrangement(Arrangement::column().packed(Pack::end));
             auto first = addView<Button>(root, "first");
             auto last = addView<Button>(root, "last");
             offsetConstraint(root, first, LayoutAttribute::top, LayoutAnchor::containerEdge, 30, "top");
             offsetConstraint(root, last, LayoutAttribute::bottom, LayoutAnchor::containerEdge, 20, "bottom");
             offsetConstraint(root, last, LayoutAttribute::leading, LayoutAnchor::containerEdge, 16, "lead");
             offsetConstraint(root, last, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 4, "trail");
         },
         {{"first", "0,392 300x44"}, {"last", "16,436 280x44"}}},
        {"relations between neighbours read as the platform reads them",
         [](View& root) {
             auto row = addView<View>(root, "row");
             row->setArrangement(Arrangement::row(0, Alignment::center));
             auto left = addView<StackView>(*row, "left");
             auto middle = addView<Button>(*row, "middle");
             auto right = addView<StackView>(*row, "right");
             left->setStretches(true);
             right->setStretches(true);
             sizeConstraint(*row, middle, LayoutAttribute::width, 100, "w");
             offsetConstraint(*row, left, LayoutAttribute::leading, LayoutAnchor::containerEdge, 20, "l");
             offsetConstraint(*row, right, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 20, "r");
             // left.trailing = middle.leading - 20 and middle.trailing = right.leading - 40
             row->addConstraint(std::make_shared<LayoutConstraint>(left, LayoutAttribute::trailing, middle,
                                                                   LayoutAttribute::leading, 1.0, -20));
             row->addConstraint(std::make_shared<LayoutConstraint>(middle, LayoutAttribute::trailing, right,
                                                                   LayoutAttribute::leading, 1.0, -40));
         },
         {{"row", "0,0 300x44"}, {"left", "20,0 50x44"}, {"middle", "90,0 100x44"}, {"right", "230,0 50x44"}}},
    });
}

TEST(LayoutRules, AnOverlayPlacesEachChildFromItsEdgeOffsets) {
    runCases({
        {"pinned at the top, at the bottom, centred and moved",
         [](View& root) {
             root.setArrangement(Arrangement::overlay(Alignment::center));
             auto logo = addView<ImageView>(root, "logo");
             sizeConstraint(root, logo, LayoutAttribute::width, 200, "w");
             sizeConstraint(root, logo, LayoutAttribute::height, 80, "h");
             offsetConstraint(root, logo, LayoutAttribute::top, LayoutAnchor::containerEdge, 60, "top");
             auto compass = addView<Button>(root, "compass", Rect(0, 0, 150, 150));
             offsetConstraint(root, compass, LayoutAttribute::bottom, LayoutAnchor::containerEdge, 20, "bottom");
             auto stack = addView<Button>(root, "stack", Rect(0, 0, 260, 100));
             offsetConstraint(root, stack, LayoutAttribute::centerY, LayoutAnchor::containerEdge, -25, "y");
         },
         {{"logo", "50,60 200x80"}, {"compass", "75,330 150x150"}, {"stack", "20,175 260x100"}}},
        {"with fill, a view pinned at one edge fills the rest",
         [](View& root) {
             root.setArrangement(Arrangement::overlay());
             auto backdrop = addView<View>(root, "backdrop", Rect(0, 0, 300, 500));
             offsetConstraint(root, backdrop, LayoutAttribute::top, LayoutAnchor::containerEdge, 40, "top");
             addView<ImageView>(root, "background");
         },
         {{"backdrop", "0,40 300x460"}, {"background", "0,0 300x500"}}},
    });
}

TEST(LayoutRules, AScrollViewScrollsWhateverArrangementItDeclares) {
    runCases({
        {"fixed content: the frames' bounding box, moved by the offset",
         [](View& root) {
             auto scroll = addView<ScrollView>(root, "scroll");
             scroll->setArrangement(Arrangement::fixed());
             addView<Label>(*scroll, "top", Rect(10, 10, 200, 20));
             addView<Label>(*scroll, "far", Rect(10, 900, 200, 20));
             scroll->setContentOffset({0, 100});
         },
         {{"top", "10,-90 200x20"}, {"far", "10,800 200x20"}}},
        {"a column grows past the viewport",
         [](View& root) {
             auto scroll = addView<ScrollView>(root, "scroll");
             for (int i = 0; i < 12; ++i) addView<Button>(*scroll, "b" + std::to_string(i));
         },
         {{"b0", "0,0 300x44"}, {"b11", "0,484 300x44"}}},
    });
    auto root = std::make_shared<View>(Rect(0, 0, 300, 500));
    root->setArrangement(Arrangement::column());
    auto scroll = addView<ScrollView>(*root, "scroll");
    scroll->setArrangement(Arrangement::fixed());
    auto far = addView<Label>(*scroll, "far", Rect(10, 900, 200, 20));
    auto plan = planLayout(*root, Rect(0, 0, 300, 500));
    ASSERT_TRUE(plan.placement(*far));
    EXPECT_EQ(plan.placement(*far)->scroller, scroll.get());
    EXPECT_EQ(show(plan.placement(*far)->area), "0,0 300x920");
}

TEST(LayoutRules, AButtonDrawsItselfAndKeepsItsLabelOutOfTheLayout) {
    auto root = std::make_shared<View>(Rect(0, 0, 300, 500));
    root->setArrangement(Arrangement::column());
    auto button = addView<Button>(*root, "button");
    button->setTitle("Catalogue");
    button->titleLabel().setFont(Font::system(20));
    auto plan = planLayout(*root, Rect(0, 0, 300, 500));
    EXPECT_TRUE(plan.placement(*button));
    EXPECT_FALSE(plan.placement(button->titleLabel()));
    EXPECT_EQ(button->naturalSize(), (Size{nominalTextWidth("Catalogue", 20) + 16, 44}));
}

class NavigationColumnTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
};

TEST_F(NavigationColumnTest, TheBarComesFirstAndTheTopScreenTakesTheRestUnderIt) {
    auto first = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(first);
    auto window = test::showInWindow(nav);
    const Size screen = env->device().screenBounds;
    auto& column = nav->view();
    ASSERT_EQ(column.subviews().size(), 2u);
    EXPECT_EQ(column.subviews()[0].get(), &nav->navigationBar());
    EXPECT_EQ(column.subviews()[1].get(), &first->view());
    EXPECT_EQ(first->view().frame(), Rect(0, 44, screen.width, screen.height - 44));
    EXPECT_TRUE(first->view().stretches());

    auto second = std::make_shared<ViewController>();
    nav->pushViewController(second, false);
    EXPECT_EQ(column.subviews()[1].get(), &second->view());
    EXPECT_EQ(second->view().frame(), Rect(0, 44, screen.width, screen.height - 44));

    // The rules put the screen's view exactly where its frame says.
    auto plan = planLayout(*window, window->frame());
    EXPECT_EQ(plan.placement(second->view())->rect, Rect(0, 44, screen.width, screen.height - 44));
    EXPECT_EQ(plan.placement(nav->navigationBar())->rect, Rect(0, 0, screen.width, 44));

    nav->setNavigationBarHidden(true);
    EXPECT_EQ(second->view().frame(), Rect(0, 0, screen.width, screen.height));
    EXPECT_EQ(planLayout(*window, window->frame()).placement(second->view())->rect, second->view().frame());

    nav->setNavigationBarHidden(false);
    test::rotate(DeviceOrientation::landscapeLeft);
    const Size turned = env->device().screenBounds;
    EXPECT_EQ(second->view().frame(), Rect(0, 44, turned.width, turned.height - 44));
    EXPECT_EQ(nav->navigationBar().frame(), Rect(0, 0, turned.width, 44));
}

}  // namespace
}  // namespace tq
