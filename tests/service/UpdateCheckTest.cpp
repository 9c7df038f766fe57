// The update check of one stored tour: its form-encoded POST and what its answer marks.
#include "NetworkTestSupport.h"
#include "product/ProductSites.h"

namespace tq::test {
namespace {

const std::string kUpdatePath = api("isUpdatesAvailableIos");

class UpdateCheckTest : public NetworkTest {
protected:
    std::vector<std::string> marked;
    Calls<bool> completion;

    void SetUp() override {
        NetworkTest::SetUp();
        network.markTourNeedsUpdate = [this](const std::string& id) { marked.push_back(id); };
    }
    static Tour storedTour() {
        Tour tour;
        tour.circuit_id = "418";
        tour.moderation_date = "2024-03-01 10:15:00";
        return tour;
    }
    void check(const Tour& tour = storedTour()) {
        network.checkToursUpdates(tour, completion.recorder());
        env.settle();
    }
};

TEST_F(UpdateCheckTest, PostsOneTourAsAFormToTheEnglishSite) {
    service.reply(kUpdatePath, ScriptedReply::json(envelope("[]")));
    check();
    auto requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.host, ProductSites::english);
    EXPECT_EQ(request.target, kUpdatePath) << "no suffix";
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_FALSE(request.header("api-version")) << "none of the client's own headers";
    EXPECT_EQ(request.body, "tours%5B%5D%5Bdate%5D=2024-03-01%2010%3A15%3A00&tours%5B%5D%5Bid%5D=418");
}

TEST(UpdateCheckFormTest, OnePairPerFieldOfEachTour) {
    UpdatePost post;
    post.tours.push_back(TourUpdatePost{"7", "d"});
    post.tours.push_back(std::nullopt);
    EXPECT_EQ(encodeForm(updateCheckForm(post)), "tours%5B%5D%5Bdate%5D=d&tours%5B%5D%5Bid%5D=7");
}

struct AnswerCase {
    std::string name;
    ScriptedReply reply;
    std::vector<std::string> marked;
    std::vector<bool> completion;
    std::vector<std::string> linePrefixes;  // lines that must appear, in this order
};

TEST_F(UpdateCheckTest, AnswersMarkOnlyTheFirstListedTourAndReportOnlyFailures) {
    const std::vector<AnswerCase> cases = {
        {"two tours listed", ScriptedReply::json(envelope(R"([{"id":"418"},{"id":"502"}])")), {"418"}, {},
         {"Update check reply: success", R"(["418", "502"])"}},
        {"empty list", ScriptedReply::json(envelope("[]")), {}, {}, {"Update check reply: success", "[]"}},
        {"entry without id", ScriptedReply::json(envelope("[{}]")), {"0"}, {}, {}},
        {"status error", ScriptedReply::json(envelope(R"([{"id":"418"}])", "error")), {}, {}, {}},
        {"not JSON", ScriptedReply::text("Fatal error"), {}, {}, {"Update check reply: success", "", "¡222 "}},
        {"error text", ScriptedReply::json(envelope(R"("no tours")", "error")), {}, {}, {"results", "test"}},
        {"error text with success", ScriptedReply::json(envelope(R"("none")")), {}, {}, {"results"}},
        {"500", ScriptedReply::json(envelope(R"([{"id":"418"}])"), 500), {}, {false},
         {"Update check reply: failure", "error Response status code was unacceptable: 500."}},
        {"empty body", ScriptedReply::json(""), {}, {false}, {"Update check reply: success, 0 bytes", "No Data"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service.reply(kUpdatePath, c.reply);
        marked.clear();
        completion.values.clear();
        console().clear();
        check();
        EXPECT_EQ(marked, c.marked);
        EXPECT_EQ(completion.values, c.completion);
        auto lines = console().lines();
        auto at = lines.begin();
        for (const auto& prefix : c.linePrefixes) {
            at = std::find_if(at, lines.end(), [&](const std::string& line) { return line.starts_with(prefix); });
            ASSERT_NE(at, lines.end()) << "missing a line beginning with " << prefix;
            ++at;
        }
    }
    // "test" is written only for an error text whose status is not "success".
    EXPECT_FALSE(console().contains("test"));
}

TEST_F(UpdateCheckTest, ConnectionRefusedReportsFalseOnce) {
    env->hostRoutes()[ProductSites::english] = "127.0.0.1:" + std::to_string(closedLocalPort());
    check();
    EXPECT_TRUE(completion.once(false));
    EXPECT_TRUE(console().contains("error Could not connect to the server."));
    EXPECT_TRUE(marked.empty());
}

TEST_F(UpdateCheckTest, TourWithoutIdentifierOrDateIsSkippedWithALine) {
    Tour noDate = storedTour();
    noDate.moderation_date.reset();
    Tour noId = storedTour();
    noId.circuit_id.reset();
    check(noDate);
    check(noId);
    EXPECT_EQ(service.requestCount(), 0u);
    EXPECT_EQ(completion.values, (std::vector<bool>{false, false}));
    EXPECT_TRUE(console().containsPrefix("Update check skipped: tour 418"));
    EXPECT_TRUE(console().containsPrefix("Update check skipped: tour without circuit_id"));
}

TEST_F(UpdateCheckTest, WithoutTheDatabaseHookAnAnswerMarksNothingAndDoesNotFail) {
    network.markTourNeedsUpdate = nullptr;
    service.reply(kUpdatePath, ScriptedReply::json(envelope(R"([{"id":"418"}])")));
    check();
    EXPECT_TRUE(completion.values.empty());
}

}  // namespace
}  // namespace tq::test
