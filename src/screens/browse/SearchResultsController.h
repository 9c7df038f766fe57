#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "model/Tour.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The tours a search found, opening the tour screen for the one picked. It shows what the
// web-service client held when the search that opens it made it: the tours found through city
// names and the tours of the search itself, both copied when the screen is created, so that a
// reply to a search left behind never joins them. A keyword search that found both gives two
// sections, the city-name results first; every other search gives one.
class SearchResultsController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    SearchResultsController();

    std::shared_ptr<TableView> tableview;
    AppDelegate& app;
    std::vector<TourRef> catalogue;
    std::vector<TourRef> cityCatalogue;
    // Set by the home screen before it shows the list: a black strip then covers the status bar.
    bool isShowFromHome = false;
    // The strip added under the status bar, when there is one.
    std::shared_ptr<View> statusBarStrip;

    // Registers the screen under "SearchResultsController" in "Search-ipad", with the phone's
    // transition from a row to the tour screen.
    static void registerIn(StoryboardRegistry& registry);

    // The tour shown at a row; null for a row outside the lists.
    TourRef tourAt(IndexPath indexPath) const;

    int numberOfSections(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& tableView, IndexPath indexPath) override;
    std::optional<double> heightForRowAt(TableView& tableView, IndexPath indexPath) override;
    std::optional<double> heightForHeaderInSection(TableView& tableView, int section) override;
    void didSelectRowAt(TableView& tableView, IndexPath indexPath) override;

    StatusBarStyle preferredStatusBarStyle() const override { return StatusBarStyle::darkContent; }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;

protected:
    void loadView() override;
    void viewDidResize() override;
    void viewDidLoad() override;

private:
    bool showsCitySection() const;
    void addStatusBarStrip();
    void playEntranceAnimation();
};

// The height of a results row: on a tablet 145 with a distance and 135 without; on a phone 120
// for a tour with a distance in portrait, 130 in landscape, 105 otherwise.
double searchResultRowHeight(DeviceIdiom idiom, Size screen, bool hasDistance);

}  // namespace tq
