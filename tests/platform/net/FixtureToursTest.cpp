#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

#include "NetTestSupport.h"

namespace tq::test {
namespace {

// Later tests rely on the fixture tours keeping their shape; this pins what they promise.
using FixtureToursTest = NetTest;

TEST_F(FixtureToursTest, ServiceAnswersWithTheFixtureTours) {
    service.serveFixtureTours();
    auto catalogue = fetch("/public/webservice/getSimpleListCatalogV2/newApi/?callback=no");
    auto full = fetch("/public/webservice/getFullCircuit/418?callback=no");
    ASSERT_TRUE(catalogue.succeeded() && full.succeeded());

    auto list = nlohmann::json::parse(catalogue.body);
    EXPECT_EQ(list["status"], "success");
    EXPECT_EQ(list["results"].size(), 3u);

    auto tour = nlohmann::json::parse(full.body);
    EXPECT_EQ(tour["status"], "success");
    const auto& points = tour["results"].at(0)["poi"];
    std::vector<std::string> orders;
    std::set<std::string> kinds;
    std::set<std::string> sizeForms;
    for (const auto& point : points) {
        orders.push_back(point["poi_order"]);
        for (const auto& content : point["content"]) {
            kinds.insert(content["type"].get<std::string>());
            auto metadata = nlohmann::json::parse(content["metadata"].get<std::string>());
            if (metadata.contains("size")) sizeForms.insert(metadata["size"].type_name());
        }
    }
    EXPECT_EQ(orders, (std::vector<std::string>{"2", "10", "1"}));
    EXPECT_EQ(kinds, (std::set<std::string>{"panorama", "txt", "img", "video", "audio", "none"}));
    EXPECT_EQ(sizeForms, (std::set<std::string>{"number", "string"}));
    EXPECT_NE(full.body.find("Québec"), std::string::npos);
}

}  // namespace
}  // namespace tq::test
