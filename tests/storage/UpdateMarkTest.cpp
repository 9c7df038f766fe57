#include <gtest/gtest.h>

#include "service/Network.h"
#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq {
namespace {

// The update check's answer, coming from the web service, flags the stored tour in the database.
TEST(UpdateMarkTest, AnUpdateCheckAnswerFlagsTheStoredTour) {
    test::TestWebService service;
    test::TestEnvironment env;
    service.connect(env.env());
    service.reply("/public/webservice/isUpdatesAvailableIos",
                  test::ScriptedReply::json(R"({"results":[{"id":"418"}],"status":"success"})"));
    auto& db = env->shared<TourStore>().database;
    bool stored = false;
    db.addTour("418", R"({"status":"success","results":[]})", [&](bool s) { stored = s; });
    ASSERT_TRUE(stored);

    Tour tour;
    tour.circuit_id = "418";
    tour.moderation_date = "2024-03-01 10:15:00";
    env->shared<Network>().checkToursUpdates(tour, {});
    env.settle();

    auto rows = db.readAllRows();
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0].isUptodate, "1");
}

}  // namespace
}  // namespace tq
