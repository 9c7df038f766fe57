#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/HeadlessBrowser.h"

namespace tq::test {
namespace {

// A page that navigates by script and by link, and a button half hidden under a cover.
const char* const samplePage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body style="margin:0">
<a id="link" href="js-frame:7" style="position:absolute;left:10px;top:10px;width:80px;height:30px">go</a>
<button id="covered" style="position:absolute;left:10px;top:100px;width:80px;height:30px">covered</button>
<div id="cover" style="position:absolute;left:0;top:90px;width:200px;height:60px"></div>
<script>
function ask(word) { window.location.href = 'js-frame:' + word; return 41 + 1; }
console.log('page ready');
</script>
</body></html>)";

TEST(PageHarnessTest, RecordsNavigationsCallsAndTapsAsTheApplicationWouldSeeThem) {
    PageHarness page("sample.html");
    page.writeFile("sample.html", samplePage);
    auto result = page.run(R"(
harness.scenario(async function () {
  var answer = harness.call("ask('show');");
  var broken = harness.call("ask(;");
  await harness.wait(50);
  var tappedLink = harness.tap(document.getElementById('link'));
  var tappedCovered = harness.tap(document.getElementById('covered'));
  await harness.wait(50);
  return { answer: answer, broken: !!broken.error, tappedLink: tappedLink, tappedCovered: tappedCovered,
           navigations: harness.navigations, console: harness.console, stayed: location.protocol };
});)");
    ASSERT_TRUE(result.ok) << result.failure;
    auto report = nlohmann::json::parse(result.report);
    ASSERT_FALSE(report.contains("failure")) << report.dump();
    const auto& r = report["result"];
    EXPECT_EQ(r["answer"]["value"], 42);
    EXPECT_TRUE(r["broken"]);
    EXPECT_TRUE(r["tappedLink"]);
    EXPECT_FALSE(r["tappedCovered"]);
    EXPECT_EQ(r["navigations"], nlohmann::json::array({"js-frame:show", "js-frame:7"}));
    EXPECT_EQ(r["console"], nlohmann::json::array({"page ready"}));
    EXPECT_EQ(r["stayed"], "file:");
}

TEST(PageHarnessTest, ReadsTheReportOutOfADumpedDocument) {
    std::string dom = R"(<html><body><pre id="harness-report">{"a":"x &lt;b&gt; &amp; &quot;c&quot;"}</pre></body></html>)";
    EXPECT_EQ(HeadlessBrowser::elementText(dom, "harness-report"), R"({"a":"x <b> & "c""})");
    EXPECT_EQ(HeadlessBrowser::elementText(dom, "missing"), std::nullopt);
}

}  // namespace
}  // namespace tq::test
