#pragma once

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Environment.h"
#include "service/Network.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {

inline std::string api(const std::string& pathAndQuery) { return "/public/webservice/" + pathAndQuery; }

// One tour object of a reply; the fields a test does not name stay out.
struct TourSpec {
    std::string id;
    std::optional<std::string> score;
    std::optional<std::string> counter;
    std::optional<std::string> head;
};

inline std::string tourJson(const TourSpec& spec) {
    std::string json = R"({"circuit_id":")" + spec.id + R"(","title":"Tour )" + spec.id + R"(")";
    if (spec.score) json += R"(,"rating_total_score":")" + *spec.score + R"(")";
    if (spec.counter) json += R"(,"rating_total_counter":")" + *spec.counter + R"(")";
    if (spec.head) json += R"(,"is_circuit_head":")" + *spec.head + R"(")";
    return json + "}";
}

inline std::string envelope(const std::string& results, const std::string& status = "success") {
    return R"({"results":)" + results + R"(,"status":")" + status + R"("})";
}

inline std::string toursReply(const std::vector<std::string>& ids, const std::string& status = "success") {
    std::string list = "[";
    for (std::size_t i = 0; i < ids.size(); ++i) list += (i ? "," : "") + tourJson({ids[i], "9", "2", "0"});
    return envelope(list + "]", status);
}

inline std::vector<std::string> idsOf(const std::vector<TourRef>& tours) {
    std::vector<std::string> ids;
    for (const auto& tour : tours) ids.push_back(tour && tour->circuit_id ? *tour->circuit_id : "?");
    return ids;
}

inline TourRef tourWithId(const std::string& id) {
    auto tour = std::make_shared<Tour>();
    tour->circuit_id = id;
    return tour;
}


// Records every call of a completion, so a test can tell "false" from "never called" and catch a
// second call.
template <class T>
struct Calls {
    std::vector<T> values;
    auto recorder() {
        return [this](T value) { values.push_back(value); };
    }
    bool once(const T& expected) const { return values.size() == 1 && values.front() == expected; }
};

class NetworkTest : public ::testing::Test {
protected:
    TestWebService service;
    TestEnvironment env;
    Network& network = env->shared<Network>();

    void SetUp() override { service.connect(env.env()); }
    Console& console() { return env->console(); }
};

}  // namespace tq::test
