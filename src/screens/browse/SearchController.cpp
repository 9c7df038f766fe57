#include "screens/browse/SearchController.h"

#include <string_view>

#include "app/AppDelegate.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"
#include "platform/net/PercentEncoding.h"
#include "platform/net/Reachability.h"
#include "platform/services/Analytics.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "service/Network.h"
#include "ui/common/TextFieldHelpers.h"

namespace tq {
namespace {

enum Tab { regionTab = 0, worldMapTab = 1, keywordTab = 2 };

// The characters the keyword search drops before it sends a keyword.
constexpr std::string_view kDroppedKeywordCharacters = "().:<\\/?[>]+,{}";

}  // namespace

std::string encodeSearchKeyword(const std::string& typed) {
    std::string cleaned;
    for (char c : typed) {
        if (kDroppedKeywordCharacters.find(c) != std::string_view::npos) continue;
        if (c == '\'') {
            cleaned += "%27";
        } else {
            cleaned += c;
        }
    }
    return percentEncode(cleaned, PercentEncoding::urlHost);
}

std::string keywordSearchLanguage(std::int64_t languageSelected, const Network& network) {
    if (languageSelected >= 1 && languageSelected <= static_cast<std::int64_t>(network.languages.size())) {
        return network.languages[static_cast<std::size_t>(languageSelected - 1)].lang_iso;
    }
    return "all";
}

SearchController::SearchController()
    : app(AppDelegate::shared()), locationManager(std::make_shared<LocationManager>()), network(Network::shared()) {}

SearchController::~SearchController() = default;

std::weak_ptr<SearchController> SearchController::weakSelf() {
    return std::static_pointer_cast<SearchController>(shared_from_this());
}

// ---- Actions

void SearchController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](auto method) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    segmentTypeSearch->addAction(ControlEvent::valueChanged, on(&SearchController::switchSearchTab));
    btnCountry->addAction(ControlEvent::touchUpInside, on(&SearchController::chooseCountry));
    btnState->addAction(ControlEvent::touchUpInside, on(&SearchController::chooseState));
    btnCity->addAction(ControlEvent::touchUpInside, on(&SearchController::chooseCity));
    btnSearchPlaces->addAction(ControlEvent::touchUpInside, on(&SearchController::searchByPlaces));
    btnSearchkeywords->addAction(ControlEvent::touchUpInside, on(&SearchController::searchByKeyword));
    btnCenterMap->addAction(ControlEvent::touchUpInside, on(&SearchController::centerMap));
    btnLocateMe->addAction(ControlEvent::touchUpInside, on(&SearchController::locateMe));
    btnSearchAround->addAction(ControlEvent::touchUpInside, on(&SearchController::searchAround));
    txtKeyword->setShouldReturn([weak](TextField& field) {
        field.resignFirstResponder();
        if (auto self = weak.lock()) self->searchByKeyword();
        return true;
    });
}

// ---- Life cycle

void SearchController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
    txtKeyword->setCornerRadius(10);
    for (const auto& button : {btnSearchAround, btnSearchPlaces, btnSearchkeywords}) button->setCornerRadius(20);
    webView->setNavigationDelegate(this);
    webView->setUIDelegate(this);
    webView->configuration().setPreferenceValue("allowFileAccessFromFileURLs", "YES");
    segmentTypeSearch->setTitleTextAttributes({Color::white(), std::nullopt}, ControlState::selected);
    segmentTypeSearch->setTitleTextAttributes({Color::black(), std::nullopt}, ControlState::normal);
    addKeyboardToolbar(*txtKeyword);
    setTitle("");
}

void SearchController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    auto& env = Environment::current();
    if (!Reachability::isConnectedToNetwork(env, ProductSites::french)) {
        auto alert = std::make_shared<AlertController>(app.text("ServerNotFound"), app.text("ServerNotFoundMessage"));
        std::weak_ptr<NavigationController> weakNav = navigationController();
        alert->addAction({"OK", AlertActionStyle::defaultStyle, [weakNav] {
                              if (auto nav = weakNav.lock()) nav->popToRootViewController(true);
                          }});
        if (auto nav = navigationController()) nav->present(alert, true);
        return;
    }
    if (!isMovingToParent()) {
        app.tempLang = app.lang;
        app.loadLanguageDictionary();
    }
    resultPresented = false;
    loadingAround = false;
    if (!isMovingToParent()) return;

    localizeSearchLabels();
    network.getCountries([](bool) {});
    auto weak = weakSelf();
    network.getWorldMapPois([weak](bool success) {
        auto self = weak.lock();
        if (!self) return;
        if (success) {
            self->loadWorldMapPage();
        } else {
            // No markers, no page: positions have no map to wait for.
            self->loadingMap = false;
        }
    });
}

void SearchController::localizeSearchLabels() {
    lblChoosePlace->setText(app.text("SearchRegion"));
    lblSearchAround->setText(app.text("SearchAroundMe"));
    lblExactSearch->setText(app.text("ExactSearch"));
    lblChooseKeyword->setText(app.text("SearchKeyWord"));
    segmentTypeSearch->setTitle(app.text("SearchSeg"), regionTab);
    segmentTypeSearch->setTitle(app.text("Map"), worldMapTab);
    txtViewCountry->setText(app.text("ChooseCountry"));
    txtViewState->setText(app.text("ChooseState"));
    txtViewCity->setText(app.text("ChooseCity"));
    for (const auto& button : {btnSearchAround, btnSearchPlaces, btnSearchkeywords}) button->setTitle(app.text("Search"));
    btnLocateMe->setTitle(app.text(isLocateMe ? "LocationStop" : "Locate"));
    btnCenterMap->setTitle(app.text("CenterMap"));

    AttributedString placeholder;
    placeholder.text = app.text("Search");
    placeholder.foregroundColor = Color{0.5, 0.5, 0.5, 1};
    placeholder.font = Font{"System-Italic", 15};
    txtKeyword->setAttributedPlaceholder(placeholder);
    txtKeyword->setLeftViewMode(ViewMode::always);
    setLeftIcon(*txtKeyword, Image::named("magnifyingglass"));
}

void SearchController::switchSearchTab() {
    viewWorldSearch->setHidden(true);
    viewLocationSearch->setHidden(true);
    switch (segmentTypeSearch->selectedSegmentIndex()) {
        case regionTab:
            // One tab's view shows at a time: the keyword view is hidden on the other two tabs
            // rather than left under them.
            viewKeywordSearch->setHidden(true);
            viewLocationSearch->setHidden(false);
            txtKeyword->resignFirstResponder();
            break;
        case worldMapTab:
            viewKeywordSearch->setHidden(true);
            viewWorldSearch->setHidden(false);
            txtKeyword->resignFirstResponder();
            if (isLocateMe) startLocating();
            break;
        case keywordTab:
            viewKeywordSearch->setHidden(false);
            txtKeyword->becomeFirstResponder();
            break;
        default:
            break;
    }
}

// ---- Shared steps

void SearchController::clearSearchResults() {
    network.searchCatalogue.clear();
    network.searchCatalogueCity.clear();
}

void SearchController::showResults(const std::optional<std::string>& title) {
    auto board = storyboard();
    auto results = board ? board->instantiateViewController("SearchResultsController") : nullptr;
    if (!results) return;
    if (title) results->setTitle(*title);
    show(results);
    resultPresented = true;
}

void SearchController::presentCloseAlert(const std::string& titleKey, const std::string& messageKey) {
    auto alert = std::make_shared<AlertController>(app.text(titleKey), app.text(messageKey));
    alert->addAction({app.text("Close"), AlertActionStyle::defaultStyle, {}});
    present(alert, true);
}

void SearchController::openTourDetail(const std::string& tourId) {
    app.tourId = tourId;
    const bool pad = Environment::current().device().idiom == DeviceIdiom::pad;
    auto board = pad ? StoryboardRegistry::shared().named("Main-ipad") : storyboard();
    auto tourScreen = board ? board->instantiateViewController("TourDetailController") : nullptr;
    if (tourScreen) show(tourScreen);
}

// ---- Keyword search

void SearchController::searchByKeyword() {
    clearSearchResults();
    const std::string language = keywordSearchLanguage(languageSelected, network);
    const std::string keyword = encodeSearchKeyword(txtKeyword->text());
    // Nothing typed, or only characters the search drops: there is nothing to ask for.
    if (keyword.empty()) {
        presentCloseAlert("Search", "SearchError");
        return;
    }
    const bool exact = switchExactSearch->isOn();
    Analytics::shared().logEvent(exact ? "Recherche_mot_cle_exact" : "Recherche_mot_cle_normal", {{"mot_cle", keyword}});
    auto weak = weakSelf();
    const int request = ++searchRequest;
    network.searchByKeywordsCity(keyword, language, [weak, request, keyword, language, exact](bool success) {
        auto self = weak.lock();
        if (self && request == self->searchRequest) self->keywordSecondStage(success, keyword, language, exact);
    });
}

void SearchController::keywordSecondStage(bool success, const std::string& keyword, const std::string& language,
                                          bool exact) {
    if (!success) {
        presentCloseAlert("Search", "SearchNoResult");
        return;
    }
    auto weak = weakSelf();
    auto done = [weak, request = searchRequest](bool found) {
        auto self = weak.lock();
        if (self && request == self->searchRequest) self->showKeywordResults(found);
    };
    if (exact) {
        network.searchByKeywordsExact(keyword, language, done);
    } else {
        network.searchByKeywordsTitleDescription(keyword, language, done);
    }
}

void SearchController::showKeywordResults(bool success) {
    if (success && (!network.searchCatalogue.empty() || !network.searchCatalogueCity.empty())) {
        showResults();
        return;
    }
    presentCloseAlert("Search", "SearchNoResult");
}

}  // namespace tq
