#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "model/Tour.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/location/LocationManager.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "screens/browse/CatalogueCell.h"
#include "storage/StorageListeners.h"

namespace tq {

class AppDelegate;
class StoryboardRegistry;

// The list of tours, in one of two modes fixed before it loads:
// - the online catalogue (`isFavorites` false), in one of three orders chosen with the segmented
//   control: featured, recent, or the tours around the visitor;
// - the tours stored on the device (`isFavorites` true), where a tour can be deleted or updated.
// Selecting a row writes the tour into the application state; the storyboard's segue from the row
// then shows the tour screen.
class CatalogController : public ViewController,
                          public TableViewDataSource,
                          public TableViewDelegate,
                          public CatalogueCellDelegate,
                          public LocalToursListener,
                          public LocationManagerDelegate {
public:
    enum class Sort { featured, recent, around };

    CatalogController();
    ~CatalogController() override;

    // Outlets, filled by the storyboard.
    std::shared_ptr<Toolbar> toolBar;
    std::shared_ptr<TableView> tableView;
    std::shared_ptr<SegmentedControl> segmentBar;
    std::shared_ptr<BarButtonItem> btnSearch;
    std::shared_ptr<BarButtonItem> btnCheckForUpdate;

    bool isEditingTour = false;
    bool isUpdatingTour = false;
    std::vector<TourRef> catalogue;
    AppDelegate& app;
    bool isFavorites = false;
    Sort sort = Sort::recent;
    std::unique_ptr<LocationManager> locationManager;
    std::optional<LocationCoordinate> userPosition;

    // Registers the screen, its layouts and its segue to the tour screen in "Main" and "Main-ipad".
    static void registerIn(StoryboardRegistry& registry);

    // ---- List and ordering
    void catalogueLoaded(bool success);
    void localToursLoaded(bool success) override;
    void segmentedBarTouch(SegmentedControl& sender);
    void sortCatalogue();
    void showSearch();
    void toHome();
    // The visible rows come in, and the table shows.
    void animateTable();

    // ---- Tours around
    void startAroundLocating();
    void toursAroundLoaded(bool success);
    void showAroundLocationAlert();
    void didUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) override;
    void didFailWithError(LocationManager& manager, const LocationError& error) override;
    void didChangeAuthorizationStatus(LocationManager& manager, LocationAuthorizationStatus status) override;
    void didChangeAuthorization(LocationManager& manager) override;

    // ---- Update and deletion
    void installEditButton();
    void editFavorites();
    void confirmTourUpdate(Button& sender) override;
    void startTourUpdate(int senderTag);
    void updateDone();
    void unlockAfterUpdate();
    void checkForUpdates();

    // ---- Table
    int numberOfRowsInSection(TableView& table, int section) override;
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override;
    bool canEditRowAt(TableView& table, IndexPath indexPath) override;
    void commitEditingStyle(TableView& table, TableCellEditingStyle style, IndexPath indexPath) override;
    std::optional<double> heightForRowAt(TableView& table, IndexPath indexPath) override;
    void didSelectRowAt(TableView& table, IndexPath indexPath) override;

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewWillTransitionToSize(Size size, TransitionCoordinator& coordinator) override;

protected:
    void loadView() override;
    // The table lays its rows out at its own width: it follows the screen's.
    void viewDidResize() override;
    void viewDidLoad() override;

private:
    friend struct CatalogLayout;
    class UpdateLock;

    std::weak_ptr<CatalogController> weakSelf();
    // The tour of a row, or null when the row is outside the list as it stands now.
    TourRef tourAt(IndexPath indexPath) const;
    void loadOnlineCatalogue();
    void localizeSegmentTitles();
    void tourDeleted(bool success, const std::string& tourId);
    // An alert with "OK" presented by the navigation controller; `okAction` runs on "OK".
    void presentAlert(const std::string& titleKey, const std::string& messageKey, const std::string& buttonTitle,
                      std::function<void()> action = {});
    void lockForUpdate(bool locked);
    // Acts on an authorisation while the around order waits for a position.
    void aroundAuthorizationChanged(LocationAuthorizationStatus status);
    // The around order stops waiting: for a position, and for the reply of a request already sent.
    void abandonAround();

    ObserverToken updateCompleteObserver_;
    ObserverToken downloadErrorObserver_;
    // What the running update has announced so far, so that its end is told exactly once.
    bool updateAnnounced_ = false;
    // The around order waits for the device's position.
    bool awaitingPosition_ = false;
    // Counts the around requests; a reply answers only the newest, while that order is shown.
    int aroundRequest_ = 0;
    bool aroundReplyPending_ = false;
    bool catalogueLoadPending_ = false;  // the online catalogue was asked for, no reply yet  // the tours near the position were asked for, no reply yet
};

// The featured tours of the catalogue in the language `code` ("en", "fr", "es"): `is_featured`
// exactly "1" and `language` exactly the code, in catalogue order.
std::vector<TourRef> featuredTours(const std::vector<TourRef>& catalogue, const std::string& code);

// The catalogue ordered by the editors' order of the interface language `lang` (0 English,
// 2 Spanish, otherwise French), ascending and stable; a tour without a whole-number order counts
// as 9999.
std::vector<TourRef> recentOrder(const std::vector<TourRef>& catalogue, std::int64_t lang);

}  // namespace tq
