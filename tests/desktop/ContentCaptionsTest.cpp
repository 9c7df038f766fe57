#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "screens/tour/ContentController.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

PoiContentRef textContent(const std::string& id, const std::string& title) {
    auto c = std::make_shared<PoiContent>();
    c->content_id = id;
    c->type = "txt";
    c->title = title;
    c->metadata = R"({"status": 1})";
    c->parseMetadata();
    return c;
}

// The content player's bottom bar as a person meets it on a phone and a tablet: previous, show and
// next draw their pictures, their captions stand clear of the window's bottom edge, and a click on
// a caption does what a click on its button does.
TEST(ContentCaptionsTest, TheCaptionsAreDrawnClearOfTheEdgeAndTakeTheirButtonsClicks) {
    for (const auto& [name, device, board] :
         {std::tuple{"phone", desktop::DeviceChoice::phone(), "Main"}, std::tuple{"tablet", desktop::DeviceChoice::tablet(), "Main-ipad"}}) {
        SCOPED_TRACE(name);
        DesktopFixture app(device);
        app.env->shared<AppDelegate>().didFinishLaunching();
        auto screen = StoryboardRegistry::shared().named(board)->instantiate<ContentController>("ContentController");
        ASSERT_TRUE(screen);
        screen->contents = {textContent("1", "Terrasse"), textContent("2", "Histoire"), textContent("3", "Escaliers")};
        app.open(showInWindow(std::make_shared<NavigationController>(screen)));
        app.env.advance(0.5);
        app.turn();
        ASSERT_EQ(screen->currentIndex, 1);

        const auto shot = app.screenshot(std::string("content-bar-") + name);
        for (const auto& fault : controlsDrawnAsNothing(app.mirror(), app.desktop->screen(), shot)) ADD_FAILURE() << fault;
        GtkWidget* root = app.desktop->screen();
        for (const auto& caption : {screen->lblPrev, screen->lblNext}) {
            const auto r = boundsIn(app.widgetOf(*caption), root);
            EXPECT_LE(r.origin.y + r.size.height, gtk_widget_get_height(root) - 4)
                << caption->text() << " sits on the window's bottom edge";
        }

        EXPECT_TRUE(clickWidget(app.widgetOf(*screen->lblNext))) << "xdotool could not click";
        EXPECT_TRUE(app.waitFor([&] { return screen->currentIndex == 2; })) << "a click on \"" << screen->lblNext->text()
                                                                            << "\" did not go on";
        app.turn();
        EXPECT_TRUE(clickWidget(app.widgetOf(*screen->lblPrev))) << "xdotool could not click";
        EXPECT_TRUE(app.waitFor([&] { return screen->currentIndex == 1; })) << "a click on \"" << screen->lblPrev->text()
                                                                            << "\" did not go back";
        // On the first content the previous button is disabled, and so is its caption.
        app.turn();
        EXPECT_TRUE(clickWidget(app.widgetOf(*screen->lblPrev)));
        app.waitFor([] { return false; }, 0.5);
        EXPECT_EQ(screen->currentIndex, 1) << "the caption of a disabled button went back";
    }
}

}  // namespace
}  // namespace tq::test
