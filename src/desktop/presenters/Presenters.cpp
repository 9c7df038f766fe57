#include "desktop/presenters/Presenters.h"

#include <string>

#include "desktop/Signals.h"
#include "desktop/presenters/PlayerControls.h"
#include "desktop/presenters/Popovers.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/ActivityViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Window.h"

namespace tq::desktop {

namespace {

std::shared_ptr<ViewController> topPresentedByKind(const Window& window) {
    for (auto screen = window.topPresentedViewController(); screen; screen = screen->presentingViewController()) {
        if (std::dynamic_pointer_cast<AlertController>(screen) || std::dynamic_pointer_cast<ActivityViewController>(screen)) {
            return screen;
        }
    }
    return nullptr;
}

GtkWidget* dialogCard(const std::string& title, const std::string& message) {
    GtkWidget* card = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_widget_add_css_class(card, "tq-dialog");
    gtk_widget_set_halign(card, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(card, GTK_ALIGN_CENTER);
    gtk_widget_set_size_request(card, 280, -1);
    if (!title.empty()) {
        GtkWidget* label = gtk_label_new(title.c_str());
        gtk_widget_add_css_class(label, "tq-dialog-title");
        gtk_label_set_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(label), 40);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_box_append(GTK_BOX(card), label);
    }
    if (!message.empty()) {
        GtkWidget* label = gtk_label_new(message.c_str());
        gtk_label_set_wrap(GTK_LABEL(label), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(label), 40);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_box_append(GTK_BOX(card), label);
    }
    return card;
}

GtkWidget* actionButton(GtkWidget* card, const std::string& title, const char* style) {
    GtkWidget* button = gtk_button_new_with_label(title.c_str());
    if (style) gtk_widget_add_css_class(button, style);
    gtk_box_append(GTK_BOX(card), button);
    return button;
}

}  // namespace

Presenters::Presenters(GtkWidget* layer, std::shared_ptr<Window> window, Mirror& mirror)
    : layer_(layer),
      window_(window),
      popovers_(std::make_unique<Popovers>(layer, mirror)),
      playerControls_(std::make_unique<PlayerControls>(layer, std::move(window))) {}

Presenters::~Presenters() {
    popovers_.reset();
    playerControls_.reset();
    clear();
}

void Presenters::clear() {
    if (dialog_) gtk_overlay_remove_overlay(GTK_OVERLAY(layer_), dialog_);
    dialog_ = nullptr;
    shown_.reset();
}

void Presenters::sync() {
    auto screen = topPresentedByKind(*window_);
    if (screen != shown_.lock() || (!screen && dialog_)) {
        clear();
        if (screen) show(screen);
    }
    popovers_->sync();
    playerControls_->sync();
    const bool waiting = Environment::hasCurrent() && ProgressOverlay::shared().isVisible();
    if (waiting && !progress_) {
        progress_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
        gtk_widget_add_css_class(progress_, "tq-progress");
        gtk_widget_set_halign(progress_, GTK_ALIGN_CENTER);
        gtk_widget_set_valign(progress_, GTK_ALIGN_CENTER);
        GtkWidget* spinner = gtk_spinner_new();
        gtk_widget_set_size_request(spinner, 32, 32);
        gtk_spinner_start(GTK_SPINNER(spinner));
        gtk_box_append(GTK_BOX(progress_), spinner);
        progressLabel_ = gtk_label_new("");
        gtk_box_append(GTK_BOX(progress_), progressLabel_);
        gtk_overlay_add_overlay(GTK_OVERLAY(layer_), progress_);
    } else if (!waiting && progress_) {
        gtk_overlay_remove_overlay(GTK_OVERLAY(layer_), progress_);
        progress_ = progressLabel_ = nullptr;
    }
    if (progress_) {
        const auto& text = ProgressOverlay::shared().text();
        gtk_label_set_text(GTK_LABEL(progressLabel_), text ? text->c_str() : "");
        gtk_widget_set_visible(progressLabel_, text && !text->empty());
    }
}

void Presenters::show(const std::shared_ptr<ViewController>& screen) {
    shown_ = screen;
    GtkWidget* card = nullptr;
    GtkWidget* safe = nullptr;  // the action Return takes first: cancel, never a destructive one
    if (auto alert = std::dynamic_pointer_cast<AlertController>(screen)) {
        card = dialogCard(alert->shownTitle(), alert->shownMessage());
        std::weak_ptr<AlertController> weak = alert;
        for (const auto& field : alert->textFields()) {
            GtkWidget* entry = gtk_entry_new();
            gtk_editable_set_text(GTK_EDITABLE(entry), field->text().c_str());
            gtk_entry_set_placeholder_text(GTK_ENTRY(entry), field->placeholder().c_str());
            std::weak_ptr<TextField> weakField = field;
            onSignal(entry, "changed", [weakField, entry] {
                if (auto f = weakField.lock()) f->typeText(gtk_editable_get_text(GTK_EDITABLE(entry)));
            });
            gtk_box_append(GTK_BOX(card), entry);
        }
        for (const auto& action : alert->actions()) {
            const char* style = action.style == AlertActionStyle::destructive ? "destructive-action"
                                : action.style == AlertActionStyle::cancel    ? nullptr
                                                                              : "suggested-action";
            GtkWidget* button = actionButton(card, action.title, style);
            gtk_widget_set_sensitive(button, action.enabled);
            if (action.style == AlertActionStyle::cancel) safe = button;
            std::string title = action.title;
            onSignal(button, "clicked", [weak, title] {
                if (auto a = weak.lock()) a->tap(title);
            });
        }
    } else if (auto sheet = std::dynamic_pointer_cast<ActivityViewController>(screen)) {
        std::string items;
        for (const auto& item : sheet->placeholderItems()) items += (items.empty() ? "" : "\n") + item;
        card = dialogCard("Share", items);
        std::weak_ptr<ActivityViewController> weak = sheet;
        if (!sheet->isExcluded(activity_type::copyToPasteboard)) {
            GtkWidget* copy = actionButton(card, "Copy link", "suggested-action");
            onSignal(copy, "clicked", [weak, copy] {
                auto s = weak.lock();
                if (!s) return;
                std::string text;
                for (const auto& item : s->placeholderItems()) text += (text.empty() ? "" : "\n") + item;
                if (s->choose(activity_type::copyToPasteboard) && !s->sharedItems().empty()) {
                    text.clear();
                    for (const auto& item : s->sharedItems()) text += (text.empty() ? "" : "\n") + item;
                }
                gdk_clipboard_set_text(gtk_widget_get_clipboard(copy), text.c_str());
            });
        }
        GtkWidget* cancel = actionButton(card, "Cancel", nullptr);
        onSignal(cancel, "clicked", [weak] {
            if (auto s = weak.lock()) s->cancel();
        });
    }
    if (!card) return;
    // The dim backdrop takes every click meant for the views below: the dialog is modal.
    dialog_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_add_css_class(dialog_, "tq-backdrop");
    gtk_widget_set_hexpand(dialog_, TRUE);
    gtk_widget_set_vexpand(dialog_, TRUE);
    gtk_widget_set_vexpand(card, TRUE);
    gtk_box_append(GTK_BOX(dialog_), card);
    gtk_overlay_add_overlay(GTK_OVERLAY(layer_), dialog_);
    if (GtkWidget* first = safe ? safe : gtk_widget_get_last_child(card)) gtk_widget_grab_focus(first);
}

bool Presenters::cancel() {
    auto screen = shown_.lock();
    if (!screen) return playerControls_->cancel() || popovers_->cancel();
    if (auto alert = std::dynamic_pointer_cast<AlertController>(screen)) {
        for (const auto& action : alert->actions()) {
            if (action.style == AlertActionStyle::cancel) return alert->tap(action.title);
        }
        if (alert->actions().size() == 1) return alert->tap(alert->actions().front().title);
        return false;
    }
    if (auto sheet = std::dynamic_pointer_cast<ActivityViewController>(screen)) {
        sheet->cancel();
        return true;
    }
    return false;
}

}  // namespace tq::desktop
