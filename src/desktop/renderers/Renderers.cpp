#include "desktop/renderers/Renderers.h"

#include <functional>
#include <vector>

#include "platform/map/MapView.h"
#include "platform/media/PanoramaView.h"
#include "platform/media/VideoPlayer.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageScrollView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/web/WebView.h"

namespace tq::desktop {

namespace {

struct Entry {
    bool (*is)(const View&);
    const Renderer& (*renderer)();
};

template <class T>
bool isKind(const View& view) {
    return dynamic_cast<const T*>(&view) != nullptr;
}

// The most specific kind first: a table view is a scroll view too.
const std::vector<Entry>& table() {
    static const std::vector<Entry> entries = {
        {isKind<Label>, labelRenderer},
        {isKind<Button>, buttonRenderer},
        {isKind<SegmentedControl>, segmentedControlRenderer},
        {isKind<Slider>, sliderRenderer},
        {isKind<Switch>, switchRenderer},
        {isKind<TextField>, textFieldRenderer},
        {isKind<ActivityIndicatorView>, activityIndicatorRenderer},
        {isKind<StarRatingView>, starRatingRenderer},
        {isKind<TableView>, tableViewRenderer},
        {isKind<ImageScrollView>, imageScrollViewRenderer},
        {isKind<ScrollView>, scrollViewRenderer},
        {isKind<TableViewCell>, tableViewCellRenderer},
        {isKind<NavigationBar>, navigationBarRenderer},
        {isKind<Toolbar>, toolbarRenderer},
        {isKind<WebView>, webViewRenderer},
        {isKind<VideoPlayerLayer>, videoLayerRenderer},
        {isKind<PanoramaView>, panoramaRenderer},
        {isKind<MapView>, mapViewRenderer},
        {isKind<ImageView>, imageViewRenderer},
    };
    return entries;
}

}  // namespace

const Renderer& rendererFor(const View& view) {
    for (const auto& entry : table()) {
        if (entry.is(view)) return entry.renderer();
    }
    return viewRenderer();
}

}  // namespace tq::desktop
