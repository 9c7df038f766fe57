// Plain views, labels, pictures, buttons and the spinner.
#include <memory>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/Signals.h"
#include "desktop/Text.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace tq::desktop {

namespace {

GtkContentFit fitFor(ContentMode mode) {
    switch (mode) {
        case ContentMode::scaleAspectFit: return GTK_CONTENT_FIT_CONTAIN;
        case ContentMode::scaleAspectFill: return GTK_CONTENT_FIT_COVER;
        case ContentMode::scaleToFill: return GTK_CONTENT_FIT_FILL;
        default: return GTK_CONTENT_FIT_SCALE_DOWN;
    }
}

void showPicture(GtkPicture* picture, Images& images, const std::optional<Image>& image) {
    GdkTexture* texture = image ? images.texture(*image) : nullptr;
    if (GDK_PAINTABLE(texture) != gtk_picture_get_paintable(picture)) gtk_picture_set_paintable(picture, GDK_PAINTABLE(texture));
    gtk_widget_set_visible(GTK_WIDGET(picture), texture != nullptr);
}

GtkWidget* newPicture() {
    GtkWidget* picture = gtk_picture_new();
    gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
    return picture;
}

class ViewRenderer : public Renderer {
public:
    const char* kind() const override { return "View"; }
};

class LabelRenderer : public Renderer {
public:
    const char* kind() const override { return "Label"; }
    void create(Node& node, View&, Mirror&) const override {
        GtkWidget* label = gtk_label_new("");
        gtk_widget_set_overflow(label, GTK_OVERFLOW_HIDDEN);
        viewWidgetSetContent(node.widget, label);
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& l = static_cast<Label&>(view);
        auto* label = GTK_LABEL(viewWidgetState(node.widget).content);
        if (l.text() != gtk_label_get_text(label)) gtk_label_set_text(label, l.text().c_str());
        PangoAttrList* attributes = textAttributes(l.font(), l.textColor(), l.attributedText());
        gtk_label_set_attributes(label, attributes);
        pango_attr_list_unref(attributes);
        auto mode = l.attributedText() && l.attributedText()->lineBreakMode ? *l.attributedText()->lineBreakMode
                                                                           : l.lineBreakMode();
        applyLineRules(label, l.numberOfLines(), mode);
        auto alignment = l.attributedText() && l.attributedText()->alignment ? *l.attributedText()->alignment
                                                                            : l.textAlignment();
        applyAlignment(label, alignment);
    }
};

class ImageViewRenderer : public Renderer {
public:
    const char* kind() const override { return "ImageView"; }
    void create(Node& node, View&, Mirror&) const override { viewWidgetSetContent(node.widget, newPicture()); }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& imageView = static_cast<ImageView&>(view);
        auto* picture = GTK_PICTURE(viewWidgetState(node.widget).content);
        gtk_picture_set_content_fit(picture, fitFor(view.contentMode()));
        // A hidden picture (the other orientation's background, say) is decoded when it shows:
        // showing it is a change of its own, which brings it here again.
        if (view.isHidden()) return;
        showPicture(picture, mirror.images(), imageView.image());
        // A picture that nothing listens to lets clicks through to what lies below it (the map
        // under the compass), as a picture view takes no touches on the device.
        if (view.gestureRecognizers().empty() && view.subviews().empty()) gtk_widget_set_can_target(node.widget, FALSE);
    }
};

// How the button's image view, when a screen made one, fits its picture; read without making one.
std::optional<ContentMode> imageModeOf(const Button& button) {
    for (const auto& child : button.subviews()) {
        if (auto* image = dynamic_cast<const ImageView*>(child.get())) return image->contentMode();
    }
    return std::nullopt;
}

struct ButtonParts {
    GtkWidget* button;
    GtkWidget* picture;
    GtkWidget* label;
};

// A button draws its picture and title from its state; the title label and image view the tree
// may hold are not drawn again.
class ButtonRenderer : public Renderer {
public:
    const char* kind() const override { return "Button"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View& view, Mirror&) const override {
        auto parts = std::make_shared<ButtonParts>();
        parts->button = gtk_button_new();
        gtk_widget_add_css_class(parts->button, "tq-button");
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
        gtk_widget_set_halign(box, GTK_ALIGN_FILL);
        gtk_widget_set_valign(box, GTK_ALIGN_FILL);
        parts->picture = newPicture();
        gtk_widget_set_hexpand(parts->picture, TRUE);
        gtk_widget_set_vexpand(parts->picture, TRUE);
        parts->label = gtk_label_new("");
        gtk_label_set_ellipsize(GTK_LABEL(parts->label), PANGO_ELLIPSIZE_END);
        gtk_widget_set_hexpand(parts->label, TRUE);
        gtk_box_append(GTK_BOX(box), parts->picture);
        gtk_box_append(GTK_BOX(box), parts->label);
        gtk_button_set_child(GTK_BUTTON(parts->button), box);
        std::weak_ptr<Button> weak = std::static_pointer_cast<Button>(view.shared_from_this());
        onSignal(parts->button, "clicked", [weak] {
            if (auto button = weak.lock()) button->tap();
        });
        viewWidgetSetContent(node.widget, parts->button);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& b = static_cast<Button&>(view);
        auto& parts = partsOf<ButtonParts>(node);
        auto styled = b.currentAttributedTitle();
        std::string title = b.currentTitle();
        auto* label = GTK_LABEL(parts.label);
        if (title != gtk_label_get_text(label)) gtk_label_set_text(label, title.c_str());
        auto color = b.titleColor(b.state());
        if (!color) color = b.tintColor() ? b.tintColor() : std::optional<Color>(kTintBlue);
        PangoAttrList* attributes = textAttributes(Font::system(15), color, styled);
        gtk_label_set_attributes(label, attributes);
        pango_attr_list_unref(attributes);
        gtk_widget_set_visible(parts.label, !title.empty());
        // The picture, else the background picture stretched over the button.
        auto image = b.currentImage();
        const bool background = !image || !mirror.images().texture(*image);
        if (background) image = b.currentBackgroundImage();
        // As on the device, a button's picture is drawn at its own size (smaller when it has not the
        // room), never blown up past its pixels, unless the screen asks its image view to fit it.
        const bool fitted = !background && imageModeOf(b) == ContentMode::scaleAspectFit;
        gtk_picture_set_content_fit(GTK_PICTURE(parts.picture), background ? GTK_CONTENT_FIT_FILL
                                                                : fitted   ? GTK_CONTENT_FIT_CONTAIN
                                                                           : GTK_CONTENT_FIT_SCALE_DOWN);
        showPicture(GTK_PICTURE(parts.picture), mirror.images(), image);
        gtk_widget_set_sensitive(parts.button, b.isEnabled());
        gtk_widget_set_focusable(parts.button, b.isEnabled());
    }
};

class ActivityIndicatorRenderer : public Renderer {
public:
    const char* kind() const override { return "ActivityIndicatorView"; }
    void create(Node& node, View&, Mirror&) const override {
        GtkWidget* spinner = gtk_spinner_new();
        gtk_widget_set_size_request(spinner, 20, 20);
        viewWidgetSetContent(node.widget, spinner);
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& indicator = static_cast<ActivityIndicatorView&>(view);
        gtk_spinner_set_spinning(GTK_SPINNER(viewWidgetState(node.widget).content), indicator.isAnimating());
    }
};

}  // namespace

const Renderer& viewRenderer() {
    static const ViewRenderer r;
    return r;
}
const Renderer& labelRenderer() {
    static const LabelRenderer r;
    return r;
}
const Renderer& imageViewRenderer() {
    static const ImageViewRenderer r;
    return r;
}
const Renderer& buttonRenderer() {
    static const ButtonRenderer r;
    return r;
}
const Renderer& activityIndicatorRenderer() {
    static const ActivityIndicatorRenderer r;
    return r;
}

}  // namespace tq::desktop
