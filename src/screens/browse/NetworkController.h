#pragma once

#include <memory>
#include <vector>

#include "model/Tour.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "screens/tour/TourNeighbours.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The tours of an organisation, or the sub-tours of a network tour, as the tour screen opens it.
// It fetches its list itself; a row puts its tour in the application state and the storyboard's
// segue from the row shows the tour screen. Its title is the tour it was opened from.
class NetworkController : public ViewController,
                          public TourListScreen,
                          public TableViewDataSource,
                          public TableViewDelegate {
public:
    NetworkController();

    // True when created: the sub-tours of a network tour; false: an organisation's catalogue.
    bool forNetwork = true;
    TourRef networkTour;
    std::shared_ptr<TableView> tableView;
    std::vector<TourRef> catalogue;
    AppDelegate& app;

    void setForNetwork(bool value) override { forNetwork = value; }

    // Registers the screen and its segue to the tour screen in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;

    int numberOfRowsInSection(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override;
    bool canEditRowAt(TableView&, IndexPath) override { return false; }
    std::optional<double> heightForRowAt(TableView& table, IndexPath indexPath) override;
    void didSelectRowAt(TableView& table, IndexPath indexPath) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    TourRef tourAt(IndexPath indexPath) const;
    bool loadInFlight_ = false;  // the list was asked for and its reply has not come
};

}  // namespace tq
