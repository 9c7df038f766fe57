#pragma once

#include <memory>
#include <string>

#include "model/Tour.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayoutConstraint.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TableViewCell.h"

namespace tq {

class AppDelegate;
class TableView;

// The screen that handles a cell's update button (the catalogue of downloaded tours).
class CatalogueCellDelegate {
public:
    virtual ~CatalogueCellDelegate() = default;
    // `sender` is the pressed update button; its tag holds the tour's identifier as a number.
    virtual void confirmTourUpdate(Button& sender) = 0;
};

// The row that presents one tour in every tour list: title, language line, place, thumbnail,
// distance, and one of four rating states (stars, not rated, organisation badge, update button).
// The rating row exists twice, for portrait and landscape; the one that fits the screen shows.
//
// In the downloaded-tours mode (`app.isMyTour`) the tour comes from the device and its picture
// from the tour's folder; online its thumbnail comes from the product site.
class CatalogueCell : public TableViewCell {
public:
    // The identifier every list dequeues the cell under.
    static constexpr const char* cellIdentifier = "catalogueCell";
    // Makes the table build this cell for `cellIdentifier`.
    static void registerIn(TableView& table);

    CatalogueCell();

    // Set by the list before `configureCell`.
    TourRef tour;
    AppDelegate& app;
    // Held weakly: the screen owns the table that owns the cell.
    std::weak_ptr<CatalogueCellDelegate> cellDelegate;

    // Outlets. The size labels may be absent from a layout.
    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<Label> lblNotRated, lblNotRatedLand;
    std::shared_ptr<StarRatingView> ratingView, ratingViewLand;
    std::shared_ptr<Label> lblCity;
    std::shared_ptr<Label> lblLanguage;
    std::shared_ptr<Label> lblDistanceFrom;
    std::shared_ptr<ImageView> thumbnail;
    std::shared_ptr<ImageView> imgNetwork, imgNetworkLand;
    std::shared_ptr<Label> lblSize;
    std::shared_ptr<Button> btnUpdate;
    std::shared_ptr<Label> lblSizeLand;
    std::shared_ptr<Button> btnUpdateLand;
    std::shared_ptr<View> viewRatingBottom, viewRatingBottomLand;
    std::shared_ptr<LayoutConstraint> constHeightLeftView, constHeightImage;
    std::shared_ptr<LayoutConstraint> constWidthStackLeft, constWidthtImage;

    void awakeFromNib() override;
    // Fills every outlet from `tour`; does nothing without one.
    void configureCell();
    // The tour's own language in semibold, then (online) " | " and each other language version.
    AttributedString languageLine() const;
    // The update buttons' action: hands the button to the delegate, if there still is one.
    void updateTourWithSender(Button& sender);

protected:
    void layoutSubviews() override;

private:
    void buildLayout();
    void showPlace();
    void showDownloadedTourControls();
    void showThumbnail();
    void showRatingState();
    void showDistance();
};

// What a cell shows after the number for a distance in `unit`: the distance exactly as received
// for "km", else miles as "%5.2f"; nothing when the distance does not read as a number.
std::optional<std::string> catalogueDistanceValue(const std::string& distance, const std::string& unit);

}  // namespace tq
