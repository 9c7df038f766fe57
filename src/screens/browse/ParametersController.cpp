#include "screens/browse/ParametersController.h"

#include <array>

#include "app/AppDelegate.h"
#include "platform/foundation/Environment.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/ParameterDetailViewController.h"

namespace tq {
namespace {

constexpr const char* kLangKey = "lang";
constexpr const char* kDistanceUnitKey = "distanceUnit";
constexpr const char* kOpenAppListKey = "openAppList";
constexpr const char* kCellIdentifier = "settingsCell";

// The screen's own texts in one interface language.
struct FixedTexts {
    const char* language;
    const char* unit;
    const char* kilometres;
    const char* miles;
    const char* openingScreen;
    const char* classic;
    const char* catalogue;
    const char* title;
};

// By language index: English, French, Spanish.
constexpr std::array<FixedTexts, 3> kFixedTexts = {{
    {"Interface language", "Distance unit", "Kilometers", "Miles", "Choose the opening screen of the application",
     "Classic", "Catalog", "About"},
    {"Langue de l'interface", "Unité de distance", "Kilomètres", "Miles",
     "Choisir l'écran d'ouverture de l'application", "Classique", "Catalogue", "À propos"},
    {"Idioma de la interfaz", "Distancia en", "Kilómetros", "Millas",
     "Elija la pantalla de apertura de la aplicación", "Clásico", "Catálogo", "Acerca de nosotros"},
}};

const FixedTexts& fixedTexts(std::int64_t language) {
    if (language < 0 || language >= static_cast<std::int64_t>(kFixedTexts.size())) return kFixedTexts[0];
    return kFixedTexts[static_cast<std::size_t>(language)];
}

constexpr const char* kAboutTemplatePad =
    "<html><style>body { font-size:18px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235)); text-align:left;   -webkit-text-size-adjust: none;}</style><head><meta "
    "name='viewport' content='initial-scale=1.0'/></head><body>";
constexpr const char* kAboutTemplatePhone =
    "<html><style>body { font-size:15px; font-family: -apple-system, Helvetica; sans-serif; "
    "background-color:rgb(235, 235, 235)); text-align:left;  -webkit-text-size-adjust: none; }</style><head><meta "
    "name='viewport' content='initial-scale=1.0'/></head><body>";

}  // namespace

const std::vector<InformationEntry>& informationEntries() {
    static const std::vector<InformationEntry> entries = {
        {"StakeholdersTitle", "StakeholdersText"},
        {"AccessibilityTitle", "AccessibilityText"},
        {"PracticalInformationsTitle", "PracticalInformationsText"},
        {"HowToCreateTourTitle", "HowToCreateTour"},
        {"CreditsTitle", "CreditsText"},
        {"CreditsMapTitle", "CreditsMapText"},
        {"ReportContentsTitle", "ReportContentsText"},
        {"LegalNoticesTitle", "LegalNoticesText"},
        {"ContactTitle", "ContactText"},
    };
    return entries;
}

std::string aboutPageHtml(const std::string& intro, bool pad) {
    return std::string(pad ? kAboutTemplatePad : kAboutTemplatePhone) + intro + "</body></html>";
}

ParametersController::ParametersController() : app(AppDelegate::shared()) {}

std::weak_ptr<ParametersController> ParametersController::weakSelf() {
    return std::static_pointer_cast<ParametersController>(shared_from_this());
}

void ParametersController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](void (ParametersController::*method)(SegmentedControl&)) {
        return [weak, method](Control& sender) {
            if (auto self = weak.lock()) ((*self).*method)(static_cast<SegmentedControl&>(sender));
        };
    };
    segLang->addAction(ControlEvent::valueChanged, on(&ParametersController::btnlang));
    segUnits->addAction(ControlEvent::valueChanged, on(&ParametersController::btnChangeUnit));
    segOpenApp->addAction(ControlEvent::valueChanged, on(&ParametersController::setChangeOpenAppSetting));
    auto self = weakSelf().lock();
    tableViewInformation->setDataSource(self);
    tableViewInformation->setDelegate(self);
}

// ---- Life cycle

void ParametersController::viewDidLoad() {
    ViewController::viewDidLoad();
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false);
    applyInterfaceLanguage(app.lang);
    scrollView->setContentSize({400, 1100});
    for (const auto& control : {segLang, segUnits, segOpenApp}) {
        control->setTitleTextAttributes({Color::black(), std::nullopt}, ControlState::normal);
        control->setTitleTextAttributes({Color::white(), std::nullopt}, ControlState::selected);
    }
    segOpenApp->setSelectedSegmentIndex(app.openListDirectly ? 1 : 0);
    segLang->setSelectedSegmentIndex(static_cast<int>(app.lang));
    segUnits->setSelectedSegmentIndex(app.distanceUnit == "km" ? 0 : 1);
}

// ---- The three choices

void ParametersController::applyInterfaceLanguage(std::int64_t language) {
    app.tempLang = language;
    app.lang = language;

    const auto& texts = fixedTexts(language);
    lblLanguage->setText(texts.language);
    lblUnit->setText(texts.unit);
    segUnits->setTitle(texts.kilometres, 0);
    segUnits->setTitle(texts.miles, 1);
    lblOpenAppTitle->setText(texts.openingScreen);
    segOpenApp->setTitle(texts.classic, 0);
    segOpenApp->setTitle(texts.catalogue, 1);
    setTitle(texts.title);

    auto& settings = Environment::current().settings();
    settings.setInteger(kLangKey, language);
    app.loadLanguageDictionary();
    loadInformationTexts();
    tableViewInformation->reloadData();
    settings.synchronize();
}

void ParametersController::btnlang(SegmentedControl& sender) { applyInterfaceLanguage(sender.selectedSegmentIndex()); }

void ParametersController::btnChangeUnit(SegmentedControl& sender) {
    app.distanceUnit = sender.selectedSegmentIndex() == 1 ? "mile" : "km";
    auto& settings = Environment::current().settings();
    settings.setString(kDistanceUnitKey, app.distanceUnit);
    settings.synchronize();
}

void ParametersController::setChangeOpenAppSetting(SegmentedControl& sender) {
    app.openListDirectly = sender.selectedSegmentIndex() == 1;
    auto& settings = Environment::current().settings();
    settings.setBool(kOpenAppListKey, app.openListDirectly);
    settings.synchronize();
}

// ---- About and the information entries

void ParametersController::loadInformationTexts() {
    // Every entry keeps its row, titled or not, so that the rows stay matched to their pages.
    arrayCellTitle.clear();
    for (const auto& entry : informationEntries()) arrayCellTitle.push_back(app.text(entry.titleKey));

    const bool pad = Environment::current().device().idiom == DeviceIdiom::pad;
    webView->loadHTMLString(aboutPageHtml(app.lookup("AboutIntro").value_or("no description"), pad));
}

bool ParametersController::canEditRowAt(TableView&, IndexPath) { return false; }

int ParametersController::numberOfSections(TableView&) { return 1; }

int ParametersController::numberOfRowsInSection(TableView&, int) {
    return static_cast<int>(informationEntries().size());
}

std::shared_ptr<TableViewCell> ParametersController::cellForRowAt(TableView& tableView, IndexPath indexPath) {
    auto cell = tableView.dequeueReusableCell(kCellIdentifier);
    auto row = static_cast<std::size_t>(indexPath.row);
    cell->textLabel().setText(row < arrayCellTitle.size() ? arrayCellTitle[row] : std::string());
    return cell;
}

void ParametersController::didSelectRowAt(TableView&, IndexPath indexPath) {
    const auto& entries = informationEntries();
    if (indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= entries.size()) return;
    const auto& entry = entries[static_cast<std::size_t>(indexPath.row)];
    auto board = storyboard();
    auto page = board ? board->instantiate<ParameterDetailViewController>("ParameterDetailViewController") : nullptr;
    if (!page) return;
    page->textInfo = app.text(entry.textKey);
    page->titleInfo = app.text(entry.titleKey);
    show(page);
}

}  // namespace tq
