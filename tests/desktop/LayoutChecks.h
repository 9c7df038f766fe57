#pragma once

// What a person would call a broken screen, read from the widgets' allocations (not from pixels):
// a shown view with content that has no room or lies outside the window, siblings of a column or
// row drawn over each other, a label cut shorter than its lines allow.

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/Images.h"
#include "desktop/Mirror.h"
#include "desktop/ViewWidget.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/LayoutRules.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/View.h"

namespace tq::test {

inline std::string nameOf(const View& view) {
    if (!view.identifier().empty()) return view.identifier();
    for (const View* v = view.superview(); v; v = v->superview()) {
        if (!v->identifier().empty()) return std::string("(") + typeid(view).name() + " in " + v->identifier() + ")";
    }
    return typeid(view).name();
}

// Whether the view shows something a person reads or uses: a picture counts once it decodes.
inline bool hasContent(desktop::Mirror& mirror, const View& view, GtkWidget* widget) {
    if (auto* label = dynamic_cast<const Label*>(&view)) return !label->text().empty();
    if (dynamic_cast<const Control*>(&view)) {
        if (auto* button = dynamic_cast<const Button*>(&view)) {
            auto drawn = [&](const std::optional<Image>& image) { return image && mirror.images().texture(*image); };
            return !button->currentTitle().empty() || drawn(button->currentImage()) ||
                   drawn(button->currentBackgroundImage());
        }
        if (auto* segments = dynamic_cast<const SegmentedControl*>(&view)) return segments->numberOfSegments() > 0;
        return true;
    }
    if (dynamic_cast<const ImageView*>(&view)) {
        GtkWidget* content = desktop::viewWidgetState(widget).content;
        return content && GTK_IS_PICTURE(content) && gtk_picture_get_paintable(GTK_PICTURE(content));
    }
    return false;
}

inline graphene_rect_t boundsIn(GtkWidget* widget, GtkWidget* in) {
    graphene_rect_t r = GRAPHENE_RECT_INIT(0, 0, 0, 0);
    if (!gtk_widget_compute_bounds(widget, in, &r)) r = GRAPHENE_RECT_INIT(-1e6, -1e6, 0, 0);
    return r;
}

inline bool overlaps(const graphene_rect_t& a, const graphene_rect_t& b) {
    const float w = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width) - std::max(a.origin.x, b.origin.x);
    const float h = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height) - std::max(a.origin.y, b.origin.y);
    return w > 1 && h > 1;
}

// Whether a constraint on the view's edges says, by a negative constant, that it overlaps a neighbour.
inline bool declaresOverlap(const View& view) {
    for (const View* holder = &view; holder; holder = holder->superview()) {
        for (const auto& c : holder->constraints()) {
            if (!c->isActive() || c->constant() >= 0) continue;
            if (c->firstItem().get() != &view && c->secondItem().get() != &view) continue;
            switch (c->firstAttribute()) {
                case LayoutAttribute::width:
                case LayoutAttribute::height: break;
                default: return true;
            }
        }
    }
    return false;
}

// The first label drawn under `widget` (a label's text, a button's title) that its room cuts short
// with an ellipsis, told as a person would see it; none when every text shows whole.
inline std::optional<std::string> ellipsizedText(GtkWidget* widget) {
    if (GTK_IS_LABEL(widget) && gtk_widget_get_mapped(widget) &&
        pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(widget)))) {
        int minimum = 0, natural = 0;
        gtk_widget_measure(widget, GTK_ORIENTATION_HORIZONTAL, -1, &minimum, &natural, nullptr, nullptr);
        return "\"" + std::string(gtk_label_get_text(GTK_LABEL(widget))) + "\" cut to " +
               std::to_string(gtk_widget_get_width(widget)) + " of the " + std::to_string(natural) + " points it needs";
    }
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (auto cut = ellipsizedText(child)) return cut;
    }
    return std::nullopt;
}

// Every fault of the window's tree as drawn now, one line each.
inline std::vector<std::string> layoutFaults(desktop::Mirror& mirror, GtkWidget* screen) {
    std::vector<std::string> faults;
    const float width = float(gtk_widget_get_width(screen)), height = float(gtk_widget_get_height(screen));
    std::function<void(View&, GtkWidget*)> walk = [&](View& view, GtkWidget* room) {
        GtkWidget* widget = mirror.widgetFor(view);
        if (!widget || !gtk_widget_get_visible(widget) || view.alpha() <= 0.01) return;
        if (mirror.isDrawnByPresenter(view)) return;
        auto r = boundsIn(widget, room);
        float roomWidth = room == screen ? width : float(gtk_widget_get_width(room));
        float roomHeight = room == screen ? height : float(gtk_widget_get_height(room));
        if (hasContent(mirror, view, widget)) {
            if (r.size.width < 1 || r.size.height < 1) {
                faults.push_back(nameOf(view) + ": shown with content but has no room (" + std::to_string(int(r.size.width)) +
                                 "x" + std::to_string(int(r.size.height)) + ")");
            } else if (r.origin.x < -1 || r.origin.y < -1 || r.origin.x + r.size.width > roomWidth + 1 ||
                       r.origin.y + r.size.height > roomHeight + 1) {
                faults.push_back(nameOf(view) + ": lies outside the " + (room == screen ? "window" : "scrolled content") +
                                 " at " + std::to_string(int(r.origin.x)) + "," + std::to_string(int(r.origin.y)) + " " +
                                 std::to_string(int(r.size.width)) + "x" + std::to_string(int(r.size.height)));
            }
        }
        if (auto* label = dynamic_cast<Label*>(&view); label && !label->text().empty() && r.size.width >= 1) {
            GtkWidget* content = desktop::viewWidgetState(widget).content;
            int minimum = 0, natural = 0;
            gtk_widget_measure(content, GTK_ORIENTATION_VERTICAL, gtk_widget_get_width(content), &minimum, &natural,
                               nullptr, nullptr);
            if (gtk_widget_get_height(content) + 1 < natural) {
                faults.push_back(nameOf(view) + ": label cut to " + std::to_string(gtk_widget_get_height(content)) +
                                 " of the " + std::to_string(natural) + " its lines need");
            }
        }
        if (dynamic_cast<Label*>(&view) || dynamic_cast<Button*>(&view)) {
            if (auto cut = ellipsizedText(widget)) {
                faults.push_back(nameOf(view) + ": text " + *cut);
            }
        }
        const auto kind = view.arrangement().kind;
        if (kind == ArrangementKind::column || kind == ArrangementKind::row || kind == ArrangementKind::scroll) {
            std::vector<std::pair<View*, graphene_rect_t>> shown;
            for (const auto& child : view.subviews()) {
                GtkWidget* w = mirror.widgetFor(*child);
                if (!w || !gtk_widget_get_visible(w)) continue;
                bool overlapAsked = declaresOverlap(*child);
                auto cr = boundsIn(w, screen);
                if (cr.size.width < 1 || cr.size.height < 1) continue;
                for (const auto& [other, rect] : shown) {
                    if (!overlapAsked && overlaps(rect, cr)) {
                        faults.push_back(nameOf(*child) + ": drawn over its sibling " + nameOf(*other) + " in " + nameOf(view));
                    }
                }
                shown.emplace_back(child.get(), cr);
            }
        }
        GtkWidget* inner = room;
        if (dynamic_cast<ScrollView*>(&view)) {
            for (GtkWidget* w = gtk_widget_get_first_child(widget); w; w = gtk_widget_get_next_sibling(w)) {
                if (GTK_IS_SCROLLED_WINDOW(w)) {
                    GtkWidget* viewport = gtk_scrolled_window_get_child(GTK_SCROLLED_WINDOW(w));
                    if (viewport) inner = gtk_widget_get_first_child(viewport) ? gtk_widget_get_first_child(viewport) : viewport;
                }
            }
        }
        for (const auto& child : view.subviews()) walk(*child, inner);
    };
    walk(mirror.window(), screen);
    return faults;
}

// Where a widget is not drawn where the layout rules place its view (within `slack` points, for the
// rounding of each level), one line each: a stale layout after a change shows here.
inline std::vector<std::string> placementsApartFromTheRules(desktop::Mirror& mirror, GtkWidget* screen,
                                                            double slack = 2) {
    std::vector<std::string> apart;
    const auto plan = planLayout(mirror.window(), Rect(0, 0, gtk_widget_get_width(screen), gtk_widget_get_height(screen)));
    auto text = [](double x, double y, double w, double h) {
        return std::to_string(int(std::lround(x))) + "," + std::to_string(int(std::lround(y))) + " " +
               std::to_string(int(std::lround(w))) + "x" + std::to_string(int(std::lround(h)));
    };
    for (const View* view : plan.views()) {
        GtkWidget* widget = mirror.widgetFor(*view);
        if (!widget || !gtk_widget_get_mapped(widget) || mirror.isDrawnByPresenter(*view)) continue;
        const Rect& r = plan.placement(*view)->rect;
        const auto b = boundsIn(widget, screen);
        if (std::abs(b.origin.x - r.origin.x) > slack || std::abs(b.origin.y - r.origin.y) > slack ||
            std::abs(b.size.width - r.width()) > slack || std::abs(b.size.height - r.height()) > slack) {
            apart.push_back(nameOf(*view) + ": drawn at " + text(b.origin.x, b.origin.y, b.size.width, b.size.height) +
                            ", placed by the rules at " + text(r.origin.x, r.origin.y, r.width(), r.height()));
        }
    }
    return apart;
}

// Whether every pixel of `rect` (in the screenshot's points, one pixel each) has one colour: a
// control drawn as nothing shows only what lies behind it. Its edge pixel is left out (antialiasing
// of a neighbour), and a rectangle off the picture counts as not flat.
inline bool isOneFlatColour(GdkTexture* shot, const graphene_rect_t& rect) {
    const int width = gdk_texture_get_width(shot), height = gdk_texture_get_height(shot);
    const int left = std::max(0, int(std::ceil(rect.origin.x)) + 1), top = std::max(0, int(std::ceil(rect.origin.y)) + 1);
    const int right = std::min(width, int(rect.origin.x + rect.size.width) - 1);
    const int bottom = std::min(height, int(rect.origin.y + rect.size.height) - 1);
    if (right <= left || bottom <= top) return false;
    std::vector<guchar> pixels(std::size_t(width) * height * 4);
    gdk_texture_download(shot, pixels.data(), std::size_t(width) * 4);
    const guchar* first = &pixels[(std::size_t(top) * width + left) * 4];
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const guchar* p = &pixels[(std::size_t(y) * width + x) * 4];
            for (int c = 0; c < 4; ++c) {  // alpha too: the window's own background is clear
                if (std::abs(int(p[c]) - int(first[c])) > 2) return false;
            }
        }
    }
    return true;
}

// Whether a click at the middle of `rect` reaches `widget` (not something drawn over it).
inline bool reachedByClick(GtkWidget* widget, GtkWidget* screen, const graphene_rect_t& rect) {
    GtkWidget* picked = gtk_widget_pick(screen, rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2,
                                        GTK_PICK_DEFAULT);
    return picked && (picked == widget || gtk_widget_is_ancestor(picked, widget));
}

// Every control a person could press that shows them nothing, one line each: enabled, shown,
// touchable and reached by a click, yet its rectangle in the screenshot `png` is one flat colour: it
// has no title, no picture, and nothing drawn under it either.
inline std::vector<std::string> controlsDrawnAsNothing(desktop::Mirror& mirror, GtkWidget* screen,
                                                       const std::filesystem::path& png) {
    std::vector<std::string> faults;
    GdkTexture* shot = gdk_texture_new_from_filename(png.c_str(), nullptr);
    if (!shot) return {"no screenshot at " + png.string()};
    std::function<void(View&, double)> walk = [&](View& view, double alpha) {
        GtkWidget* widget = mirror.widgetFor(view);
        alpha *= view.alpha();
        if (!widget || !gtk_widget_get_mapped(widget) || view.isHidden() || alpha < 0.01) return;
        if (mirror.isDrawnByPresenter(view)) return;
        auto* control = dynamic_cast<Control*>(&view);
        if (control && control->isEnabled() && view.isInteractiveInTree()) {
            const auto r = boundsIn(widget, screen);
            if (r.size.width >= 1 && r.size.height >= 1 && reachedByClick(widget, screen, r) && isOneFlatColour(shot, r)) {
                faults.push_back(nameOf(view) + ": takes clicks but " +
                                 (hasContent(mirror, view, widget) ? "draws nothing: " : "has neither title nor picture, ") +
                                 "its rectangle " + std::to_string(int(r.origin.x)) + "," + std::to_string(int(r.origin.y)) +
                                 " " + std::to_string(int(r.size.width)) + "x" + std::to_string(int(r.size.height)) +
                                 " is one flat colour");
            }
        }
        if (!view.drawsSubviews()) return;
        for (const auto& child : view.subviews()) walk(*child, alpha);
    };
    walk(mirror.window(), 1.0);
    g_object_unref(shot);
    return faults;
}

// The widget tree with each view's place, for reading a fault.
inline std::string describeLayout(desktop::Mirror& mirror, GtkWidget* screen) {
    std::string out;
    std::function<void(View&, int)> walk = [&](View& view, int depth) {
        GtkWidget* widget = mirror.widgetFor(view);
        if (!widget) return;
        auto r = boundsIn(widget, screen);
        out += std::string(depth * 2, ' ') + nameOf(view) + (gtk_widget_get_visible(widget) ? "" : " [hidden]") + " " +
               std::to_string(int(r.origin.x)) + "," + std::to_string(int(r.origin.y)) + " " +
               std::to_string(int(r.size.width)) + "x" + std::to_string(int(r.size.height)) + "\n";
        if (!gtk_widget_get_visible(widget)) return;
        for (const auto& child : view.subviews()) walk(*child, depth + 1);
    };
    walk(mirror.window(), 0);
    return out;
}

}  // namespace tq::test
