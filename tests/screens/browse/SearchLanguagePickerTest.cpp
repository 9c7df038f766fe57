// The search language picker: its four rows, the value each writes, and the code the keyword
// search then sends.
#include "SearchScreenFixture.h"
#include "screens/browse/SelectSearchLanguageController.h"

namespace tq::test {
namespace {

class SearchLanguagePickerTest : public SearchScreenTest {
protected:
    explicit SearchLanguagePickerTest(SearchScreenOptions options = {}) : SearchScreenTest(std::move(options)) {}

    std::shared_ptr<SelectSearchLanguageController> presentPicker(const std::shared_ptr<SearchController>& screen) {
        auto picker = StoryboardRegistry::shared().named("Search-ipad")->instantiate<SelectSearchLanguageController>(
            "SelectSearchLanguageController");
        EXPECT_TRUE(picker);
        if (!picker) return nullptr;
        picker->searchVC = screen;
        screen->present(picker, true);
        return picker;
    }

    std::vector<std::string> rows(SelectSearchLanguageController& picker) {
        std::vector<std::string> texts;
        for (int r = 0; r < picker.tableview->numberOfRows(0); ++r) {
            texts.push_back(picker.tableview->cellForRowAt({0, r})->textLabel().text());
        }
        return texts;
    }
};

TEST_F(SearchLanguagePickerTest, EachRowSetsTheLanguageTheKeywordSearchSends) {
    struct Case {
        int row;
        std::int64_t value;
        std::string sent;
    };
    const std::vector<Case> cases = {{1, 1, "fr"}, {2, 2, "en"}, {3, 3, "es"}, {0, 4, "all"}};
    auto screen = openSearch();
    EXPECT_EQ(screen->languageSelected, 4);
    ASSERT_TRUE(screen->segmentTypeSearch->select(2)) << "the keyword tab, where the keyword is typed";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        auto picker = presentPicker(screen);
        ASSERT_TRUE(picker);
        EXPECT_EQ(rows(*picker), (std::vector<std::string>{app().text("AllLanguage"), "French", "English", "Spanish"}));
        ASSERT_TRUE(picker->tableview->selectRow({0, c.row}));
        EXPECT_EQ(screen->languageSelected, c.value);
        EXPECT_FALSE(screen->presentedViewController()) << "the picker closes";
        env.settle();

        const std::string city = api("searchCircuitByKeywordsCity/port/" + c.sent);
        service.reply(city, ScriptedReply::json(toursReply({})));
        service.clearRequests();
        screen->txtKeyword->typeText("port");
        screen->searchByKeyword();
        env.settle();
        EXPECT_TRUE(requested(city));
        ASSERT_TRUE(tapAlertButton(app().text("Close")));
    }
}

TEST_F(SearchLanguagePickerTest, RegionSearchSendsThePickedNumber) {
    auto screen = openSearch();
    auto picker = presentPicker(screen);
    ASSERT_TRUE(picker->tableview->selectRow({0, 3}));
    env.settle();
    screen->country = Country{"ES", "Espagne", "Spain", "España"};
    service.reply(api("getToursByCountry/ES/3/"), ScriptedReply::json(toursReply({{"9"}})));
    service.clearRequests();
    ASSERT_TRUE(screen->btnSearchPlaces->tap());
    env.settle();
    EXPECT_EQ(requestedPaths(), std::vector<std::string>{api("getToursByCountry/ES/3/")});
}

TEST_F(SearchLanguagePickerTest, PickWithoutSearchScreenOnlyCloses) {
    auto screen = openSearch();
    auto picker = presentPicker(screen);
    picker->searchVC.reset();
    ASSERT_TRUE(picker->tableview->selectRow({0, 1}));
    EXPECT_EQ(screen->languageSelected, 4);
    EXPECT_FALSE(screen->presentedViewController());
}

class SearchLanguagePickerInFrenchTest : public SearchLanguagePickerTest {
protected:
    SearchLanguagePickerInFrenchTest() : SearchLanguagePickerTest({.preferredLanguages = {"fr-FR"}}) {}
};

TEST_F(SearchLanguagePickerInFrenchTest, RowsReadInTheInterfaceLanguage) {
    auto screen = openSearch();
    auto picker = presentPicker(screen);
    EXPECT_EQ(rows(*picker), (std::vector<std::string>{app().text("AllLanguage"), "Français", "Anglais", "Espagnol"}));
    EXPECT_FALSE(app().text("AllLanguage").empty());
}

}  // namespace
}  // namespace tq::test
