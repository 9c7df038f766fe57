// The tour screen's description pages, language versions, hidden-content notice, intro video and
// rotation.
#include <array>

#include "app/AppDelegate.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/UiApplication.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/WebAddresses.h"
#include "screens/tour/TourDetailController.h"
#include "ui/common/LanguageNames.h"

namespace tq {
namespace {

const char* const kPageHead =
    "<html><style>body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235); }</style><head><meta name='viewport' content='initial-scale=1.0'/>"
    "</head><body>";
const char* const kPageTail = "</body></html>";

// The language versions after the tour's own, in the order their segments are filled.
const std::array<const char*, 15> kVersions = {"fr", "es", "en", "ru", "it", "de", "pt", "tr",
                                              "tw", "el", "ar", "ja", "cn", "pl", "ko"};

bool versionPresent(const Tour& tour, const char* code) {
    const auto id = versionIdentifier(tour, code);
    return id && *id != "0";
}

void removeAll(std::string& text, const std::string& what) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

// Escape sequences written out as text ("\n" as two characters) disappear; real line breaks stay.
std::string cleanedDescription(std::string text) {
    removeAll(text, "\\n");
    removeAll(text, "\\r");
    removeAll(text, "\\\\");
    removeAll(text, "\\");
    return text;
}

bool staysInDescription(const std::string& address) {
    const std::string site = ProductSites::french;
    const std::string mobileSite = "m." + (site.rfind("www.", 0) == 0 ? site.substr(4) : site);
    return address.rfind("applewebdata://", 0) == 0 || beginsWithSite(address, "http://" + site) ||
           beginsWithSite(address, "http://" + mobileSite) || address == "about:blank";
}

}  // namespace

// ---- Description

void TourDetailController::loadDescriptionHtml() {
    if (!tour) return;
    auto page = kPageHead + cleanedDescription(tour->description.value_or("")) + kPageTail;
    descriptionView->loadHTMLString(page);
    descriptionViewLand->loadHTMLString(page);
}

void TourDetailController::didFinishNavigation(WebView& webView, const WebNavigation&) {
    std::weak_ptr<View> weakView = std::static_pointer_cast<View>(webView.shared_from_this());
    auto weak = weakSelf();
    webView.evaluateJavaScript("document.body.scrollHeight", [weak, weakView](const ScriptValue& result,
                                                                             const std::optional<WebError>& error) {
        auto self = weak.lock();
        auto view = weakView.lock();
        auto height = scriptNumber(result);
        // Without a number the height stays as it was.
        if (!self || !view || error || !height) return;
        self->fitDescriptionHeight(static_cast<WebView&>(*view), *height);
    });
}

void TourDetailController::fitDescriptionHeight(WebView& webView, double height) {
    if (&webView == descriptionView.get()) {
        constDescriptionHeight->setConstant(height);
    } else if (&webView == descriptionViewLand.get()) {
        constDescriptionLandHeight->setConstant(height);
        landscapeView->setContentSize({landscapeView->frame().width(), height + 250});
    }
}

void TourDetailController::decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                                           DecisionHandler decisionHandler) {
    const auto& address = action.request.url;
    if (!address || staysInDescription(*address)) {
        decisionHandler(NavigationActionPolicy::allow);
        return;
    }
    UiApplication::shared().open(*address);
    decisionHandler(NavigationActionPolicy::cancel);
}

// ---- Language versions

void TourDetailController::buildLanguageSegments() {
    segLanguage->setSelectedSegmentIndex(0);
    segLanguageLand->setSelectedSegmentIndex(0);
    while (segLanguage->numberOfSegments() >= 3) {
        segLanguage->removeSegment(2);
        segLanguageLand->removeSegment(2);
    }

    std::string ownName = tour->language ? languageName(*tour->language) : std::string();
    segLanguage->setTitle(ownName, 0);
    segLanguageLand->setTitle(ownName, 0);
    lblCurrentLang->setText(ownName);
    lblCurrentLangLand->setText(ownName);

    int next = 1;
    for (const char* code : kVersions) {
        if (!versionPresent(*tour, code) || tour->language == code) continue;
        auto title = languageName(code);
        for (const auto& control : {segLanguage, segLanguageLand}) {
            if (next < control->numberOfSegments()) {
                control->setTitle(title, next);
            } else {
                control->insertSegment(title, next);
            }
        }
        ++next;
    }

    bool controlsHidden = next == 1 || app.isMyTour;
    segLanguage->setHidden(controlsHidden);
    segLanguageLand->setHidden(controlsHidden);
    lblLanguageTitle->setHidden(!controlsHidden);
    lblLanguageTitleLand->setHidden(!controlsHidden);

    constPresentedByWidth->setConstant(app.lang == 2 ? 122 : app.lang == 0 ? 106 : 102);
}

std::optional<std::string> TourDetailController::tourIdForLanguageName(const std::string& name) const {
    if (!tour) return std::nullopt;
    for (const char* code : kVersions) {
        if (languageName(code) == name) return versionIdentifier(*tour, code);
    }
    return tour->id_circuit_fr;
}

void TourDetailController::changeTourLanguage(SegmentedControl& control) {
    auto title = control.selectedTitle().value_or("");
    auto identifier = tourIdForLanguageName(title);
    if (!identifier || identifier->empty() || *identifier == "0") {
        // No such version to fetch: the screen stays on the version it shows.
        segLanguage->setSelectedSegmentIndex(0);
        segLanguageLand->setSelectedSegmentIndex(0);
        return;
    }
    animate(0.5, [this] {
        landscapeView->setAlpha(0);
        portraitView->setAlpha(0);
        stackTitle->setAlpha(0);
    });
    ProgressOverlay::shared().show();
    app.tourId = *identifier;
    app.tempLang = title == "Français" ? 1 : title == "Español" ? 2 : 0;
    app.loadLanguageDictionary();
    loadTourDetail();
}

// ---- Hidden content

void TourDetailController::showHiddenContentAlert() {
    auto alert = std::make_shared<AlertController>(app.text("Notice"), app.text("TourHiddenContent"));
    alert->addAction({"OK", AlertActionStyle::cancel, {}});
    present(alert, true);
}

// ---- Intro video

void TourDetailController::playIntro() {
    if (auto& audio = MediaPlayers::shared().player) audio->setVolume(1.0, 1.0);
    auto address = tour ? tour->urlVideoIntro.value_or("") : std::string();
    if (!isPlayableAddress(address)) return;

    auto& env = Environment::current();
    auto player = VideoPlayer::withURL(env, address);
    movieController->setDelegate(this);
    movieController->setPlayer(player);
    auto weak = weakSelf();
    introEndObserver_ = observePlayToEnd(env, player->currentItem(), [weak] {
        if (auto self = weak.lock()) self->videoEnd();
    });
    if (!present(movieController, true)) {
        introEndObserver_.reset();
        return;
    }
    player->play();
}

void TourDetailController::videoEnd() {
    auto weak = weakSelf();
    movieController->dismiss(true, [weak] {
        if (auto self = weak.lock()) self->introEndObserver_.reset();
    });
}

// ---- Rotation

void TourDetailController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    // The landscape layout is for a screen wider than high. (A phone's size change that kept the
    // width would otherwise have shown it in portrait.)
    bool pad = Environment::current().device().idiom == DeviceIdiom::pad;
    bool landscape = pad ? !(size.width < size.height) : size.width > size.height;
    landscapeView->setHidden(!landscape);
    portraitView->setHidden(landscape);
    // The full-width consult button spans the screen's new width.
    constBtnConsultFull->setConstant(size.width);
    loadDescriptionHtml();
}

}  // namespace tq
