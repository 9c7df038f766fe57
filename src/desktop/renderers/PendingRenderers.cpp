// Kinds drawn as plain views until their renderer lands: the map (its markers, callouts and
// routes on libshumate) draws an empty area for now.
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

const Renderer& mapViewRenderer() {
    static const PlainRenderer r("MapView");
    return r;
}

}  // namespace tq::desktop
