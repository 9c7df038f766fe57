// The keyword search: what travels in the address, its two stages, and its alerts.
#include "SearchScreenFixture.h"

namespace tq::test {
namespace {

TEST(SearchKeywordEncoding, KeywordsTravelAsOneEscapedSegment) {
    struct Case {
        std::string typed;
        std::string sent;
    };
    const std::vector<Case> cases = {
        {"port", "port"},
        {"l'eau", "l%2527eau"},  // the apostrophe is written %27, then escaped like the rest
        {" ", "%20"},
        {"été", "%C3%A9t%C3%A9"},
        // The fifteen dropped characters never reach the address, so nothing can climb the path
        // or start a query.
        {"a(b)c.d:e<f\\g/h?i[j>k]l+m,n{o}p", "abcdefghijklmnop"},
        {"50%#1", "50%25%231"},
        {"Saint-Malo & co;=!*$~_", "Saint-Malo%20&%20co;=!*$~_"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(encodeSearchKeyword(c.typed), c.sent);
    }
}

class SearchKeywordTest : public SearchScreenTest {
protected:
    void search(SearchController& screen, const std::string& keyword, bool exact) {
        if (screen.segmentTypeSearch->selectedSegmentIndex() != 2) {
            ASSERT_TRUE(screen.segmentTypeSearch->select(2));
        }
        ASSERT_TRUE(screen.txtKeyword->typeText(keyword));
        if (screen.switchExactSearch->isOn() != exact) {
            ASSERT_TRUE(screen.switchExactSearch->toggle());
        }
        service.clearRequests();
        ASSERT_TRUE(screen.btnSearchkeywords->tap());
        env.settle();
    }
};

TEST_F(SearchKeywordTest, ExactSearchAsksCitiesThenExactMatchesAndShowsBothSections) {
    service.reply(api("searchCircuitByKeywordsCity/l%2527eau/all"), ScriptedReply::json(toursReply({{"7"}})));
    service.reply(api("searchCircuitByKeywords/exact/l%2527eau/all"), ScriptedReply::json(toursReply({{"5"}, {"7"}})));
    auto screen = openSearch();
    search(*screen, "l'eau", true);

    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{api("searchCircuitByKeywordsCity/l%2527eau/all"),
                                                          api("searchCircuitByKeywords/exact/l%2527eau/all")}));
    auto events = eventsNamed("Recherche_mot_cle_exact");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].parameters, (std::map<std::string, std::string>{{"mot_cle", "l%2527eau"}}));
    EXPECT_TRUE(eventsNamed("Recherche_mot_cle_normal").empty());

    auto results = topAs<SearchResultsController>();
    ASSERT_TRUE(results);
    EXPECT_TRUE(screen->resultPresented);
    ASSERT_EQ(results->tableview->numberOfSections(), 2);
    EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "7");
    EXPECT_EQ(results->tourAt({1, 0})->circuit_id, "5");
}

TEST_F(SearchKeywordTest, NormalSearchOfReservedCharactersSearchesTitlesAndDescriptions) {
    const std::string sent = "Saint-Malo%20&%20co%231";
    service.reply(api("searchCircuitByKeywordsCity/" + sent + "/all"), ScriptedReply::json(toursReply({})));
    service.reply(api("searchCircuitByKeywords/title_description/" + sent + "/all"),
                  ScriptedReply::json(toursReply({{"3"}})));
    auto screen = openSearch();
    search(*screen, "Saint-Malo & co/#1?", false);

    EXPECT_EQ(requestedPaths(), (std::vector<std::string>{api("searchCircuitByKeywordsCity/" + sent + "/all"),
                                                          api("searchCircuitByKeywords/title_description/" + sent + "/all")}));
    ASSERT_EQ(eventsNamed("Recherche_mot_cle_normal").size(), 1u);
    auto results = topAs<SearchResultsController>();
    ASSERT_TRUE(results);
    EXPECT_EQ(results->tableview->numberOfSections(), 1);
    EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "3");
}

TEST_F(SearchKeywordTest, ReturnInTheFieldSearchesToo) {
    service.reply(api("searchCircuitByKeywordsCity/port/all"), ScriptedReply::json(toursReply({{"7"}})));
    service.reply(api("searchCircuitByKeywords/title_description/port/all"), ScriptedReply::json(toursReply({})));
    auto screen = openSearch();
    ASSERT_TRUE(screen->segmentTypeSearch->select(2));
    EXPECT_TRUE(screen->txtKeyword->isFirstResponder());
    screen->txtKeyword->typeText("port");
    EXPECT_TRUE(screen->txtKeyword->pressReturn());
    env.settle();
    EXPECT_FALSE(screen->txtKeyword->isFirstResponder());
    auto results = topAs<SearchResultsController>();
    ASSERT_TRUE(results) << "city matches alone are results";
    EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "7");
}

TEST_F(SearchKeywordTest, NothingToSearchForAlertsAndAsksNothing) {
    auto screen = openSearch();
    for (const std::string typed : {"", "(?/)"}) {
        SCOPED_TRACE(typed);
        search(*screen, typed, false);
        expectAlert("Search", "SearchError", app().text("Close"));
        EXPECT_EQ(service.requestCount(), 0u);
        ASSERT_TRUE(tapAlertButton(app().text("Close")));
    }
}

TEST_F(SearchKeywordTest, FailedOrEmptyStagesShowNoResult) {
    struct Case {
        std::string name;
        ScriptedReply city;
        ScriptedReply second;
        bool secondAsked;
    };
    const std::vector<Case> cases = {
        {"city stage fails", ScriptedReply::json("", 500), ScriptedReply::json(toursReply({{"1"}})), false},
        {"second stage fails after city matches", ScriptedReply::json(toursReply({{"7"}})),
         ScriptedReply::json(toursReply({}, "error")), true},
        {"both empty", ScriptedReply::json(toursReply({})), ScriptedReply::json(toursReply({})), true},
    };
    auto screen = openSearch();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.reply(api("searchCircuitByKeywordsCity/port/all"), c.city);
        service.reply(api("searchCircuitByKeywords/exact/port/all"), c.second);
        search(*screen, "port", true);
        EXPECT_EQ(requested(api("searchCircuitByKeywords/exact/port/all")), c.secondAsked);
        expectAlert("Search", "SearchNoResult", app().text("Close"));
        EXPECT_EQ(top(), screen) << "no results screen";
        ASSERT_TRUE(tapAlertButton(app().text("Close")));
    }
}

}  // namespace
}  // namespace tq::test
