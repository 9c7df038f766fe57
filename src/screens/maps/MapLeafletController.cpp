// The web map's creation, set-up, page loading, preparation of the tour's points, phone layout and
// leaving.
#include "screens/maps/MapLeafletController.h"

#include <algorithm>

#include "app/AppDelegate.h"
#include "model/Json.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/services/FileURL.h"
#include "platform/ui/Animation.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "screens/maps/MapPageCalls.h"
#include "screens/tour/MediaPlayers.h"
#include "service/Network.h"
#include "ui/common/HomeButton.h"

namespace tq {
namespace {

constexpr double kFadeInDelay = 0.9;
constexpr double kFadeInDuration = 0.8;
constexpr double kAudioFade = 1.0;
constexpr double kStopAfterPop = 1.3;
constexpr double kStopAfterHome = 1.0;

// The console capture the page gets at each load: its console.log goes to the "logHandler" handler.
constexpr const char* consoleCaptureScript =
    "function captureLog(msg) { window.webkit.messageHandlers.logHandler.postMessage(msg); } "
    "window.console.log = captureLog;";

}  // namespace

MapLeafletController::MapLeafletController()
    : app(AppDelegate::shared()),
      locationManager(std::make_unique<LocationManager>()),
      audioPlayer(MediaPlayers::shared()) {}

MapLeafletController::~MapLeafletController() = default;

std::weak_ptr<MapLeafletController> MapLeafletController::weakSelf() {
    return std::static_pointer_cast<MapLeafletController>(shared_from_this());
}

bool MapLeafletController::isMyTour() {
    if (!isMyTour_) isMyTour_ = app.isMyTour;
    return *isMyTour_;
}

bool MapLeafletController::isCustomMap() const { return tour && tour->use_custom_map == "1"; }

bool MapLeafletController::isPad() const { return Environment::current().device().idiom == DeviceIdiom::pad; }

std::string MapLeafletController::pageLanguage() const { return mapPage::pageLanguage(app.tempLang); }

std::size_t MapLeafletController::pointCount() const { return tour && tour->poi ? tour->poi->size() : 0; }

std::optional<std::size_t> MapLeafletController::pointPosition(std::int64_t index) const {
    if (index < 0 || static_cast<std::uint64_t>(index) >= pointCount()) return std::nullopt;
    return static_cast<std::size_t>(index);
}

void MapLeafletController::evaluate(const std::string& text) {
    if (map) map->evaluateJavaScript(text);
}

void MapLeafletController::evaluate(const std::optional<std::string>& text) {
    if (text) evaluate(*text);
}

// ---- Life cycle

void MapLeafletController::viewDidLoad() {
    ViewController::viewDidLoad();
    const bool pad = isPad();
    bgNext->setCornerRadius(pad ? 45 : 35);
    bgPrev->setCornerRadius(pad ? 45 : 35);
    webViewHow->setCornerRadius(20);
    bgShare->setCornerRadius(5);
    btnDirections->setCornerRadius(4);

    tour = Network::shared().currentTour;

    for (const auto& webView : {map, webViewHow}) {
        webView->setNavigationDelegate(this);
        webView->setUIDelegate(this);
    }
    webViewHow->configuration().setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    webViewHow->scrollView().setShowsVerticalScrollIndicator(true);
    webViewHow->scrollView().setContentInset({50, 0, 0, 0});

    loadHowItWorks();
    setupMapWebView();
    if (isCustomMap()) decodeCustomMapMetadata();
    locationManager->setDelegate(this);
    locationManager->setDesiredAccuracy(LocationAccuracy::best);

    setTitle("");
    installHomeButton(*this, &MapLeafletController::toHome);

    if (!pad) applyPhoneLayoutOnLoad();
}

void MapLeafletController::setupMapWebView() {
    bgPrev->setAlpha(0.3);
    bgNext->setAlpha(0.3);
    btnNext->setAlpha(1.0);
    map->setNavigationDelegate(this);
    map->setUIDelegate(this);
    auto& configuration = map->configuration();
    configuration.setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    configuration.setValue("allowUniversalAccessFromFileURLs", "true");
    configuration.setValue("_allowUniversalAccessFromFileURLs", "true");
    map->setAlpha(0);
    auto& content = configuration.userContentController();
    content.addUserScript({consoleCaptureScript, UserScriptInjectionTime::atDocumentEnd, false});
    content.addScriptMessageHandler(this, "logHandler");
}

void MapLeafletController::decodeCustomMapMetadata() {
    if (tour) applyCustomMapStart(*tour, Environment::current().console());
}

void MapLeafletController::viewWillAppear(bool animated) {
    (void)animated;
    ProgressOverlay::shared().setOffset({0, 200});
    if (isMovingToParent() && !pageRequested_) {
        pageRequested_ = true;
        auto& env = Environment::current();
        std::optional<std::filesystem::path> page;
        if (isMyTour()) {
            page = env.cacheDir() / "offline.html";
        } else {
            page = env.bundle().pathForResource("main", "html");
        }
        if (page) {
            map->loadFileURL(fileURL(*page), fileURL(page->parent_path()));
        } else {
            env.console().log("main.html is missing from the bundle");
        }
        prepareTourPois();
        ProgressOverlay::shared().show();
    }
    if (app.followMe) locationManager->startUpdatingLocation();
}

void MapLeafletController::prepareTourPois() {
    if (tour && tour->poi) {
        // The client's order, which the tour screen also used to find a linked point's position:
        // sorting any other way would move the map to another point.
        sortPointsByOrder(*tour->poi);
        for (const auto& point : *tour->poi) {
            if (!point || !point->content) continue;
            for (const auto& content : *point->content) {
                if (content) content->parseMetadata();
            }
            sortContentsByOrder(*point->content);
        }
    }
    currentPOI = pointCount() > 0 ? (*tour->poi)[0] : nullptr;
    if (!currentPOI) {
        // Nothing to step through: the map stays empty and the buttons do nothing.
        btnNext->setEnabled(false);
        btnPrev->setEnabled(false);
    }
    centerOnCurrentPoi();

    auto weak = weakSelf();
    animate(
        kFadeInDuration, kFadeInDelay, AnimationOptions{.curve = AnimationCurve::linear},
        [weak] {
            auto self = weak.lock();
            if (!self) return;
            self->bgShare->setAlpha(1.0);
            self->viewBtnBottom->setAlpha(1.0);
            self->map->setAlpha(1.0);
        },
        [](bool) { ProgressOverlay::shared().dismiss(); });
}

void MapLeafletController::viewWillDisappear(bool animated) {
    (void)animated;
    locationManager->stopUpdatingLocation();
    if (isMovingFromParent() && audioPlayer.audioStillRunning) fadeOutAndStopAudio(kStopAfterPop);
}

void MapLeafletController::fadeOutAndStopAudio(double stopAfter) {
    if (auto player = audioPlayer.player) player->setVolume(0.0, kAudioFade);
    // Only the player that was faded is stopped: a later content may have replaced it meanwhile.
    std::weak_ptr<AudioPlayer> faded = audioPlayer.player;
    auto* players = &audioPlayer;
    Environment::current().loop().postAfter(stopAfter, [players, faded] {
        auto player = faded.lock();
        if (!player) return;
        player->stop();
        if (players->player == player) players->audioStillRunning = false;
    });
}

void MapLeafletController::toHome() {
    if (audioPlayer.audioStillRunning) fadeOutAndStopAudio(kStopAfterHome);
    app.tempLang = app.lang;
    app.loadLanguageDictionary();
    if (auto nav = navigationController()) nav->popToRootViewController(true);
}

// ---- Phone layout

void MapLeafletController::applyPhoneLayoutOnLoad() {
    auto& device = Environment::current().device();
    const double w = device.screenBounds.width;
    const double h = device.screenBounds.height;
    const bool turnedRight = device.orientation == DeviceOrientation::landscapeRight;
    constShareTrailing->setConstant(turnedRight || (w > h && w != 667) ? 46 : 16);
    constMapLead->setConstant(turnedRight && w > h ? (w == 667 ? 0 : -47) : 0);
    constHowHeight->setConstant(isCustomMap() && device.orientation == DeviceOrientation::portrait ? -80 : 0);
}

void MapLeafletController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    auto& device = Environment::current().device();
    if (device.idiom == DeviceIdiom::pad) return;
    const double w = device.screenBounds.width;
    const bool turnedRight = device.orientation == DeviceOrientation::landscapeRight;
    constShareTrailing->setConstant(turnedRight ? (w == 667 ? 16 : 46) : 16);
    constMapLead->setConstant(turnedRight ? (w == 667 ? 0 : -47) : 0);
    constHowHeight->setConstant(isCustomMap() && size.width < size.height ? -80 : 0);
}

}  // namespace tq
