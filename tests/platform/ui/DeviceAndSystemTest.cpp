#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/foundation/Environment.h"
#include "platform/ui/TableView.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/ViewController.h"
#include "support/TestEnvironment.h"
#include "support/UiTestHelpers.h"

namespace tq {
namespace {

TEST(DeviceOrientation, LyingFlatOrUnknownKeepsTheScreenAsItWas) {
    struct Step {
        DeviceOrientation to;
        Size bounds;
    };
    const Step steps[] = {
        {DeviceOrientation::landscapeLeft, {844, 390}},  {DeviceOrientation::faceUp, {844, 390}},
        {DeviceOrientation::faceDown, {844, 390}},       {DeviceOrientation::portrait, {390, 844}},
        {DeviceOrientation::unknown, {390, 844}},        {DeviceOrientation::landscapeRight, {844, 390}},
        {DeviceOrientation::portraitUpsideDown, {390, 844}},
    };
    DeviceDescription device;
    for (const auto& step : steps) {
        device.rotate(step.to);
        EXPECT_EQ(device.orientation, step.to);
        EXPECT_EQ(device.screenBounds, step.bounds) << static_cast<int>(step.to);
    }
    // Numbered as the platform numbers them; the map layout compares against these.
    EXPECT_EQ(static_cast<int>(DeviceOrientation::portrait), 1);
    EXPECT_EQ(static_cast<int>(DeviceOrientation::landscapeRight), 4);
    EXPECT_EQ(static_cast<int>(DeviceOrientation::faceDown), 6);
}

TEST(SystemSettings, OpeningTheSettingsPageOnlyTellsTheConsole) {
    test::TestEnvironment env;
    ASSERT_TRUE(env->bundle().bundleIdentifier().has_value());
    std::string address =
        std::string(UiApplication::openSettingsURLString) + "&path=LOCATION/" + *env->bundle().bundleIdentifier();
    std::optional<bool> accepted;
    UiApplication::shared().open(address, [&](bool ok) { accepted = ok; });
    env.settle();
    EXPECT_EQ(accepted, false);
    EXPECT_EQ(UiApplication::shared().openedAddresses().back(), address);
    EXPECT_TRUE(env->console().contains("No system settings to open on this platform: " + address));
}

TEST(RandomSource, AFixedSeedGivesTheSameShuffleEveryRun) {
    auto shuffled = [](std::uint64_t seed) {
        test::TestEnvironmentOptions options;
        options.randomSeed = seed;
        test::TestEnvironment env(options);
        std::vector<int> order(20);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), env->random());
        return order;
    };
    EXPECT_EQ(shuffled(7), shuffled(7));
    EXPECT_NE(shuffled(7), shuffled(8));
}

class DarkScreen : public ViewController {
public:
    StatusBarStyle preferredStatusBarStyle() const override { return StatusBarStyle::darkContent; }
};

TEST(StatusBar, ScreensChooseTheirStyleAndWindowsKnowItsHeight) {
    test::TestEnvironment env;
    EXPECT_EQ(ViewController().preferredStatusBarStyle(), StatusBarStyle::defaultStyle);
    auto screen = std::make_shared<DarkScreen>();
    auto window = test::showInWindow(screen);
    EXPECT_EQ(screen->preferredStatusBarStyle(), StatusBarStyle::darkContent);
    EXPECT_EQ(window->statusBarHeight(), 47);
    test::rotate(DeviceOrientation::landscapeLeft);
    EXPECT_EQ(window->statusBarHeight(), 0);
}

// Two sections of two rows; the delegate sizes the headers.
class SectionedList : public TableViewDataSource, public TableViewDelegate {
public:
    int numberOfSections(TableView&) override { return 2; }
    int numberOfRowsInSection(TableView&, int) override { return 2; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override {
        return table.dequeueReusableCell("row", indexPath);
    }
    std::optional<double> heightForHeaderInSection(TableView&, int section) override { return headers[section]; }
    std::optional<double> headers[2];
};

TEST(TableSectionHeaders, TheDelegateSizesEachHeaderAndRowsSitBelowIt) {
    auto list = std::make_shared<SectionedList>();
    auto table = std::make_shared<TableView>(Rect(0, 0, 390, 700));
    table->setDataSource(list);
    table->setDelegate(list);
    table->setSectionHeaderHeight(28);
    list->headers[0] = 0;  // one section answers, the other leaves it to the table
    table->reloadData();
    EXPECT_EQ(table->heightOfHeader(0), 0);
    EXPECT_EQ(table->heightOfHeader(1), 28);
    EXPECT_EQ(table->heightOfHeader(2), 0);
    EXPECT_EQ(table->cellForRowAt({0, 0})->frame().origin.y, 0);
    EXPECT_EQ(table->cellForRowAt({1, 0})->frame().origin.y, 44 * 2 + 28);
    EXPECT_EQ(table->contentSize().height, 44 * 4 + 28);
}

}  // namespace
}  // namespace tq
