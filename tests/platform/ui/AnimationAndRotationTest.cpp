#include <gtest/gtest.h>

#include "RecordingScreen.h"
#include "platform/ui/Animation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

using Log = std::vector<std::string>;

TEST(Animations, ApplyAtOnceAndCompleteAfterDelayPlusDurationOnTheClock) {
    test::TestEnvironment env;
    auto map = std::make_shared<View>();
    map->setAlpha(0);
    bool finished = false;
    animate(0.8, 0.9, {.curve = AnimationCurve::linear}, [&] { map->setAlpha(1); }, [&](bool done) { finished = done; });
    EXPECT_EQ(map->alpha(), 1);
    env.settle();
    env.advance(1.69);
    EXPECT_FALSE(finished);
    env.advance(0.02);
    EXPECT_TRUE(finished);

    const auto& record = Animations::shared().records().back();
    EXPECT_EQ(record.duration, 0.8);
    EXPECT_EQ(record.delay, 0.9);
    EXPECT_EQ(record.options.curve, AnimationCurve::linear);
}

TEST(Animations, ZeroLengthAnimationsAndTransitionsCompleteOnTheNextTurn) {
    test::TestEnvironment env;
    auto image = std::make_shared<ImageView>();
    int completions = 0;
    animate(0, [] {}, [&](bool) { ++completions; });
    transition(*image, 0.3, {.transition = ViewTransition::crossDissolve}, [&] { image->setImage(Image::named("tour")); },
               [&](bool) { ++completions; });
    EXPECT_EQ(image->image(), Image::named("tour"));
    EXPECT_EQ(completions, 0);
    env.settle();
    EXPECT_EQ(completions, 1);
    env.advance(0.3);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(Animations::shared().records().back().transitionView, image.get());
}

// A cell that picks its portrait or landscape row in layoutSubviews, as the catalogue cell does.
class OrientedCell : public TableViewCell {
public:
    bool landscape = false;

protected:
    void layoutSubviews() override { landscape = superview() && superview()->frame().width() > 500; }
};

class OneRow : public TableViewDataSource {
public:
    int numberOfRowsInSection(TableView&, int) override { return 1; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath) override {
        return table.dequeueReusableCell("cell");
    }
};

TEST(Rotation, ScreensHearTheNewSizeWhileTheirViewIsStillOldThenEverythingIsLaidOut) {
    test::TestEnvironment env;
    auto log = std::make_shared<Log>();
    auto home = std::make_shared<test::RecordingScreen>("home", log);
    auto tour = std::make_shared<test::RecordingScreen>("tour", log);
    auto nav = std::make_shared<NavigationController>(home);
    test::showInWindow(nav);
    nav->pushViewController(tour, false);
    auto list = std::make_shared<test::RecordingScreen>("list", log);
    tour->present(list, false);

    auto table = std::make_shared<TableView>(tour->view().bounds());
    auto source = std::make_shared<OneRow>();
    table->setDataSource(source);
    table->registerCell("cell", [] { return std::make_shared<OrientedCell>(); });
    tour->view().addSubview(table);
    table->reloadData();
    auto cell = std::dynamic_pointer_cast<OrientedCell>(table->cellForRowAt({0, 0}));
    EXPECT_FALSE(cell->landscape);
    log->clear();

    test::rotate(DeviceOrientation::landscapeLeft);
    // The home screen is under the tour screen: it hears nothing.
    EXPECT_EQ(*log, (Log{"tour.transition 844x390 from width 390", "list.transition 844x390 from width 390"}));
    EXPECT_EQ(env->device().screenBounds, (Size{844, 390}));
    EXPECT_EQ(tour->view().frame().width(), 844);
    EXPECT_EQ(list->view().frame().width(), 390);  // a sheet keeps its own size

    // The table itself follows through the screen's layout; a layout pass reaches the cell.
    table->setFrame(tour->view().bounds());
    tour->view().layoutIfNeeded();
    EXPECT_TRUE(cell->landscape);
}

class CoordinatedScreen : public ViewController {
public:
    bool alongside = false;
    bool completed = false;
    void viewWillTransitionToSize(Size, TransitionCoordinator& coordinator) override {
        coordinator.animateAlongsideTransition([this] { alongside = true; }, [this] { completed = true; });
    }
};

TEST(Rotation, TheCoordinatorsCompletionRunsWhenTheTransitionEnds) {
    test::TestEnvironment env;
    auto screen = std::make_shared<CoordinatedScreen>();
    test::showInWindow(screen);
    test::rotate(DeviceOrientation::landscapeRight);
    EXPECT_TRUE(screen->alongside);
    EXPECT_FALSE(screen->completed);
    env.advance(0.3);
    EXPECT_TRUE(screen->completed);

    screen->completed = false;
    test::rotate(DeviceOrientation::landscapeLeft);  // no change of size: still a transition
    env.advance(0.3);
    EXPECT_TRUE(screen->completed);
    EXPECT_EQ(env->device().screenBounds, (Size{844, 390}));
}

}  // namespace
}  // namespace tq
