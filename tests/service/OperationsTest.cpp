// Each operation against the test web service: the exact request it sends and where its answer
// ends up.
#include <functional>

#include "NetworkTestSupport.h"
#include "product/ProductSites.h"

namespace tq::test {
namespace {

struct OperationCase {
    std::string name;
    std::function<void(Network&, Network::Completion)> call;
    std::string target;  // path and query as the service receives them
    bool printsAddress;
    std::string replyBody;
    std::function<void(Network&)> checkStored;
};

std::vector<OperationCase> operationCases() {
    const std::string regions = envelope(
        R"([{"iso":"CA","country_name_fr":"Canada","country_name_en":"Canada","country_name_es":"Canadá"}])");
    const std::string states = envelope(
        R"([{"country_iso":"CA","state_iso":"QC","state_name_fr":"Québec","state_name_en":"Quebec","state_name_es":"Quebec"}])");
    const std::string cities = envelope(R"([{"place_code":"457","name":"Québec"},{"place_code":"12"}])");
    return {
        {"getSimpleCatalogue", [](Network& n, auto done) { n.getSimpleCatalogue(done); },
         api("getSimpleListCatalogV2/newApi/?callback=no"), false, toursReply({"1", "2"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.catalogue), (std::vector<std::string>{"1", "2"})); }},
        {"getNetworkCatalogue sub-tours", [](Network& n, auto done) { n.getNetworkCatalogue("77", true, done); },
         api("getCircuitSubcircuits/77?callback=no"), false, toursReply({"3"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.networkCatalogue), std::vector<std::string>{"3"}); }},
        {"getNetworkCatalogue organisation", [](Network& n, auto done) { n.getNetworkCatalogue("77", false, done); },
         api("getOrganizationCatalog/77?callback=no"), false, toursReply({"4"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.networkCatalogue), std::vector<std::string>{"4"}); }},
        {"getToursNearby", [](Network& n, auto done) { n.getToursNearby("46.81", "-71.2", done); },
         api("getToursNearby/46.81/-71.2/all/25/newApi/?callback=no"), false, toursReply({"5"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"5"}); }},
        {"getToursNearby from doubles", [](Network& n, auto done) { n.getToursNearby(45.0, -73.6, done); },
         api("getToursNearby/45.0/-73.6/all/25/newApi/?callback=no"), false, toursReply({"5"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"5"}); }},
        {"loadCurrentTour", [](Network& n, auto done) { n.loadCurrentTour("418", done); },
         api("getFullCircuit/418?callback=no"), false, fixtureText("full-tour.json"),
         [](Network& n) {
             ASSERT_TRUE(n.currentTour);
             EXPECT_EQ(n.currentTour->circuit_id, "418");
             EXPECT_FALSE(n.updateTour);
         }},
        {"loadUpdateTour", [](Network& n, auto done) { n.loadUpdateTour("418", done); },
         api("getFullCircuit/418?callback=no"), false, fixtureText("full-tour.json"),
         [](Network& n) {
             ASSERT_TRUE(n.updateTour);
             EXPECT_EQ(n.updateTour->circuit_id, "418");
             EXPECT_FALSE(n.currentTour);
         }},
        {"getPoiAround", [](Network& n, auto done) { n.getPoiAround("fr", "45.5", "-73.6", "12", done); },
         api("getPoiAroundIOS/fr/45.5/-73.6/12?callback=no"), false,
         envelope(R"([{"poi_id":"8","poi_order":"1","content":[]}])"),
         [](Network& n) {
             ASSERT_TRUE(n.poiAround);
             ASSERT_EQ(n.poiAround->size(), 1u);
             EXPECT_EQ(n.poiAround->front()->poi_id, "8");
         }},
        {"getCountries", [](Network& n, auto done) { n.getCountries(done); },
         api("getCountryWhereToursIOS/?callback=no"), true, regions,
         [](Network& n) {
             ASSERT_EQ(n.countries.size(), 1u);
             EXPECT_EQ(n.countries[0].iso, "CA");
         }},
        {"getStates", [](Network& n, auto done) { n.getStates("CA", done); },
         api("getStateWhereToursIOS/CA?callback=no"), false, states,
         [](Network& n) {
             ASSERT_EQ(n.states.size(), 1u);
             EXPECT_EQ(n.states[0].state_iso, "QC");
         }},
        {"getCitiesOfCountry", [](Network& n, auto done) { n.getCitiesOfCountry("FR", done); },
         api("getCityWhereToursIOS/FR?callback=no"), true, cities,
         [](Network& n) {
             ASSERT_EQ(n.cities.size(), 2u);
             EXPECT_EQ(n.cities[1].place_code, "12");
         }},
        {"getCitiesOfState", [](Network& n, auto done) { n.getCitiesOfState("CA", "QC", done); },
         api("getCityWhereToursIOS/CA/QC?callback=no"), true, cities,
         [](Network& n) { EXPECT_EQ(n.cities.size(), 2u); }},
        {"getWorldMapPois", [](Network& n, auto done) { n.getWorldMapPois(done); },
         api("getWorldMapPois/newApi/?callback=no"), false,
         envelope(R"([{"circuit_id":"418","lat":"46.8","long":"-71.2"}])"),
         [](Network& n) {
             ASSERT_EQ(n.worldMapPois.size(), 1u);
             EXPECT_EQ(n.worldMapPois[0].long_, "-71.2");
         }},
        {"searchByProximity", [](Network& n, auto done) { n.searchByProximity("45.5", "-73.6", "all", done); },
         api("searchByProximity/45.5/-73.6/all/?callback=no"), false, toursReply({"6"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"6"}); }},
        {"getToursByRegion city", [](Network& n, auto done) { n.getToursByRegion("457", RegionType::city, 4, done); },
         api("getToursByCity/457/4/?callback=no"), true, toursReply({"7"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"7"}); }},
        {"getToursByRegion state", [](Network& n, auto done) { n.getToursByRegion("QC", RegionType::state, 0, done); },
         api("getToursByState/QC/0/?callback=no"), true, toursReply({"7"}), [](Network&) {}},
        {"getToursByRegion country",
         [](Network& n, auto done) { n.getToursByRegion("CA", RegionType::country, 2, done); },
         api("getToursByCountry/CA/2/?callback=no"), true, toursReply({"7"}), [](Network&) {}},
        {"searchByKeywordsCity", [](Network& n, auto done) { n.searchByKeywordsCity("qu%C3%A9bec", "fr", done); },
         api("searchCircuitByKeywordsCity/qu%C3%A9bec/fr?callback=no"), false, toursReply({"8"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogueCity), std::vector<std::string>{"8"}); }},
        {"searchByKeywordsExact", [](Network& n, auto done) { n.searchByKeywordsExact("vieux%20port", "all", done); },
         api("searchCircuitByKeywords/exact/vieux%20port/all?callback=no"), true, toursReply({"9"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"9"}); }},
        {"searchByKeywordsTitleDescription",
         [](Network& n, auto done) { n.searchByKeywordsTitleDescription("port", "en", done); },
         api("searchCircuitByKeywords/title_description/port/en?callback=no"), false, toursReply({"10"}),
         [](Network& n) { EXPECT_EQ(idsOf(n.searchCatalogue), std::vector<std::string>{"10"}); }},
    };
}

TEST_F(NetworkTest, EachOperationSendsItsAddressWithTheVersionHeaderAndStoresItsResults) {
    for (const auto& operation : operationCases()) {
        SCOPED_TRACE(operation.name);
        auto path = operation.target.substr(0, operation.target.find('?'));
        service.reply(path, ScriptedReply::json(operation.replyBody));
        service.clearRequests();
        console().clear();
        network.currentTour = nullptr;
        network.updateTour = nullptr;

        Calls<bool> calls;
        operation.call(network, calls.recorder());
        env.settle();

        EXPECT_TRUE(calls.once(true));
        auto requests = service.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, operation.target);
        EXPECT_EQ(requests[0].host, ProductSites::french);
        EXPECT_EQ(requests[0].header("api-version"), "1.1");
        EXPECT_EQ(console().contains("https://" + std::string(ProductSites::french) + operation.target),
                  operation.printsAddress);
        operation.checkStored(network);
    }
}

TEST_F(NetworkTest, RawFetchesAndRatingSendTheirAddresses) {
    service.reply(api("getFullCircuit/418"), ScriptedReply::json(fixtureText("full-tour.json")));
    service.reply(api("setRating/418/4.5/ABC-123"), ScriptedReply::json(envelope("[]")));
    service.reply("/media/track.mp3", ScriptedReply::bytes("ID3"));

    Calls<std::string> text, bytes;
    Calls<int> code;
    network.getFullCircuitJson("418", text.recorder());
    network.setRating("418", "4.5", "ABC-123", code.recorder());
    network.downloadData(service.url("/media/track.mp3?x=1", kFixtureMediaHost), bytes.recorder());
    env.settle();

    EXPECT_TRUE(text.once(fixtureText("full-tour.json")));
    EXPECT_TRUE(code.once(1));
    EXPECT_TRUE(bytes.once("ID3"));
    for (const auto& [target, host] : std::vector<std::pair<std::string, std::string>>{
             {api("getFullCircuit/418?callback=no"), ProductSites::french},
             {api("setRating/418/4.5/ABC-123?callback=no"), ProductSites::french},
             {"/media/track.mp3?x=1", kFixtureMediaHost}}) {
        SCOPED_TRACE(target);
        auto path = target.substr(0, target.find('?'));
        auto requests = service.requestsTo(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].target, target);
        EXPECT_EQ(requests[0].host, host);
        EXPECT_EQ(requests[0].header("api-version"), "1.1");
    }
    EXPECT_TRUE(console().lines().empty());
}

TEST_F(NetworkTest, IdentifiersAreEscapedAsPathSegmentsWhileKeywordsAndCoordinatesPassAsGiven) {
    service.replyToPrefix(api(""), ScriptedReply::json(toursReply({})));
    network.loadCurrentTour("4 1/8?x", {});
    network.getStates("..", {});
    network.getToursByRegion("Saint-Jean #2", RegionType::city, 1, {});
    network.searchByKeywordsCity("saint%20jean", "fr", {});
    network.getToursNearby("45.5", "-73.6", {});
    env.settle();

    std::vector<std::string> targets;
    for (const auto& request : service.requests()) targets.push_back(request.target);
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, (std::vector<std::string>{
                           api("getFullCircuit/4%201%2F8%3Fx?callback=no"),
                           api("getStateWhereToursIOS/%2E%2E?callback=no"),
                           api("getToursByCity/Saint-Jean%20%232/1/?callback=no"),
                           api("getToursNearby/45.5/-73.6/all/25/newApi/?callback=no"),
                           api("searchCircuitByKeywordsCity/saint%20jean/fr?callback=no"),
                       }));
}

TEST_F(NetworkTest, FixedFieldsOfANewClient) {
    EXPECT_EQ(network.apiUrl, "https://" + std::string(ProductSites::french) + "/public/webservice/");
    EXPECT_EQ(network.noCallBack, "?callback=no");
    EXPECT_EQ(network.headers, (HttpHeaders{{"api-version", "1.1"}}));
    EXPECT_EQ(network.updateCheckUrl,
              "https://" + std::string(ProductSites::english) + "/public/webservice/isUpdatesAvailableIos");
    EXPECT_EQ(network.leafletLink.rfind("https://{s}.", 0), 0u);
    EXPECT_TRUE(network.leafletLink.ends_with("/{z}/{x}/{y}.png"));
    EXPECT_EQ(network.languages, (std::vector<Language>{{"fr", "French", "Français", "Francés"},
                                                         {"en", "English", "Anglais", "Inglés"},
                                                         {"es", "Spanish", "Espagnol", "Español"}}));
    EXPECT_TRUE(network.catalogue.empty());
    EXPECT_FALSE(network.poiAround);
    EXPECT_FALSE(network.currentTour);
    EXPECT_EQ(&Network::shared(), &network);
}

}  // namespace
}  // namespace tq::test
