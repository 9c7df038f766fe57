#include <gtest/gtest.h>

#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/StackView.h"
#include "platform/ui/TextField.h"

namespace tq {
namespace {

class RecordingObserver : public ViewObserver {
public:
    void viewDidChange(View& view, std::string_view property) override {
        changes.push_back(view.identifier() + ":" + std::string(property));
    }
    std::vector<std::string> changes;
};

TEST(ViewObserverHook, HearsChangesAnywhereBelowTheObservedView) {
    auto root = std::make_shared<View>();
    auto observer = std::make_shared<RecordingObserver>();
    root->setObserver(observer);
    auto label = std::make_shared<Label>();
    label->setIdentifier("lblTitle");
    root->addSubview(label);
    label->setText("Lyon");
    label->setHidden(true);
    label->removeFromSuperview();
    label->setText("unseen");  // no longer below the observer
    EXPECT_EQ(observer->changes, (std::vector<std::string>{":subviews", "lblTitle:text", "lblTitle:hidden", ":subviews"}));
}

TEST(ViewTree, RefusesCyclesAndSurvivesAParentGoingFirst) {
    auto parent = std::make_shared<View>();
    auto child = std::make_shared<View>();
    parent->addSubview(child);
    child->addSubview(parent);  // would make a cycle
    EXPECT_EQ(parent->superview(), nullptr);
    EXPECT_TRUE(child->subviews().empty());

    parent.reset();
    EXPECT_EQ(child->superview(), nullptr);
}

TEST(AttachedViews, ReportThroughTheirHolderRefuseCyclesAndOutliveIt) {
    auto root = std::make_shared<View>();
    auto observer = std::make_shared<RecordingObserver>();
    root->setObserver(observer);
    auto field = std::make_shared<TextField>();
    field->setIdentifier("txtKeyword");
    root->addSubview(field);
    auto icon = std::make_shared<ImageView>();
    icon->setIdentifier("icon");
    field->setLeftView(icon);
    icon->setImage(Image::named("search"));
    field->setLeftView(nullptr);
    icon->setImage(Image::named("unseen"));  // no longer attached
    EXPECT_EQ(observer->changes, (std::vector<std::string>{":subviews", "txtKeyword:leftView", "icon:image",
                                                           "txtKeyword:leftView"}));

    // A view holding the field cannot be attached to it: its reports would go round for ever.
    auto box = std::make_shared<View>();
    box->addSubview(field);
    field->setLeftView(box);
    EXPECT_EQ(field->leftView(), nullptr);
    EXPECT_TRUE(field->attachedViews().empty());

    // The holder goes first; the attached view lives on and reports to no one.
    field->setLeftView(icon);
    box.reset();
    field.reset();
    icon->setImage(Image::named("after"));
    EXPECT_EQ(icon->image()->name, "after");
}

class CountingView : public View {
public:
    int layouts = 0;

protected:
    void layoutSubviews() override { ++layouts; }
};

TEST(Constraints, ChangingAConstantAsksForLayoutAndAPassReachesEverySubview) {
    auto container = std::make_shared<View>();
    auto description = std::make_shared<CountingView>();
    container->addSubview(description);
    auto height = LayoutConstraint::size(description, LayoutAttribute::height, 120, "constImageDesc");
    ASSERT_EQ(container->constraintWithIdentifier("constImageDesc"), height);
    EXPECT_EQ(height->owner(), description.get());

    int requestsBefore = description->layoutRequests();
    height->setConstant(1);
    height->setActive(false);
    EXPECT_EQ(description->layoutRequests(), requestsBefore + 2);
    EXPECT_TRUE(description->needsLayout());
    container->layoutIfNeeded();
    EXPECT_EQ(description->layouts, 1);
    EXPECT_FALSE(description->needsLayout());
    EXPECT_EQ(height->constant(), 1);
    EXPECT_FALSE(height->isActive());

    description->removeFromSuperview();
    description.reset();  // the constraint outlives its view without harm
    EXPECT_EQ(height->firstItem(), nullptr);
}

TEST(StackViews, HiddenArrangedViewsCollapseAndRemovalKeepsThemInTheTree) {
    auto stack = std::make_shared<StackView>();
    auto a = std::make_shared<View>();
    auto b = std::make_shared<View>();
    stack->addArrangedSubview(a);
    stack->addArrangedSubview(b);
    b->setHidden(true);
    EXPECT_EQ(stack->shownArrangedSubviews(), (std::vector<std::shared_ptr<View>>{a}));
    stack->removeArrangedSubview(*a);
    EXPECT_EQ(stack->arrangedSubviews().size(), 1u);
    EXPECT_EQ(a->superview(), stack.get());
}

}  // namespace
}  // namespace tq
