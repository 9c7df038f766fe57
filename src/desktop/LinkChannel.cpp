#include "desktop/LinkChannel.h"

#include <gio/gunixsocketaddress.h>

#include <filesystem>
#include <optional>

#include "desktop/UnixSocketService.h"

namespace tq::desktop {
namespace {

// A request is one line; anything longer is no address we route.
constexpr std::size_t kMaxRequest = 8192;
constexpr const char* kOpen = "open ";

// Reads one line (without its end), or nothing when none came within the socket's timeout.
std::optional<std::string> readLine(GSocket* socket) {
    std::string text;
    char buffer[512];
    while (text.find('\n') == std::string::npos) {
        if (text.size() > kMaxRequest) return std::nullopt;
        gssize got = g_socket_receive(socket, buffer, sizeof buffer, nullptr, nullptr);
        if (got <= 0) return std::nullopt;
        text.append(buffer, std::size_t(got));
    }
    text.resize(text.find('\n'));
    return text;
}

bool sendAll(GSocket* socket, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        gssize wrote = g_socket_send(socket, text.data() + sent, text.size() - sent, nullptr, nullptr);
        if (wrote <= 0) return false;
        sent += std::size_t(wrote);
    }
    return true;
}

// A connected client socket on `path`, or null when nothing listens there.
GSocket* connectTo(const std::string& path, guint timeoutSeconds) {
    GSocket* socket = g_socket_new(G_SOCKET_FAMILY_UNIX, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_DEFAULT, nullptr);
    if (!socket) return nullptr;
    g_socket_set_timeout(socket, timeoutSeconds);
    GSocketAddress* address = g_unix_socket_address_new(path.c_str());
    const bool connected = g_socket_connect(socket, address, nullptr, nullptr);
    g_object_unref(address);
    if (!connected) {
        g_object_unref(socket);
        return nullptr;
    }
    return socket;
}

gboolean onIncoming(GSocketService*, GSocketConnection* connection, GObject*, gpointer data) {
    auto* channel = static_cast<LinkChannel*>(data);
    GSocket* socket = g_socket_connection_get_socket(connection);
    // The second start writes its line as soon as it connects; a silent client is dropped.
    g_socket_set_timeout(socket, 5);
    auto request = readLine(socket);
    sendAll(socket, (request ? channel->answer(*request) : std::string("refused")) + "\n");
    g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
    return TRUE;
}

}  // namespace

std::string defaultLinkSocketPath() {
    return (std::filesystem::path(g_get_user_runtime_dir()) / "trelvoquest-links").string();
}

bool handLinkToRunningProgram(const std::string& path, const std::string& address) {
    if (address.find('\n') != std::string::npos || address.size() > kMaxRequest) return false;
    GSocket* socket = connectTo(path, 5);
    if (!socket) return false;
    bool taken = sendAll(socket, kOpen + address + "\n");
    if (taken) {
        auto reply = readLine(socket);
        taken = reply && *reply == "ok";
    }
    g_socket_close(socket, nullptr);
    g_object_unref(socket);
    return taken;
}

LinkChannel::LinkChannel(std::string path, std::function<void(const std::string&)> onLink)
    : path_(std::move(path)), onLink_(std::move(onLink)) {
    if (GSocket* other = connectTo(path_, 1)) {
        g_printerr("trelvoquest: another program takes links on %s; this one does not\n", path_.c_str());
        g_socket_close(other, nullptr);
        g_object_unref(other);
        return;
    }
    service_ = listenOnUnixSocket(path_, "take links", G_CALLBACK(onIncoming), this);
}

LinkChannel::~LinkChannel() {
    if (!service_) return;
    // The service may outlive this unref (a pending accept holds it): it must not call back here.
    g_signal_handlers_disconnect_by_data(service_, this);
    g_socket_service_stop(service_);
    g_socket_listener_close(G_SOCKET_LISTENER(service_));
    g_object_unref(service_);
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

std::string LinkChannel::answer(const std::string& request) {
    if (request.rfind(kOpen, 0) != 0) return "refused";
    if (onLink_) onLink_(request.substr(std::string(kOpen).size()));
    return "ok";
}

}  // namespace tq::desktop
