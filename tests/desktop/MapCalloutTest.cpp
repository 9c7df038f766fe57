#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "desktop/Screenshot.h"
#include "model/Json.h"
#include "platform/map/MapView.h"
#include "screens/maps/MapController.h"
#include "screens/maps/PoiAnnotation.h"
#include "screens/tour/ContentController.h"
#include "service/Network.h"
#include "support/MediaFixtures.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

constexpr const char* kThumbnailPath = "/public/media/thumbnails/frontenac.png";

// A map pixel that is blue-green, so that the callout's picture is seen in the screenshot.
std::string thumbnail() {
    return pngBytes(120, 80, [](int column, int row) { return Rgb{20, uint8_t(100 + row), uint8_t(120 + column)}; });
}

GtkWidget* named(GtkWidget* root, const std::string& name) {
    return findWidget(root, [&](GtkWidget* w) { return gtk_widget_get_mapped(w) && name == gtk_widget_get_name(w); });
}

std::string labelText(GtkWidget* root, const std::string& name) {
    GtkWidget* label = named(root, name);
    return label && GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "";
}

// The native map of the fixture tour: a click on a pin brings up its callout above it with the
// point's title, its number and its picture (loaded after the callout is up), and a click on the
// callout's accessory goes through the map view's accessory tap, so the screen opens that point.
TEST(MapCalloutTest, APinsCalloutShowsItsPictureAndItsAccessoryOpensThePoint) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto json = nlohmann::json::parse(fixtureText("full-tour.json"))["results"][0];
    for (auto& point : json["poi"]) {
        point["content"][0]["content_thumbnailUrl"] = std::string("https://") + kFixtureMediaHost + kThumbnailPath;
    }
    app.service.reply(kThumbnailPath, ScriptedReply::bytes(thumbnail(), "image/png"));
    auto tour = decodeJson<TourRef>(json.dump());
    ASSERT_TRUE(tour.ok()) << tour.error();
    app.env->shared<AppDelegate>().didFinishLaunching();
    app.env->shared<Network>().currentTour = *tour;
    app.env->settings().setBool("PopUp-MapHand-Showed", true);  // a returning visitor: no hint over the map
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<MapController>("MapController");
    ASSERT_TRUE(screen);
    auto nav = std::make_shared<NavigationController>(screen);
    app.open(showInWindow(nav));
    app.env.advance(2.0);
    app.turn();
    ASSERT_TRUE(screen->map);
    GtkWidget* map = app.widgetOf(*screen->map);
    ASSERT_TRUE(map);

    // The first pin (the screen selects it at first: unselected here, to be clicked).
    auto pin = screen->map->annotations().front();
    ASSERT_TRUE(pin->title());
    screen->map->deselectAnnotation(pin, false);
    app.turn();
    EXPECT_FALSE(named(map, "tq-map-callout")) << "a callout without a selected pin";
    GtkWidget* marker = findWidget(map, [&](GtkWidget* w) {
        const char* tip = gtk_widget_get_tooltip_text(w);
        return std::string(gtk_widget_get_name(w)) == "tq-map-marker" && tip && *pin->title() == tip;
    });
    ASSERT_TRUE(marker);
    ASSERT_TRUE(clickWidget(marker)) << "xdotool could not click";
    ASSERT_TRUE(app.waitFor([&] {
        const auto& selected = screen->map->selectedAnnotations();
        return std::find(selected.begin(), selected.end(), pin) != selected.end();
    })) << "the click did not select the pin";
    app.settle();

    GtkWidget* callout = named(map, "tq-map-callout");
    ASSERT_TRUE(callout) << "no callout for the selected pin";
    EXPECT_EQ(labelText(callout, "tq-callout-title"), *pin->title());
    EXPECT_EQ(labelText(callout, "tq-callout-subtitle"), pin->subtitle().value_or(""));
    EXPECT_TRUE(app.waitFor([&] {
        app.env.settle();
        return named(named(map, "tq-map-callout"), "tq-callout-picture") != nullptr;
    })) << "the point's picture is not drawn in its callout";
    app.turn();
    callout = named(map, "tq-map-callout");
    marker = findWidget(map, [&](GtkWidget* w) {
        const char* tip = gtk_widget_get_tooltip_text(w);
        return std::string(gtk_widget_get_name(w)) == "tq-map-marker" && tip && *pin->title() == tip;
    });
    graphene_rect_t card, balloon;
    ASSERT_TRUE(gtk_widget_compute_bounds(callout, map, &card));
    ASSERT_TRUE(gtk_widget_compute_bounds(marker, map, &balloon));
    EXPECT_LE(card.origin.y + card.size.height, balloon.origin.y + balloon.size.height / 2) << "not above its pin";
    EXPECT_LT(card.origin.x, balloon.origin.x + balloon.size.width / 2);
    EXPECT_GT(card.origin.x + card.size.width, balloon.origin.x + balloon.size.width / 2);
    EXPECT_TRUE(desktop::writePng(app.desktop->screen(),
                                  std::filesystem::path(TQ_SCREENSHOT_DIR) / "native-map-callout-tablet.png"));

    GtkWidget* accessory = named(callout, "tq-callout-left");
    ASSERT_TRUE(accessory) << "the callout's accessory button is not drawn";
    app.mirror().startRecording();
    ASSERT_TRUE(clickWidget(accessory)) << "xdotool could not click";
    std::shared_ptr<ContentController> content;
    EXPECT_TRUE(app.waitFor([&] {
        content = std::dynamic_pointer_cast<ContentController>(nav->topViewController());
        return content != nullptr;
    })) << "the accessory did not open the point";
    ASSERT_TRUE(content);
    const auto& point = *std::dynamic_pointer_cast<PoiAnnotation>(pin)->poi;
    ASSERT_TRUE(point.content);
    ASSERT_EQ(content->contents.size(), point.content->size()) << "another point was opened";
    EXPECT_EQ(content->contents.front()->content_id, point.content->front()->content_id);
    app.turn();
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
    for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
}

}  // namespace
}  // namespace tq::test
