// The tours around the visitor: location, then the web service's tours nearby.
#include "screens/browse/CatalogController.h"

namespace tq {

void CatalogController::startAroundLocating() {}
void CatalogController::toursAroundLoaded(bool) {}
void CatalogController::showAroundLocationAlert() {}

}  // namespace tq
