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
#include "desktop/UnixSocketService.h"
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
#include "platform/web/WebView.h"

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
            // Which segment is chosen: a click on a segment shows its effect here.
            if (auto* segments = dynamic_cast<const SegmentedControl*>(&view)) {
                entry["selected"] = segments->selectedSegmentIndex();
            }
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

// The first shown web view with this identifier, and the widget that draws it.
std::pair<WebView*, GtkWidget*> shownWebView(View& view, const Mirror& mirror, const std::string& identifier) {
    if (view.isHidden()) return {};
    if (auto* page = dynamic_cast<WebView*>(&view); page && view.identifier() == identifier) {
        GtkWidget* widget = mirror.widgetFor(view);
        if (widget && placementOf(widget).onScreen) return {page, widget};
    }
    for (const auto& child : view.subviews()) {
        if (auto found = shownWebView(*child, mirror, identifier); found.first) return found;
    }
    return {};
}

// Lists the page's elements that match a selector, where the page lays them out and whether a
// click at their centre reaches them inside the page. It only reads the page.
std::string elementsScript(const std::string& selector) {
    return "(function (selector) {"
           "  var found = [];"
           "  var list = document.querySelectorAll(selector);"
           "  for (var i = 0; i < list.length; i++) {"
           "    var e = list[i], r = e.getBoundingClientRect();"
           "    if (r.width <= 0 || r.height <= 0) { continue; }"
           "    var top = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);"
           "    found.push({x: r.left, y: r.top, w: r.width, h: r.height, hit: !!top && (top === e || e.contains(top)),"
           "                text: e.textContent || '', src: e.getAttribute('src') || '', classes: String(e.className || '')});"
           "  }"
           "  return JSON.stringify(found);"
           "})(" + json(selector).dump() + ")";
}

// The page's elements moved into the X window's pixels; an element is hit when a click at its
// centre reaches it inside the page and nothing of the window covers the page there.
json placedElements(const std::string& found, GtkWidget* widget) {
    json elements = json::parse(found, nullptr, false);
    if (!elements.is_array()) return json{{"error", "the page answered no list of elements"}};
    GtkNative* native = gtk_widget_get_native(widget);
    graphene_rect_t bounds;
    if (!native || !gtk_widget_compute_bounds(widget, GTK_WIDGET(native), &bounds)) {
        return json{{"error", "the web view is no longer shown"}};
    }
    double sx = 0, sy = 0;
    gtk_native_get_surface_transform(native, &sx, &sy);
    for (auto& element : elements) {
        const double x = bounds.origin.x + element.value("x", 0.0), y = bounds.origin.y + element.value("y", 0.0);
        const double w = element.value("w", 0.0), h = element.value("h", 0.0);
        GtkWidget* picked = gtk_widget_pick(GTK_WIDGET(native), x + w / 2, y + h / 2, GTK_PICK_DEFAULT);
        const bool reached = picked && (picked == widget || gtk_widget_is_ancestor(picked, widget));
        element["x"] = x + sx;
        element["y"] = y + sy;
        element["hit"] = reached && element.value("hit", false);
    }
    return json{{"elements", std::move(elements)}};
}

void sendLine(GSocketConnection* connection, const std::string& text) {
    GSocket* socket = g_socket_connection_get_socket(connection);
    const std::string reply = text + "\n";
    size_t sent = 0;
    while (sent < reply.size()) {
        gssize wrote = g_socket_send(socket, reply.data() + sent, reply.size() - sent, nullptr, nullptr);
        if (wrote <= 0) break;
        sent += size_t(wrote);
    }
    g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
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
    inspector->answerLater(connection, request);
    return TRUE;
}

}  // namespace

Inspector::Inspector(DesktopWindow& window, std::string path) : window_(window), path_(std::move(path)) {
    service_ = listenOnUnixSocket(path_, "inspect", G_CALLBACK(onIncoming), this);
}

Inspector::~Inspector() {
    *alive_ = false;
    for (auto& [id, connection] : waiting_) {
        g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
        g_object_unref(connection);
    }
    if (service_) {
        // The service may outlive this unref (a pending accept holds it): it must not call back here.
        g_signal_handlers_disconnect_by_data(service_, this);
        g_socket_service_stop(service_);
        g_socket_listener_close(G_SOCKET_LISTENER(service_));
        g_object_unref(service_);
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
}

void Inspector::answerLater(GSocketConnection* connection, const std::string& request) {
    const int id = nextWaiting_++;
    waiting_[id] = G_SOCKET_CONNECTION(g_object_ref(connection));
    std::weak_ptr<bool> alive = alive_;
    answer(request, [this, alive, id](std::string reply) {
        if (!alive.lock()) return;
        auto found = waiting_.find(id);
        if (found == waiting_.end()) return;
        GSocketConnection* waiting = found->second;
        waiting_.erase(found);
        sendLine(waiting, reply);
        g_object_unref(waiting);
    });
}

void Inspector::answer(const std::string& request, std::function<void(std::string)> reply) {
    if (request == "tree") return reply(tree(window_).dump());
    if (request.rfind("page ", 0) == 0) {
        const std::string rest = request.substr(5);
        const auto space = rest.find(' ');
        const std::string identifier = rest.substr(0, space);
        const std::string selector = space == std::string::npos ? std::string() : rest.substr(space + 1);
        auto [page, widget] = shownWebView(window_.mirror().window(), window_.mirror(), identifier);
        if (!page || selector.empty()) return reply(json{{"error", "no web view \"" + identifier + "\" is shown"}}.dump());
        GtkWidget* held = GTK_WIDGET(g_object_ref(widget));
        page->evaluateJavaScript(elementsScript(selector),
                                 [reply, held](const ScriptValue& value, const std::optional<WebError>& error) {
                                     const auto* text = std::get_if<std::string>(&value);
                                     if (error || !text) {
                                         reply(json{{"error", error ? error->description : "the page answered no text"}}.dump());
                                     } else {
                                         reply(placedElements(*text, held).dump());
                                     }
                                     g_object_unref(held);
                                 });
        return;
    }
    reply(json{{"error", "unknown request: " + request}}.dump());
}

}  // namespace tq::desktop
