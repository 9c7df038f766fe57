#pragma once

// A socket service listening on a path of the file system, as the window's local channels use.

#include <gio/gio.h>

#include <string>

namespace tq::desktop {

// Listens on `path` (what lies there first is removed: a socket left by a killed program) and calls
// `onIncoming` with `data` for each connection. Null, with a console line naming `purpose`, when
// the path cannot be taken.
GSocketService* listenOnUnixSocket(const std::string& path, const char* purpose, GCallback onIncoming, gpointer data);

}  // namespace tq::desktop
