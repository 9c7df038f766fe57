#include "desktop/presenters/PlayerControls.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "desktop/Signals.h"
#include "platform/foundation/DispatchScope.h"
#include "platform/media/VideoPlayerViewController.h"
#include "platform/ui/Window.h"

namespace tq::desktop {

namespace {

constexpr guint kRefreshMilliseconds = 250;

std::shared_ptr<VideoPlayerViewController> shownPlayer(const Window& window) {
    for (auto screen = window.topPresentedViewController(); screen; screen = screen->presentingViewController()) {
        auto player = std::dynamic_pointer_cast<VideoPlayerViewController>(screen);
        if (player && player->isFullScreen() && player->showsPlaybackControls()) return player;
    }
    return nullptr;
}

GtkWidget* namedButton(const char* name, const char* icon, const char* tooltip) {
    GtkWidget* button = gtk_button_new_from_icon_name(icon);
    gtk_widget_set_name(button, name);
    gtk_widget_set_tooltip_text(button, tooltip);
    gtk_widget_add_css_class(button, "flat");
    return button;
}

GtkWidget* timeLabel(const char* name) {
    GtkWidget* label = gtk_label_new("0:00");
    gtk_widget_set_name(label, name);
    gtk_label_set_width_chars(GTK_LABEL(label), 5);
    gtk_widget_add_css_class(label, "numeric");
    return label;
}

}  // namespace

std::string playerTimeText(double seconds) {
    const long total = std::isfinite(seconds) ? std::max(0L, long(std::floor(seconds))) : 0;
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    }
    return text;
}

PlayerControls::PlayerControls(GtkWidget* stage, std::shared_ptr<Window> window)
    : stage_(stage), window_(std::move(window)) {}

PlayerControls::~PlayerControls() { clear(); }

void PlayerControls::sync() {
    auto screen = shownPlayer(*window_);
    if (screen != shown_.lock() || (!screen && bar_)) {
        clear();
        if (screen) show(screen);
    }
    if (bar_) refresh();
}

void PlayerControls::show(const std::shared_ptr<VideoPlayerViewController>& screen) {
    shown_ = screen;
    std::weak_ptr<VideoPlayerViewController> weak = screen;
    bar_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_widget_set_name(bar_, "tq-player-controls");
    gtk_widget_add_css_class(bar_, "tq-player-controls");
    gtk_widget_set_valign(bar_, GTK_ALIGN_END);
    gtk_widget_set_halign(bar_, GTK_ALIGN_FILL);

    playPause_ = namedButton("tq-player-play", "media-playback-start-symbolic", "Play");
    onSignal(playPause_, "clicked", [weak] {
        auto s = weak.lock();
        auto player = s ? s->player() : nullptr;
        if (!player) return;
        DispatchScope scope(s);
        if (player->isPlaying()) {
            player->pause();
        } else {
            player->play();
        }
    });
    elapsed_ = timeLabel("tq-player-elapsed");
    position_ = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, nullptr);
    gtk_widget_set_name(position_, "tq-player-position");
    gtk_scale_set_draw_value(GTK_SCALE(position_), FALSE);
    gtk_widget_set_hexpand(position_, TRUE);
    auto* holder = new std::weak_ptr<VideoPlayerViewController>(weak);
    g_signal_connect_data(
        position_, "change-value", G_CALLBACK(+[](GtkRange*, GtkScrollType, double value, gpointer data) -> gboolean {
            auto s = static_cast<std::weak_ptr<VideoPlayerViewController>*>(data)->lock();
            auto player = s ? s->player() : nullptr;
            if (!player) return TRUE;
            DispatchScope scope(s);
            player->seek(std::max(0.0, value));
            return FALSE;  // the slider takes the value too
        }),
        holder, +[](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<VideoPlayerViewController>*>(data); },
        GConnectFlags(0));
    length_ = timeLabel("tq-player-length");
    GtkWidget* done = gtk_button_new_with_label("Done");
    gtk_widget_set_name(done, "tq-player-done");
    onSignal(done, "clicked", [weak] {
        if (auto s = weak.lock()) {
            DispatchScope scope(s);
            s->userEndsFullScreen();
        }
    });
    for (GtkWidget* part : {done, playPause_, elapsed_, position_, length_}) gtk_box_append(GTK_BOX(bar_), part);
    gtk_overlay_add_overlay(GTK_OVERLAY(stage_), bar_);
    // Shown once the engine gives the video up: otherwise the person would face a black picture
    // at 0:00 with nothing to say why. Done stays below it.
    failure_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_widget_set_name(failure_, "tq-player-failure");
    gtk_widget_add_css_class(failure_, "tq-dialog");
    gtk_widget_set_halign(failure_, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(failure_, GTK_ALIGN_CENTER);
    gtk_widget_set_can_target(failure_, FALSE);
    GtkWidget* headline = gtk_label_new("This video cannot be played.");
    gtk_widget_add_css_class(headline, "tq-dialog-title");
    failureReason_ = gtk_label_new("");
    gtk_label_set_wrap(GTK_LABEL(failureReason_), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(failureReason_), 40);
    gtk_label_set_justify(GTK_LABEL(failureReason_), GTK_JUSTIFY_CENTER);
    gtk_box_append(GTK_BOX(failure_), headline);
    gtk_box_append(GTK_BOX(failure_), failureReason_);
    gtk_widget_set_visible(failure_, FALSE);
    gtk_overlay_add_overlay(GTK_OVERLAY(stage_), failure_);
    // The position moves on its own while the video plays.
    ticker_ = g_timeout_add(kRefreshMilliseconds, +[](gpointer data) -> gboolean {
        static_cast<PlayerControls*>(data)->refresh();
        return G_SOURCE_CONTINUE;
    }, this);
    refresh();
}

bool PlayerControls::cancel() {
    auto screen = shown_.lock();
    if (!screen || window_->topPresentedViewController() != screen) return false;
    DispatchScope scope(screen);
    screen->userEndsFullScreen();
    return true;
}

void PlayerControls::clear() {
    if (ticker_) g_source_remove(ticker_);
    ticker_ = 0;
    if (bar_) gtk_overlay_remove_overlay(GTK_OVERLAY(stage_), bar_);
    if (failure_) gtk_overlay_remove_overlay(GTK_OVERLAY(stage_), failure_);
    bar_ = playPause_ = position_ = elapsed_ = length_ = failure_ = failureReason_ = nullptr;
    shown_.reset();
}

void PlayerControls::refresh() {
    auto screen = shown_.lock();
    if (!bar_ || !screen) return;
    const auto& player = screen->player();
    const auto item = player ? player->currentItem() : nullptr;
    const bool failed = item && item->status() == VideoPlayerItemStatus::failed;
    const bool playing = player && player->isPlaying() && !failed;
    gtk_button_set_icon_name(GTK_BUTTON(playPause_), playing ? "media-playback-pause-symbolic" : "media-playback-start-symbolic");
    gtk_widget_set_tooltip_text(playPause_, playing ? "Pause" : "Play");
    gtk_widget_set_visible(failure_, failed);
    if (failed) {
        gtk_label_set_text(GTK_LABEL(failureReason_), item->error() ? item->error()->description.c_str() : "");
        gtk_widget_set_visible(failureReason_, item->error() && !item->error()->description.empty());
    }
    // A failed video has nothing to play or seek: only Done is left.
    gtk_widget_set_sensitive(playPause_, player != nullptr && !failed);
    const auto duration = item && !failed ? item->duration() : std::nullopt;
    const double at = player ? player->currentTime() : 0;
    gtk_label_set_text(GTK_LABEL(elapsed_), playerTimeText(at).c_str());
    gtk_label_set_text(GTK_LABEL(length_), duration ? playerTimeText(*duration).c_str() : "--:--");
    // Without a known length there is nowhere to seek to.
    gtk_widget_set_sensitive(position_, duration && *duration > 0);
    const double end = duration && *duration > 0 ? *duration : 1;
    GtkAdjustment* adjustment = gtk_range_get_adjustment(GTK_RANGE(position_));
    if (gtk_adjustment_get_upper(adjustment) != end) gtk_adjustment_configure(adjustment, 0, 0, end, 1, 10, 0);
    gtk_range_set_value(GTK_RANGE(position_), std::clamp(at, 0.0, end));
}

}  // namespace tq::desktop
