// The web map's page bridge: the page's drawing call once it has loaded and the reveal that
// follows, the "js-frame:" navigations the page makes back, its console lines and its panels.
#include <string_view>

#include "app/AppDelegate.h"
#include "model/Json.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Animation.h"
#include "screens/maps/MapLeafletController.h"
#include "screens/maps/MapPageCalls.h"
#include "screens/tour/MediaPlayers.h"
#include "service/Network.h"
#include "storage/TourFiles.h"

namespace tq {
namespace {

constexpr double kShareFade = 1.0;
constexpr double kMapFadeDelay = 0.5;
constexpr double kMapFade = 0.8;
constexpr double kOnlineCentreDelay = 0.5;

std::string describe(const WebError& error) {
    return "Error Domain=" + error.domain + " Code=" + std::to_string(error.code) + " \"" + error.description + "\"";
}

Console& console() { return Environment::current().console(); }

}  // namespace

std::optional<std::string> MapLeafletController::encodedTour() const {
    if (!tour) {
        console().log("no tour to show");
        return std::nullopt;
    }
    auto json = encodeJson(*tour);
    if (!json) {
        console().log(json.error());
        return std::nullopt;
    }
    return *json;
}

std::string MapLeafletController::pageCallForLoadedTour(const std::string& tourJson) {
    auto& env = Environment::current();
    if (isMyTour()) {
        auto folder = TourFiles(env.cacheDir()).tilesFolder(tour->circuit_id.value_or(""));
        auto bounds = env.device().screenBounds;
        return mapPage::showMap({.poiCount = tour->poi_count,
                                 .minZoom = tour->min_zoom,
                                 .maxZoom = tour->max_zoom,
                                 .language = pageLanguage(),
                                 .tileFolder = folder ? folder->string() : std::string(),
                                 .tourJson = tourJson,
                                 .largestSide = std::max(bounds.width, bounds.height),
                                 .isIpad = isPad()});
    }
    return mapPage::initializeMap(tourJson, isPad(), pageLanguage(), Network::shared().leafletLink);
}

void MapLeafletController::didFinishNavigation(WebView& webView, const WebNavigation& navigation) {
    (void)navigation;
    if (&webView != map.get()) return;
    auto json = encodedTour();
    if (!json) return;
    const bool downloaded = isMyTour();
    auto weak = weakSelf();
    map->evaluateJavaScript(pageCallForLoadedTour(*json),
                            [weak, downloaded](const ScriptValue&, const std::optional<WebError>& error) {
                                auto self = weak.lock();
                                if (!self) return;
                                if (downloaded) {
                                    self->revealDownloaded(error);
                                } else {
                                    self->revealOnline(error);
                                }
                            });
}

void MapLeafletController::revealDownloaded(const std::optional<WebError>& error) {
    if (error) {
        console().log("error eval " + describe(*error));
        return;
    }
    auto weak = weakSelf();
    animate(
        kShareFade,
        [weak] {
            if (auto self = weak.lock()) self->bgShare->setAlpha(1.0);
        },
        [weak](bool) {
            auto self = weak.lock();
            if (!self) return;
            animate(kMapFade, kMapFadeDelay, AnimationOptions{.curve = AnimationCurve::easeIn},
                    [weak] {
                        if (auto self = weak.lock()) self->map->setAlpha(1.0);
                    });
            // The centring goes with the animation's start, not its end.
            if (self->currentPoiIndex != 0) self->evaluateCentreAfterLoading();
        });
}

void MapLeafletController::revealOnline(const std::optional<WebError>& error) {
    if (error) {
        console().log("error eval " + describe(*error));
        return;
    }
    auto weak = weakSelf();
    animate(
        kShareFade,
        [weak] {
            if (auto self = weak.lock()) self->bgShare->setAlpha(1.0);
        },
        [weak](bool) {
            if (!weak.lock()) return;
            animate(
                kMapFade, kMapFadeDelay, AnimationOptions{.curve = AnimationCurve::easeIn},
                [weak] {
                    if (auto self = weak.lock()) self->map->setAlpha(1.0);
                },
                [weak](bool) {
                    auto self = weak.lock();
                    if (!self || self->currentPoiIndex == 0) return;
                    Environment::current().loop().postAfter(kOnlineCentreDelay, [weak] {
                        if (auto self = weak.lock()) self->evaluateCentreAfterLoading();
                    });
                });
        });
}

void MapLeafletController::evaluateCentreAfterLoading() {
    map->evaluateJavaScript(mapPage::centreAfterLoading(currentPoiIndex),
                            [](const ScriptValue&, const std::optional<WebError>& error) {
                                if (error) console().log("erroreval2 " + describe(*error));
                            });
}

void MapLeafletController::didFailNavigation(WebView& webView, const WebNavigation& navigation, const WebError& error) {
    (void)webView;
    (void)navigation;
    console().log("didFailNavigation error " + describe(error));
}

void MapLeafletController::didFailProvisionalNavigation(WebView& webView, const WebNavigation& navigation,
                                                        const WebError& error) {
    (void)webView;
    (void)navigation;
    console().log("didFailProvisionalNavigation error " + describe(error));
}

// ---- Page to application

void MapLeafletController::decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                                           DecisionHandler decisionHandler) {
    (void)webView;
    const auto& address = action.request.url;
    if (!address || !address->starts_with("js-frame:")) {
        decisionHandler(NavigationActionPolicy::allow);
        return;
    }
    auto weak = weakSelf();
    const std::string_view text = *address;
    if (text.starts_with("js-frame:show")) {
        map->evaluateJavaScript(mapPage::poiValue, [weak](const ScriptValue& result, const std::optional<WebError>& error) {
            if (auto self = weak.lock()) self->showPoiFromPage(result, error);
        });
    } else if (text.starts_with("js-frame:Around")) {
        fadeOutAudioForPage();
        map->evaluateJavaScript(mapPage::poiAroundValue,
                                [weak](const ScriptValue& result, const std::optional<WebError>& error) {
                                    if (auto self = weak.lock()) self->showAroundPoiFromPage(result, error);
                                });
    } else if (text.starts_with("js-frame:stopAudio")) {
        fadeOutAudioForPage();
    } else if (auto number = mapPage::pointNumber(text); number && pointPosition(*number)) {
        currentPoiIndex = *number;
        selectPoiFromPage();
    }
    decisionHandler(NavigationActionPolicy::cancel);
}

void MapLeafletController::fadeOutAudioForPage() {
    auto player = audioPlayer.player;
    if (!player) return;
    player->setVolume(0.0, 1.0);
    audioPlayer.audioStillRunning = false;
}

void MapLeafletController::userContentControllerDidReceiveScriptMessage(UserContentController& controller,
                                                                       const ScriptMessage& message) {
    (void)controller;
    if (message.name != "logHandler") return;
    console().log("LOG: " + describeScriptValue(message.body));
}

// ---- The page's panels

bool MapLeafletController::presentPanel(std::shared_ptr<ViewController> panel) {
    // On a tablet an action sheet points somewhere: the screen's own view.
    if (auto* popover = panel->popoverPresentationController(); popover && !popover->hasAnchor()) {
        popover->setSourceView(viewPointer());
        popover->setSourceRect(view().bounds());
    }
    if (present(panel, true)) return true;
    console().log("the page's panel could not be shown");
    return false;
}

namespace {
// Calls the page's completion once, whatever the panel does.
template <class Completion>
auto once(Completion completion) {
    return std::make_shared<Completion>(std::move(completion));
}
}  // namespace

void MapLeafletController::runJavaScriptAlertPanel(WebView& webView, const std::string& message,
                                                   std::function<void()> completion) {
    (void)webView;
    auto pending = once(std::move(completion));
    auto alert = std::make_shared<AlertController>("", message, AlertStyle::actionSheet);
    alert->addAction({"OK", AlertActionStyle::defaultStyle, [pending] {
                          if (auto done = std::exchange(*pending, nullptr)) done();
                      }});
    if (!presentPanel(alert)) {
        if (auto done = std::exchange(*pending, nullptr)) done();
    }
}

void MapLeafletController::runJavaScriptConfirmPanel(WebView& webView, const std::string& message,
                                                     std::function<void(bool)> completion) {
    (void)webView;
    auto pending = once(std::move(completion));
    auto answer = [pending](bool value) {
        if (auto done = std::exchange(*pending, nullptr)) done(value);
    };
    auto alert = std::make_shared<AlertController>("", message, AlertStyle::actionSheet);
    alert->addAction({"OK", AlertActionStyle::defaultStyle, [answer] { answer(true); }});
    alert->addAction({"Cancel", AlertActionStyle::defaultStyle, [answer] { answer(false); }});
    if (!presentPanel(alert)) answer(false);
}

void MapLeafletController::runJavaScriptTextInputPanel(WebView& webView, const std::string& prompt,
                                                       const std::optional<std::string>& defaultText,
                                                       std::function<void(std::optional<std::string>)> completion) {
    (void)webView;
    auto pending = once(std::move(completion));
    auto answer = [pending](std::optional<std::string> value) {
        if (auto done = std::exchange(*pending, nullptr)) done(std::move(value));
    };
    auto alert = std::make_shared<AlertController>("", prompt, AlertStyle::actionSheet);
    alert->addTextField([defaultText](TextField& field) {
        if (defaultText) field.setText(*defaultText);
    });
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction({"OK", AlertActionStyle::defaultStyle, [answer, weakAlert] {
                          auto shown = weakAlert.lock();
                          std::optional<std::string> text;
                          if (shown && !shown->textFields().empty()) text = shown->textFields().front()->text();
                          answer(text);
                      }});
    alert->addAction({"Cancel", AlertActionStyle::defaultStyle, [answer] { answer(std::nullopt); }});
    if (!presentPanel(alert)) answer(std::nullopt);
}

}  // namespace tq
