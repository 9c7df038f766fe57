#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "DemoServiceProcess.h"
#include "platform/foundation/FileSystem.h"
#include "product/ProductSites.h"
#include "service/Network.h"

namespace tq::test {
namespace {

std::vector<std::string> idsOf(const std::vector<TourRef>& tours) {
    std::vector<std::string> ids;
    for (const auto& tour : tours) ids.push_back(tour && tour->circuit_id ? *tour->circuit_id : "?");
    return ids;
}

std::set<std::string> idSet(const std::vector<TourRef>& tours) {
    auto ids = idsOf(tours);
    return {ids.begin(), ids.end()};
}

// The client of the application against the demo service with its generated sample tours.
class DemoOperationsTest : public ::testing::Test {
public:
    DemoServiceProcess service;
    TestEnvironment env;
    Network& network = env->shared<Network>();

    void SetUp() override {
        ASSERT_TRUE(service.listening()) << service.output();
        service.connect(env.env());
    }

    void TearDown() override {
        // Every reply read strictly, every content's metadata read without a fallback.
        for (const auto& line : env->console().lines()) {
            EXPECT_EQ(line.find("metadata error"), std::string::npos) << line;
            EXPECT_EQ(line.find("No Data"), std::string::npos) << line;
        }
    }

    // Runs one operation to its completion; the success flag it reported.
    bool call(const std::function<void(Network::Completion)>& operation) {
        std::optional<bool> result;
        operation([&](bool success) { result = success; });
        EXPECT_TRUE(env.runUntil([&] { return result.has_value(); })) << "no completion";
        return result.value_or(false);
    }
};

TEST_F(DemoOperationsTest, TheCatalogueHoldsEverySampleTourRated) {
    ASSERT_TRUE(call([&](auto done) { network.getSimpleCatalogue(done); }));
    EXPECT_EQ(idsOf(network.catalogue), (std::vector<std::string>{"9101", "9102", "9103", "9111", "9112", "9121",
                                                                   "9122", "9123", "9131", "9141", "9151", "9152"}));
    for (const auto& tour : network.catalogue) {
        ASSERT_TRUE(tour->rating) << *tour->circuit_id;
        EXPECT_FALSE(tour->poi) << "the catalogue lists tours without their points";
    }
    EXPECT_DOUBLE_EQ(*network.catalogue[0]->rating, 27.0 / 6.0);
    EXPECT_DOUBLE_EQ(*network.catalogue[8]->rating, 1.0);  // the network head
    // Each language version names the others.
    EXPECT_EQ(network.catalogue[0]->id_circuit_en, "9102");
    EXPECT_EQ(network.catalogue[0]->id_circuit_es, "9103");
    EXPECT_EQ(network.catalogue[3]->id_circuit_es, "0");
}

TEST_F(DemoOperationsTest, FullToursComeWithOrderedPointsAndEveryKindOfContent) {
    std::set<ContentType> kinds;
    int texts = 0;
    for (const char* id : {"9101", "9111", "9121", "9131", "9141"}) {
        ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour(id, done); })) << id;
        ASSERT_TRUE(network.currentTour && network.currentTour->poi) << id;
        const auto& points = *network.currentTour->poi;
        EXPECT_EQ(std::to_string(points.size()), network.currentTour->poi_count.value_or(""));
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i]->order(), static_cast<std::int64_t>(i + 1));
            for (const auto& content : *points[i]->content) {
                if (content->type == "txt") ++texts;
                if (content->metadata == "{}") continue;  // a text has no media to describe
                content->parseMetadata(env->console());
                if (content->content_type) kinds.insert(*content->content_type);
            }
        }
    }
    EXPECT_EQ(kinds, (std::set<ContentType>{ContentType::img, ContentType::panorama, ContentType::video,
                                            ContentType::audio}));
    EXPECT_EQ(texts, 4 + 3 + 4 + 2 + 3);  // one per point
    // The tour drawn on its own map says where it starts.
    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("9141", done); }));
    EXPECT_EQ(network.currentTour->use_custom_map, "1");
    EXPECT_TRUE(applyCustomMapStart(*network.currentTour, env->console()));
    EXPECT_EQ(network.currentTour->customMapLat, "45.7741");

    std::optional<std::string> text;
    network.getFullCircuitJson("9121", [&](const std::string& json) { text = json; });
    ASSERT_TRUE(env.runUntil([&] { return text.has_value(); }));
    EXPECT_NE(text->find("\"circuit_id\":\"9121\""), std::string::npos);

    // An unknown tour is a successful reply without a tour.
    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("77", done); }));
    EXPECT_FALSE(network.currentTour);
}

TEST_F(DemoOperationsTest, NetworksAndOrganisationsListTheirTours) {
    ASSERT_TRUE(call([&](auto done) { network.getNetworkCatalogue("9131", true, done); }));
    EXPECT_EQ(idsOf(network.networkCatalogue), (std::vector<std::string>{"9101", "9111"}));
    // The network's presentation shows its head's point count as the number of tours it offers.
    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("9131", done); }));
    EXPECT_EQ(network.currentTour->poi_count, std::to_string(network.networkCatalogue.size()));
    ASSERT_TRUE(call([&](auto done) { network.getNetworkCatalogue("61", false, done); }));
    EXPECT_EQ(idSet(network.networkCatalogue), (std::set<std::string>{"9101", "9102", "9103", "9111", "9112", "9131"}));
}

TEST_F(DemoOperationsTest, SearchesAroundAPositionFindTheNearestToursFirst) {
    ASSERT_TRUE(call([&](auto done) { network.getToursNearby(41.3839, 2.1762, done); }));
    EXPECT_EQ(idSet(network.searchCatalogue), (std::set<std::string>{"9121", "9122", "9123"}));
    EXPECT_EQ(network.searchCatalogue.front()->distance, "0");
    // Nothing near the middle of the ocean: no answer for the screens.
    EXPECT_FALSE(call([&](auto done) { network.getToursNearby(0.0, -30.0, done); }));

    ASSERT_TRUE(call([&](auto done) { network.searchByProximity(45.7741, 4.8540, "all", done); }));
    ASSERT_FALSE(network.searchCatalogue.empty());
    EXPECT_EQ(network.searchCatalogue.front()->circuit_id, "9141");
    EXPECT_EQ(network.searchCatalogue.size(), 7u);  // every Lyon tour, none of Barcelona

    ASSERT_TRUE(call([&](auto done) { network.getPoiAround("fr", "45.7606", "4.8274", "9101", done); }));
    ASSERT_TRUE(network.poiAround && !network.poiAround->empty());
    for (const auto& point : *network.poiAround) {
        EXPECT_NE(point->poi_id->rfind("9101", 0), 0u) << "the tour's own points are not around it";
        ASSERT_TRUE(point->content);
        EXPECT_EQ(point->content->front()->type, "txt");
    }
}

TEST_F(DemoOperationsTest, RegionsHaveToursAndTheRegionSearchFiltersByLanguage) {
    ASSERT_TRUE(call([&](auto done) { network.getCountries(done); }));
    ASSERT_EQ(network.countries.size(), 2u);
    EXPECT_EQ(network.countries[1].country_name_es, "España");
    ASSERT_TRUE(call([&](auto done) { network.getStates("FR", done); }));
    ASSERT_EQ(network.states.size(), 1u);
    EXPECT_EQ(network.states[0].state_iso, "ARA");
    ASSERT_TRUE(call([&](auto done) { network.getCitiesOfState("FR", "ARA", done); }));
    ASSERT_EQ(network.cities.size(), 2u);
    EXPECT_EQ(network.cities[0].place_code, "69123");
    EXPECT_EQ(network.cities[1].place_code, "74010");
    ASSERT_TRUE(call([&](auto done) { network.getCitiesOfCountry("ES", done); }));
    ASSERT_EQ(network.cities.size(), 1u);
    EXPECT_EQ(network.cities[0].city_name_fr, "Barcelone");

    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("08019", RegionType::city, 2, done); }));
    EXPECT_EQ(idsOf(network.searchCatalogue), std::vector<std::string>{"9122"});
    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("FR", RegionType::country, 0, done); }));
    EXPECT_EQ(network.searchCatalogue.size(), 9u);
    // 4 is what the search screen sends for every language. A city's tours leave out those of the
    // other city of its region; the region's include both.
    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("69123", RegionType::city, 4, done); }));
    EXPECT_EQ(network.searchCatalogue.size(), 7u);
    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("74010", RegionType::city, 4, done); }));
    EXPECT_EQ(idSet(network.searchCatalogue), (std::set<std::string>{"9151", "9152"}));
    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("ARA", RegionType::state, 4, done); }));
    EXPECT_EQ(network.searchCatalogue.size(), 9u);
    ASSERT_TRUE(call([&](auto done) { network.getToursByRegion("ARA", RegionType::state, 3, done); }));
    EXPECT_EQ(idsOf(network.searchCatalogue), std::vector<std::string>{"9103"});

    ASSERT_TRUE(call([&](auto done) { network.getWorldMapPois(done); }));
    ASSERT_EQ(network.worldMapPois.size(), 12u);
    EXPECT_EQ(network.worldMapPois[9].circuit_id, "9141");
    EXPECT_EQ(network.worldMapPois[9].use_custom_map, "1");
    EXPECT_EQ(network.worldMapPois.front().circuit_imagepath, "https://www.trelvoquest.com/circuits/thumbHD/9101.jpg");
}

TEST_F(DemoOperationsTest, KeywordSearchesMatchCitiesTitlesAndDescriptions) {
    ASSERT_TRUE(call([&](auto done) { network.searchByKeywordsCity("barcelone", "all", done); }));
    EXPECT_EQ(idSet(network.searchCatalogueCity), (std::set<std::string>{"9121", "9122", "9123"}));
    // The exact search leaves out what the city search found.
    ASSERT_TRUE(call([&](auto done) { network.searchByKeywordsExact("Barcelona", "all", done); }));
    EXPECT_TRUE(network.searchCatalogue.empty());

    ASSERT_TRUE(call([&](auto done) { network.searchByKeywordsCity("traboules", "all", done); }));
    EXPECT_TRUE(network.searchCatalogueCity.empty());
    ASSERT_TRUE(call([&](auto done) { network.searchByKeywordsExact("traboules", "all", done); }));
    EXPECT_EQ(idSet(network.searchCatalogue), (std::set<std::string>{"9101", "9102", "9103"}));
    // As the search screen sends it: escaped, accents included, in one language.
    ASSERT_TRUE(call([&](auto done) { network.searchByKeywordsTitleDescription("cath%C3%A9drale", "fr", done); }));
    EXPECT_EQ(idSet(network.searchCatalogue), (std::set<std::string>{"9101", "9123"}));
}

TEST_F(DemoOperationsTest, ARatingChangesTheTotalsServedAndCountsOncePerDevice) {
    std::optional<int> code;
    network.setRating("9121", "4.5", "device-A", [&](int c) { code = c; });
    ASSERT_TRUE(env.runUntil([&] { return code.has_value(); }));
    EXPECT_EQ(*code, 1);
    code.reset();
    network.setRating("9121", "1.0", "device-A", [&](int c) { code = c; });
    ASSERT_TRUE(env.runUntil([&] { return code.has_value(); }));
    EXPECT_EQ(*code, 2) << "already rated from this device";

    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("9121", done); }));
    EXPECT_EQ(network.currentTour->rating_total_score, "26.5");
    EXPECT_EQ(network.currentTour->rating_total_counter, "6");
    ASSERT_TRUE(call([&](auto done) { network.getSimpleCatalogue(done); }));
    auto tour = std::find_if(network.catalogue.begin(), network.catalogue.end(),
                             [](const TourRef& t) { return t->circuit_id == "9121"; });
    ASSERT_NE(tour, network.catalogue.end());
    EXPECT_DOUBLE_EQ(*(*tour)->rating, 26.5 / 6);

    // A rating the service cannot read, or of a tour it does not have, is refused.
    code.reset();
    network.setRating("9121", "six", "device-B", [&](int c) { code = c; });
    ASSERT_TRUE(env.runUntil([&] { return code.has_value(); }));
    EXPECT_EQ(*code, 0);
}

TEST_F(DemoOperationsTest, TheUpdateCheckFindsATourOnlyOnceItIsMarkedUpdated) {
    std::vector<std::string> marked;
    network.markTourNeedsUpdate = [&](const std::string& id) { marked.push_back(id); };
    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("9101", done); }));
    TourRef stored = network.currentTour;
    bool failed = false;
    network.checkToursUpdates(*stored, [&](bool) { failed = true; });
    env.settle();
    EXPECT_TRUE(marked.empty());

    auto reply = exchange(service, {"127.0.0.1", "POST /demo/updated/9101 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                                 "Content-Length: 0\r\nConnection: close\r\n"});
    ASSERT_EQ(reply.status, 200) << reply.whole;
    network.checkToursUpdates(*stored, [&](bool) { failed = true; });
    env.settle();
    EXPECT_EQ(marked, std::vector<std::string>{"9101"});
    EXPECT_FALSE(failed);

    // The new version, once fetched, is up to date.
    ASSERT_TRUE(call([&](auto done) { network.loadUpdateTour("9101", done); }));
    EXPECT_GT(network.updateTour->moderation_date.value_or(""), stored->moderation_date.value_or(""));
    network.checkToursUpdates(*network.updateTour, [&](bool) { failed = true; });
    env.settle();
    EXPECT_EQ(marked.size(), 1u);
}

TEST_F(DemoOperationsTest, MediaAddressesOfTheToursServeTheGeneratedFiles) {
    ASSERT_TRUE(call([&](auto done) { network.loadCurrentTour("9102", done); }));
    auto audio = network.currentTour->poi->front()->content->back();
    audio->parseMetadata(env->console());
    ASSERT_EQ(audio->content_type, ContentType::audio);
    EXPECT_GT(audio->content_duration.value_or(0), 2);
    std::optional<std::string> bytes;
    network.downloadData(*audio->content_filepath, [&](const std::string& b) { bytes = b; });
    ASSERT_TRUE(env.runUntil([&] { return bytes.has_value(); }));
    EXPECT_EQ(*bytes, readFile(std::filesystem::path(TQ_DEMO_DATA_DIR) / "media/public/media/audio/910213_narration.mp3"));

    // The catalogue's thumbnails and the world map's pictures.
    bytes.reset();
    network.downloadData("https://www.trelvoquest.com/circuits/thumbHD/9102.jpg", [&](const std::string& b) { bytes = b; });
    ASSERT_TRUE(env.runUntil([&] { return bytes.has_value(); }));
    EXPECT_EQ(*bytes, readFile(std::filesystem::path(TQ_DEMO_DATA_DIR) / "www/circuits/thumbHD/9102.jpg"));
}

// The archive gate holds a tile archive halfway until it is released, and a service stopped
// while it holds one still ends at once.
TEST(DemoArchiveGateTest, AHeldArchiveArrivesWholeOnceReleasedAndAStopDropsIt) {
    const std::string archive = "https://www.trelvoquest.com/public/assets/map_tiles/circuit9102/9102.zip";
    const auto expected = readFile(std::filesystem::path(TQ_DEMO_DATA_DIR) / "www/public/assets/map_tiles/circuit9102/9102.zip");
    auto post = [](const DemoServiceProcess& service, const std::string& path) {
        return exchange(service, {"127.0.0.1", "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                               "Content-Length: 0\r\nConnection: close\r\n"}).status;
    };
    // How many times the service said it holds the archive.
    auto held = [](const DemoServiceProcess& service) {
        const std::string out = service.output(), line = "holding archive 9102.zip";
        int count = 0;
        for (auto at = out.find(line); at != std::string::npos; at = out.find(line, at + 1)) ++count;
        return count;
    };
    {
        DemoServiceProcess service({.data = TQ_DEMO_DATA_DIR, .arguments = {"--hold-archives"}});
        ASSERT_TRUE(service.listening()) << service.output();
        TestEnvironment env;
        service.connect(env.env());
        std::optional<std::string> bytes;
        env->shared<Network>().downloadData(archive, [&](const std::string& b) { bytes = b; });
        ASSERT_TRUE(env.runUntil([&] { return held(service) == 1; })) << service.output();
        EXPECT_FALSE(bytes.has_value());
        EXPECT_EQ(post(service, "/demo/release"), 200);
        ASSERT_TRUE(env.runUntil([&] { return bytes.has_value(); }));
        EXPECT_EQ(*bytes, expected);

        // Closed again on loopback: the next one is held as well, until the service stops.
        EXPECT_EQ(post(service, "/demo/hold"), 200);
        bytes.reset();
        env->shared<Network>().downloadData(archive, [&](const std::string& b) { bytes = b; });
        ASSERT_TRUE(env.runUntil([&] { return held(service) == 2; })) << service.output();
        EXPECT_EQ(service.stop(), 0);
        env.settle();
        EXPECT_FALSE(bytes.has_value());
    }
}

TEST(DemoServiceStartTest, AServiceThatCannotStartSaysWhyInOneLine) {
    TempDir empty;
    DemoServiceProcess noData({.data = empty.path(), .arguments = {}});
    EXPECT_FALSE(noData.listening());
    EXPECT_EQ(noData.exitStatus(), 1);
    const std::string said = noData.output();
    EXPECT_NE(said.find("no sample tours in"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    DemoServiceProcess first;
    ASSERT_TRUE(first.listening());
    DemoServiceProcess second({.data = TQ_DEMO_DATA_DIR, .arguments = {}, .port = first.port()});
    EXPECT_FALSE(second.listening());
    EXPECT_EQ(second.exitStatus(), 1);
    EXPECT_NE(second.output().find("the port is taken"), std::string::npos) << second.output();

    DemoServiceProcess unknownTour({.data = TQ_DEMO_DATA_DIR, .arguments = {"--updated", "12"}});
    EXPECT_FALSE(unknownTour.listening());
    EXPECT_NE(unknownTour.output().find("--updated 12: no such tour"), std::string::npos) << unknownTour.output();

    // A stopped service removes the address it published and ends cleanly.
    EXPECT_TRUE(std::filesystem::exists(first.stateFolder() / "endpoint"));
    EXPECT_EQ(first.stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(first.stateFolder() / "endpoint"));
}

TEST(DemoServiceStartTest, UpdatedOnTheCommandLineMarksTheTour) {
    DemoServiceProcess service({.data = TQ_DEMO_DATA_DIR, .arguments = {"--updated", "9141"}});
    ASSERT_TRUE(service.listening()) << service.output();
    std::string form = "tours%5B%5D%5Bdate%5D=2026-11-02%2009%3A30%3A00&tours%5B%5D%5Bid%5D=9141";
    auto reply = exchange(service, {ProductSites::english,
                                    "POST /public/webservice/isUpdatesAvailableIos HTTP/1.1\r\nHost: " +
                                        std::string(ProductSites::english) +
                                        "\r\nContent-Type: application/x-www-form-urlencoded; charset=utf-8\r\n"
                                        "Content-Length: " + std::to_string(form.size()) + "\r\nConnection: close\r\n",
                                    form});
    EXPECT_EQ(reply.body, R"({"results":[{"id":"9141"}],"status":"success"})");
}

}  // namespace
}  // namespace tq::test
