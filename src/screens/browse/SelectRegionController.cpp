#include "screens/browse/SelectRegionController.h"

#include <algorithm>
#include <numeric>

#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "app/AppDelegate.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/ListScreenLayout.h"
#include "screens/browse/SearchController.h"
#include "service/Network.h"

namespace tq {
namespace {

constexpr const char* kRegionCell = "regionCell";

// A key whose byte order is the plain comparison of texts: canonical composition makes equivalent
// spellings equal, and UTF-8 bytes order as Unicode scalar values do.
std::string plainKey(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return name;
    icu::UnicodeString composed = nfc->normalize(icu::UnicodeString::fromUTF8(name), status);
    if (U_FAILURE(status)) return name;
    std::string key;
    composed.toUTF8String(key);
    return key;
}

// The collation key of a name under the locale, comparable byte by byte.
std::string collationKey(icu::Collator& collator, const std::string& name) {
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
    int32_t length = collator.getSortKey(text, nullptr, 0);
    std::string key(static_cast<std::size_t>(length), '\0');
    collator.getSortKey(text, reinterpret_cast<uint8_t*>(key.data()), length);
    return key;
}

}  // namespace

void sortCountries(std::vector<Country>& countries, std::int64_t lang) {
    std::vector<std::string> keys;
    keys.reserve(countries.size());
    if (lang == kFrench) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale("ca", "FR"), status));
        for (const auto& country : countries) {
            keys.push_back(U_SUCCESS(status) ? collationKey(*collator, country.country_name_fr)
                                             : plainKey(country.country_name_fr));
        }
    } else {
        for (const auto& country : countries) {
            keys.push_back(plainKey(lang == kEnglish ? country.country_name_en : country.country_name_es));
        }
    }
    std::vector<std::size_t> order(countries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<Country> sorted;
    sorted.reserve(countries.size());
    for (auto index : order) sorted.push_back(std::move(countries[index]));
    countries = std::move(sorted);
}

std::string regionName(const Country& country, std::int64_t lang) {
    return lang == kEnglish ? country.country_name_en : lang == kFrench ? country.country_name_fr : country.country_name_es;
}

std::string regionName(const State& state, std::int64_t lang) {
    return lang == kEnglish ? state.state_name_en : lang == kFrench ? state.state_name_fr : state.state_name_es;
}

std::string regionName(const City& city, std::int64_t lang) {
    return (lang == kEnglish ? city.city_name_en : city.city_name_fr).value_or("");
}

SelectRegionController::SelectRegionController() : countries(Network::shared().countries), app(AppDelegate::shared()) {}

void SelectRegionController::registerIn(StoryboardRegistry& registry) {
    registry.storyboard("Search-ipad").registerScreen("SelectRegionController", [] {
        return std::make_shared<SelectRegionController>();
    });
}

void SelectRegionController::loadView() {
    auto root = listScreenRoot();
    setView(root);
    const double width = root->frame().width();
    lblTitle = std::make_shared<Label>(Rect(0, 0, width - 50, 50));
    lblTitle->setIdentifier("lblTitle");
    btnClose = std::make_shared<Button>(Rect(width - 50, 0, 50, 50));
    btnClose->setIdentifier("btnClose");
    addHeaderRow(*root, lblTitle, btnClose, 50, 50);
    btnClose->setImage(Image::named("close"));
    tableview = addListTable(*root);

    std::weak_ptr<SelectRegionController> weak = std::static_pointer_cast<SelectRegionController>(shared_from_this());
    btnClose->addAction(ControlEvent::touchUpInside, [weak] {
        if (auto self = weak.lock()) self->dismissView();
    });
}

void SelectRegionController::viewDidResize() {
    if (isViewLoaded() && tableview) fitTableToLayout(view(), *tableview);
}

void SelectRegionController::viewDidLoad() {
    ViewController::viewDidLoad();
    auto self = std::static_pointer_cast<SelectRegionController>(shared_from_this());
    tableview->setDataSource(self);
    tableview->setDelegate(self);
    const char* titleKey = "Countries";
    if (selectRegionType == RegionType::state) titleKey = "States";
    if (selectRegionType == RegionType::city) titleKey = "Cities";
    lblTitle->setText(app.text(titleKey));
    sortCountries(countries, app.lang);
    tableview->reloadData();
}

void SelectRegionController::dismissView() {
    // The picker leaves the way it came: popped when it was pushed, dismissed when presented.
    auto nav = navigationController();
    if (nav && nav->viewControllers().size() > 1 && nav->topViewController().get() == this) {
        nav->popViewController(true);
        return;
    }
    dismiss(true);
}

std::vector<State> SelectRegionController::listedStates() const {
    auto search = sc.lock();
    std::vector<State> listed;
    if (!search || !search->country) return listed;
    for (const auto& state : Network::shared().states) {
        // A late reply for a country chosen before must not offer that country's states.
        if (state.country_iso == search->country->iso) listed.push_back(state);
    }
    return listed;
}

const std::vector<City>& SelectRegionController::listedCities() const { return Network::shared().cities; }

int SelectRegionController::numberOfSections(TableView&) { return 1; }

int SelectRegionController::numberOfRowsInSection(TableView&, int) {
    switch (selectRegionType.value_or(RegionType::country)) {
        case RegionType::country: return static_cast<int>(countries.size());
        case RegionType::state: return static_cast<int>(listedStates().size());
        case RegionType::city: return static_cast<int>(listedCities().size());
    }
    return 0;
}

std::string SelectRegionController::rowName(int row) const {
    const auto index = static_cast<std::size_t>(row);
    switch (selectRegionType.value_or(RegionType::country)) {
        case RegionType::country:
            return row >= 0 && index < countries.size() ? regionName(countries[index], app.lang) : "";
        case RegionType::state: {
            auto states = listedStates();
            return row >= 0 && index < states.size() ? regionName(states[index], app.lang) : "";
        }
        case RegionType::city: {
            const auto& cities = listedCities();
            return row >= 0 && index < cities.size() ? regionName(cities[index], app.lang) : "";
        }
    }
    return "";
}

std::shared_ptr<TableViewCell> SelectRegionController::cellForRowAt(TableView& tableView, IndexPath indexPath) {
    auto cell = tableView.dequeueReusableCell(kRegionCell, indexPath);
    cell->textLabel().setText(rowName(indexPath.row));
    return cell;
}

void SelectRegionController::didSelectRowAt(TableView&, IndexPath indexPath) {
    auto search = sc.lock();
    if (!search || indexPath.row < 0) return;
    const auto index = static_cast<std::size_t>(indexPath.row);
    // The lists are read as they are now: a row that is no longer there chooses nothing.
    switch (selectRegionType.value_or(RegionType::country)) {
        case RegionType::country: {
            if (index >= countries.size()) return;
            search->country = countries[index];
            search->city.reset();
            search->state.reset();
            const std::string iso = search->country->iso;
            std::weak_ptr<SearchController> weakSearch = search;
            Network::shared().getStates(iso, [weakSearch, iso](bool success) {
                if (auto screen = weakSearch.lock()) screen->statesLoaded(success, iso);
            });
            break;
        }
        case RegionType::state: {
            auto states = listedStates();
            if (index >= states.size()) return;
            search->state = states[index];
            search->loadCitiesForState();
            break;
        }
        case RegionType::city: {
            const auto& cities = listedCities();
            if (index >= cities.size()) return;
            search->city = cities[index];
            break;
        }
    }
    search->refreshRegionFields();
    if (auto nav = navigationController()) nav->popViewController(true);
}

}  // namespace tq
