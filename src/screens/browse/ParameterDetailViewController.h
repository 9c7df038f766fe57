#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ViewController.h"
#include "platform/web/WebView.h"

namespace tq {

class StoryboardRegistry;

// One information entry of the settings screen: its title in the navigation bar and its text, an
// HTML fragment, in a fixed page template. Web links in the text open outside the application;
// other links load in the page.
class ParameterDetailViewController : public ViewController, public WebNavigationDelegate, public WebUIDelegate {
public:
    // Set by the opener before the page loads.
    std::string titleInfo;
    std::string textInfo;

    // Outlet, filled by the storyboard.
    std::shared_ptr<WebView> webView;

    // Registers the page under "ParameterDetailViewController" in "Settings-ipad" and "Main".
    static void registerIn(StoryboardRegistry& registry);

    void decidePolicyForNavigationAction(WebView& webView, const NavigationAction& action,
                                         DecisionHandler decisionHandler) override;
    void viewDidDisappear(bool animated) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
};

// The page around an information text.
std::string informationPageHtml(const std::string& text);

// The scheme of an address as its components give it, without resolving it against anything, in
// lower case as a web engine hands it over: nothing when the address has none or cannot be read.
std::optional<std::string> urlScheme(const std::string& address);

}  // namespace tq
