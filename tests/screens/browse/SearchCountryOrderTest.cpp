// The region picker's lists: the country order in each interface language, and the names shown.
#include "SearchScreenFixture.h"

namespace tq::test {
namespace {

// Every name in all three languages, so that each order reads the same list.
Country named(const std::string& iso, const std::string& name) { return {iso, name, name, name}; }

std::vector<std::string> isoOrder(std::vector<Country> countries, std::int64_t lang) {
    sortCountries(countries, lang);
    std::vector<std::string> order;
    for (const auto& c : countries) order.push_back(c.iso);
    return order;
}

TEST(SearchCountryOrder, EachLanguageSortsAsItsComparisonSays) {
    // "É" written precomposed (EG) and as E with a combining acute (EG2): the same text.
    const std::vector<Country> countries = {
        named("ZM", "Zambie"), named("EG", "\xC3\x89gypte"), named("ES", "Espagne"), named("ee", "estonie"),
        named("DE", "Allemagne"), named("EG2", "E\xCC\x81gypte"), named("ER", "\xC3\x89rythr\xC3\xA9" "e"),
        named("de", "allemagne"),
    };
    struct Case {
        std::int64_t lang;
        std::vector<std::string> order;
    };
    const std::vector<Case> cases = {
        // French collation: accents sort with their base letter, lower case before upper case
        // among otherwise equal names, equivalent spellings equal.
        {kFrench, {"de", "DE", "EG", "EG2", "ER", "ES", "ee", "ZM"}},
        // Scalar values after composition: upper case first, accented capitals after every plain
        // letter, the two spellings of Égypte equal and kept in the client's order.
        {kEnglish, {"DE", "ES", "ZM", "de", "ee", "EG", "EG2", "ER"}},
        {kSpanish, {"DE", "ES", "ZM", "de", "ee", "EG", "EG2", "ER"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lang);
        EXPECT_EQ(isoOrder(countries, c.lang), c.order);
    }
}

TEST(SearchCountryOrder, EqualNamesKeepTheClientsOrder) {
    const std::vector<Country> countries = {named("A1", "Congo"), named("B", "Bénin"), named("A2", "Congo"),
                                            named("A3", "Congo")};
    for (std::int64_t lang : {kEnglish, kFrench, kSpanish}) {
        SCOPED_TRACE(lang);
        EXPECT_EQ(isoOrder(countries, lang), (std::vector<std::string>{"B", "A1", "A2", "A3"}));
    }
}

TEST(SearchCountryOrder, EachLanguageSortsByItsOwnName) {
    const std::vector<Country> countries = {{"DE", "Allemagne", "Germany", "Alemania"},
                                            {"ES", "Espagne", "Spain", "España"},
                                            {"GB", "Royaume-Uni", "United Kingdom", "Reino Unido"}};
    EXPECT_EQ(isoOrder(countries, kFrench), (std::vector<std::string>{"DE", "ES", "GB"}));
    EXPECT_EQ(isoOrder(countries, kEnglish), (std::vector<std::string>{"DE", "ES", "GB"}));
    EXPECT_EQ(isoOrder(countries, kSpanish), (std::vector<std::string>{"DE", "ES", "GB"}));
    const std::vector<Country> apart = {{"A", "b", "c", "a"}, {"B", "a", "b", "c"}, {"C", "c", "a", "b"}};
    EXPECT_EQ(isoOrder(apart, kFrench), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(isoOrder(apart, kEnglish), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(isoOrder(apart, kSpanish), (std::vector<std::string>{"A", "C", "B"}));
}

class SearchRegionPickerTest : public SearchScreenTest {
protected:
    explicit SearchRegionPickerTest(SearchScreenOptions options = {}) : SearchScreenTest(std::move(options)) {}

    std::vector<std::string> rows(SelectRegionController& picker) {
        std::vector<std::string> texts;
        for (int r = 0; r < picker.tableview->numberOfRows(0); ++r) {
            texts.push_back(picker.tableview->cellForRowAt({0, r})->textLabel().text());
        }
        return texts;
    }
};

class SearchRegionPickerInFrenchTest : public SearchRegionPickerTest {
protected:
    SearchRegionPickerInFrenchTest() : SearchRegionPickerTest({.preferredLanguages = {"fr-FR"}}) {}
};

TEST_F(SearchRegionPickerInFrenchTest, CountriesAreListedInFrenchOrderUnderTheirTitle) {
    service.reply(api("getCountryWhereToursIOS/"),
                  ScriptedReply::json(envelope({{{"iso", "ZA"}, {"country_name_fr", "Afrique du Sud"},
                                                 {"country_name_en", "South Africa"}, {"country_name_es", "Sudáfrica"}},
                                                {{"iso", "EG"}, {"country_name_fr", "Égypte"},
                                                 {"country_name_en", "Egypt"}, {"country_name_es", "Egipto"}},
                                                {{"iso", "ES"}, {"country_name_fr", "Espagne"},
                                                 {"country_name_en", "Spain"}, {"country_name_es", "España"}}})));
    auto screen = openSearch();
    ASSERT_TRUE(screen->btnCountry->tap());
    auto picker = topAs<SelectRegionController>();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->lblTitle->text(), app().text("Countries"));
    EXPECT_EQ(rows(*picker), (std::vector<std::string>{"Afrique du Sud", "Égypte", "Espagne"}));
    EXPECT_EQ(network().countries.front().iso, "ZA") << "the client's list is not reordered";
}

TEST_F(SearchRegionPickerTest, PickerListsTheCountriesItWasCreatedWith) {
    auto screen = openSearch();
    ASSERT_TRUE(screen->btnCountry->tap());
    auto picker = topAs<SelectRegionController>();
    ASSERT_TRUE(picker);
    EXPECT_TRUE(rows(*picker).empty());
    network().countries = {named("FR", "France")};
    picker->tableview->reloadData();
    EXPECT_TRUE(rows(*picker).empty()) << "a list arriving while it is open does not appear";
}

TEST_F(SearchRegionPickerTest, TheCloseButtonLeavesThePickerTheWayItCame) {
    network().countries = {named("FR", "France")};
    auto screen = openSearch();
    ASSERT_TRUE(screen);

    // Pushed, as the search screen opens it: popped back to the search screen.
    ASSERT_TRUE(screen->btnCountry->tap());
    auto pushed = topAs<SelectRegionController>();
    ASSERT_TRUE(pushed);
    ASSERT_TRUE(pushed->btnClose->tap());
    env.settle();
    EXPECT_EQ(top(), screen);
    EXPECT_EQ(nav->viewControllers().size(), 2u);
    EXPECT_FALSE(screen->country) << "closing chooses nothing";

    // Presented: dismissed, and the search screen stays where it was.
    auto presented = StoryboardRegistry::shared().named("Search-ipad")->instantiate<SelectRegionController>(
        "SelectRegionController");
    ASSERT_TRUE(presented);
    presented->selectRegionType = RegionType::country;
    presented->sc = screen;
    screen->present(presented, false);
    ASSERT_EQ(screen->presentedViewController(), presented);
    ASSERT_TRUE(presented->btnClose->tap());
    env.settle();
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_EQ(top(), screen);
    EXPECT_FALSE(screen->country);
}

class SearchRegionPickerInSpanishTest : public SearchRegionPickerTest {
protected:
    SearchRegionPickerInSpanishTest() : SearchRegionPickerTest({.preferredLanguages = {"es-ES"}}) {}
};

TEST_F(SearchRegionPickerInSpanishTest, CitiesShowTheirFrenchNameAndStatesKeepTheirOrder) {
    auto screen = openSearch();
    screen->country = named("FR", "Francia");
    network().states = {{"FR", "N", "Normandie", "Normandy", "Normandía"}, {"FR", "B", "Bretagne", "Brittany", "Bretaña"}};
    City london, nowhere;
    london.city_name_fr = "Londres";
    london.city_name_en = "London";
    nowhere.city_name_en = "Nowhere";
    network().cities = {london, nowhere};
    ASSERT_TRUE(screen->btnState->isHidden());
    screen->chooseState();
    auto states = topAs<SelectRegionController>();
    ASSERT_TRUE(states);
    EXPECT_EQ(states->lblTitle->text(), app().text("States"));
    EXPECT_EQ(rows(*states), (std::vector<std::string>{"Normandía", "Bretaña"}));
    nav->popViewController(false);
    screen->chooseCity();
    auto cities = topAs<SelectRegionController>();
    ASSERT_TRUE(cities);
    EXPECT_EQ(cities->lblTitle->text(), app().text("Cities"));
    EXPECT_EQ(rows(*cities), (std::vector<std::string>{"Londres", ""}));
}

}  // namespace
}  // namespace tq::test
