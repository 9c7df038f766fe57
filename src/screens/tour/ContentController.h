#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/PoiContent.h"
#include "model/Tour.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/VideoPlayerViewController.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Slider.h"
#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class AppDelegate;
class AudioPlayer;
class StoryboardRegistry;
class Timer;

// Where the shown content's media and picture are: a local file of the tour folder for a
// downloaded tour, a web address otherwise. Empty texts mean "none".
struct ContentMedia {
    std::string address;                        // video, audio or full image; empty for a text
    std::optional<std::filesystem::path> file;  // the same media as a local file (downloaded tour)
    std::string panorama;                       // the 360° picture of a panorama content
    std::string picture;                        // address of the picture shown beside the content
    std::optional<std::filesystem::path> pictureFile;
};

// The player of a point's contents, one at a time: a text, an image, a 360° panorama, a video or
// an audio track, each with its title and description page. The visitor steps forward and back
// with buttons or swipes, picks a content from the list, acts on it with the Show button (zoom,
// panorama, play, pause), or goes home. Stepping past the last content returns to the map.
//
// Two layouts are held at once, portrait and landscape, one hidden at a time; most elements have a
// landscape twin whose name ends in "Land". Every view carries its outlet's name as identifier.
// Audio plays through the one shared player (MediaPlayers) and may outlive the screen.
class ContentController : public ViewController,
                          public WebNavigationDelegate,
                          public WebUIDelegate,
                          public VideoPlayerViewControllerDelegate {
public:
    ContentController();
    ~ContentController() override;

    PoiContentRef currentContent;
    // 1-based position of the shown content in `contents`.
    std::int64_t currentIndex = 1;
    std::shared_ptr<VideoPlayerViewController> movieController;
    // The point's contents, set by whoever opens the screen.
    std::vector<PoiContentRef> contents;
    // The tour whose files a downloaded tour's contents come from: the client's current tour when
    // the screen loads.
    TourRef tour;
    AppDelegate& app;
    std::shared_ptr<BarButtonItem> rightBarButton;
    std::shared_ptr<LayoutConstraint> constBottomViewHeight;
    std::shared_ptr<VideoPlayer> videoPlayer;
    // The positions shown, in order (read by the screens' tests).
    std::vector<std::int64_t> shownIndexes;

    // Outlets, filled by the storyboard.
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<WebView> webViewText;
    std::shared_ptr<ScrollView> viewPortrait;
    std::shared_ptr<View> view360;
    std::shared_ptr<WebView> webView360;
    std::shared_ptr<Button> btnShow360;
    std::shared_ptr<ImageView> img360;
    std::shared_ptr<LayoutConstraint> const360Desc;
    std::shared_ptr<View> viewImage;
    std::shared_ptr<ImageView> imgImage;
    std::shared_ptr<Button> btnImageZoom;
    std::shared_ptr<WebView> webViewImage;
    std::shared_ptr<LayoutConstraint> constImageDesc;
    std::shared_ptr<View> viewVideo;
    std::shared_ptr<ImageView> imgVideo;
    std::shared_ptr<Button> btnVideoPlay;
    std::shared_ptr<Label> lblVideoSource, lblVideoDuration;
    std::shared_ptr<View> viewAudio;
    std::shared_ptr<ImageView> imgAudio;
    std::shared_ptr<Button> btnAudioZoom;
    std::shared_ptr<Label> lblAudioSource;
    std::shared_ptr<View> viewAudioPlayer;
    std::shared_ptr<Button> btnPlayAudio;
    std::shared_ptr<Slider> sliderAudio;
    std::shared_ptr<Label> lblTimeRemaining, lblTimePlayed;
    // Start playback as soon as the audio player is ready.
    bool audioShouldStart = false;
    std::shared_ptr<View> viewLandscape;
    std::shared_ptr<View> viewImageLand;
    std::shared_ptr<ImageView> imgImageLand;
    std::shared_ptr<Button> btnImageZoomLand;
    std::shared_ptr<ActivityIndicatorView> activityIndImageLand;
    std::shared_ptr<WebView> webViewImageLand;
    std::shared_ptr<LayoutConstraint> constImageDescLand;
    std::shared_ptr<View> view360Land;
    std::shared_ptr<ImageView> img360Land;
    std::shared_ptr<Button> btnShow360Land;
    std::shared_ptr<WebView> webView360Land;
    std::shared_ptr<ActivityIndicatorView> activityInd360Land;
    std::shared_ptr<LayoutConstraint> constImage360Land;
    // Address of the 360° picture of the shown panorama content.
    std::optional<std::string> image360;
    std::shared_ptr<View> viewAudioLand;
    std::shared_ptr<ImageView> imgAudioLand;
    std::shared_ptr<Button> btnAudioLand;
    std::shared_ptr<ActivityIndicatorView> activityIndAudioLand;
    std::shared_ptr<Label> lblAudioSourceLand;
    std::shared_ptr<View> viewAudioPlayerLand;
    std::shared_ptr<Button> btnPlayAudioLand;
    std::shared_ptr<Label> lblAudioTimePlayedLand, lblAudioTimeRemainingLand;
    std::shared_ptr<Slider> sliderAudioLand;
    // The audio progress timer started last.
    std::shared_ptr<Timer> timerAudio;
    std::shared_ptr<View> viewVideoLand;
    std::shared_ptr<ImageView> imgVideoLand;
    std::shared_ptr<ActivityIndicatorView> activityIndVideoLand;
    std::shared_ptr<Button> btnVideoPlayLand;
    std::shared_ptr<Label> lblVideoSourceLand, lblVideoDurationLand;
    std::shared_ptr<View> viewBottom;
    std::shared_ptr<Label> lblBGBottom;
    std::shared_ptr<Label> lblShow, lblPrev, lblNext;
    std::shared_ptr<Button> btnPrev, btnNext, btnShow;

    // Registers the screen, its phone and tablet layouts and its segue in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    // ---- Showing a content
    // Shows the content at 1-based `index`; an index outside 1 … number of contents is ignored.
    void showContentAtIndex(std::int64_t index);
    void configureCurrentContent();
    void configureShowButton();
    void localizeLabels();

    // ---- Actions
    void previous();
    void next();
    void changeContentLeft() { previous(); }
    void changeContentRight() { next(); }
    void showStart();
    void toHome();
    void showContentList();

    // ---- Description pages
    void loadTextDescription();
    void loadImageDescription();
    void loadPanoramaDescription(const std::string& panoramaAddress);
    void revealImageContent();
    void fitImageDescription(double height);
    void fitImageDescriptionLand(double height);
    void fitPanoramaDescriptionLand(double height);

    // ---- Image and panorama viewers
    void start360();
    void zoomImage();

    // ---- Video
    void setupVideoContent(const ContentMedia& media);
    void playVideo();
    void videoEnd();
    void playerDidFinishPlaying();

    // ---- Audio
    void setupAudioContent(const ContentMedia& media);
    void loadAudioPlayer(const std::string& bytes);
    void playAudio();
    void startAudio();
    void pauseAudio();
    void stopRunningAudio();
    void sliderAudioChanged(const Slider& slider);
    void updateTime();
    void stopAudioTimer();

    // Web views.
    void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                         DecisionHandler decisionHandler) override;
    std::shared_ptr<WebView> createWebViewWithConfiguration(WebView& webView, const WebViewConfiguration& configuration,
                                                            const NavigationAction& action) override;
    void didFinishNavigation(WebView& webView, const WebNavigation& navigation) override;

    // The system player.
    void playerViewControllerWillEndFullScreenPresentation(VideoPlayerViewController& controller) override;

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;
    void prepareForSegue(StoryboardSegue& segue, const std::any& sender) override;

protected:
    // Builds the layout of the storyboard the screen came from.
    void loadView() override;
    void viewDidLoad() override;

private:
    friend struct ContentLayout;

    std::weak_ptr<ContentController> weakSelf();
    void wireActions();
    void showOrientation(bool landscape);
    void showNoContent();
    ContentMedia mediaOf(const PoiContent& content) const;
    void showPicture(const ContentMedia& media, const std::shared_ptr<ImageView>& portrait,
                     const std::shared_ptr<ImageView>& landscape, bool fullImage);
    void releaseVideo();
    void measureLandscapePage(WebView& webView, LayoutConstraint& constraint, void (ContentController::*fit)(double));
    void fitLandscapeDescription(WebView& webView, const std::shared_ptr<LayoutConstraint>& constraint,
                                 const ImageView& picture, double height);
    // Audio.
    std::shared_ptr<AudioPlayer> shownPlayer() const;
    void fetchAudio(const ContentMedia& media);
    void startAudioTimer();
    void endAudioTimer();
    void setPauseLook();
    void setPlayLook();
    void stopSharedPlayer();
    std::string currentContentId() const;

    DeviceIdiom layoutIdiom_ = DeviceIdiom::phone;
    // The shared player made for (or reattached to) the shown content; another content's player
    // is never played, seeked or shown from this screen.
    std::weak_ptr<AudioPlayer> shownPlayer_;
    // Bumped at each content shown, so that audio bytes that arrive late are dropped.
    std::uint64_t audioRequest_ = 0;
    std::vector<ObserverToken> videoEndObservers_;
};

// The video duration text in the interface language `lang`: "2:05 minutes", "2 min 05 s",
// "2 y 05 minutos".
std::string videoDurationText(std::int64_t lang, std::int64_t seconds);
// The audio times: "1:01" played, "-2:04" remaining.
std::string playedTimeText(std::int64_t seconds);
std::string remainingTimeText(std::int64_t seconds);
// The source line of a video or audio content: the lead-in and the description; empty without one.
std::string contentSourceLine(const std::string& leadIn, const PoiContent& content);

}  // namespace tq
