#include "screens/tour/ContentController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/services/FileURL.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/ContentSelectController.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/PanoramaViewController.h"
#include "screens/tour/ZoomImageController.h"
#include "service/Network.h"
#include "storage/PathComponents.h"
#include "storage/TourFiles.h"
#include "ui/common/HomeButton.h"

namespace tq {
namespace {

constexpr double kImageFade = 0.3;
constexpr double kPrevDimmedAtFirst = 0.8;

std::optional<ContentType> kindOf(const PoiContentRef& content) {
    return content ? content->content_type : std::nullopt;
}

}  // namespace

ContentController::ContentController() : app(AppDelegate::shared()) {}

ContentController::~ContentController() {
    if (timerAudio) timerAudio->invalidate();
}

std::weak_ptr<ContentController> ContentController::weakSelf() {
    return std::static_pointer_cast<ContentController>(shared_from_this());
}

// ---- Life cycle

void ContentController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (!tour) tour = Network::shared().currentTour;
    ProgressOverlay::shared().setOffset({0, 0});
    for (const auto& web : {webView360, webViewText, webViewImage, webView360Land, webViewImageLand}) {
        web->setUIDelegate(this);
        web->setNavigationDelegate(this);
    }
    localizeLabels();
    btnPrev->setEnabled(false);
    lblPrev->setAlpha(0.5);
    viewAudioPlayer->setCornerRadius(10);
    viewAudioPlayerLand->setCornerRadius(10);

    installHomeButton(*this, &ContentController::toHome);

    auto bounds = Environment::current().device().screenBounds;
    // The one size rule in code: the smaller phones get a higher bottom bar.
    if (bounds.width == 667 || bounds.height == 667) constBottomViewHeight->setConstant(70);
    showOrientation(bounds.width > bounds.height);
}

void ContentController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // The content is shown a moment after each appearance, also on the way back from a viewer.
    auto weak = weakSelf();
    Environment::current().loop().postAfter(0.2, [weak] {
        if (auto self = weak.lock()) self->showContentAtIndex(self->currentIndex);
    });
}

void ContentController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    // The audio may play on over the map, but this screen's clock stops with it.
    endAudioTimer();
}

void ContentController::showOrientation(bool landscape) {
    viewLandscape->setHidden(!landscape);
    viewPortrait->setHidden(landscape);
}

void ContentController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    // The landscape layout is for a screen wider than high, whatever the size was before.
    showOrientation(size.width > size.height);
    auto kind = kindOf(currentContent);
    if (kind == ContentType::panorama || kind == ContentType::img) loadImageDescription();
}

void ContentController::localizeLabels() {
    lblNext->setText(app.text("Next"));
    lblPrev->setText(app.text("Prev"));
    lblShow->setText(app.text("Show"));
    rightBarButton->setTitle(app.text("List"));
}

// ---- Showing a content

void ContentController::showContentAtIndex(std::int64_t index) {
    loadViewIfNeeded();
    const auto count = static_cast<std::int64_t>(contents.size());
    if (count == 0) {
        showNoContent();
        return;
    }
    if (index < 1 || index > count) return;
    shownIndexes.push_back(index);
    currentIndex = index;
    // A start asked for belongs to the content it was asked on.
    const auto& content = contents[static_cast<std::size_t>(index - 1)];
    if (content != currentContent) audioShouldStart = false;

    stopAudioTimer();
    setTitle(std::to_string(currentIndex) + "/" + std::to_string(count));
    viewPortrait->setContentOffset({0, viewPortrait->contentInset().top}, true);
    viewPortrait->setScrollEnabled(false);
    lblNext->setText(app.text(currentIndex == count ? "ReturnMap" : "Next"));
    currentContent = content;
    configureCurrentContent();
}

// A point without contents: nothing to show and nowhere to step; the back button still leads out.
void ContentController::showNoContent() {
    stopAudioTimer();
    currentContent = nullptr;
    setTitle("");
    lblTitle->setText("");
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
             view360, viewImage, viewVideo, viewAudio, webViewText, view360Land, viewImageLand, viewVideoLand,
             viewAudioLand, lblShow}) {
        view->setHidden(true);
    }
    for (const auto& button : {btnPrev, btnNext, btnShow}) button->setEnabled(false);
    rightBarButton->setEnabled(false);
}

ContentMedia ContentController::mediaOf(const PoiContent& content) const {
    ContentMedia media;
    const bool text = content.type == "txt";
    const auto id = content.content_id.value_or("");
    const auto type = content.type.value_or("");
    const auto filepath = content.content_filepath.value_or("");
    const auto thumbnail = content.content_thumbnailUrl.value_or("");

    if (app.isMyTour) {
        // The files of a downloaded tour, under the names the download gave them.
        TourFiles files(Environment::current().cacheDir());
        auto circuit = tour ? tour->circuit_id.value_or("") : std::string();
        if (!text && !filepath.empty()) media.file = files.mediaFile(circuit, id, type, filepath);
        if (media.file) media.address = fileURL(*media.file);
        if (content.content_type == ContentType::panorama) media.panorama = media.address;
        if (!thumbnail.empty()) media.pictureFile = files.contentImage(circuit, id, thumbnail);
        if (media.pictureFile) media.picture = fileURL(*media.pictureFile);
        return media;
    }
    if (!text) media.address = secureAddress(filepath);
    media.picture = secureAddress(thumbnail);
    if (content.content_type == ContentType::panorama) {
        media.panorama = TourFiles::mediaFileAddress(id, "panorama", filepath);
    }
    return media;
}

void ContentController::showPicture(const ContentMedia& media, const std::shared_ptr<ImageView>& portrait,
                                    const std::shared_ptr<ImageView>& landscape, bool fullImage) {
    auto& loader = Environment::current().shared<ImageLoader>();
    ImageLoadOptions options;
    options.fadeDuration = kImageFade;
    for (const auto& view : {portrait, landscape}) {
        // A picture that cannot be loaded leaves the view empty, not showing the last content's.
        view->setImage(std::nullopt);
        if (app.isMyTour) {
            if (media.pictureFile) loader.setLocalImage(view, *media.pictureFile, options);
            continue;
        }
        const auto& address = fullImage ? media.address : media.picture;
        if (!address.empty()) loader.setImage(view, address, options);
    }
}

void ContentController::configureCurrentContent() {
    if (!currentContent) return;
    const auto& content = *currentContent;
    lblTitle->setText(content.title.value_or(""));
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{
             view360, viewImage, viewVideo, viewAudio, webViewText, view360Land, viewImageLand, viewVideoLand,
             viewAudioLand}) {
        view->setHidden(true);
    }
    // A player belongs to the content it was made for.
    shownPlayer_.reset();
    ++audioRequest_;
    releaseVideo();

    const auto media = mediaOf(content);
    configureShowButton();
    const auto kind = content.content_type.value_or(ContentType::none);
    switch (kind) {
    case ContentType::panorama:
        showPicture(media, img360, img360Land, false);
        loadPanoramaDescription(media.panorama);
        break;
    case ContentType::txt:
        webViewText->setHidden(false);
        loadTextDescription();
        break;
    case ContentType::img:
        showPicture(media, imgImage, imgImageLand, true);
        revealImageContent();
        break;
    case ContentType::video:
        showPicture(media, imgVideo, imgVideoLand, false);
        setupVideoContent(media);
        break;
    case ContentType::audio:
        showPicture(media, imgAudio, imgAudioLand, false);
        setupAudioContent(media);
        break;
    case ContentType::none:
        Environment::current().console().log("No content type");
        webViewText->setHidden(false);
        loadTextDescription();
        break;
    }
    if (!app.isMyTour && (kind == ContentType::panorama || kind == ContentType::img || kind == ContentType::video)) {
        btnShow->setEnabled(true);
    }
}

void ContentController::configureShowButton() {
    if (MediaPlayers::shared().audioStillRunning) {
        setPauseLook();
        return;
    }
    auto kind = kindOf(currentContent);
    if (!kind || *kind == ContentType::none) {
        Environment::current().console().log("No button show");
        return;
    }
    switch (*kind) {
    case ContentType::panorama:
        lblShow->setText("");
        btnShow->setImage(Image::named("360White"));
        break;
    case ContentType::txt:
        lblShow->setText("");
        btnShow->setImage(Image::named(""));
        break;
    case ContentType::img:
        lblShow->setText(app.text("Agrandir"));
        btnShow->setImage(Image::named("zoomNoHandle"));
        break;
    case ContentType::video:
    case ContentType::audio:
        lblShow->setText(app.text("Play"));
        btnShow->setImage(Image::named("playContent"));
        break;
    case ContentType::none:
        break;
    }
}

// ---- Actions

void ContentController::showStart() {
    auto& players = MediaPlayers::shared();
    if (players.audioStillRunning) {
        // While audio plays the button is its pause.
        if (players.player) players.player->setVolume(0.0, 0.5);
        auto weak = weakSelf();
        Environment::current().loop().post([weak] {
            if (auto self = weak.lock()) self->stopRunningAudio();
        });
        return;
    }
    auto kind = kindOf(currentContent);
    switch (kind.value_or(ContentType::none)) {
    case ContentType::panorama: start360(); return;
    case ContentType::img: zoomImage(); return;
    case ContentType::video: playVideo(); return;
    case ContentType::audio: playAudio(); return;
    case ContentType::txt: break;
    case ContentType::none: Environment::current().console().log("No button show"); break;
    }
    btnShow->setHidden(true);
    lblShow->setHidden(true);
}

void ContentController::previous() {
    // The first content has nothing before it.
    if (currentIndex <= 1 || contents.empty()) return;
    --currentIndex;
    if (currentIndex == 1) {
        btnPrev->setEnabled(false);
        lblPrev->setAlpha(kPrevDimmedAtFirst);
        btnPrev->setAlpha(kPrevDimmedAtFirst);
    }
    showContentAtIndex(currentIndex);
}

void ContentController::next() {
    if (contents.empty()) return;
    btnPrev->setEnabled(true);
    lblPrev->setAlpha(1.0);
    btnPrev->setAlpha(1.0);
    ++currentIndex;
    if (currentIndex <= static_cast<std::int64_t>(contents.size())) {
        showContentAtIndex(currentIndex);
        return;
    }
    // Past the last content: back to the map, with any audio playing on.
    if (auto nav = navigationController()) nav->popViewController(true);
}

void ContentController::toHome() {
    auto& players = MediaPlayers::shared();
    if (players.audioStillRunning) {
        players.audioStillRunning = false;
        players.fadeOutAndStop(1.0, 1.0);
    }
    app.tempLang = app.lang;
    app.loadLanguageDictionary();
    if (auto nav = navigationController()) nav->popToRootViewController(true);
}

void ContentController::showContentList() { performSegue("showContentList", rightBarButton); }

void ContentController::prepareForSegue(StoryboardSegue& segue, const std::any&) {
    if (segue.identifier() != "showContentList") return;
    if (auto list = segue.destinationAs<ContentSelectController>()) {
        list->contentList = contents;
        list->contentController = weakSelf();
    }
}

// ---- Viewers

void ContentController::start360() {
    if (!image360) return;
    auto board = storyboard();
    auto panorama = board ? board->instantiate<PanoramaViewController>("PanoramaViewController") : nullptr;
    if (!panorama) return;
    panorama->imagePath = image360;
    if (auto nav = navigationController()) nav->pushViewController(panorama, true);
}

void ContentController::zoomImage() {
    const auto& picture = imgImage->image();
    if (!picture) return;
    auto board = storyboard();
    auto zoom = board ? board->instantiate<ZoomImageController>("ZoomImageController") : nullptr;
    if (!zoom) return;
    zoom->imageToZoom = *picture;
    zoom->setModalPresentationStyle(ModalPresentationStyle::fullScreen);
    present(zoom, true);
}

}  // namespace tq
