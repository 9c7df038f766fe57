#include "desktop/DesktopWindow.h"

#include "desktop/Images.h"
#include "desktop/KeyboardAccessory.h"
#include "desktop/KeyboardFocus.h"
#include "desktop/Mirror.h"
#include "desktop/ViewWidget.h"
#include "desktop/presenters/Presenters.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/UiApplication.h"
#include "platform/ui/Window.h"

namespace tq::desktop {

namespace {

// Buttons and bars look like the device's, not like the desktop theme's.
constexpr const char* kStyle = R"css(
button.tq-button { padding: 0; margin: 0; min-width: 0; min-height: 0; border: none; border-radius: 0;
                   background: none; box-shadow: none; outline-offset: -2px; }
button.tq-button:active:hover { background-color: alpha(#808080, 0.2); }
button.tq-bar-button { padding: 2px 8px; min-height: 0; border: none; background: none; box-shadow: none;
                       color: #007aff; }
.tq-navigation-bar { background-color: #f8f8f8; border-bottom: 1px solid #c8c8c8; }
.tq-navigation-title { font-weight: bold; font-size: 17px; color: black; }
.tq-backdrop { background-color: rgba(0, 0, 0, 0.4); }
.tq-dialog { background-color: #f2f2f2; border-radius: 14px; padding: 16px; }
.tq-dialog-title { font-weight: bold; font-size: 17px; }
.tq-player-controls { background-color: rgba(30, 30, 30, 0.85); color: white; padding: 6px 12px; }
.tq-player-controls button { color: white; background: rgba(255, 255, 255, 0.12); border: none; box-shadow: none; }
.tq-player-controls button:hover { background: rgba(255, 255, 255, 0.25); }
.tq-callout { background-color: white; border-radius: 10px; padding: 8px 10px;
              box-shadow: 0 2px 8px rgba(0, 0, 0, 0.4); color: black; }
.tq-callout-title { font-weight: bold; font-size: 15px; }
.tq-callout-subtitle { font-size: 13px; color: #555555; }
.tq-popover { background-color: white; box-shadow: 0 2px 12px rgba(0, 0, 0, 0.35); }
.tq-progress { background-color: rgba(0, 0, 0, 0.75); border-radius: 14px; padding: 20px; color: white; }
.tq-cell-selected { background-color: rgba(0, 0, 0, 0.12); }
.tq-delete-control { background: #ff3b30; color: white; border: none; box-shadow: none; border-radius: 11px;
                     min-width: 22px; min-height: 22px; padding: 0; font-weight: bold; }
.tq-delete-confirmation { background: #ff3b30; color: white; border: none; box-shadow: none; border-radius: 0;
                          padding: 0 18px; }
tqview { color: black; }
tqview:focus:focus-visible, button:focus:focus-visible, switch:focus:focus-visible, scale:focus:focus-visible,
entry:focus-within { outline: 2px solid #007aff; outline-offset: -2px; }
button, switch, scale, entry { transition: none; }
)css";

void installStyle() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kStyle, -1);
    gtk_style_context_add_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(provider),
                                               GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
}

gboolean onKey(GtkEventControllerKey*, guint key, guint, GdkModifierType state, gpointer data) {
    auto* window = static_cast<DesktopWindow*>(data);
    if (key == GDK_KEY_Escape) return window->goBack();
    if ((state & GDK_CONTROL_MASK) && (key == GDK_KEY_r || key == GDK_KEY_R)) {
        window->rotate();
        return TRUE;
    }
    // Ctrl+Q quits, as closing the window does.
    if ((state & GDK_CONTROL_MASK) && (key == GDK_KEY_q || key == GDK_KEY_Q)) {
        window->close();
        return TRUE;
    }
    return FALSE;
}

gboolean onCloseRequest(GtkWindow*, gpointer data) {
    auto* close = static_cast<std::function<void()>*>(data);
    if (*close) (*close)();
    return TRUE;  // the program closes the window itself, after the application terminates
}

// The navigation controller a person sees now, if any.
NavigationController* visibleNavigation(const Window& window) {
    auto top = window.topPresentedViewController();
    if (!top) return nullptr;
    if (auto* nav = dynamic_cast<NavigationController*>(top.get())) return nav;
    return top->navigationController().get();
}

}  // namespace

void DeviceChoice::applyTo(DeviceDescription& device) const {
    device.idiom = idiom;
    device.screenBounds = size;
    device.orientation = size.width > size.height ? DeviceOrientation::landscapeRight : DeviceOrientation::portrait;
}

bool openDisplay() { return gtk_init_check(); }

DesktopWindow::DesktopWindow(Environment& env, std::shared_ptr<Window> window, std::function<void()> onClose)
    : env_(env), tree_(std::move(window)), onClose_(std::move(onClose)) {
    installStyle();
    images_ = std::make_unique<Images>(env_.bundle());
    mirror_ = Mirror::attach(tree_, *images_);

    window_ = gtk_window_new();
    gtk_window_set_title(GTK_WINDOW(window_), "TrelvoQuest");
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    GtkWidget* header = gtk_header_bar_new();
    GtkWidget* rotate = gtk_button_new_from_icon_name("object-rotate-right-symbolic");
    gtk_widget_set_tooltip_text(rotate, "Rotate (Ctrl+R)");
    g_signal_connect_swapped(rotate, "clicked", G_CALLBACK(+[](DesktopWindow* w) { w->rotate(); }), this);
    gtk_header_bar_pack_start(GTK_HEADER_BAR(header), rotate);
    gtk_window_set_titlebar(GTK_WINDOW(window_), header);

    stage_ = gtk_overlay_new();
    gtk_overlay_set_child(GTK_OVERLAY(stage_), mirror_->rootWidget());
    gtk_window_set_child(GTK_WINDOW(window_), stage_);
    presenters_ = std::make_unique<Presenters>(stage_, tree_, *mirror_);
    accessory_ = std::make_unique<KeyboardAccessory>(stage_, *mirror_);
    focus_ = std::make_unique<KeyboardFocus>(GTK_WINDOW(window_), *mirror_, *presenters_, *accessory_);

    GtkEventController* keys = gtk_event_controller_key_new();
    gtk_event_controller_set_name(keys, "tq-keys");
    g_signal_connect(keys, "key-pressed", G_CALLBACK(onKey), this);
    gtk_widget_add_controller(window_, keys);
    g_signal_connect(window_, "close-request", G_CALLBACK(onCloseRequest), &onClose_);

    flush();
    gtk_window_present(GTK_WINDOW(window_));
}

DesktopWindow::~DesktopWindow() {
    focus_.reset();
    accessory_.reset();
    presenters_.reset();
    gtk_window_destroy(GTK_WINDOW(window_));
    mirror_.reset();
    // Let GTK finish with the widgets it was told to drop.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

GtkWidget* DesktopWindow::screen() const { return mirror_->rootWidget(); }

bool DesktopWindow::hasPendingChanges() const { return mirror_->hasPendingChanges(); }

void DesktopWindow::flush() {
    mirror_->flush();
    const Size size = tree_->frame().size;
    auto& state = viewWidgetState(mirror_->rootWidget());
    if (state.exactSize != size) {
        state.exactSize = size;
        gtk_widget_queue_resize(mirror_->rootWidget());
    }
    presenters_->sync();
    accessory_->sync(focus_->topScreen());
    focus_->sync();
}

void DesktopWindow::rotate() {
    auto& device = env_.device();
    UiApplication::shared().rotate(device.isLandscape() ? DeviceOrientation::portrait : DeviceOrientation::landscapeRight);
    flush();
}

void DesktopWindow::close() {
    if (onClose_) onClose_();
}

bool DesktopWindow::goBack() {
    if (presenters_->cancel()) return true;
    if (auto* nav = visibleNavigation(*tree_)) return nav->tapBackButton();
    return false;
}

}  // namespace tq::desktop
