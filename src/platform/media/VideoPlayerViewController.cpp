#include "platform/media/VideoPlayerViewController.h"

#include "platform/foundation/Environment.h"

namespace tq {

// The system's player screen always takes the whole screen: its presenter disappears under it and
// appears again when it closes.
VideoPlayerViewController::VideoPlayerViewController() : layer_(std::make_shared<VideoPlayerLayer>()) {
    setModalPresentationStyle(ModalPresentationStyle::fullScreen);
}

void VideoPlayerViewController::setPlayer(std::shared_ptr<VideoPlayer> player) {
    player_ = std::move(player);
    layer_->setPlayer(player_);
}

void VideoPlayerViewController::loadView() {
    auto root = std::make_shared<View>();
    root->setBackgroundColor(Color::black());
    layer_->setVideoGravity(VideoGravity::resizeAspect);
    root->setArrangement(Arrangement::overlay());
    root->addSubview(layer_);
    setView(root);
}

VideoPlayerLayer& VideoPlayerViewController::playerLayer() {
    loadViewIfNeeded();
    return *layer_;
}

void VideoPlayerViewController::enterFullScreen() {
    loadViewIfNeeded();
    if (!fullScreen_) ++presentations_;
    fullScreen_ = true;
}

void VideoPlayerViewController::exitFullScreen() { fullScreen_ = false; }

void VideoPlayerViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (isBeingPresented()) enterFullScreen();
}

void VideoPlayerViewController::viewDidDisappear(bool animated) {
    ViewController::viewDidDisappear(animated);
    if (isBeingDismissed()) exitFullScreen();
}

void VideoPlayerViewController::userEndsFullScreen(std::function<void()> dismissed) {
    if (!fullScreen_) return;
    if (auto* d = delegate_.get()) d->playerViewControllerWillEndFullScreenPresentation(*this);
    if (player_) player_->pause();
    fullScreen_ = false;
    std::weak_ptr<ViewController> weak = weak_from_this();
    auto ended = [weak, dismissed = std::move(dismissed)] {
        auto self = weak.lock();
        if (!self) return;
        auto& controller = static_cast<VideoPlayerViewController&>(*self);
        if (auto* d = controller.delegate_.get()) d->playerViewControllerDidEndFullScreenPresentation(controller);
        if (dismissed) dismissed();
    };
    if (presentingViewController()) {
        dismiss(true, std::move(ended));
    } else {
        Environment::current().loop().post(std::move(ended));
    }
}

}  // namespace tq
