#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutBuilder.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// A change relays out only the containers it can move something in: the changed view's own, its
// ancestors, and the containers of the items of a constraint it holds. After each change the
// window is drawn where the rules place every view, and its widgets mirror the tree.
class RelayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto screen = std::make_shared<ViewController>();
        app.open(showInWindow(std::make_shared<NavigationController>(screen)));
        auto& root = screen->view();
        root.setIdentifier("screenRoot");
        root.setArrangement(Arrangement::column(8).packed(Pack::start));
        // Twenty cards of two texts each: the containers a change should leave alone.
        for (int i = 0; i < 20; ++i) {
            auto card = addView<View>(root, "card" + std::to_string(i));
            card->setArrangement(Arrangement::column(2, Alignment::leading));
            addView<Label>(*card, "title" + std::to_string(i))->setText("Card " + std::to_string(i));
            addView<Label>(*card, "detail" + std::to_string(i))->setText("Details");
            cards.push_back(card);
        }
        // A panel that holds the width of a box two levels down, as the home screen's panels do.
        panel = addView<View>(root, "panel");
        panel->setArrangement(Arrangement::column(0, Alignment::fill));
        auto row = addView<View>(*panel, "panelRow");
        row->setArrangement(Arrangement::row(0, Alignment::leading).packed(Pack::start));
        box = addView<Label>(*row, "box");
        box->setText("Box");
        boxWidth = sizeConstraint(*panel, box, LayoutAttribute::width, 60, "boxWidth");
        app.turn();
    }

    // Every container of the window's tree with the number of layouts of its children so far.
    std::map<const View*, int> layoutCounts() {
        std::map<const View*, int> counts;
        std::function<void(const View&)> visit = [&](const View& view) {
            if (!view.subviews().empty()) counts[&view] = app.mirror().layoutCount(view);
            for (const auto& child : view.subviews()) visit(*child);
        };
        visit(*app.tree);
        return counts;
    }

    // The containers that laid their children out again while `change` was drawn.
    std::set<std::string> relaidOutBy(const std::function<void()>& change) {
        const auto before = layoutCounts();
        change();
        app.turn();
        std::set<std::string> relaid;
        for (const auto& [view, count] : layoutCounts()) {
            auto it = before.find(view);
            if (it == before.end() || count > it->second) relaid.insert(nameOf(*view));
        }
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& d : placementsApartFromTheRules(app.mirror(), app.desktop->screen())) ADD_FAILURE() << d;
        return relaid;
    }

    static std::set<std::string> namesOfAncestors(const View& view) {
        std::set<std::string> names;
        for (const View* v = view.superview(); v; v = v->superview()) names.insert(nameOf(*v));
        return names;
    }

    DesktopFixture app{desktop::DeviceChoice::phone()};
    std::vector<std::shared_ptr<View>> cards;
    std::shared_ptr<View> panel;
    std::shared_ptr<Label> box;
    std::shared_ptr<LayoutConstraint> boxWidth;
};

TEST_F(RelayoutTest, ALabelsNewTextRelaysOutOnlyItsContainerAndItsAncestors) {
    const auto total = layoutCounts().size();
    auto& label = static_cast<Label&>(*cards[5]->subviews().front());
    const auto relaid = relaidOutBy([&] { label.setText("Card five, with a much longer title"); });

    const auto ancestors = namesOfAncestors(label);
    EXPECT_TRUE(relaid.count("card5")) << "the label's own container places it again";
    for (const auto& name : relaid) EXPECT_TRUE(ancestors.count(name)) << name << " is no ancestor of the label";
    EXPECT_LE(relaid.size(), ancestors.size());
    EXPECT_LT(relaid.size(), total / 4) << "of " << total << " containers";
    int drawnWidth = gtk_widget_get_width(app.widgetOf(label));
    EXPECT_GT(drawnWidth, 200) << "the label is drawn at its new text's width";
}

TEST_F(RelayoutTest, EachKindOfChangeRelaysOutWhereItCanMoveSomething) {
    struct Case {
        const char* name;
        std::function<void()> change;
        std::set<std::string> mustRelayOut;  // these, and at most their ancestors
    };
    const std::vector<Case> cases = {
        {"a colour and an alpha are drawn, not laid out",
         [&] {
             cards[3]->setBackgroundColor(Color::black());
             cards[3]->setAlpha(0.5);
         },
         {}},
        {"a size held two levels above its item", [&] { boxWidth->setConstant(240); }, {"panelRow"}},
        {"a hidden card gives its room to the next", [&] { cards[2]->setHidden(true); }, {"screenRoot"}},
        {"a card shown again", [&] { cards[2]->setHidden(false); }, {"card2"}},
        {"a new text in a card", [&] { addView<Label>(*cards[7], "added")->setText("Added"); }, {"card7"}},
    };
    for (const auto& c : cases) {
        const auto relaid = relaidOutBy(c.change);
        std::set<std::string> allowed;
        for (const auto& name : c.mustRelayOut) {
            EXPECT_TRUE(relaid.count(name)) << c.name << ": " << name << " was not laid out again";
            allowed.insert(name);
            if (const View* view = app.tree->viewWithIdentifier(name)) allowed.merge(namesOfAncestors(*view));
        }
        for (const auto& name : relaid) {
            EXPECT_TRUE(allowed.count(name)) << c.name << ": " << name << " was laid out again";
        }
    }
}

}  // namespace
}  // namespace tq::test
