// The navigation bar (the top screen's title, the back button and bar button items) and toolbars.
#include <memory>
#include <string>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/Signals.h"
#include "desktop/Text.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"

namespace tq::desktop {

namespace {

constexpr int kBarHeight = 44;

const char* iconOf(SystemBarItem item) {
    switch (item) {
        case SystemBarItem::close: return "window-close-symbolic";
        case SystemBarItem::action: return "send-to-symbolic";
        default: return nullptr;
    }
}

const char* titleOf(SystemBarItem item) {
    switch (item) {
        case SystemBarItem::done: return "Done";
        case SystemBarItem::cancel: return "Cancel";
        default: return nullptr;
    }
}

void clear(GtkWidget* box) {
    while (GtkWidget* child = gtk_widget_get_first_child(box)) gtk_box_remove(GTK_BOX(box), child);
}

// One bar button item as a button; spaces as room.
GtkWidget* itemWidget(const std::shared_ptr<BarButtonItem>& item, Images& images) {
    if (item->systemItem() == SystemBarItem::flexibleSpace || item->systemItem() == SystemBarItem::fixedSpace) {
        GtkWidget* space = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_widget_set_hexpand(space, item->systemItem() == SystemBarItem::flexibleSpace);
        gtk_widget_set_size_request(space, 8, -1);
        return space;
    }
    GtkWidget* button = gtk_button_new();
    gtk_widget_add_css_class(button, "tq-bar-button");
    // A popover anchored at the item points at this button.
    g_object_set_data(G_OBJECT(button), kBarItemKey, item.get());
    GdkTexture* texture = item->image() ? images.texture(*item->image()) : nullptr;
    if (texture) {
        GtkWidget* picture = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
        gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
        gtk_picture_set_content_fit(GTK_PICTURE(picture), GTK_CONTENT_FIT_CONTAIN);
        gtk_widget_set_size_request(picture, 26, 26);
        gtk_button_set_child(GTK_BUTTON(button), picture);
    } else if (const char* icon = iconOf(item->systemItem())) {
        gtk_button_set_icon_name(GTK_BUTTON(button), icon);
    } else {
        std::string title = item->title();
        if (title.empty() && titleOf(item->systemItem())) title = titleOf(item->systemItem());
        gtk_button_set_label(GTK_BUTTON(button), title.c_str());
    }
    gtk_widget_set_sensitive(button, item->isEnabled());
    std::weak_ptr<BarButtonItem> weak = item;
    onSignal(button, "clicked", [weak] {
        if (auto i = weak.lock()) i->tap();
    });
    return button;
}


}  // namespace

void fillBarItems(GtkWidget* box, const std::vector<std::shared_ptr<BarButtonItem>>& items, Images& images) {
    for (const auto& item : items) {
        if (item && !item->isHidden()) gtk_box_append(GTK_BOX(box), itemWidget(item, images));
    }
}

namespace {

struct NavigationBarParts {
    GtkWidget* bar;
    GtkWidget* start;
    GtkWidget* title;
    GtkWidget* end;
};

class NavigationBarRenderer : public Renderer {
public:
    const char* kind() const override { return "NavigationBar"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View&, Mirror&) const override {
        auto parts = std::make_shared<NavigationBarParts>();
        parts->bar = gtk_center_box_new();
        gtk_widget_add_css_class(parts->bar, "tq-navigation-bar");
        gtk_widget_set_size_request(parts->bar, -1, kBarHeight);
        parts->start = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
        parts->end = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
        parts->title = gtk_label_new("");
        gtk_label_set_ellipsize(GTK_LABEL(parts->title), PANGO_ELLIPSIZE_END);
        gtk_widget_add_css_class(parts->title, "tq-navigation-title");
        gtk_center_box_set_start_widget(GTK_CENTER_BOX(parts->bar), parts->start);
        gtk_center_box_set_center_widget(GTK_CENTER_BOX(parts->bar), parts->title);
        gtk_center_box_set_end_widget(GTK_CENTER_BOX(parts->bar), parts->end);
        viewWidgetSetContent(node.widget, parts->bar);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& bar = static_cast<NavigationBar&>(view);
        auto& parts = partsOf<NavigationBarParts>(node);
        clear(parts.start);
        clear(parts.end);
        auto* nav = mirror.navigationControllerOf(bar);
        auto top = nav ? nav->topViewController() : nullptr;
        if (!top) {
            gtk_label_set_text(GTK_LABEL(parts.title), "");
            return;
        }
        auto& item = top->navigationItem();
        std::string title = item.title();
        if (auto* label = dynamic_cast<Label*>(item.titleView().get())) title = label->text();
        gtk_label_set_text(GTK_LABEL(parts.title), title.c_str());
        if (bar.titleTextAttributes() && bar.titleTextAttributes()->foregroundColor) {
            PangoAttrList* attributes = textAttributes(Font::system(17, FontWeight::semibold),
                                                       bar.titleTextAttributes()->foregroundColor);
            gtk_label_set_attributes(GTK_LABEL(parts.title), attributes);
            pango_attr_list_unref(attributes);
        }
        if (bar.barTintColor()) {
            viewWidgetSetLook(node.widget, ViewLook{bar.barTintColor(), 0, 0, std::nullopt});
        }
        const bool back = nav->isBackButtonShown();
        if (back) {
            const std::string backTitle = nav->backButtonTitle();
            GtkWidget* button = gtk_button_new_with_label(("\u2039 " + backTitle).c_str());
            gtk_widget_add_css_class(button, "tq-bar-button");
            gtk_widget_set_name(button, "back");
            std::weak_ptr<ViewController> weak = nav->weak_from_this();
            onSignal(button, "clicked", [weak] {
                if (auto n = std::dynamic_pointer_cast<NavigationController>(weak.lock())) n->tapBackButton();
            });
            gtk_box_append(GTK_BOX(parts.start), button);
        }
        if (!back || item.leftItemsSupplementBackButton()) fillBarItems(parts.start, item.leftBarButtonItems(), mirror.images());
        // Right items run from the trailing edge inwards.
        auto right = item.rightBarButtonItems();
        std::reverse(right.begin(), right.end());
        fillBarItems(parts.end, right, mirror.images());
    }
};

class ToolbarRenderer : public Renderer {
public:
    const char* kind() const override { return "Toolbar"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View&, Mirror&) const override {
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
        gtk_widget_add_css_class(box, "tq-navigation-bar");
        gtk_widget_set_size_request(box, -1, kBarHeight);
        viewWidgetSetContent(node.widget, box);
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        GtkWidget* box = viewWidgetState(node.widget).content;
        clear(box);
        fillBarItems(box, static_cast<Toolbar&>(view).items(), mirror.images());
    }
};

}  // namespace

const Renderer& navigationBarRenderer() {
    static const NavigationBarRenderer r;
    return r;
}
const Renderer& toolbarRenderer() {
    static const ToolbarRenderer r;
    return r;
}

}  // namespace tq::desktop
