#include "desktop/engines/DesktopHandOff.h"

#include <gio/gio.h>

#include "platform/foundation/Console.h"

namespace tq::desktop {

bool launchDefaultApplication(Console& console, const std::string& address) {
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(address.c_str(), nullptr, &error)) return true;
    console.log("No application on this desktop opens " + address + (error && error->message ? std::string(": ") + error->message : ""));
    g_clear_error(&error);
    return false;
}

}  // namespace tq::desktop
