#include "screens/browse/HomeController.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressOverlay.h"
#include "platform/ui/Storyboard.h"
#include "storage/DBManager.h"

namespace tq {
namespace {

// The language code of the button images: 0 "en", 1 "fr", anything else "es".
std::string buttonLanguageCode(std::int64_t lang) {
    if (lang == kEnglish) return "en";
    if (lang == kFrench) return "fr";
    return "es";
}

bool isLandscapeOrientation(DeviceOrientation orientation) {
    return orientation == DeviceOrientation::landscapeLeft || orientation == DeviceOrientation::landscapeRight;
}

}  // namespace

HomeController::HomeController() : locationManager(std::make_unique<LocationManager>()), app(AppDelegate::shared()) {}

HomeController::~HomeController() {
    if (scanTimer_) scanTimer_->invalidate();
}

std::weak_ptr<HomeController> HomeController::weakSelf() {
    return std::static_pointer_cast<HomeController>(shared_from_this());
}

// ---- Life cycle

void HomeController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (app.openListDirectly) performSegue("showCatalog", weak_from_this().lock());
    navigationItem().setBackButtonDisplayMode(BackButtonDisplayMode::minimal);
    ProgressOverlay::shared().setCornerRadius(40);
    setupPortraitVideo();
    setupLandscapeVideo();
    registerObservers();
    applyConstantsForScreenSize();
}

void HomeController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (auto nav = navigationController()) nav->setNavigationBarHidden(true);
    auto logo = Image::named(app.lang == kFrench ? "trelvo-fr" : "trelvo-en");
    imageLogo->setImage(logo);
    imageLogoLand->setImage(logo);
    localizeHomeButtons();

    const Size screen = Environment::current().device().screenBounds;
    const bool landscape = screen.width > screen.height;
    showVideo(landscape, 0.5);
    setTopOffset(landscape ? 0 : 40);
    isViewVisible = true;
}

void HomeController::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    locationManager->setDelegate(this);
    locationManager->setDesiredAccuracy(LocationAccuracy::best);
    locationManager->requestWhenInUseAuthorization();
    DBManager::shared().checkToursForUpdates([](bool) {});
}

void HomeController::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    for (const auto& video : {player, playerLand}) {
        if (!video) continue;
        video->pause();
        video->seek(0);
    }
    isViewVisible = false;
}

void HomeController::viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) {
    ViewController::viewWillTransitionToSize(size, coordinator);
    const double width = view().frame().width();
    // A size change that keeps the width (a tablet's split view) leaves panel and video as they are.
    if (size.width == width) return;
    const bool landscape = size.width > width;
    showButtonPanel(landscape);
    rewindVideos();
    showVideo(landscape, 0);
    setTopOffset(landscape ? 0 : 40);
}

void HomeController::setTopOffset(double phoneOffset) {
    const bool phone = Environment::current().device().idiom == DeviceIdiom::phone;
    constTopBlackOverlay->setConstant(phone ? phoneOffset : 72);
}

// ---- Buttons

void HomeController::showButtonPanel(bool landscape) {
    landscapeButtonView->setHidden(!landscape);
    portraitButtonView->setHidden(landscape);
    backgroundImage->setHidden(landscape);
    backgroundImageLand->setHidden(!landscape);
}

void HomeController::localizeHomeButtons() {
    const std::string code = buttonLanguageCode(app.lang);
    auto& device = Environment::current().device();
    const bool landscape =
        isLandscapeOrientation(device.orientation) || device.screenBounds.width > device.screenBounds.height;
    showButtonPanel(landscape);
    btnSettings->setCornerRadius(16);

    struct Pair {
        std::shared_ptr<Button> portrait, landscape;
        std::string image;
        bool hasSelected;
    };
    const Pair pairs[] = {
        {btnSettings, btnSettingsLand, "about-" + code, true},
        {btnSearch, btnSearchLand, "search-" + code, true},
        {btnMyTours, btnMyToursLand, "favoris-" + code, true},
        {btnCatalog, btnCatalogLand, "catalog-" + code, true},
        {btnCompass, btnCompassLand, "boussole-" + code, false},
    };
    for (const auto& pair : pairs) {
        pair.portrait->setImage(Image::named(pair.image), ControlState::normal);
        pair.landscape->setImage(Image::named(pair.image), ControlState::normal);
    }
    for (const auto& pair : pairs) {
        if (!pair.hasSelected) continue;
        pair.portrait->setImage(Image::named(pair.image + "-sh"), ControlState::selected);
        pair.landscape->setImage(Image::named(pair.image + "-sh"), ControlState::selected);
    }
    app.loadLanguageDictionary();
}

void HomeController::showSearch() {
    auto nav = navigationController();
    auto board = StoryboardRegistry::shared().named("Search-ipad");
    auto search = board ? board->instantiateViewController("SearchController") : nullptr;
    if (nav && search) nav->show(search, weak_from_this().lock());
}

void HomeController::showSettings() {
    auto nav = navigationController();
    auto board = StoryboardRegistry::shared().named("Settings-ipad");
    auto settings = board ? board->instantiateViewController("ParameterViewController") : nullptr;
    if (nav && settings) nav->show(settings, weak_from_this().lock());
}

void HomeController::prepareForSegue(StoryboardSegue& segue, const std::any&) {
    if (segue.identifier() != "myToursSegue2" && segue.identifier() != "myToursSegue") return;
    if (auto catalogue = segue.destinationAs<CatalogController>()) catalogue->isFavorites = true;
}

}  // namespace tq
