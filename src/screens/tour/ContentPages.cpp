// The content screen's description pages: their texts, the fitting of their heights once loaded,
// and what happens to the links followed inside them.
#include "app/AppDelegate.h"
#include "app/LinkRouting.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/UiApplication.h"
#include "screens/tour/ContentController.h"
#include "screens/tour/MediaPlayers.h"
#include "screens/tour/WebAddresses.h"

namespace tq {
namespace {

const char* const kTextHead =
    "<html><style> body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235); -webkit-text-size-adjust: none; text-align:center; }</style><head>"
    "<meta name='viewport' content='initial-scale=1.0'/></head><body>";
const char* const kPanoramaHead =
    "<html><style>body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235); }</style><head><meta name='viewport' content='initial-scale=1.0'/>"
    "</head><body>";
const char* const kCentredImageHead =
    "<html><style>body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235); text-align:center; }</style><head>"
    "<meta name='viewport' content='initial-scale=1.0'/></head><body>";
const char* const kLeftImageHead =
    "<html><style>body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235); text-align:left; }</style><head>"
    "<meta name='viewport' content='initial-scale=1.0'/></head><body>";
const char* const kPageTail = "</body></html>";
const char* const kPageHeightScript = "document.body.scrollHeight";


std::string contentPage(const char* head, const PoiContentRef& content) {
    auto description = content && content->description ? *content->description : std::string("no description");
    return head + description + kPageTail;
}

}  // namespace

// ---- Pages

void ContentController::loadTextDescription() {
    viewPortrait->setScrollEnabled(true);
    if (!MediaPlayers::shared().audioStillRunning) {
        lblShow->setHidden(true);
        btnShow->setHidden(true);
    }
    webViewText->loadHTMLString(contentPage(kTextHead, currentContent));
}

void ContentController::revealImageContent() {
    viewPortrait->setScrollEnabled(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{lblShow, btnShow, viewImage, viewImageLand}) {
        view->setHidden(false);
    }
    loadImageDescription();
}

void ContentController::loadImageDescription() {
    auto centred = contentPage(kCentredImageHead, currentContent);
    webViewImage->loadHTMLString(centred);
    webView360Land->loadHTMLString(centred);
    webViewImageLand->loadHTMLString(contentPage(kLeftImageHead, currentContent));
}

void ContentController::loadPanoramaDescription(const std::string& panoramaAddress) {
    viewPortrait->setScrollEnabled(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<View>>{lblShow, btnShow, view360, view360Land}) {
        view->setHidden(false);
    }
    auto page = contentPage(kPanoramaHead, currentContent);
    webView360->loadHTMLString(page);
    webView360Land->loadHTMLString(page);
    image360 = panoramaAddress;
}

// ---- Heights

void ContentController::didFinishNavigation(WebView& webView, const WebNavigation&) {
    auto weak = weakSelf();
    if (&webView == webViewImage.get()) {
        webView.evaluateJavaScript(kPageHeightScript, [weak](const ScriptValue& result, const std::optional<WebError>& error) {
            auto self = weak.lock();
            auto height = scriptNumber(result);
            // Without a number the page keeps its height.
            if (self && !error && height) self->fitImageDescription(*height);
        });
    } else if (&webView == webViewImageLand.get()) {
        measureLandscapePage(webView, *constImageDescLand, &ContentController::fitImageDescriptionLand);
    } else if (&webView == webView360Land.get()) {
        measureLandscapePage(webView, *constImage360Land, &ContentController::fitPanoramaDescriptionLand);
    }
}

// A landscape page is shrunk to nothing before it is measured, so that it reports the height of
// its text rather than of its frame.
void ContentController::measureLandscapePage(WebView& webView, LayoutConstraint& constraint,
                                             void (ContentController::*fit)(double)) {
    webView.scrollView().setScrollEnabled(false);
    constraint.setConstant(1);
    auto frame = webView.frame();
    webView.setFrame(Rect(frame.origin.x, frame.origin.y, frame.width(), 1));
    webView.setNeedsLayout();
    webView.setNeedsDisplay();
    auto weak = weakSelf();
    webView.evaluateJavaScript(kPageHeightScript, [weak, fit](const ScriptValue& result, const std::optional<WebError>& error) {
        auto self = weak.lock();
        auto height = scriptNumber(result);
        if (self && !error && height) ((*self).*fit)(*height);
    });
}

void ContentController::fitImageDescription(double height) {
    constImageDesc->setConstant(height);
    viewPortrait->setContentSize({viewPortrait->frame().width(), height + imgImage->frame().height() + 20});
}

void ContentController::fitImageDescriptionLand(double height) {
    fitLandscapeDescription(*webViewImageLand, constImageDescLand, *imgImageLand, height);
}

void ContentController::fitPanoramaDescriptionLand(double height) {
    fitLandscapeDescription(*webView360Land, constImage360Land, *img360Land, height);
}

// The page is as tall as its text while that is shorter than the picture beside it; otherwise it
// is as tall as the picture and scrolls.
void ContentController::fitLandscapeDescription(WebView& webView, const std::shared_ptr<LayoutConstraint>& constraint,
                                                const ImageView& picture, double height) {
    if (height < picture.frame().height()) {
        std::weak_ptr<LayoutConstraint> target = constraint;
        webView.evaluateJavaScript(kPageHeightScript, [target](const ScriptValue& result,
                                                               const std::optional<WebError>& error) {
            auto again = scriptNumber(result);
            auto held = target.lock();
            if (held && !error && again) held->setConstant(*again);
        });
        return;
    }
    webView.scrollView().setScrollEnabled(true);
    constraint->setConstant(picture.frame().height());
}

// ---- Links

void ContentController::decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                                        DecisionHandler decisionHandler) {
    const auto& address = action.request.url;
    if (!address) {
        decisionHandler(NavigationActionPolicy::allow);
        return;
    }
    if (isOwnSiteLink(*address)) {
        // A tour of the product's own site opens inside the application; the audio of this
        // content makes way for it.
        auto& players = MediaPlayers::shared();
        if (players.audioStillRunning) players.fadeOutAndStop(1.0, 1.3);
        routeIncomingLink(app, *address);
        decisionHandler(NavigationActionPolicy::cancel);
        return;
    }
    if (address->rfind("http://", 0) == 0 || address->rfind("https://", 0) == 0) {
        // Any other web page opens outside; the description stays.
        UiApplication::shared().open(*address, [decisionHandler](bool) { decisionHandler(NavigationActionPolicy::cancel); });
        return;
    }
    decisionHandler(NavigationActionPolicy::allow);
}

std::shared_ptr<WebView> ContentController::createWebViewWithConfiguration(WebView& webView,
                                                                           const WebViewConfiguration&,
                                                                           const NavigationAction& action) {
    // A link that asks for a new window opens in the same page, through the same policy.
    if (!action.hasTargetFrame) webView.load(action.request);
    return nullptr;
}

}  // namespace tq
