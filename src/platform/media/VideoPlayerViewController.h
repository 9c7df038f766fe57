#pragma once

#include <functional>
#include <memory>

#include "platform/media/VideoPlayer.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WeakDelegate.h"

namespace tq {

class VideoPlayerViewController;

class VideoPlayerViewControllerDelegate : public WeaklyReferenced {
public:
    // The visitor is leaving the full-screen player (its close button, or a swipe down).
    virtual void playerViewControllerWillEndFullScreenPresentation(VideoPlayerViewController& controller) {
        (void)controller;
    }
    virtual void playerViewControllerDidEndFullScreenPresentation(VideoPlayerViewController& controller) {
        (void)controller;
    }
};

// The system's player screen: shows a player's picture with playback controls, full screen while
// it is presented. Being presented enters full screen and being dismissed leaves it; the visitor's
// own way out is userEndsFullScreen(), which dismisses the screen from its presenter.
class VideoPlayerViewController : public ViewController {
public:
    VideoPlayerViewController();

    const std::shared_ptr<VideoPlayer>& player() const { return player_; }
    void setPlayer(std::shared_ptr<VideoPlayer> player);

    void setDelegate(VideoPlayerViewControllerDelegate* delegate) { delegate_ = delegate; }
    VideoPlayerViewControllerDelegate* delegate() const { return delegate_.get(); }

    bool showsPlaybackControls() const { return showsControls_; }
    void setShowsPlaybackControls(bool shows) { showsControls_ = shows; }

    bool isFullScreen() const { return fullScreen_; }
    int fullScreenPresentations() const { return presentations_; }
    // Called by the appearance calls when the screen is presented and when it is dismissed.
    void enterFullScreen();
    void exitFullScreen();

    // Tests: the visitor closes the player. The delegate hears of it first, playback pauses, the
    // full screen ends and the screen is dismissed when it was presented; the delegate's "did end"
    // and `dismissed` follow on the next turn of the main loop, once the dismissal is done.
    void userEndsFullScreen(std::function<void()> dismissed = {});

    // The layer that shows the player inside this screen's view.
    VideoPlayerLayer& playerLayer();

    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    void loadView() override;

private:
    std::shared_ptr<VideoPlayer> player_;
    std::shared_ptr<VideoPlayerLayer> layer_;
    WeakDelegate<VideoPlayerViewControllerDelegate> delegate_;
    bool showsControls_ = true;
    bool fullScreen_ = false;
    int presentations_ = 0;
};

}  // namespace tq
