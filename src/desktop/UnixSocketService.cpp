#include "desktop/UnixSocketService.h"

#include <gio/gunixsocketaddress.h>

#include <filesystem>

namespace tq::desktop {

GSocketService* listenOnUnixSocket(const std::string& path, const char* purpose, GCallback onIncoming, gpointer data) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    GSocketAddress* address = g_unix_socket_address_new(path.c_str());
    GSocketService* service = g_socket_service_new();
    GError* error = nullptr;
    if (!g_socket_listener_add_address(G_SOCKET_LISTENER(service), address, G_SOCKET_TYPE_STREAM,
                                       G_SOCKET_PROTOCOL_DEFAULT, nullptr, nullptr, &error)) {
        g_printerr("trelvoquest: cannot %s on %s: %s\n", purpose, path.c_str(), error->message);
        g_error_free(error);
        g_object_unref(service);
        service = nullptr;
    } else {
        g_signal_connect(service, "incoming", onIncoming, data);
        g_socket_service_start(service);
    }
    g_object_unref(address);
    return service;
}

}  // namespace tq::desktop
