#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "DesktopFixture.h"
#include "LayoutChecks.h"
#include "PointerClicks.h"
#include "app/AppDelegate.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TableView.h"
#include "screens/browse/CatalogController.h"
#include "screens/browse/HomeController.h"
#include "storage/DBManager.h"
#include "storage/TourStore.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

TEST(DesktopWindowTest, OpensOnTheHomeScreen) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.launch();
    ASSERT_TRUE(app.navigation());
    EXPECT_EQ(gtk_widget_get_width(app.desktop->screen()), 1024);
    EXPECT_EQ(gtk_widget_get_height(app.desktop->screen()), 768);
    app.screenshot("home-tablet-landscape");
    app.desktop->rotate();
    app.env.advance(1.0);
    app.turn();
    EXPECT_EQ(gtk_widget_get_width(app.desktop->screen()), 768);
    EXPECT_EQ(gtk_widget_get_height(app.desktop->screen()), 1024);
    EXPECT_TRUE(app.env->device().isPortrait());
    app.screenshot("home-tablet-portrait");
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

// A screen that sets its bar's items while its view is made, before the view joins the window (as
// the panorama viewer does).
class ItemsAtLoad : public ViewController {
public:
    void loadView() override {
        setView(std::make_shared<View>());
        navigationItem().setLeftBarButtonItem(std::make_shared<BarButtonItem>("Close", std::function<void()>{}));
        navigationItem().setRightBarButtonItem(std::make_shared<BarButtonItem>("Touch", std::function<void()>{}));
    }
};

TEST(DesktopWindowTest, APushedScreenShowsItsOwnBarItems) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    app.open(showInWindow(nav));
    auto pushed = std::make_shared<ItemsAtLoad>();
    nav->pushViewController(pushed, false);
    app.turn();
    GtkWidget* bar = app.widgetOf(nav->navigationBar());
    ASSERT_TRUE(bar);
    EXPECT_TRUE(buttonLabelled(bar, "Close")) << "the pushed screen's left item is not drawn";
    EXPECT_TRUE(buttonLabelled(bar, "Touch")) << "the pushed screen's right item is not drawn";

    nav->popViewController(false);
    app.turn();
    EXPECT_FALSE(buttonLabelled(bar, "Close")) << "the popped screen's items stay drawn";
    EXPECT_FALSE(buttonLabelled(bar, "Touch")) << "the popped screen's items stay drawn";
}

// The back button's generic title is the platform's, in the interface language, as a device
// shows it to an application in that language.
TEST(DesktopWindowTest, TheBackButtonSpeaksTheInterfaceLanguage) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {kFrench, "\u2039 Retour"}, {kSpanish, "\u2039 Volver"}, {kEnglish, "\u2039 Back"}};
    for (const auto& [lang, title] : cases) {
        SCOPED_TRACE(title);
        DesktopFixture app(desktop::DeviceChoice::phone());
        app.service.serveFixtureTours();
        app.env->settings().setInteger("lang", lang);
        app.launch();
        auto nav = app.navigation();
        ASSERT_TRUE(nav);
        // The home screen asks for the minimal button; a screen above one without a title shows
        // the generic title.
        nav->pushViewController(std::make_shared<ViewController>(), false);
        nav->pushViewController(std::make_shared<ViewController>(), false);
        app.turn();
        GtkWidget* back = findWidget(app.widgetOf(nav->navigationBar()), [](GtkWidget* w) {
            return GTK_IS_BUTTON(w) && std::string(gtk_widget_get_name(w)) == "back";
        });
        ASSERT_TRUE(back);
        EXPECT_EQ(std::string(gtk_button_get_label(GTK_BUTTON(back))), title);
    }
}

// The colour drawn at (x, y) of a PNG.
std::array<int, 3> pixelAt(const std::filesystem::path& png, int x, int y) {
    GdkTexture* texture = gdk_texture_new_from_filename(png.c_str(), nullptr);
    if (!texture) return {-1, -1, -1};
    const int width = gdk_texture_get_width(texture), height = gdk_texture_get_height(texture);
    std::vector<guchar> pixels(std::size_t(width) * height * 4);
    gdk_texture_download(texture, pixels.data(), std::size_t(width) * 4);
    g_object_unref(texture);
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const guchar* p = &pixels[(std::size_t(y) * width + x) * 4];  // B, G, R, A in memory
    return {p[2], p[1], p[0]};
}

// A picture of one colour, as the video engine hands its frames to the layer's picture.
GdkTexture* solidFrame(guchar r, guchar g, guchar b) {
    std::vector<guchar> pixels;
    for (int i = 0; i < 16; ++i) pixels.insert(pixels.end(), {r, g, b, 255});
    GBytes* bytes = g_bytes_new(pixels.data(), pixels.size());
    GdkTexture* texture = gdk_memory_texture_new(4, 4, GDK_MEMORY_R8G8B8A8, bytes, 16);
    g_bytes_unref(bytes);
    return texture;
}

// The home screen's background video is seen: two frames the engine draws on the video layer
// show, one after the other, beside the buttons; nothing still covers them.
TEST(DesktopWindowTest, TheHomeVideosFramesReachTheWindow) {
    for (bool phone : {true, false}) {
        SCOPED_TRACE(phone ? "phone" : "tablet");
        DesktopFixture app(phone ? desktop::DeviceChoice::phone() : desktop::DeviceChoice::tablet());
        app.launch();
        auto home = std::dynamic_pointer_cast<HomeController>(app.navigation()->topViewController());
        ASSERT_TRUE(home);
        auto layer = phone ? home->playerLayer : home->playerLayerLand;
        ASSERT_TRUE(layer);
        GtkWidget* picture = findWidget(app.widgetOf(*layer), [](GtkWidget* w) { return GTK_IS_PICTURE(w); });
        ASSERT_TRUE(picture);
        // Beside the buttons, near the bottom left corner.
        const int x = 12, y = phone ? 700 : 700;
        std::vector<std::array<int, 3>> seen;
        for (auto colour : {std::array<guchar, 3>{230, 20, 200}, std::array<guchar, 3>{20, 200, 230}}) {
            GdkTexture* frame = solidFrame(colour[0], colour[1], colour[2]);
            gtk_picture_set_paintable(GTK_PICTURE(picture), GDK_PAINTABLE(frame));
            g_object_unref(frame);
            app.turn();
            seen.push_back(pixelAt(app.screenshot(phone ? "home-video-phone" : "home-video-tablet"), x, y));
        }
        EXPECT_NE(seen[0], seen[1]) << "the window did not change between two frames of the video";
        EXPECT_NEAR(seen[0][0], 230, 40);
        EXPECT_NEAR(seen[0][2], 200, 40);
        EXPECT_NEAR(seen[1][1], 200, 40);
    }
}

// A mark of 3.5 out of five: three gold stars, the fourth gold on its left half only, the fifth grey.
TEST(DesktopWindowTest, StarsShowTheMark) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto screen = std::make_shared<ViewController>();
    auto stars = std::make_shared<StarRatingView>(Rect(20, 100, 200, 40));
    stars->setMaxRating(5);
    stars->setFillMode(StarFillMode::half);
    stars->setRating(3.5);
    screen->view().addSubview(stars);
    app.open(showInWindow(screen));
    GtkWidget* widget = app.widgetOf(*stars);
    ASSERT_TRUE(widget);
    auto png = app.screenshot("star-rating-3.5");
    graphene_point_t origin = GRAPHENE_POINT_INIT(0, 0), at;
    ASSERT_TRUE(gtk_widget_compute_point(widget, app.desktop->screen(), &origin, &at));
    const double size = std::min(gtk_widget_get_width(widget) / 5.0, double(gtk_widget_get_height(widget)));
    const int y = int(at.y + gtk_widget_get_height(widget) / 2.0);
    auto colourOf = [&](double starX) { return pixelAt(png, int(at.x + starX * size), y); };
    auto gold = [](std::array<int, 3> c) { return c[0] > 230 && c[1] > 160 && c[1] < 200 && c[2] < 40; };
    auto grey = [](std::array<int, 3> c) { return c[0] > 200 && c[0] == c[1] && c[1] == c[2]; };
    auto text = [](std::array<int, 3> c) {
        return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
    };
    for (double star : {0.5, 1.5, 2.5, 3.3}) EXPECT_TRUE(gold(colourOf(star))) << "at star " << star << ": " << text(colourOf(star));
    EXPECT_TRUE(grey(colourOf(4.5))) << "the fifth star: " << text(colourOf(4.5));
    EXPECT_FALSE(gold(colourOf(3.62))) << "the right half of the fourth star: " << text(colourOf(3.62));
}

// Two hundred rows of text, in cells the table recycles.
class NumberedRows : public TableViewDataSource {
public:
    int numberOfRowsInSection(TableView&, int) override { return 200; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override {
        auto cell = table.dequeueReusableCell("number");
        cell->textLabel().setText("Row " + std::to_string(indexPath.row));
        return cell;
    }
};

// A scroll recycles the rows that leave into the rows that arrive within one turn of the loop:
// each cell leaves the table, is filled for its new row out of the tree, and comes back. The
// window shows the new rows' texts, not the ones the cells had before.
TEST(DesktopWindowTest, RecycledRowsShowTheirNewTextsAfterAScroll) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto screen = std::make_shared<ViewController>();
    auto table = std::make_shared<TableView>(Rect(0, 0, 1024, 768));
    table->setStretches(true);
    auto rows = std::make_shared<NumberedRows>();
    table->setDataSource(rows);
    screen->view().addSubview(table);
    app.open(showInWindow(screen));
    table->reloadData();
    app.turn();
    for (int target : {150, 40, 199}) {
        SCOPED_TRACE(target);
        table->scrollToRow({0, target}, TableScrollPosition::top, false);
        app.turn();
        auto cell = table->cellForRowAt({0, target});
        ASSERT_TRUE(cell);
        GtkWidget* label = app.widgetOf(cell->textLabel());
        while (label && !GTK_IS_LABEL(label)) label = gtk_widget_get_first_child(label);
        ASSERT_TRUE(label);
        EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), ("Row " + std::to_string(target)).c_str());
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
    }
}

// The stored tours list opened on a tablet held sideways, then turned upright: the table and its
// rows take the window's new width, and nothing runs past its sides.
TEST(DesktopWindowTest, TheCatalogueRowsFollowATurn) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    app.env->shared<AppDelegate>().didFinishLaunching();
    auto& db = app.env->shared<TourStore>().database;
    for (const char* id : {"30", "20"}) {
        const std::string tour = std::string(R"({"results":[{"circuit_id":")") + id + R"(","title":"Tour )" + id +
                                 R"(","language":"en","city":{"name":"Lyon","country_name":"France"}}],"status":"success"})";
        bool added = false;
        db.addTour(id, tour, [&](bool success) { added = success; });
        ASSERT_TRUE(added);
    }
    auto nav = std::make_shared<NavigationController>(std::make_shared<ViewController>());
    app.open(showInWindow(nav));
    auto screen = StoryboardRegistry::shared().named("Main-ipad")->instantiate<CatalogController>("CatalogController");
    ASSERT_TRUE(screen);
    screen->isFavorites = true;
    nav->pushViewController(screen, false);
    app.settle();
    ASSERT_EQ(screen->catalogue.size(), 2u);
    app.screenshot("catalogue-tablet-landscape");
    app.desktop->rotate();
    app.env.advance(1.0);
    app.settle();
    ASSERT_TRUE(app.env->device().isPortrait());
    app.screenshot("catalogue-tablet-turned-portrait");
    const int width = gtk_widget_get_width(app.desktop->screen());
    EXPECT_EQ(width, 768);
    for (const auto& cell : screen->tableView->visibleCells()) {
        GtkWidget* widget = app.widgetOf(*cell);
        ASSERT_TRUE(widget);
        EXPECT_EQ(gtk_widget_get_width(widget), width);
    }
    for (const auto& fault : layoutFaults(app.mirror(), app.desktop->screen())) ADD_FAILURE() << fault;
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace tq::test
