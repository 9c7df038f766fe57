#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "DesktopFixture.h"
#include "desktop/Images.h"
#include "desktop/ViewWidget.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutBuilder.h"
#include "screens/browse/CatalogController.h"
#include "support/UiTestHelpers.h"

namespace tq::test {
namespace {

// Bad input reaching the window: each case does something hostile to a plain screen's column, and
// the window must go on drawing the tree as it is, without a crash or a widget left behind.
TEST(HostileInputTest, TheWindowDrawsWhatIsLeftAfterBadInput) {
    DesktopFixture app(desktop::DeviceChoice::phone());
    auto screen = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(screen);
    app.open(showInWindow(nav));
    auto& root = screen->view();
    root.setArrangement(Arrangement::column(8));

    struct HostileCase {
        const char* name;
        std::function<void()> act;
        std::function<void()> check;
    };
    std::shared_ptr<ImageView> picture;
    std::shared_ptr<Label> oneLine, wrapped;
    const HostileCase cases[] = {
        {"a picture that does not decode",
         [&] {
             picture = addView<ImageView>(root, "picture");
             sizeConstraint(root, picture, LayoutAttribute::height, 40, "pictureHeight");
             picture->setImage(Image{Image::Source::data, "", std::make_shared<const std::string>("not a picture"), 0, 0});
         },
         [&] {
             GtkWidget* content = desktop::viewWidgetState(app.widgetOf(*picture)).content;
             EXPECT_EQ(gtk_picture_get_paintable(GTK_PICTURE(content)), nullptr);
             EXPECT_GT(app.desktop->mirror().images().decodeFailures(), 0);
         }},
        {"a text of 100,000 characters",
         [&] {
             std::string text;
             while (text.size() < 100000) text += "Vieux-Québec, remparts et château. ";
             text.resize(100000);
             oneLine = addView<Label>(root, "oneLine");
             oneLine->setText(text);
             wrapped = addView<Label>(root, "wrapped");
             wrapped->setNumberOfLines(3);
             wrapped->setText(text);
         },
         [&] {
             GtkWidget* one = desktop::viewWidgetState(app.widgetOf(*oneLine)).content;
             GtkWidget* three = desktop::viewWidgetState(app.widgetOf(*wrapped)).content;
             EXPECT_LE(gtk_widget_get_width(app.widgetOf(*oneLine)), 375);
             EXPECT_EQ(gtk_label_get_ellipsize(GTK_LABEL(one)), PANGO_ELLIPSIZE_END);
             EXPECT_EQ(gtk_label_get_lines(GTK_LABEL(three)), 3);
             int minimum = 0, natural = 0;
             gtk_widget_measure(three, GTK_ORIENTATION_VERTICAL, 375, &minimum, &natural, nullptr, nullptr);
             EXPECT_LT(natural, 100) << "three lines, cut with an ellipsis";
         }},
        {"a view removed before the window drew its change",
         [&] {
             auto doomed = addView<Label>(root, "doomed");
             app.turn();
             doomed->setText("changed, then gone");
             doomed->removeFromSuperview();
             doomed.reset();  // freed with its report still waiting
         },
         [&] { EXPECT_EQ(root.viewWithIdentifier("doomed"), nullptr); }},
        {"a screen closed while its reply is pending",
         [&] {
             auto held = ScriptedReply::json(R"({"results":[],"status":"success"})");
             held.gate = "catalogue";
             app.service.replyToPrefix("/public/webservice/getSimpleListCatalogV2/", held);
             auto catalogue = StoryboardRegistry::shared().named("Main")->instantiate<CatalogController>("CatalogController");
             ASSERT_TRUE(catalogue);
             nav->pushViewController(catalogue, false);
             app.turn();
             app.service.waitUntilHeld("catalogue");
             nav->popViewController(false);
             catalogue.reset();
             app.turn();
             app.service.release("catalogue");
             app.settle();
         },
         [&] { EXPECT_EQ(nav->topViewController(), screen); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app.mirror().startRecording();
        c.act();
        app.turn();
        c.check();
        for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
        for (const auto& v : app.mirror().changedButNotRendered()) ADD_FAILURE() << v << ": changed but not drawn again";
    }
}

// A key press as it reaches the window's key controller from the keyboard.
void pressKey(DesktopFixture& app, guint key, GdkModifierType modifiers) {
    GtkWidget* window = GTK_WIDGET(app.desktop->gtkWindow());
    GtkEventController* keys = nullptr;
    GListModel* controllers = gtk_widget_observe_controllers(window);
    for (guint i = 0; i < g_list_model_get_n_items(controllers); ++i) {
        auto* controller = GTK_EVENT_CONTROLLER(g_list_model_get_item(controllers, i));
        const char* name = gtk_event_controller_get_name(controller);
        if (name && std::string(name) == "tq-keys") keys = controller;
        g_object_unref(controller);
    }
    g_object_unref(controllers);
    ASSERT_TRUE(keys);
    gboolean handled = FALSE;
    g_signal_emit_by_name(keys, "key-pressed", key, 0u, modifiers, &handled);
    app.turn();
}

// Escape cancels the alert shown, then goes back one screen; Ctrl+R turns the device.
TEST(KeyboardTest, EscapeCancelsThenGoesBackAndControlRTurns) {
    DesktopFixture app(desktop::DeviceChoice::tablet());
    auto first = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(first);
    app.open(showInWindow(nav));
    nav->pushViewController(std::make_shared<ViewController>(), false);
    bool cancelled = false;
    auto alert = std::make_shared<AlertController>("Delete", "Delete this tour?");
    alert->addAction({"Cancel", AlertActionStyle::cancel, [&] { cancelled = true; }});
    alert->addAction({"Delete", AlertActionStyle::destructive, [] {}});
    nav->topViewController()->present(alert, false);
    app.turn();

    auto press = [&](guint key, GdkModifierType modifiers) { pressKey(app, key, modifiers); };
    press(GDK_KEY_Escape, GdkModifierType(0));
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(topPresented());
    EXPECT_EQ(nav->viewControllers().size(), 2u);
    press(GDK_KEY_Escape, GdkModifierType(0));
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    press(GDK_KEY_r, GDK_CONTROL_MASK);
    app.env.advance(1.0);
    app.turn();
    EXPECT_TRUE(app.env->device().isPortrait());
    EXPECT_EQ(gtk_widget_get_width(app.desktop->screen()), 768);
    for (const auto& d : app.mirror().differences()) ADD_FAILURE() << d;
}

// Ctrl+Q quits, as on every desktop: it does what closing the window does; a plain Q does not.
TEST(KeyboardTest, ControlQQuitsAsClosingTheWindowDoes) {
    DesktopFixture app(desktop::DeviceChoice::phone());
    int quits = 0;
    app.open(showInWindow(std::make_shared<NavigationController>(std::make_shared<ViewController>())), [&] { ++quits; });
    pressKey(app, GDK_KEY_q, GdkModifierType(0));
    EXPECT_EQ(quits, 0);
    pressKey(app, GDK_KEY_q, GDK_CONTROL_MASK);
    EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace tq::test
