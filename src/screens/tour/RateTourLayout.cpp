// The layout of the rating screen, built in code as the storyboards "Main" and "Main-ipad" hold it:
// one scrolling column with the thanks, the mark, the sending, the sharing and the leaving. Every
// row spans the screen's width, so a turned device lays the same column out at its new width.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/RateTourController.h"

namespace tq {

struct RateTourLayout {
    RateTourController& s;
    double gapBefore = 20;  // the room above the next row of the column

    static constexpr double kSideInset = 20;

    // The next row of the column: `height` high, 20 points in from both sides so that it spans
    // whatever width the screen has, and `gap` above the row after it.
    template <class T>
    std::shared_ptr<T> row(View& column, const std::string& name, double height, double gap = 12) {
        auto view = addColumnPart(column, std::make_shared<T>(), name, gapBefore, height, kSideInset);
        gapBefore = gap;
        return view;
    }
    std::shared_ptr<Label> label(View& parent, const std::string& name, double height, int lines = 0) {
        auto view = row<Label>(parent, name, height);
        view->setNumberOfLines(lines);
        view->setTextAlignment(TextAlignment::center);
        return view;
    }

    void build(View& root) {
        s.scrollView = std::make_shared<ScrollView>(root.bounds());
        s.scrollView->setIdentifier("scrollView");
        // The scroll view fills the screen and scrolls one column of rows.
        root.setArrangement(Arrangement::overlay());
        s.scrollView->setArrangement(Arrangement::scroll().packed(Pack::start));
        root.addSubview(s.scrollView);
        auto& column = *s.scrollView;

        s.btnClose = row<Button>(column, "btnClose", 30);
        s.btnClose->setImage(Image::named("close"));
        s.btnClose->imageView().setContentMode(ContentMode::center);
        s.lblTitle = label(column, "lblTitle", 60, 2);
        s.lblTitle->setFont(Font::system(22, FontWeight::bold));
        s.statusLabel = label(column, "statusLabel", 20, 1);

        s.lblRate = label(column, "lblRate", 40);
        s.ratingView = row<StarRatingView>(column, "ratingView", 40);
        s.ratingView->setMaxRating(5);
        // Five stars of the row's height, centred as the rest of the column is.
        sizeConstraint(column, s.ratingView, LayoutAttribute::width, 5 * 40, "ratingViewWidth");
        s.ratingView->setMinRating(0);
        s.ratingView->setRating(0);
        s.sliderRating = row<Slider>(column, "sliderRating", 30);
        s.sliderRating->setMinimumValue(0);
        s.sliderRating->setMaximumValue(5);
        s.sliderRating->setValue(0);
        s.ratingResults = label(column, "ratingResults", 24, 1);
        s.ratingResults->setText("0.0");
        s.btnRate = row<Button>(column, "btnRate", 44, 30);

        s.lblShare = label(column, "lblShare", 40);
        s.btnShare = row<Button>(column, "btnShare", 44, 30);

        s.lblRateTour = label(column, "lblRateTour", 60);
        s.btnRateApp = row<Button>(column, "btnRateApp", 44, 30);

        s.btnFinish = row<Button>(column, "btnFinish", 44, 20);
        offsetConstraint(column, s.btnFinish, LayoutAttribute::bottom, LayoutAnchor::containerEdge, gapBefore,
                         "btnFinishBottom");
    }
};

void RateTourController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    RateTourLayout{*this}.build(*root);
    wireActions();
}

void RateTourController::registerIn(StoryboardRegistry& registry) {
    for (const char* name : {"Main", "Main-ipad"}) {
        registry.storyboard(name).registerScreen("RateTourController", [] { return std::make_shared<RateTourController>(); });
    }
}

}  // namespace tq
