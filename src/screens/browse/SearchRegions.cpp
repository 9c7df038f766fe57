// The search screen's region chain: country, then state, then city, each chosen in the region
// picker, and the search by the deepest level chosen.
#include "app/AppDelegate.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Storyboard.h"
#include "screens/browse/SearchController.h"
#include "screens/browse/SelectRegionController.h"
#include "service/Network.h"

namespace tq {

void SearchController::openRegionPicker(RegionType level) {
    auto board = storyboard();
    auto picker = board ? board->instantiate<SelectRegionController>("SelectRegionController") : nullptr;
    if (!picker) return;
    picker->selectRegionType = level;
    picker->sc = weakSelf();
    show(picker);
}

void SearchController::chooseCountry() {
    btnCity->setHidden(true);
    txtViewCity->setHidden(true);
    txtViewState->setText(app.text("ChooseState"));
    openRegionPicker(RegionType::country);
}

void SearchController::chooseState() {
    txtViewCity->setText(app.text("ChooseCity"));
    openRegionPicker(RegionType::state);
}

void SearchController::chooseCity() { openRegionPicker(RegionType::city); }

void SearchController::statesLoaded(bool success, const std::string& countryIso) {
    if (!success || !country) return;
    if (country->iso != countryIso) {
        // A late reply for a country chosen before has replaced the client's states: ask again for
        // the chosen country's.
        const std::string chosen = country->iso;
        auto weak = weakSelf();
        network.getStates(chosen, [weak, chosen](bool ok) {
            if (auto self = weak.lock()) self->statesLoaded(ok, chosen);
        });
        return;
    }
    if (!network.states.empty()) {
        btnState->setHidden(false);
        txtViewState->setHidden(false);
        return;
    }
    // A country without states goes straight on to its cities.
    txtViewState->setHidden(true);
    btnState->setHidden(true);
    txtViewCity->setHidden(false);
    btnCity->setHidden(false);
    network.getCitiesOfCountry(country->iso, [](bool) {});
}

void SearchController::loadCitiesForState() {
    if (!country || !state) return;
    network.getCitiesOfState(country->iso, state->state_iso, [](bool) {});
    txtViewCity->setHidden(false);
    btnCity->setHidden(false);
}

void SearchController::refreshRegionFields() {
    if (country) txtViewCountry->setText(regionName(*country, app.lang));
    if (state) {
        txtViewState->setText(regionName(*state, app.lang));
    } else if (!city) {
        txtViewState->setText(app.text("ChooseState"));
    }
    txtViewCity->setText(city ? regionName(*city, app.lang) : app.text("ChooseCity"));
}

void SearchController::searchByPlaces() {
    clearSearchResults();
    std::string key;
    if (city) {
        key = city->place_code.value_or("");
        searchType = RegionType::city;
    } else if (state) {
        key = state->state_iso;
        searchType = RegionType::state;
    } else if (country) {
        key = country->iso;
        searchType = RegionType::country;
    } else {
        presentCloseAlert("MissSelection", "MissSelectionMessage");
        return;
    }
    if (key.empty()) return;
    auto weak = weakSelf();
    const int request = ++searchRequest;
    network.getToursByRegion(key, *searchType, languageSelected, [weak, request](bool success) {
        auto self = weak.lock();
        if (!self || request != self->searchRequest) return;
        if (success) {
            self->showRegionResults();
        } else {
            self->presentCloseAlert("Search", "SearchNoResult");
        }
    });
}

void SearchController::showRegionResults() { showResults(); }

}  // namespace tq
