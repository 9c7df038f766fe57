// The region chain and the region search: country, state and city chosen in the picker as a person
// would, and the search by the deepest level.
#include "SearchScreenFixture.h"

namespace tq::test {
namespace {

nlohmann::json country(const std::string& iso, const std::string& en, const std::string& fr, const std::string& es) {
    return {{"iso", iso}, {"country_name_en", en}, {"country_name_fr", fr}, {"country_name_es", es}};
}

nlohmann::json state(const std::string& countryIso, const std::string& iso, const std::string& name) {
    return {{"country_iso", countryIso}, {"state_iso", iso}, {"state_name_en", name + " (en)"},
            {"state_name_fr", name + " (fr)"}, {"state_name_es", name + " (es)"}};
}

nlohmann::json city(const std::string& code, const std::string& name) {
    return {{"place_code", code}, {"city_name_en", name + " (en)"}, {"city_name_fr", name + " (fr)"}};
}

class SearchRegionTest : public SearchScreenTest {
protected:
    SearchRegionTest() {
        service.reply(api("getCountryWhereToursIOS/"),
                      ScriptedReply::json(envelope({country("CA", "Canada", "Canada", "Canadá"),
                                                    country("FR", "France", "France", "Francia")})));
        service.reply(api("getStateWhereToursIOS/CA"),
                      ScriptedReply::json(envelope({state("CA", "QC", "Quebec"), state("CA", "ON", "Ontario")})));
        service.reply(api("getStateWhereToursIOS/FR"), ScriptedReply::json(envelope(nlohmann::json::array())));
        service.reply(api("getCityWhereToursIOS/CA/QC"),
                      ScriptedReply::json(envelope({city("qc-1", "Quebec City"), city("qc-2", "Levis")})));
        service.reply(api("getCityWhereToursIOS/FR"), ScriptedReply::json(envelope(nlohmann::json::array({city("fr-1", "Paris")}))));
    }

    // Taps the field's button, then the row whose text is `name`, and waits for the replies.
    void choose(SearchController& screen, Button& field, const std::string& name) {
        ASSERT_TRUE(field.tap());
        auto picker = topAs<SelectRegionController>();
        ASSERT_TRUE(picker) << "the picker is pushed";
        env.settle();
        int row = -1;
        for (int r = 0; r < picker->tableview->numberOfRows(0); ++r) {
            if (picker->tableview->cellForRowAt({0, r})->textLabel().text() == name) row = r;
        }
        ASSERT_GE(row, 0) << name << " is listed";
        ASSERT_TRUE(picker->tableview->selectRow({0, row}));
        EXPECT_EQ(top(), std::static_pointer_cast<ViewController>(screen.shared_from_this())) << "the picker pops";
        env.settle();
    }

    std::shared_ptr<SearchController> searchToursBy(const std::vector<std::string>& names) {
        auto screen = openSearch();
        if (names.size() > 0) choose(*screen, *screen->btnCountry, names[0]);
        if (names.size() > 1) choose(*screen, *screen->btnState, names[1]);
        if (names.size() > 2) choose(*screen, *screen->btnCity, names[2]);
        service.clearRequests();
        EXPECT_TRUE(screen->btnSearchPlaces->tap());
        env.settle();
        return screen;
    }
};

TEST_F(SearchRegionTest, SearchGoesByTheDeepestLevelChosen) {
    struct Case {
        std::vector<std::string> names;
        std::string path;
    };
    const std::vector<Case> cases = {
        {{"Canada"}, "getToursByCountry/CA/4/"},
        {{"Canada", "Quebec (en)"}, "getToursByState/QC/4/"},
        {{"Canada", "Quebec (en)", "Levis (en)"}, "getToursByCity/qc-2/4/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        service.reply(api(c.path), ScriptedReply::json(toursReply({{"11"}})));
        auto screen = searchToursBy(c.names);
        EXPECT_EQ(requestedPaths(), std::vector<std::string>{api(c.path)});
        auto results = topAs<SearchResultsController>();
        ASSERT_TRUE(results);
        EXPECT_EQ(results->tourAt({0, 0})->circuit_id, "11");
        nav->popToRootViewController(false);
    }
}

TEST_F(SearchRegionTest, FieldsFollowTheChoicesInTheInterfaceLanguage) {
    auto screen = openSearch();
    EXPECT_TRUE(screen->btnState->isHidden());
    EXPECT_TRUE(screen->btnCity->isHidden());
    EXPECT_EQ(screen->txtViewCountry->text(), app().text("ChooseCountry"));

    choose(*screen, *screen->btnCountry, "Canada");
    EXPECT_EQ(screen->txtViewCountry->text(), "Canada");
    EXPECT_EQ(screen->txtViewState->text(), app().text("ChooseState"));
    EXPECT_FALSE(screen->btnState->isHidden()) << "a country with states offers them";
    EXPECT_TRUE(screen->btnCity->isHidden());

    choose(*screen, *screen->btnState, "Quebec (en)");
    EXPECT_EQ(screen->txtViewState->text(), "Quebec (en)");
    EXPECT_FALSE(screen->btnCity->isHidden());
    EXPECT_TRUE(requested(api("getCityWhereToursIOS/CA/QC")));

    choose(*screen, *screen->btnCity, "Quebec City (en)");
    EXPECT_EQ(screen->txtViewCity->text(), "Quebec City (en)");

    // A new state keeps the city chosen before; a new country clears both.
    choose(*screen, *screen->btnState, "Ontario (en)");
    ASSERT_TRUE(screen->city);
    EXPECT_EQ(screen->city->place_code, "qc-1");
    choose(*screen, *screen->btnCountry, "Canada");
    EXPECT_FALSE(screen->state);
    EXPECT_FALSE(screen->city);
}

TEST_F(SearchRegionTest, CountryWithoutStatesGoesStraightToItsCities) {
    service.reply(api("getToursByCity/fr-1/4/"), ScriptedReply::json(toursReply({{"12"}})));
    auto screen = openSearch();
    choose(*screen, *screen->btnCountry, "France");
    EXPECT_TRUE(screen->btnState->isHidden());
    EXPECT_TRUE(screen->txtViewState->isHidden());
    EXPECT_FALSE(screen->btnCity->isHidden());
    EXPECT_TRUE(requested(api("getCityWhereToursIOS/FR")));
    choose(*screen, *screen->btnCity, "Paris (en)");
    service.clearRequests();
    ASSERT_TRUE(screen->btnSearchPlaces->tap());
    env.settle();
    EXPECT_EQ(requestedPaths(), std::vector<std::string>{api("getToursByCity/fr-1/4/")});
}

TEST_F(SearchRegionTest, LateStatesReplyOfThePreviousCountryIsRefused) {
    // Canada's states are held until France has been chosen and answered.
    auto held = ScriptedReply::json(envelope(nlohmann::json::array({state("CA", "QC", "Quebec")})));
    held.gate = "canada";
    service.reply(api("getStateWhereToursIOS/CA"), held);
    service.reply(api("getStateWhereToursIOS/FR"), ScriptedReply::json(envelope(nlohmann::json::array({state("FR", "BRE", "Bretagne")}))));
    auto screen = openSearch();

    ASSERT_TRUE(screen->btnCountry->tap());
    auto picker = topAs<SelectRegionController>();
    ASSERT_TRUE(picker);
    ASSERT_TRUE(picker->tableview->selectRow({0, 0}));  // Canada
    ASSERT_TRUE(service.waitUntilHeld("canada"));
    ASSERT_TRUE(screen->btnCountry->tap());
    picker = topAs<SelectRegionController>();
    ASSERT_TRUE(picker);
    ASSERT_TRUE(picker->tableview->selectRow({0, 1}));  // France
    ASSERT_TRUE(env.runUntil([&] { return !screen->btnState->isHidden(); }));
    service.release("canada");
    env.settle();

    EXPECT_EQ(screen->country->iso, "FR");
    EXPECT_EQ(service.requestsTo(api("getStateWhereToursIOS/FR")).size(), 2u) << "asked again after the late reply";
    ASSERT_TRUE(screen->btnState->tap());
    auto states = topAs<SelectRegionController>();
    ASSERT_TRUE(states);
    ASSERT_EQ(states->tableview->numberOfRows(0), 1);
    EXPECT_EQ(states->tableview->cellForRowAt({0, 0})->textLabel().text(), "Bretagne (en)");
}

TEST_F(SearchRegionTest, StatesOfAnotherCountryAreNeverListed) {
    // The service answers France's request with a state of Canada among France's.
    service.reply(api("getStateWhereToursIOS/FR"),
                  ScriptedReply::json(envelope({state("CA", "QC", "Quebec"), state("FR", "BRE", "Bretagne")})));
    auto screen = openSearch();
    choose(*screen, *screen->btnCountry, "France");
    ASSERT_TRUE(screen->btnState->tap());
    auto states = topAs<SelectRegionController>();
    ASSERT_TRUE(states);
    ASSERT_EQ(states->tableview->numberOfRows(0), 1);
    EXPECT_EQ(states->tableview->cellForRowAt({0, 0})->textLabel().text(), "Bretagne (en)");
    ASSERT_FALSE(states->tableview->selectRow({0, 1}));
}

TEST_F(SearchRegionTest, SearchWithoutSelectionAsksForOne) {
    auto screen = openSearch();
    service.clearRequests();
    ASSERT_TRUE(screen->btnSearchPlaces->tap());
    env.settle();
    expectAlert("MissSelection", "MissSelectionMessage", app().text("Close"));
    EXPECT_EQ(service.requestCount(), 0u);
}

TEST_F(SearchRegionTest, FailedRegionSearchAlertsInsteadOfAnEmptyList) {
    service.reply(api("getToursByCountry/CA/4/"), ScriptedReply::json("", 503));
    auto screen = searchToursBy({"Canada"});
    expectAlert("Search", "SearchNoResult", app().text("Close"));
    EXPECT_EQ(top(), screen);
    EXPECT_FALSE(screen->resultPresented);
}

TEST_F(SearchRegionTest, CityWithoutCodeSearchesNothing) {
    service.reply(api("getCityWhereToursIOS/FR"),
                  ScriptedReply::json(envelope(nlohmann::json::array({{{"city_name_en", "Nowhere"}, {"city_name_fr", "Nulle part"}}}))));
    auto screen = openSearch();
    choose(*screen, *screen->btnCountry, "France");
    choose(*screen, *screen->btnCity, "Nowhere");
    service.clearRequests();
    ASSERT_TRUE(screen->btnSearchPlaces->tap());
    env.settle();
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(top(), screen);
}

}  // namespace
}  // namespace tq::test
