#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DesktopFixture.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "desktop/ViewWidget.h"
#include "desktop/presenters/Popovers.h"
#include "desktop/presenters/Presenters.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/TableView.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/ContentSelectController.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

using desktop::placePopover;
using desktop::PopoverFrame;

// Where a popover goes next to its anchor, on a 1024x768 screen unless a case says otherwise.
TEST(PopoverPlacementTest, ThePopoverSitsNextToItsAnchorInsideTheScreen) {
    const Size screen{1024, 768};
    struct Case {
        const char* name;
        std::optional<Rect> anchor;
        Size content;
        PopoverArrowDirection permitted;
        Size screen;
        std::optional<PopoverArrowDirection> arrow;
        Rect expected;
    };
    const auto up = PopoverArrowDirection::up, down = PopoverArrowDirection::down, left = PopoverArrowDirection::left,
               right = PopoverArrowDirection::right, any = PopoverArrowDirection::any;
    const Case cases[] = {
        {"below an anchor with room under it", Rect(400, 10, 40, 30), {320, 480}, any, screen, up, Rect(260, 52, 320, 480)},
        {"above an anchor near the bottom", Rect(400, 700, 40, 30), {320, 480}, any, screen, down, Rect(260, 208, 320, 480)},
        {"kept inside the trailing margin", Rect(990, 10, 30, 30), {320, 480}, any, screen, up, Rect(696, 52, 320, 480)},
        {"beside when only sideways is allowed", Rect(10, 300, 40, 40), {200, 100}, left | right, screen, left,
         Rect(62, 270, 200, 100)},
        {"shortened on the roomier side when none has the room", Rect(400, 300, 40, 40), {320, 700}, up | down, screen,
         up, Rect(260, 352, 320, 408)},
        {"narrowed to a small screen", Rect(10, 10, 40, 30), {500, 200}, any, Size{375, 812}, up, Rect(8, 52, 359, 200)},
        {"centred without an anchor", std::nullopt, {320, 480}, any, screen, std::nullopt, Rect(352, 144, 320, 480)},
    };
    (void)right;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PopoverFrame frame = placePopover(c.anchor, c.content, c.screen, c.permitted);
        EXPECT_EQ(frame.arrow, c.arrow);
        EXPECT_EQ(frame.content, c.expected) << frame.content.origin.x << "," << frame.content.origin.y << " "
                                             << frame.content.width() << "x" << frame.content.height();
        if (c.anchor && frame.arrow) {
            // The arrow's tip touches the anchor's edge that faces the popover.
            const Rect& a = *c.anchor;
            const bool vertical = *frame.arrow == up || *frame.arrow == down;
            if (vertical) {
                EXPECT_EQ(frame.arrowTip.y, *frame.arrow == up ? a.origin.y + a.height() : a.origin.y);
            } else {
                EXPECT_EQ(frame.arrowTip.x, *frame.arrow == left ? a.origin.x + a.width() : a.origin.x);
            }
        }
    }
}

PoiContentRef content(const std::string& id, const std::string& title) {
    auto c = std::make_shared<PoiContent>();
    c->content_id = id;
    c->type = "none";
    c->title = title;
    c->metadata = R"({"status": 1})";
    c->parseMetadata();
    return c;
}

// The whole window below its title bar: the views and what is drawn over them (the arrow).
void windowShot(DesktopFixture& app, const std::string& name) {
    GtkWidget* stage = gtk_window_get_child(app.desktop->gtkWindow());
    EXPECT_TRUE(desktop::writePng(stage, std::filesystem::path(TQ_SCREENSHOT_DIR) / (name + ".png"))) << name;
}

// The pixels of a PNG in a rectangle, row by row (B, G, R, A each); empty when it cannot be read.
std::vector<guchar> pixelsIn(const std::filesystem::path& png, const graphene_rect_t& r) {
    GdkTexture* texture = gdk_texture_new_from_filename(png.c_str(), nullptr);
    if (!texture) return {};
    const int width = gdk_texture_get_width(texture), height = gdk_texture_get_height(texture);
    std::vector<guchar> all(std::size_t(width) * height * 4);
    gdk_texture_download(texture, all.data(), std::size_t(width) * 4);
    g_object_unref(texture);
    std::vector<guchar> part;
    for (int y = std::max(0, int(r.origin.y)); y < std::min(height, int(r.origin.y + r.size.height)); ++y) {
        for (int x = std::max(0, int(r.origin.x)); x < std::min(width, int(r.origin.x + r.size.width)); ++x) {
            const guchar* p = &all[(std::size_t(y) * width + x) * 4];
            part.insert(part.end(), p, p + 4);
        }
    }
    return part;
}

graphene_rect_t boundsOn(GtkWidget* widget, GtkWidget* screen) {
    graphene_rect_t r = GRAPHENE_RECT_INIT(0, 0, 0, 0);
    EXPECT_TRUE(gtk_widget_compute_bounds(widget, screen, &r));
    return r;
}

// The content list of the content screen on a tablet is a popover pointing at the bar's list
// button: real clicks open it next to the button at its size, and a click outside, Escape, its
// close button or a row picked close it through the screen's own dismissal.
TEST(PopoverTest, TheContentListOpensAtItsButtonAndClosesAsOnTheDevice) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<ContentController>("ContentController");
    ASSERT_TRUE(screen);
    screen->contents = {content("1", "Terrasse"), content("2", "Histoire"), content("3", "Escaliers")};
    app.open(showInWindow(std::make_shared<NavigationController>(screen)));
    app.env.advance(0.5);
    app.turn();
    GtkWidget* root = app.desktop->screen();
    // The bar's list button as drawn now (the bar is drawn again when the content changes).
    auto listButtonNow = [&] {
        return findWidget(root, [&](GtkWidget* w) {
            return g_object_get_data(G_OBJECT(w), desktop::kBarItemKey) == screen->rightBarButton.get() &&
                   gtk_widget_get_mapped(w);
        });
    };
    GtkWidget* listButton = listButtonNow();
    ASSERT_TRUE(listButton) << "the list button is not drawn";
    auto list = [&] { return std::dynamic_pointer_cast<ContentSelectController>(screen->presentedViewController()); };

    // The list is drawn below its button, at its size, inside the window, with its arrow.
    auto expectAtButton = [&](ContentSelectController& shown) {
        EXPECT_EQ(app.desktop->presenters().popovers().shown().get(), &shown);
        const auto popover = boundsOn(app.widgetOf(shown.view()), root);
        const auto button = boundsOn(listButton, root);
        EXPECT_EQ(popover.size.width, kDefaultPopoverContentSize.width);
        EXPECT_EQ(popover.size.height, kDefaultPopoverContentSize.height);
        EXPECT_GT(popover.origin.y, button.origin.y + button.size.height) << "not below its button";
        EXPECT_LE(popover.origin.x, button.origin.x + button.size.width / 2);
        EXPECT_GE(popover.origin.x + popover.size.width, button.origin.x + button.size.width / 2);
        EXPECT_LE(popover.origin.x + popover.size.width, gtk_widget_get_width(root));
        EXPECT_LE(popover.origin.y + popover.size.height, gtk_widget_get_height(root));
        GtkWidget* arrow = app.desktop->presenters().popovers().arrow();
        EXPECT_TRUE(arrow && gtk_widget_get_mapped(arrow)) << "no arrow towards the button";
    };
    // Opens the list with a click on its button.
    auto openList = [&](const std::string& shot) {
        listButton = listButtonNow();
        EXPECT_TRUE(listButton && clickWidget(listButton)) << "xdotool could not click";
        EXPECT_TRUE(app.waitFor([&] { return list() != nullptr; })) << "the click did not open the list";
        app.turn();
        auto shown = list();
        if (!shown) return shown;
        expectAtButton(*shown);
        if (!shot.empty()) windowShot(app, shot);
        return shown;
    };

    struct CloseCase {
        const char* name;
        std::function<bool(ContentSelectController&)> close;
        int index;  // the content shown afterwards
    };
    const CloseCase cases[] = {
        {"a click outside",
         [&](ContentSelectController&) { return clickAt(root, 40, gtk_widget_get_height(root) - 40); }, 1},
        {"Escape", [&](ContentSelectController& shown) { return pressKey(app.widgetOf(shown.view()), "Escape"); }, 1},
        {"its close button",
         [&](ContentSelectController& shown) { return clickWidget(app.widgetOf(*shown.btnClose)); }, 1},
        {"a row picked",
         [&](ContentSelectController& shown) {
             auto cell = shown.tableView->cellForRowAt({0, 2});
             return cell && clickWidget(app.widgetOf(*cell));
         },
         3},
    };
    GtkWidget* stage = gtk_window_get_child(app.desktop->gtkWindow());
    const auto shotPath = [](const std::string& name) { return std::filesystem::path(TQ_SCREENSHOT_DIR) / (name + ".png"); };
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The window before the list opens: what the list and its arrow cover must look so again.
        windowShot(app, "popover-before-open");
        const int indexBefore = screen->currentIndex;
        auto shown = openList(first ? "popover-content-list-tablet" : "");
        first = false;
        ASSERT_TRUE(shown);
        GtkWidget* arrow = app.desktop->presenters().popovers().arrow();
        ASSERT_TRUE(arrow);
        const auto arrowArea = boundsOn(arrow, stage);
        const auto listArea = boundsOn(app.widgetOf(shown->view()), stage);
        app.mirror().startRecording();
        ASSERT_TRUE(c.close(*shown)) << "xdotool could not reach the window";
        // Nothing but the window holds the list any more, as in the program.
        shown.reset();
        EXPECT_TRUE(app.waitFor([&] { return !screen->presentedViewController(); })) << "the list stayed open";
        app.turn();
        EXPECT_EQ(screen->currentIndex, c.index);
        EXPECT_FALSE(app.desktop->presenters().popovers().shown());
        EXPECT_FALSE(app.desktop->presenters().popovers().arrow());
        windowShot(app, "popover-after-close");
        EXPECT_EQ(pixelsIn(shotPath("popover-after-close"), arrowArea), pixelsIn(shotPath("popover-before-open"), arrowArea))
            << "the arrow stays drawn at " << arrowArea.origin.x << "," << arrowArea.origin.y;
        if (c.index == indexBefore) {  // the same content below: the list's own place is as it was
            EXPECT_EQ(pixelsIn(shotPath("popover-after-close"), listArea), pixelsIn(shotPath("popover-before-open"), listArea))
                << "the list stays drawn";
        }
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
    }
    windowShot(app, "popover-content-list-closed-tablet");

    // Turned with the list open, it stays at its button.
    auto shown = openList("");
    ASSERT_TRUE(shown);
    app.desktop->rotate();
    app.env.advance(1.0);
    app.turn();
    listButton = listButtonNow();
    ASSERT_TRUE(listButton);
    expectAtButton(*shown);
    windowShot(app, "popover-content-list-tablet-portrait");
    ASSERT_TRUE(pressKey(root, "Escape"));
    EXPECT_TRUE(app.waitFor([&] { return !screen->presentedViewController(); })) << "Escape did not close the list";
}

}  // namespace
}  // namespace tq::test
