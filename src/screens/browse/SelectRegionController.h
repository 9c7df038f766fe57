#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Regions.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class SearchController;
class StoryboardRegistry;

// The list from which the visitor picks one level of the region search: a country, a state of the
// chosen country or a city. The choice is written into the search screen, which refreshes its
// fields, and the picker pops itself.
class SelectRegionController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    SelectRegionController();

    // A copy of the client's countries taken at creation; sorted once when the screen loads.
    std::vector<Country> countries;
    std::optional<RegionType> selectRegionType;
    AppDelegate& app;
    std::weak_ptr<SearchController> sc;

    std::shared_ptr<TableView> tableview;
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<Button> btnClose;

    // Registers the screen under "SelectRegionController" in "Search-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void dismissView();

    int numberOfSections(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;

protected:
    void loadView() override;
    void viewDidResize() override;
    void viewDidLoad() override;

private:
    // The client's states of the country chosen in the search screen, in the order received.
    std::vector<State> listedStates() const;
    const std::vector<City>& listedCities() const;
    std::string rowName(int row) const;
};

// Sorts countries in place by their name in the interface language, keeping the order of equal
// names: French (1) by the collation of the "ca_FR" locale, English (0) and every other value by
// Unicode scalar values after canonical composition, so equivalent spellings compare equal.
void sortCountries(std::vector<Country>& countries, std::int64_t lang);

// The name of a region in the interface language: 0 English, 1 French, any other value Spanish.
// Cities carry no Spanish name, so Spanish shows the French one; an absent name is empty.
std::string regionName(const Country& country, std::int64_t lang);
std::string regionName(const State& state, std::int64_t lang);
std::string regionName(const City& city, std::int64_t lang);

}  // namespace tq
