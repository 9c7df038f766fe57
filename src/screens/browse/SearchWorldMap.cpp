// The search screen's world-map tab: the bundle page "worldmap.html", the markers handed to it
// after every finished load, the page's console, and the "js-frame:" requests that open a tour.
#include "app/AppDelegate.h"
#include "platform/foundation/Console.h"
#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/WorldMapBridge.h"
#include "service/Network.h"

namespace tq {

void SearchController::loadWorldMapPage() {
    auto& env = Environment::current();
    auto page = env.bundle().pathForResource("worldmap", "html");
    if (!page) {
        env.console().log("worldmap.html is missing from the bundle");
        loadingMap = false;
        return;
    }
    webView->load(URLRequest{fileURL(*page), URLRequestCachePolicy::useProtocolCachePolicy, 60.0});
    auto& content = webView->configuration().userContentController();
    content.addUserScript({kWorldMapLogCapture, UserScriptInjectionTime::atDocumentEnd, false});
    content.addScriptMessageHandler(this, "logHandler");
}

void SearchController::initializeWorldMap() {
    auto& env = Environment::current();
    auto markers = worldMapMarkersJson(network.worldMapPois);
    if (!markers) {
        env.console().log(markers.error());
        loadingMap = false;
        return;
    }
    const bool tablet = env.device().idiom == DeviceIdiom::pad;
    auto weak = weakSelf();
    webView->evaluateJavaScript(worldMapInitializeCall(*markers, network.leafletLink, tablet),
                                [weak](const ScriptValue&, const std::optional<WebError>& error) {
                                    auto self = weak.lock();
                                    if (!self) return;
                                    if (error) Environment::current().console().log("error eval " + error->description);
                                    // Ready or not, the page no longer holds positions back from a search.
                                    self->loadingMap = false;
                                });
}

void SearchController::didFinishNavigation(WebView&, const WebNavigation&) { initializeWorldMap(); }

void SearchController::didFailNavigation(WebView&, const WebNavigation&, const WebError&) { loadingMap = false; }

void SearchController::didFailProvisionalNavigation(WebView&, const WebNavigation&, const WebError&) {
    loadingMap = false;
}

void SearchController::decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                                       DecisionHandler decisionHandler) {
    const auto& address = action.request.url;
    if (!address || !isWorldMapRequest(*address)) {
        decisionHandler(NavigationActionPolicy::allow);
        return;
    }
    auto tourId = worldMapTourRequest(*address);
    auto weak = weakSelf();
    // The decision is taken on a later turn of the main loop, as the platform does.
    Environment::current().loop().post([weak, tourId, decisionHandler] {
        decisionHandler(NavigationActionPolicy::cancel);
        auto self = weak.lock();
        // A request without a tour identifier opens nothing.
        if (self && tourId) self->openTourDetail(*tourId);
    });
}

void SearchController::userContentControllerDidReceiveScriptMessage(UserContentController&,
                                                                     const ScriptMessage& message) {
    if (message.name != "logHandler") return;
    Environment::current().console().log("LOG: " + describeScriptValue(message.body));
}

void SearchController::centerMap() { webView->evaluateJavaScript("centerMap();"); }

void SearchController::showPositionOnMap(double latitude, double longitude) {
    if (auto call = worldMapLocationCall(latitude, longitude)) webView->evaluateJavaScript(*call);
}

}  // namespace tq
