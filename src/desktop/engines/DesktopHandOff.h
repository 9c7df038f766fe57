#pragma once

#include <string>

namespace tq {
class Console;
}

namespace tq::desktop {

// Gives an address (an outside link, a "geo:" address, the settings or the store page) to the
// desktop's default application for it. When nothing on the desktop takes it, a console line says
// so and the answer is false; the program carries on.
bool launchDefaultApplication(Console& console, const std::string& address);

}  // namespace tq::desktop
