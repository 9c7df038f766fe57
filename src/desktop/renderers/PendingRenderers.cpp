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
