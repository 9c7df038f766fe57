#include "ContentScreenFixture.h"
#include "screens/tour/ContentSelectController.h"

namespace tq {
namespace {

using test::ContentScreenTest;
using test::makeContent;

std::vector<PoiContentRef> pointContents() {
    auto untyped = std::make_shared<PoiContent>();
    untyped->content_id = "40";
    untyped->title = "Histoire";
    return {makeContent("12", "panorama", "Terrasse", "", {{"status", 1}}), untyped,
            makeContent("31", "none", "Bientôt", "", {{"status", 1}}),
            makeContent("21", "video", "Escaliers", "", {{"status", 1}})};
}

class ContentListTest : public ContentScreenTest {
protected:
    std::shared_ptr<ContentSelectController> openList(ContentController& screen) {
        EXPECT_TRUE(screen.rightBarButton->tap());
        return std::dynamic_pointer_cast<ContentSelectController>(screen.presentedViewController());
    }
    std::vector<std::string> rowTexts(ContentSelectController& list) {
        std::vector<std::string> texts;
        for (int row = 0; row < list.tableView->numberOfRows(0); ++row) {
            auto cell = std::dynamic_pointer_cast<ContentListCell>(list.tableView->cellForRowAt({0, row}));
            texts.push_back(cell ? cell->lblTitle->text() : "?");
        }
        return texts;
    }
};

TEST_F(ContentListTest, ListsEveryContentWithItsKindAndPickingOneShowsIt) {
    auto screen = open(pointContents());
    auto list = openList(*screen);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lblTitle->text(), app().text("ContentPOI"));
    EXPECT_EQ(list->btnClose->title(), app().text("Close"));
    EXPECT_EQ(rowTexts(*list), (std::vector<std::string>{"Terrasse (panorama)", "Histoire (txt)", "Bientôt (none)",
                                                          "Escaliers (video)"}));

    ASSERT_TRUE(list->tableView->selectRow({0, 3}));
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_EQ(screen->currentIndex, 4);
    EXPECT_EQ(screen->title(), "4/4");
    EXPECT_EQ(screen->lblTitle->text(), "Escaliers");
    EXPECT_FALSE(screen->btnPrev->isEnabled()) << "a pick leaves Previous as it was";

    list = openList(*screen);
    ASSERT_TRUE(list->tableView->selectRow({0, 0}));
    EXPECT_EQ(screen->title(), "1/4");
    EXPECT_EQ(screen->lblTitle->text(), "Terrasse");
}

TEST_F(ContentListTest, CloseLeavesTheContentScreenAsItWas) {
    auto screen = open(pointContents());
    tapAndWait(screen->btnNext);
    auto list = openList(*screen);
    ASSERT_TRUE(list);
    auto shown = screen->shownIndexes;
    ASSERT_TRUE(list->btnClose->tap());
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_EQ(screen->shownIndexes, shown);
    EXPECT_EQ(screen->title(), "2/4");
}

TEST_F(ContentListTest, PreviousAfterPickingTheFirstDoesNothing) {
    auto screen = open(pointContents());
    tapAndWait(screen->btnNext);
    tapAndWait(screen->btnNext);
    auto list = openList(*screen);
    ASSERT_TRUE(list->tableView->selectRow({0, 0}));
    EXPECT_TRUE(screen->btnPrev->isEnabled());
    tapAndWait(screen->btnPrev);
    EXPECT_EQ(screen->currentIndex, 1);
    EXPECT_EQ(screen->title(), "1/4");
}

TEST_F(ContentListTest, MissingDictionaryEntryLeavesTheTitleEmpty) {
    app().dictLang.erase("ContentPOI");
    auto screen = open(pointContents());
    auto list = openList(*screen);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->lblTitle->text(), "");
}

TEST(ContentKindWords, AbsentKindReadsAsText) {
    EXPECT_EQ(contentKindWord(std::nullopt), "txt");
    EXPECT_EQ(contentKindWord(ContentType::img), "img");
    EXPECT_EQ(contentKindWord(ContentType::audio), "audio");
}

}  // namespace
}  // namespace tq
