// Kinds drawn as plain views until their renderer lands.
#include "desktop/renderers/Renderers.h"

namespace tq::desktop {

namespace {
class PlainRenderer : public Renderer {
public:
    explicit PlainRenderer(const char* kind) : kind_(kind) {}
    const char* kind() const override { return kind_; }

private:
    const char* kind_;
};
}  // namespace

const Renderer& segmentedControlRenderer() {
    static const PlainRenderer r("SegmentedControl");
    return r;
}
const Renderer& sliderRenderer() {
    static const PlainRenderer r("Slider");
    return r;
}
const Renderer& switchRenderer() {
    static const PlainRenderer r("Switch");
    return r;
}
const Renderer& textFieldRenderer() {
    static const PlainRenderer r("TextField");
    return r;
}
const Renderer& starRatingRenderer() {
    static const PlainRenderer r("StarRating");
    return r;
}
const Renderer& scrollViewRenderer() {
    static const PlainRenderer r("ScrollView");
    return r;
}
const Renderer& tableViewRenderer() {
    static const PlainRenderer r("TableView");
    return r;
}
const Renderer& tableViewCellRenderer() {
    static const PlainRenderer r("TableViewCell");
    return r;
}
const Renderer& imageScrollViewRenderer() {
    static const PlainRenderer r("ImageScrollView");
    return r;
}
const Renderer& navigationBarRenderer() {
    static const PlainRenderer r("NavigationBar");
    return r;
}
const Renderer& toolbarRenderer() {
    static const PlainRenderer r("Toolbar");
    return r;
}
const Renderer& webViewRenderer() {
    static const PlainRenderer r("WebView");
    return r;
}
const Renderer& videoLayerRenderer() {
    static const PlainRenderer r("VideoLayer");
    return r;
}
const Renderer& panoramaRenderer() {
    static const PlainRenderer r("Panorama");
    return r;
}
const Renderer& mapViewRenderer() {
    static const PlainRenderer r("MapView");
    return r;
}

}  // namespace tq::desktop
