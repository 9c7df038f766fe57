#include "screens/browse/ParameterDetailViewController.h"

#include <cctype>

#include "platform/foundation/Environment.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UiApplication.h"

namespace tq {

std::string informationPageHtml(const std::string& text) {
    return "<html> <style> body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
           "background-color:rgb(235, 235, 235)); text-align:center;  -webkit-text-size-adjust: none; }</style><head> "
           "<meta name='viewport' content='initial-scale=1.0'/><meta charset=\"UTF-8\"></head><body><font "
           "face='Helvetica' color='#474747' size='4px'>" +
           text + "</font></body></html>";
}

std::optional<std::string> urlScheme(const std::string& address) {
    auto colon = address.find(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    if (!std::isalpha(static_cast<unsigned char>(address[0]))) return std::nullopt;
    for (std::size_t i = 1; i < colon; ++i) {
        auto c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    // Blanks and controls make an address whose components cannot be read.
    for (unsigned char c : address) {
        if (c <= ' ' || c == 0x7f) return std::nullopt;
    }
    std::string scheme = address.substr(0, colon);
    for (auto& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

void ParameterDetailViewController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Settings-ipad", "Main"}) {
        registry.storyboard(name).registerScreen("ParameterDetailViewController",
                                                 [] { return std::make_shared<ParameterDetailViewController>(); });
    }
}

void ParameterDetailViewController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    root->setArrangement(Arrangement::overlay());
    webView = std::make_shared<WebView>(root->bounds());
    webView->setIdentifier("webView");
    root->addSubview(webView);
}

void ParameterDetailViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    webView->setUIDelegate(this);
    webView->setNavigationDelegate(this);
    webView->loadHTMLString(informationPageHtml(textInfo));
    setTitle(titleInfo);
}

void ParameterDetailViewController::viewDidDisappear(bool animated) {
    auto& overlay = ProgressOverlay::shared();
    if (overlay.isVisible()) overlay.dismiss();
    ViewController::viewDidDisappear(animated);
}

void ParameterDetailViewController::decidePolicyForNavigationAction(WebView&, const NavigationAction& action,
                                                                    DecisionHandler decisionHandler) {
    const auto& address = action.request.url;
    if (action.navigationType != NavigationType::linkActivated || !address) {
        decisionHandler(NavigationActionPolicy::allow);
        return;
    }
    auto scheme = urlScheme(*address);
    if (scheme == "http" || scheme == "https") {
        UiApplication::shared().open(*address);
        decisionHandler(NavigationActionPolicy::cancel);
        return;
    }
    decisionHandler(NavigationActionPolicy::allow);
}

}  // namespace tq
