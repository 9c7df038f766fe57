#include "desktop/presenters/Popovers.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "desktop/Mirror.h"
#include "desktop/ViewWidget.h"
#include "desktop/renderers/Renderers.h"
#include "platform/foundation/DispatchScope.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace tq::desktop {

namespace {

constexpr double kMargin = 8;  // kept free between a popover and the screen's edges
constexpr double kArrow = 12;  // how far the arrow reaches out of the popover

bool allows(PopoverArrowDirection permitted, PopoverArrowDirection direction) {
    return (static_cast<unsigned>(permitted) & static_cast<unsigned>(direction)) != 0;
}

// The start of a length `length` centred on `centre`, kept within [low, high - length].
double clampedStart(double centre, double length, double low, double high) {
    return std::max(low, std::min(centre - length / 2, high - length));
}

// Alerts and share sheets become popovers on a tablet too, but are drawn as dialogs.
bool drawnAsDialog(const ViewController& screen) {
    return dynamic_cast<const AlertController*>(&screen) || dynamic_cast<const ActivityViewController*>(&screen);
}

std::shared_ptr<ViewController> presentedPopover(const Window& window) {
    for (auto screen = window.topPresentedViewController(); screen; screen = screen->presentingViewController()) {
        if (screen->presentationStyleInEffect() == ModalPresentationStyle::popover && screen->isViewLoaded() &&
            !drawnAsDialog(*screen)) {
            return screen;
        }
    }
    return nullptr;
}

std::optional<Rect> boundsIn(GtkWidget* widget, GtkWidget* in) {
    graphene_rect_t r;
    if (!widget || !gtk_widget_get_mapped(widget) || !gtk_widget_compute_bounds(widget, in, &r)) return std::nullopt;
    return Rect(r.origin.x, r.origin.y, r.size.width, r.size.height);
}

// What the popover points at, in `in`'s coordinates: its source view's widget (or the rectangle
// given in it), else the button drawn for its bar button item.
std::optional<Rect> anchorOf(ViewController& screen, Mirror& mirror, GtkWidget* in) {
    auto* popover = screen.popoverPresentationController();
    if (!popover) return std::nullopt;
    if (auto source = popover->sourceView()) {
        auto bounds = boundsIn(mirror.widgetFor(*source), in);
        const Rect part = popover->sourceRect();
        if (bounds && part.width() > 0 && part.height() > 0) {
            return Rect(bounds->origin.x + part.origin.x, bounds->origin.y + part.origin.y, part.width(), part.height());
        }
        return bounds;
    }
    if (auto item = popover->barButtonItem()) {
        std::function<GtkWidget*(GtkWidget*)> find = [&](GtkWidget* w) -> GtkWidget* {
            if (g_object_get_data(G_OBJECT(w), kBarItemKey) == item.get() && gtk_widget_get_mapped(w)) return w;
            for (GtkWidget* c = gtk_widget_get_first_child(w); c; c = gtk_widget_get_next_sibling(c)) {
                if (GtkWidget* found = find(c)) return found;
            }
            return nullptr;
        };
        return boundsIn(find(mirror.rootWidget()), in);
    }
    return std::nullopt;
}

// A white triangle from the popover's edge to its tip.
void drawArrow(cairo_t* cr, int width, int height, PopoverArrowDirection direction) {
    const double w = width, h = height;
    switch (direction) {
        case PopoverArrowDirection::up:  // points up: the tip at the top middle
            cairo_move_to(cr, 0, h), cairo_line_to(cr, w / 2, 0), cairo_line_to(cr, w, h);
            break;
        case PopoverArrowDirection::down:
            cairo_move_to(cr, 0, 0), cairo_line_to(cr, w / 2, h), cairo_line_to(cr, w, 0);
            break;
        case PopoverArrowDirection::left:
            cairo_move_to(cr, w, 0), cairo_line_to(cr, 0, h / 2), cairo_line_to(cr, w, h);
            break;
        default:
            cairo_move_to(cr, 0, 0), cairo_line_to(cr, w, h / 2), cairo_line_to(cr, 0, h);
            break;
    }
    // The two slanted edges outlined over the white, so the arrow shows on a white screen too.
    cairo_path_t* edges = cairo_copy_path(cr);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    cairo_append_path(cr, edges);
    cairo_path_destroy(edges);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

}  // namespace

PopoverFrame placePopover(std::optional<Rect> anchor, Size content, Size screen, PopoverArrowDirection permitted) {
    double w = std::max(0.0, std::min(content.width, screen.width - 2 * kMargin));
    double h = std::max(0.0, std::min(content.height, screen.height - 2 * kMargin));
    const auto centred = [&] { return PopoverFrame{Rect((screen.width - w) / 2, (screen.height - h) / 2, w, h), {}, {}}; };
    if (!anchor) return centred();
    const Rect& a = *anchor;
    const double top = a.origin.y, bottom = a.origin.y + a.height(), leading = a.origin.x, trailing = a.origin.x + a.width();
    struct Side {
        PopoverArrowDirection arrow;
        double room;  // for the popover, once the arrow and the margin are taken
        bool vertical;
    };
    const Side sides[] = {{PopoverArrowDirection::up, screen.height - kMargin - bottom - kArrow, true},
                          {PopoverArrowDirection::down, top - kMargin - kArrow, true},
                          {PopoverArrowDirection::left, screen.width - kMargin - trailing - kArrow, false},
                          {PopoverArrowDirection::right, leading - kMargin - kArrow, false}};
    const Side* chosen = nullptr;
    for (const auto& side : sides) {
        if (allows(permitted, side.arrow) && side.room >= (side.vertical ? h : w)) {
            chosen = &side;
            break;
        }
    }
    if (!chosen) {  // no side has room enough: the roomiest, and the popover made smaller
        for (const auto& side : sides) {
            if (allows(permitted, side.arrow) && (!chosen || side.room > chosen->room)) chosen = &side;
        }
    }
    if (!chosen || chosen->room <= 0) return centred();
    PopoverFrame frame;
    frame.arrow = chosen->arrow;
    if (chosen->vertical) {
        h = std::min(h, chosen->room);
        const double x = clampedStart(leading + a.width() / 2, w, kMargin, screen.width - kMargin);
        const bool below = chosen->arrow == PopoverArrowDirection::up;
        frame.content = Rect(x, below ? bottom + kArrow : top - kArrow - h, w, h);
        frame.arrowTip = {std::clamp(leading + a.width() / 2, x + kArrow, std::max(x + kArrow, x + w - kArrow)),
                          below ? bottom : top};
    } else {
        w = std::min(w, chosen->room);
        const double y = clampedStart(top + a.height() / 2, h, kMargin, screen.height - kMargin);
        const bool after = chosen->arrow == PopoverArrowDirection::left;
        frame.content = Rect(after ? trailing + kArrow : leading - kArrow - w, y, w, h);
        frame.arrowTip = {after ? trailing : leading,
                          std::clamp(top + a.height() / 2, y + kArrow, std::max(y + kArrow, y + h - kArrow))};
    }
    return frame;
}

Popovers::Popovers(GtkWidget* stage, Mirror& mirror) : stage_(stage), mirror_(mirror) {
    // A press outside the popover closes it and goes no further, as on the device.
    GtkGesture* outside = gtk_gesture_click_new();
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(outside), 0);
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(outside), GTK_PHASE_CAPTURE);
    gtk_event_controller_set_name(GTK_EVENT_CONTROLLER(outside), "tq-popover-outside");
    g_signal_connect(outside, "pressed", G_CALLBACK(+[](GtkGestureClick* gesture, int, double x, double y, gpointer data) {
        const bool dismissed = static_cast<Popovers*>(data)->dismissFromOutside(x, y);
        gtk_gesture_set_state(GTK_GESTURE(gesture), dismissed ? GTK_EVENT_SEQUENCE_CLAIMED : GTK_EVENT_SEQUENCE_DENIED);
    }), this);
    gtk_widget_add_controller(stage_, GTK_EVENT_CONTROLLER(outside));
}

Popovers::~Popovers() {
    clear();
    if (clock_) {
        g_signal_handler_disconnect(clock_, layoutHandler_);
        g_object_unref(clock_);
    }
}

void Popovers::sync() {
    auto screen = presentedPopover(mirror_.window());
    GtkWidget* widget = screen ? mirror_.widgetFor(screen->view()) : nullptr;
    // A screen released before this turn leaves no screen and no widget behind, but its arrow
    // is still on the stage: that too is a change.
    if (screen != shown_.lock() || widget != widget_ || (!screen && arrow_)) {
        clear();
        if (screen && widget) show(screen);
    }
    if (!clock_ && widget_ && (clock_ = gtk_widget_get_frame_clock(stage_))) {
        // After each layout of the window: the anchor may have moved (a turn of the device).
        g_object_ref(clock_);
        layoutHandler_ = g_signal_connect_data(
            clock_, "layout", G_CALLBACK(+[](GdkFrameClock*, gpointer data) { static_cast<Popovers*>(data)->place(); }),
            this, nullptr, G_CONNECT_AFTER);
    }
    place();
}

void Popovers::show(const std::shared_ptr<ViewController>& screen) {
    shown_ = screen;
    widget_ = mirror_.widgetFor(screen->view());
    g_object_add_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
    gtk_widget_add_css_class(widget_, "tq-popover");
    arrow_ = gtk_drawing_area_new();
    gtk_widget_set_name(arrow_, "tq-popover-arrow");
    gtk_widget_set_can_target(arrow_, FALSE);
    gtk_widget_set_halign(arrow_, GTK_ALIGN_START);
    gtk_widget_set_valign(arrow_, GTK_ALIGN_START);
    gtk_widget_set_visible(arrow_, FALSE);
    gtk_drawing_area_set_draw_func(
        GTK_DRAWING_AREA(arrow_),
        +[](GtkDrawingArea*, cairo_t* cr, int width, int height, gpointer data) {
            auto* self = static_cast<Popovers*>(data);
            drawArrow(cr, width, height, self->arrowDirection_.value_or(PopoverArrowDirection::up));
        },
        this, nullptr);
    gtk_overlay_add_overlay(GTK_OVERLAY(stage_), arrow_);
}

void Popovers::clear() {
    if (widget_) {
        viewWidgetState(widget_).placement.reset();
        gtk_widget_remove_css_class(widget_, "tq-popover");
        if (GtkWidget* parent = gtk_widget_get_parent(widget_)) gtk_widget_queue_allocate(parent);
        g_object_remove_weak_pointer(G_OBJECT(widget_), reinterpret_cast<gpointer*>(&widget_));
        widget_ = nullptr;
    }
    if (arrow_) gtk_overlay_remove_overlay(GTK_OVERLAY(stage_), arrow_);
    arrow_ = nullptr;
    arrowDirection_.reset();
    shown_.reset();
}

void Popovers::place() {
    auto screen = shown_.lock();
    GtkWidget* parent = widget_ ? gtk_widget_get_parent(widget_) : nullptr;
    if (!screen || !parent) return;
    const Size wanted = screen->view().frame().size;
    auto* popover = screen->popoverPresentationController();
    const Size room{double(gtk_widget_get_width(parent)), double(gtk_widget_get_height(parent))};
    const auto frame = placePopover(anchorOf(*screen, mirror_, parent), wanted, room,
                                    popover ? popover->permittedArrowDirections() : PopoverArrowDirection::any);
    auto& state = viewWidgetState(widget_);
    if (state.placement != frame.content) {
        state.placement = frame.content;
        gtk_widget_queue_allocate(parent);
    }
    gtk_widget_set_visible(arrow_, frame.arrow.has_value());
    if (!frame.arrow) return;
    graphene_point_t tip = GRAPHENE_POINT_INIT(float(frame.arrowTip.x), float(frame.arrowTip.y));
    graphene_point_t onStage;
    if (!gtk_widget_compute_point(parent, stage_, &tip, &onStage)) return;
    const bool vertical = *frame.arrow == PopoverArrowDirection::up || *frame.arrow == PopoverArrowDirection::down;
    const int across = int(2 * kArrow), along = int(kArrow);
    double x = onStage.x, y = onStage.y;
    switch (*frame.arrow) {
        case PopoverArrowDirection::up: x -= kArrow; break;
        case PopoverArrowDirection::down: x -= kArrow, y -= kArrow; break;
        case PopoverArrowDirection::left: y -= kArrow; break;
        default: x -= kArrow, y -= kArrow; break;
    }
    gtk_widget_set_size_request(arrow_, vertical ? across : along, vertical ? along : across);
    gtk_widget_set_margin_start(arrow_, std::max(0, int(std::lround(x))));
    gtk_widget_set_margin_top(arrow_, std::max(0, int(std::lround(y))));
    if (arrowDirection_ != frame.arrow) {
        arrowDirection_ = frame.arrow;
        gtk_widget_queue_draw(arrow_);
    }
}

bool Popovers::cancel() {
    auto screen = shown_.lock();
    if (!screen || mirror_.window().topPresentedViewController() != screen) return false;
    DispatchScope scope(screen);
    screen->dismiss(true);
    return true;
}

bool Popovers::dismissFromOutside(double x, double y) {
    if (!widget_ || !shown_.lock()) return false;
    graphene_point_t at = GRAPHENE_POINT_INIT(float(x), float(y)), inside;
    if (!gtk_widget_compute_point(stage_, widget_, &at, &inside)) return false;
    if (gtk_widget_contains(widget_, inside.x, inside.y)) return false;
    return cancel();
}

}  // namespace tq::desktop
