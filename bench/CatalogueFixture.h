#pragma once

#include <string>

namespace tq::bench {

// A catalogue reply of `tours` realistic tours, as the web service sends it.
inline std::string catalogueOf(int tours) {
    std::string body = R"({"results":[)";
    for (int i = 0; i < tours; ++i) {
        if (i) body += ",";
        body += R"({"circuit_id":")" + std::to_string(1000 + i) +
                R"(","title":"Promenade n° )" + std::to_string(i) +
                R"( à travers la vieille ville","city_name_fr":"Québec","country_nom_fr":"Canada","language":"fr",)"
                R"("rating_total_score":"9","rating_total_counter":"2","size":"48.5","poi_count":"12",)"
                R"("circuit_imagepath":"circuits/418/main_418.jpg","modes":["foot"],"is_circuit_head":"0"})";
    }
    return body + R"(],"status":"success"})";
}

}  // namespace tq::bench
