#include "MapScreenFixture.h"
#include "screens/maps/PoiSelectController.h"
#include "screens/tour/ContentController.h"

namespace tq::test {
namespace {

class MapSteppingTest : public MapScreenTest {
protected:
    std::shared_ptr<MapLeafletController> openDrawnMap(std::int64_t start = 0, const std::string& board = "Main") {
        auto screen = openMap(MapMode::online, fixture(), start, board);
        if (screen) pageDrawsTheTour(*screen);
        env.advance(3);
        return screen;
    }
    std::string lastScript(MapLeafletController& screen) { return screen.map->evaluatedSources().back(); }
};

TEST_F(MapSteppingTest, NextWalksThePointsAndEndsTheTourOnTheRatingScreen) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    const auto& points = *screen->tour->poi;
    for (std::int64_t i = 1; i <= 2; ++i) {
        ASSERT_TRUE(screen->btnNext->tap());
        EXPECT_EQ(screen->currentPoiIndex, i);
        EXPECT_EQ(screen->currentPOI, points[static_cast<std::size_t>(i)]);
        EXPECT_EQ(lastScript(*screen), "next(" + std::to_string(i) + ")");
        EXPECT_TRUE(screen->btnPrev->isEnabled());
        EXPECT_EQ(screen->btnPrev->alpha(), 1.0);
    }
    auto scripts = screen->map->evaluatedSources().size();
    ASSERT_TRUE(screen->btnNext->tap());
    env.settle();
    EXPECT_EQ(screen->currentPoiIndex, 2) << "the position stays on the last point";
    EXPECT_EQ(screen->currentPOI, points[2]);
    EXPECT_EQ(screen->map->evaluatedSources().size(), scripts) << "no centring at the end";
    auto top = nav->topViewController();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->storyboardIdentifier(), "RateTourController");
}

TEST_F(MapSteppingTest, PreviousStopsAtTheFirstPointAndLeavesTheCurrentRecord) {
    auto screen = openDrawnMap(2);
    ASSERT_TRUE(screen);
    const auto& points = *screen->tour->poi;
    screen->previous();
    EXPECT_EQ(screen->currentPoiIndex, 1);
    EXPECT_EQ(lastScript(*screen), "next(1)");
    EXPECT_EQ(screen->currentPOI, points[0]) << "previous moves the position only";
    screen->previous();
    screen->previous();
    EXPECT_EQ(screen->currentPoiIndex, 0);
    EXPECT_EQ(lastScript(*screen), "next(0)");
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    EXPECT_EQ(screen->btnPrev->alpha(), 0.8);
}

TEST_F(MapSteppingTest, SteppingFadesOnlyAudioThatStillCountsAsRunning) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    auto player = playingAudio();
    screen->next();
    EXPECT_FALSE(players().audioStillRunning) << "cleared at once";
    env.advance(0.95);
    EXPECT_TRUE(player->isPlaying());
    env.advance(0.1);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->volume(), 0.0);

    // A paused content's player is left alone.
    auto paused = playingAudio();
    paused->pause();
    players().audioStillRunning = false;
    screen->previous();
    env.advance(2);
    EXPECT_EQ(paused->volume(), 1.0);
}

TEST_F(MapSteppingTest, AMarkerChoiceMovesThePositionAndTheButtonsButNotTheRecord) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    screen->map->driver().tapLink("js-frame:2");
    EXPECT_EQ(screen->currentPoiIndex, 2);
    EXPECT_EQ(screen->currentPOI, (*screen->tour->poi)[0]);
    EXPECT_TRUE(screen->btnPrev->isEnabled());
    EXPECT_TRUE(screen->btnNext->isEnabled());
    EXPECT_EQ(screen->btnNext->alpha(), 1.0);
    screen->map->driver().tapLink("js-frame:0");
    EXPECT_FALSE(screen->btnPrev->isEnabled());
    EXPECT_EQ(screen->btnPrev->alpha(), 0.8);
}

TEST_F(MapSteppingTest, ThePointListNumbersRowsMovesTheMapAndLeavesThePointsAlone) {
    auto screen = openDrawnMap();
    ASSERT_TRUE(screen);
    const auto orders = [&] {
        std::vector<std::string> out;
        for (const auto& p : *screen->tour->poi) out.push_back(p->poi_order.value_or("?"));
        return out;
    };
    const auto before = orders();
    screen->navigationItem().rightBarButtonItem()->tap();
    auto list = std::dynamic_pointer_cast<PoiSelectController>(topPresented());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lblTitle->text(), app().text("ListPOI"));
    EXPECT_EQ(list->btnClose->title(), app().text("Close"));
    ASSERT_EQ(list->tableView->numberOfRows(0), 3);
    std::vector<std::string> rows;
    for (int i = 0; i < 3; ++i) {
        auto cell = std::dynamic_pointer_cast<POIListCell>(list->tableView->cellForRowAt({0, i}));
        ASSERT_TRUE(cell);
        rows.push_back(cell->lblTitle->text());
        EXPECT_EQ(cell->poi(), (*screen->tour->poi)[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"1- Place Royale", "2- Château Frontenac", "3- Quartier Petit-Champlain"}));
    EXPECT_EQ(orders(), before) << "drawing the list does not renumber the shared points";

    ASSERT_TRUE(list->tableView->selectRow({0, 2}));
    EXPECT_EQ(screen->currentPoiIndex, 2);
    EXPECT_EQ(lastScript(*screen), "next(2)");
    EXPECT_EQ(screen->currentPOI, (*screen->tour->poi)[0]);
    env.settle();
    EXPECT_FALSE(topPresented());

    // The close button leaves the map as it was.
    screen->navigationItem().rightBarButtonItem()->tap();
    list = std::dynamic_pointer_cast<PoiSelectController>(topPresented());
    ASSERT_TRUE(list);
    auto scripts = screen->map->evaluatedSources().size();
    ASSERT_TRUE(list->btnClose->tap());
    env.settle();
    EXPECT_FALSE(topPresented());
    EXPECT_EQ(screen->currentPoiIndex, 2);
    EXPECT_EQ(screen->map->evaluatedSources().size(), scripts);
}

TEST_F(MapSteppingTest, AListWithAMissingTitleKeyLeavesItEmpty) {
    app().dictLang.erase("ListPOI");
    auto screen = openDrawnMap();
    screen->showPoiSelectController();
    auto list = std::dynamic_pointer_cast<PoiSelectController>(topPresented());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lblTitle->text(), "");
}

TEST_F(MapSteppingTest, OnATabletTheListAndTheRatingScreenPointAtTheListButton) {
    env->device().idiom = DeviceIdiom::pad;
    auto screen = openDrawnMap(2, "Main-ipad");
    ASSERT_TRUE(screen);
    screen->showPoiSelectController();
    auto list = topPresented();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->modalPresentationStyle(), ModalPresentationStyle::popover);
    EXPECT_EQ(list->modalTransitionStyle(), ModalTransitionStyle::flipHorizontal);
    ASSERT_TRUE(list->popoverPresentationController());
    EXPECT_EQ(list->popoverPresentationController()->barButtonItem(), screen->rightBarButton);
    list->dismiss(false);
    env.settle();
    screen->next();
    env.settle();
    auto rating = topPresented() ? topPresented() : nav->topViewController();
    ASSERT_TRUE(rating);
    EXPECT_EQ(rating->storyboardIdentifier(), "RateTourController");
    EXPECT_EQ(rating->modalPresentationStyle(), ModalPresentationStyle::popover);
}

}  // namespace
}  // namespace tq::test
