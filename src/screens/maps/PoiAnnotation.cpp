#include "screens/maps/PoiAnnotation.h"

namespace tq {

PoiAnnotation::PoiAnnotation(PointOfInterestRef point, std::int64_t pinNumber, LocationCoordinate coordinate)
    : index(pinNumber), poi(std::move(point)), coordinate_(coordinate) {
    if (!poi) return;
    name = poi->poi_name.value_or("");
    if (!poi->content) return;
    for (const auto& content : *poi->content) {
        if (content && content->content_thumbnailUrl && !content->content_thumbnailUrl->empty()) {
            image = content->content_thumbnailUrl;
            break;
        }
    }
}

std::optional<std::string> PoiAnnotation::title() const {
    return std::to_string(index.value_or(0)) + " - " + name.value_or("");
}

std::optional<std::string> PoiAnnotation::subtitle() const { return std::to_string(index.value_or(0)); }

}  // namespace tq
