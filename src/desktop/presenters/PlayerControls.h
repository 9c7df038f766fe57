#pragma once

// The system player's own controls, drawn over its picture while it is shown full window: play
// and pause, the position (a slider that seeks), the time played and the length, and Done. Each
// goes through the player's or the player screen's own methods, so the screen that presented it
// hears of the end and of the close as it does in the tests.

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace tq {
class Window;
class VideoPlayerViewController;
}  // namespace tq

namespace tq::desktop {

// "m:ss" (or "h:mm:ss") for a position in seconds.
std::string playerTimeText(double seconds);

class PlayerControls {
public:
    // `stage`: an overlay widget over the mirror's root, owned by the caller.
    PlayerControls(GtkWidget* stage, std::shared_ptr<Window> window);
    ~PlayerControls();
    PlayerControls(const PlayerControls&) = delete;
    PlayerControls& operator=(const PlayerControls&) = delete;

    void sync();
    // Escape: leaves the player as Done does. Returns whether a player was shown.
    bool cancel();
    // The bar drawn now, if any (tests find its buttons by name: "tq-player-play", "tq-player-done",
    // "tq-player-position", "tq-player-elapsed").
    GtkWidget* bar() const { return bar_; }
    // The notice over the picture of a video that cannot be played, if one is drawn now.
    GtkWidget* failure() const { return failure_ && gtk_widget_get_visible(failure_) ? failure_ : nullptr; }

private:
    void show(const std::shared_ptr<VideoPlayerViewController>& screen);
    void clear();
    // Shows the player's present state: playing or not, where it is, how long the item lasts.
    void refresh();

    GtkWidget* stage_;
    std::shared_ptr<Window> window_;
    std::weak_ptr<VideoPlayerViewController> shown_;
    GtkWidget* bar_ = nullptr;
    GtkWidget* playPause_ = nullptr;
    GtkWidget* position_ = nullptr;
    GtkWidget* elapsed_ = nullptr;
    GtkWidget* length_ = nullptr;
    GtkWidget* failure_ = nullptr;
    GtkWidget* failureReason_ = nullptr;
    guint ticker_ = 0;
};

}  // namespace tq::desktop
