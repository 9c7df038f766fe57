// Segmented controls, sliders, switches, text fields and star ratings.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/Signals.h"
#include "desktop/Text.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TextField.h"

namespace tq::desktop {

namespace {

template <class T>
std::weak_ptr<T> weakOf(View& view) {
    return std::static_pointer_cast<T>(view.shared_from_this());
}

struct SegmentParts {
    GtkWidget* box = nullptr;
    std::vector<GtkWidget*> buttons;
    std::vector<std::string> looks;  // what each segment showed when its button was made
};

// Shows the view's selection on the segments' toggle buttons.
void showSelection(SegmentParts& parts, const SegmentedControl& control) {
    for (std::size_t i = 0; i < parts.buttons.size(); ++i) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(parts.buttons[i]), int(i) == control.selectedSegmentIndex());
        gtk_widget_set_sensitive(parts.buttons[i], control.isEnabled() && control.isEnabledForSegment(int(i)));
    }
}

// One toggle button per segment, kept while the segments keep their titles and pictures, so that a
// segment keeps the keyboard focus across a change of selection.
class SegmentedControlRenderer : public Renderer {
public:
    const char* kind() const override { return "SegmentedControl"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View&, Mirror&) const override {
        auto parts = std::make_shared<SegmentParts>();
        parts->box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_widget_add_css_class(parts->box, "linked");
        gtk_box_set_homogeneous(GTK_BOX(parts->box), TRUE);
        gtk_widget_set_valign(parts->box, GTK_ALIGN_CENTER);
        viewWidgetSetContent(node.widget, parts->box);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& control = static_cast<SegmentedControl&>(view);
        auto& parts = partsOf<SegmentParts>(node);
        std::vector<std::string> looks;
        for (int i = 0; i < control.numberOfSegments(); ++i) {
            auto image = control.imageForSegment(i);
            GdkTexture* texture = image ? mirror.images().texture(*image) : nullptr;
            looks.push_back(texture ? "picture " + std::to_string(reinterpret_cast<std::uintptr_t>(texture))
                                    : "title " + control.titleForSegment(i).value_or(""));
        }
        if (looks != parts.looks) rebuild(std::static_pointer_cast<SegmentParts>(node.parts), control, mirror);
        parts.looks = std::move(looks);
        showSelection(parts, control);
    }

private:
    static void rebuild(const std::shared_ptr<SegmentParts>& self, SegmentedControl& control, Mirror& mirror) {
        auto& parts = *self;
        while (GtkWidget* child = gtk_widget_get_first_child(parts.box)) gtk_box_remove(GTK_BOX(parts.box), child);
        parts.buttons.clear();
        auto weak = weakOf<SegmentedControl>(control);
        for (int i = 0; i < control.numberOfSegments(); ++i) {
            GtkWidget* button = gtk_toggle_button_new();
            GdkTexture* texture = control.imageForSegment(i) ? mirror.images().texture(*control.imageForSegment(i)) : nullptr;
            if (texture) {
                GtkWidget* picture = gtk_picture_new_for_paintable(GDK_PAINTABLE(texture));
                gtk_picture_set_can_shrink(GTK_PICTURE(picture), TRUE);
                gtk_widget_set_size_request(picture, 20, 20);
                gtk_button_set_child(GTK_BUTTON(button), picture);
            } else {
                GtkWidget* label = gtk_label_new(control.titleForSegment(i).value_or("").c_str());
                gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
                gtk_button_set_child(GTK_BUTTON(button), label);
            }
            // A click, Space or Return goes to `select`; the view decides, and the buttons show
            // its selection again at once (a refused tap must not leave a segment pressed).
            std::weak_ptr<SegmentParts> weakParts = self;
            onSignal(button, "clicked", [weak, i, weakParts] {
                auto c = weak.lock();
                auto shown = weakParts.lock();
                if (!c || !shown) return;
                c->select(i);
                showSelection(*shown, *c);
            });
            gtk_box_append(GTK_BOX(parts.box), button);
            parts.buttons.push_back(button);
        }
    }
};

struct SliderParts {
    GtkWidget* scale;
    gulong handler = 0;
};

class SliderRenderer : public Renderer {
public:
    const char* kind() const override { return "Slider"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View& view, Mirror&) const override {
        auto parts = std::make_shared<SliderParts>();
        parts->scale = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 1, 0.001);
        gtk_scale_set_draw_value(GTK_SCALE(parts->scale), FALSE);
        gtk_widget_set_valign(parts->scale, GTK_ALIGN_CENTER);
        auto weak = weakOf<Slider>(view);
        GtkWidget* scale = parts->scale;
        parts->handler = onSignal(scale, "value-changed", [weak, scale] {
            if (auto s = weak.lock()) s->moveTo(float(gtk_range_get_value(GTK_RANGE(scale))));
        });
        viewWidgetSetContent(node.widget, parts->scale);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& slider = static_cast<Slider&>(view);
        auto& parts = partsOf<SliderParts>(node);
        withHandlerBlocked(parts.scale, parts.handler, [&] {
            double low = slider.minimumValue(), high = std::max(slider.maximumValue(), slider.minimumValue());
            gtk_range_set_range(GTK_RANGE(parts.scale), low, high > low ? high : low + 1);
            gtk_range_set_value(GTK_RANGE(parts.scale), slider.value());
        });
        gtk_widget_set_sensitive(parts.scale, slider.isEnabled());
    }
};

struct SwitchParts {
    GtkWidget* toggle;
    gulong handler = 0;
};

class SwitchRenderer : public Renderer {
public:
    const char* kind() const override { return "Switch"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View& view, Mirror&) const override {
        auto parts = std::make_shared<SwitchParts>();
        parts->toggle = gtk_switch_new();
        gtk_widget_set_halign(parts->toggle, GTK_ALIGN_START);
        gtk_widget_set_valign(parts->toggle, GTK_ALIGN_CENTER);
        auto* weak = new std::weak_ptr<Switch>(weakOf<Switch>(view));
        parts->handler = g_signal_connect_data(
            parts->toggle, "state-set", G_CALLBACK(+[](GtkSwitch*, gboolean, gpointer data) -> gboolean {
                if (auto s = static_cast<std::weak_ptr<Switch>*>(data)->lock()) s->toggle();
                return TRUE;  // the view's state comes back at the next sync
            }),
            weak, +[](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<Switch>*>(data); }, GConnectFlags(0));
        viewWidgetSetContent(node.widget, parts->toggle);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror&) const override {
        auto& toggle = static_cast<Switch&>(view);
        auto& parts = partsOf<SwitchParts>(node);
        withHandlerBlocked(parts.toggle, parts.handler, [&] {
            gtk_switch_set_active(GTK_SWITCH(parts.toggle), toggle.isOn());
            gtk_switch_set_state(GTK_SWITCH(parts.toggle), toggle.isOn());
        });
        gtk_widget_set_sensitive(parts.toggle, toggle.isEnabled());
    }
};

struct TextFieldParts {
    GtkWidget* entry;
    gulong changed = 0;
};

class TextFieldRenderer : public Renderer {
public:
    const char* kind() const override { return "TextField"; }
    bool mirrorsSubviews(const View&) const override { return false; }
    void create(Node& node, View& view, Mirror&) const override {
        auto parts = std::make_shared<TextFieldParts>();
        parts->entry = gtk_entry_new();
        gtk_widget_set_valign(parts->entry, GTK_ALIGN_CENTER);
        auto weak = weakOf<TextField>(view);
        GtkWidget* entry = parts->entry;
        parts->changed = onSignal(entry, "changed", [weak, entry] {
            if (auto f = weak.lock()) f->typeText(gtk_editable_get_text(GTK_EDITABLE(entry)));
        });
        onSignal(entry, "activate", [weak] {
            if (auto f = weak.lock()) f->pressReturn();
        });
        GtkEventController* focus = gtk_event_controller_focus_new();
        auto* holder = new std::weak_ptr<TextField>(weak);
        g_signal_connect_data(focus, "enter", G_CALLBACK(+[](GtkEventControllerFocus*, gpointer data) {
                                  if (auto f = static_cast<std::weak_ptr<TextField>*>(data)->lock()) {
                                      if (!f->isFirstResponder()) f->becomeFirstResponder();
                                  }
                              }),
                              holder, +[](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<TextField>*>(data); },
                              GConnectFlags(0));
        gtk_widget_add_controller(entry, focus);
        viewWidgetSetContent(node.widget, entry);
        node.parts = parts;
    }
    void sync(Node& node, View& view, Mirror& mirror) const override {
        auto& field = static_cast<TextField&>(view);
        auto& parts = partsOf<TextFieldParts>(node);
        GtkEntry* entry = GTK_ENTRY(parts.entry);
        if (field.text() != gtk_editable_get_text(GTK_EDITABLE(entry))) {
            withHandlerBlocked(entry, parts.changed, [&] { gtk_editable_set_text(GTK_EDITABLE(entry), field.text().c_str()); });
        }
        std::string placeholder = field.attributedPlaceholder() ? field.attributedPlaceholder()->text : field.placeholder();
        gtk_entry_set_placeholder_text(entry, placeholder.c_str());
        GdkTexture* icon = nullptr;
        if (auto* left = dynamic_cast<ImageView*>(field.leftView().get()); left && field.isLeftViewShown() && left->image()) {
            icon = mirror.images().texture(*left->image());
        }
        gtk_entry_set_icon_from_paintable(entry, GTK_ENTRY_ICON_PRIMARY, GDK_PAINTABLE(icon));
        gtk_widget_set_sensitive(parts.entry, field.isEnabled());
        // The keyboard focus follows first responder (the entry's own text part holds it). Grabbing it
        // again while it is there would select the whole text, and the next key would replace it.
        GtkRoot* root = gtk_widget_get_root(parts.entry);
        GtkWidget* focus = root ? gtk_root_get_focus(root) : nullptr;
        const bool focused = focus && (focus == parts.entry || gtk_widget_is_ancestor(focus, parts.entry));
        if (field.isFirstResponder() && !focused && gtk_widget_get_mapped(parts.entry)) {
            gtk_widget_grab_focus(parts.entry);
        } else if (!field.isFirstResponder() && focused) {
            gtk_root_set_focus(root, nullptr);  // the keyboard went away
        }
    }
};

// Stars drawn from the displayed rating; touches go to StarRatingView::touch.
class StarRatingRenderer : public Renderer {
public:
    const char* kind() const override { return "StarRatingView"; }
    void create(Node& node, View& view, Mirror&) const override {
        GtkWidget* area = gtk_drawing_area_new();
        gtk_widget_set_size_request(area, 100, 20);
        auto* weak = new std::weak_ptr<StarRatingView>(weakOf<StarRatingView>(view));
        gtk_drawing_area_set_draw_func(
            GTK_DRAWING_AREA(area),
            +[](GtkDrawingArea*, cairo_t* cr, int width, int height, gpointer data) {
                auto stars = static_cast<std::weak_ptr<StarRatingView>*>(data)->lock();
                if (!stars || stars->maxRating() <= 0) return;
                const int count = stars->maxRating();
                const double size = std::min(double(width) / count, double(height));
                const double filled = stars->displayedRating();
                for (int i = 0; i < count; ++i) {
                    const double cx = size * (i + 0.5), cy = height / 2.0, outer = size * 0.45, inner = outer * 0.45;
                    auto star = [&] {
                        cairo_new_path(cr);
                        for (int p = 0; p < 10; ++p) {
                            double r = p % 2 ? inner : outer, a = -M_PI / 2 + p * M_PI / 5;
                            cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
                        }
                        cairo_close_path(cr);
                    };
                    star();
                    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
                    cairo_fill(cr);
                    // The filled part of the star: its left `part`, clipped before the star is
                    // traced again (clipping consumes the path).
                    const double part = std::clamp(filled - i, 0.0, 1.0);
                    if (part > 0) {
                        cairo_save(cr);
                        cairo_new_path(cr);
                        cairo_rectangle(cr, cx - outer, cy - outer, 2 * outer * part, 2 * outer);
                        cairo_clip(cr);
                        star();
                        cairo_set_source_rgb(cr, 1.0, 0.72, 0.0);
                        cairo_fill(cr);
                        cairo_restore(cr);
                    }
                    star();
                    cairo_set_source_rgb(cr, 0.8, 0.55, 0.0);
                    cairo_set_line_width(cr, 1);
                    cairo_stroke(cr);
                }
            },
            weak, +[](gpointer data) { delete static_cast<std::weak_ptr<StarRatingView>*>(data); });
        auto touch = weakOf<StarRatingView>(view);
        onClick(area, [touch, area](double x, double) {
            auto stars = touch.lock();
            if (!stars || stars->maxRating() <= 0) return;
            const double size = std::min(double(gtk_widget_get_width(area)) / stars->maxRating(),
                                         double(gtk_widget_get_height(area)));
            if (size > 0) stars->touch(x / size);
        });
        viewWidgetSetContent(node.widget, area);
    }
    void sync(Node& node, View&, Mirror&) const override { gtk_widget_queue_draw(viewWidgetState(node.widget).content); }
};

}  // namespace

const Renderer& segmentedControlRenderer() {
    static const SegmentedControlRenderer r;
    return r;
}
const Renderer& sliderRenderer() {
    static const SliderRenderer r;
    return r;
}
const Renderer& switchRenderer() {
    static const SwitchRenderer r;
    return r;
}
const Renderer& textFieldRenderer() {
    static const TextFieldRenderer r;
    return r;
}
const Renderer& starRatingRenderer() {
    static const StarRatingRenderer r;
    return r;
}

}  // namespace tq::desktop
