#include "desktop/Inspector.h"

#include <cxxabi.h>
#include <gdk/x11/gdkx.h>
#include <gio/gunixsocketaddress.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <typeinfo>

#include "desktop/DesktopWindow.h"
#include "desktop/Mirror.h"
#include "desktop/presenters/Presenters.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace tq::desktop {
namespace {

using nlohmann::json;

template <class T>
std::string kindName(const T& object) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(object).name(), nullptr, nullptr, &status),
                                                std::free);
    std::string text = status == 0 && name ? name.get() : typeid(object).name();
    if (text.rfind("tq::", 0) == 0) text = text.substr(4);
    return text;
}

std::string textOf(const View& view) {
    if (auto* label = dynamic_cast<const Label*>(&view)) return label->text();
    if (auto* button = dynamic_cast<const Button*>(&view)) return button->currentTitle();
    if (auto* field = dynamic_cast<const TextField*>(&view)) return field->text().empty() ? field->placeholder() : field->text();
    if (auto* toggle = dynamic_cast<const Switch*>(&view)) return toggle->isOn() ? "on" : "off";
    if (auto* segments = dynamic_cast<const SegmentedControl*>(&view)) {
        std::string text;
        for (int i = 0; i < segments->numberOfSegments(); ++i) {
            if (i) text += "|";
            text += segments->titleForSegment(i).value_or("");
        }
        return text;
    }
    return {};
}

// The picture a view shows: a bundle name, a file or an address.
std::string imageOf(const View& view) {
    std::optional<Image> image;
    if (auto* button = dynamic_cast<const Button*>(&view)) image = button->currentImage();
    if (auto* picture = dynamic_cast<const ImageView*>(&view)) image = picture->image();
    return image ? image->name : std::string();
}

// Where a widget lies in its X window, and whether a click at its centre reaches it.
struct Placement {
    bool onScreen = false;
    double x = 0, y = 0, w = 0, h = 0;
    bool hit = false;
};

Placement placementOf(GtkWidget* widget) {
    Placement place;
    GtkNative* native = gtk_widget_get_native(widget);
    if (!native || !gtk_widget_get_mapped(widget)) return place;
    graphene_rect_t bounds;
    if (!gtk_widget_compute_bounds(widget, GTK_WIDGET(native), &bounds)) return place;
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(native, &sx, &sy);
    place.onScreen = true;
    place.x = bounds.origin.x + sx;
    place.y = bounds.origin.y + sy;
    place.w = bounds.size.width;
    place.h = bounds.size.height;
    GtkWidget* picked = gtk_widget_pick(GTK_WIDGET(native), bounds.origin.x + bounds.size.width / 2,
                                        bounds.origin.y + bounds.size.height / 2, GTK_PICK_DEFAULT);
    place.hit = picked && (picked == widget || gtk_widget_is_ancestor(picked, widget));
    return place;
}

json placed(json entry, const Placement& place) {
    entry["x"] = place.x;
    entry["y"] = place.y;
    entry["w"] = place.w;
    entry["h"] = place.h;
    entry["hit"] = place.hit;
    return entry;
}

// The first text drawn below `widget`.
std::string firstLabelText(GtkWidget* widget) {
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (GTK_IS_LABEL(child)) return gtk_label_get_text(GTK_LABEL(child));
        if (auto text = firstLabelText(child); !text.empty()) return text;
    }
    return {};
}

std::string buttonText(GtkWidget* button) {
    if (const char* label = gtk_button_get_label(GTK_BUTTON(button))) return label;
    return firstLabelText(button);
}

// The buttons and texts GTK draws below `widget` that stand for no view of their own (a segment,
// a bar button, an alert's action), down to the next mirrored view.
void collectParts(GtkWidget* widget, const Mirror* mirror, json& buttons, json* texts) {
    for (GtkWidget* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child)) {
        if (mirror && mirror->viewFor(child)) continue;
        if (!gtk_widget_get_mapped(child)) continue;
        if (GTK_IS_BUTTON(child)) {
            buttons.push_back(placed({{"text", buttonText(child)}}, placementOf(child)));
            continue;
        }
        if (texts && GTK_IS_LABEL(child)) texts->push_back(gtk_label_get_text(GTK_LABEL(child)));
        collectParts(child, mirror, buttons, texts);
    }
}

void collectViews(View& view, const Mirror& mirror, json& out) {
    if (view.isHidden()) return;
    if (GtkWidget* widget = mirror.widgetFor(view)) {
        Placement place = placementOf(widget);
        if (place.onScreen) {
            json entry = placed({{"kind", kindName(view)}, {"id", view.identifier()}, {"text", textOf(view)}}, place);
            if (auto image = imageOf(view); !image.empty()) entry["image"] = image;
            json parts = json::array();
            collectParts(widget, &mirror, parts, nullptr);
            if (!parts.empty()) entry["parts"] = std::move(parts);
            out.push_back(std::move(entry));
        }
    }
    for (const auto& child : view.subviews()) collectViews(*child, mirror, out);
}

std::string screenName(const Window& window) {
    auto top = window.topPresentedViewController();
    if (!top) return {};
    if (auto* nav = dynamic_cast<NavigationController*>(top.get())) {
        if (auto visible = nav->visibleViewController()) return kindName(*visible);
    }
    return kindName(*top);
}

json tree(const DesktopWindow& window) {
    json reply;
    GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window.gtkWindow()));
    reply["xid"] = surface && GDK_IS_X11_SURFACE(surface) ? gdk_x11_surface_get_xid(surface) : 0;
    reply["settled"] = !window.hasPendingChanges();
    reply["screen"] = screenName(window.mirror().window());
    json views = json::array();
    collectViews(window.mirror().window(), window.mirror(), views);
    reply["views"] = std::move(views);
    reply["dialog"] = nullptr;
    if (GtkWidget* dialog = window.presenters().dialog(); dialog && gtk_widget_get_mapped(dialog)) {
        json buttons = json::array(), texts = json::array();
        collectParts(dialog, nullptr, buttons, &texts);
        reply["dialog"] = {{"texts", texts}, {"buttons", buttons}};
    }
    return reply;
}

gboolean onIncoming(GSocketService*, GSocketConnection* connection, GObject*, gpointer data) {
    auto* inspector = static_cast<Inspector*>(data);
    GSocket* socket = g_socket_connection_get_socket(connection);
    // The client writes its line as soon as it connects; a silent one is dropped after a while.
    g_socket_set_timeout(socket, 5);
    std::string request;
    char buffer[256];
    while (request.find('\n') == std::string::npos && request.size() < 4096) {
        gssize got = g_socket_receive(socket, buffer, sizeof buffer, nullptr, nullptr);
        if (got <= 0) break;
        request.append(buffer, size_t(got));
    }
    if (auto end = request.find('\n'); end != std::string::npos) request.resize(end);
    const std::string reply = inspector->answer(request) + "\n";
    size_t sent = 0;
    while (sent < reply.size()) {
        gssize wrote = g_socket_send(socket, reply.data() + sent, reply.size() - sent, nullptr, nullptr);
        if (wrote <= 0) break;
        sent += size_t(wrote);
    }
    g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
    return TRUE;
}

}  // namespace

Inspector::Inspector(DesktopWindow& window, std::string path) : window_(window), path_(std::move(path)) {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    GSocketAddress* address = g_unix_socket_address_new(path_.c_str());
    service_ = g_socket_service_new();
    GError* error = nullptr;
    if (!g_socket_listener_add_address(G_SOCKET_LISTENER(service_), address, G_SOCKET_TYPE_STREAM,
                                       G_SOCKET_PROTOCOL_DEFAULT, nullptr, nullptr, &error)) {
        g_printerr("trelvoquest: cannot inspect on %s: %s\n", path_.c_str(), error->message);
        g_error_free(error);
        g_object_unref(service_);
        service_ = nullptr;
    } else {
        g_signal_connect(service_, "incoming", G_CALLBACK(onIncoming), this);
        g_socket_service_start(service_);
    }
    g_object_unref(address);
}

Inspector::~Inspector() {
    if (service_) {
        g_socket_service_stop(service_);
        g_socket_listener_close(G_SOCKET_LISTENER(service_));
        g_object_unref(service_);
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
}

std::string Inspector::answer(const std::string& request) const {
    if (request == "tree") return tree(window_).dump();
    return json{{"error", "unknown request: " + request}}.dump();
}

}  // namespace tq::desktop
