#pragma once

#include <string>

#include "platform/ui/AlertController.h"

namespace tq {

// Bold title and plain message in the application's fixed alert fonts, both black.
void setAttributedTitle(AlertController& alert, const std::string& title);
void setAttributedMessage(AlertController& alert, const std::string& message);

}  // namespace tq
