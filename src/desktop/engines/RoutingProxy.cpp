#include "desktop/engines/RoutingProxy.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <cctype>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>

namespace tq::desktop {
namespace {

constexpr std::size_t kMaxHeadBytes = 8192;
constexpr int kHeadTimeoutMs = 10000;
constexpr int kConnectTimeoutMs = 10000;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "host:port" or "[v6]:port" into its parts; none when it is not one.
std::optional<std::pair<std::string, std::string>> splitHostPort(const std::string& authority) {
    auto colon = authority.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == authority.size()) return std::nullopt;
    std::string host = authority.substr(0, colon), port = authority.substr(colon + 1);
    if (host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (port.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::make_pair(host, port);
}

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Waits until `fd` is ready for `events` or the stop pipe speaks; false on stop, timeout or error.
bool waitFor(int fd, short events, int stopFd, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || fds[1].revents) return false;
        return true;
    }
}

// A connected socket to host:port (blocking once connected), or -1.
int connectTo(const std::string& host, const std::string& port, int stopFd) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
    int connected = -1;
    for (addrinfo* a = found; a && connected < 0; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        int result = connect(fd, a->ai_addr, a->ai_addrlen);
        if (result < 0 && errno == EINPROGRESS && waitFor(fd, POLLOUT, stopFd, kConnectTimeoutMs)) {
            int error = 0;
            socklen_t length = sizeof error;
            result = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0 ? 0 : -1;
        }
        if (result == 0) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            connected = fd;
        } else {
            close(fd);
        }
    }
    freeaddrinfo(found);
    return connected;
}

}  // namespace

class RoutingProxy::Impl {
public:
    ~Impl() { stop(); }

    bool listen(std::string& error) {
        if (pipe2(stopPipe_, O_CLOEXEC) != 0) {
            error = std::string("no pipe: ") + std::strerror(errno);
            return false;
        }
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 64) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            error = std::string("no loopback port for the proxy: ") + std::strerror(errno);
            return false;
        }
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
        return true;
    }

    void stop() {
        if (stopPipe_[1] >= 0) {
            char byte = 0;
            [[maybe_unused]] auto written = write(stopPipe_[1], &byte, 1);
        }
        if (acceptor_.joinable()) acceptor_.join();
        {
            std::lock_guard lock(mutex_);
            for (auto& tunnel : tunnels_) {
                for (int fd : {tunnel->client, tunnel->upstream}) {
                    if (fd >= 0) shutdown(fd, SHUT_RDWR);
                }
            }
        }
        for (auto& tunnel : tunnels_) tunnel->thread.join();
        tunnels_.clear();
        for (int* fd : {&listener_, &stopPipe_[0], &stopPipe_[1]}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
    }

    std::map<std::string, std::string> routes;
    int port_ = 0;

private:
    struct Tunnel {
        std::thread thread;
        std::atomic<bool> done{false};
        int client = -1;
        int upstream = -1;
    };

    void acceptLoop() {
        for (;;) {
            if (!waitFor(listener_, POLLIN, stopPipe_[0], -1)) return;
            int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::lock_guard lock(mutex_);
            reapFinished();
            auto tunnel = std::make_unique<Tunnel>();
            tunnel->client = client;
            Tunnel* raw = tunnel.get();
            tunnels_.push_back(std::move(tunnel));
            raw->thread = std::thread([this, raw] { serve(*raw); });
        }
    }

    // Called with the lock held.
    void reapFinished() {
        for (auto it = tunnels_.begin(); it != tunnels_.end();) {
            if ((*it)->done) {
                (*it)->thread.join();
                it = tunnels_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void serve(Tunnel& tunnel) {
        std::string buffered;
        int upstream = connectTarget(tunnel.client, buffered);
        if (upstream >= 0) {
            {
                std::lock_guard lock(mutex_);
                tunnel.upstream = upstream;
            }
            const char* established = "HTTP/1.1 200 Connection established\r\n\r\n";
            if (sendAll(tunnel.client, established, std::strlen(established)) &&
                sendAll(upstream, buffered.data(), buffered.size())) {
                relay(tunnel.client, upstream);
            }
        }
        std::lock_guard lock(mutex_);
        close(tunnel.client);
        if (tunnel.upstream >= 0) close(tunnel.upstream);
        tunnel.client = tunnel.upstream = -1;
        tunnel.done = true;
    }

    // Reads the CONNECT request and connects to its target (its route, if it has one); the
    // upstream socket, or -1 after answering the client with the failure. Bytes the client sent
    // after the request are left in `buffered`.
    int connectTarget(int client, std::string& buffered) {
        std::string head;
        std::size_t end;
        char chunk[2048];
        while ((end = head.find("\r\n\r\n")) == std::string::npos) {
            if (head.size() > kMaxHeadBytes || !waitFor(client, POLLIN, stopPipe_[0], kHeadTimeoutMs)) return -1;
            ssize_t got = recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) return -1;
            head.append(chunk, static_cast<std::size_t>(got));
        }
        buffered = head.substr(end + 4);
        auto lineEnd = head.find("\r\n");
        std::string line = head.substr(0, lineEnd);
        auto firstSpace = line.find(' '), secondSpace = line.rfind(' ');
        if (line.rfind("CONNECT ", 0) != 0 || secondSpace <= firstSpace) {
            answer(client, "405 Method Not Allowed");
            return -1;
        }
        auto target = splitHostPort(line.substr(firstSpace + 1, secondSpace - firstSpace - 1));
        if (!target) {
            answer(client, "400 Bad Request");
            return -1;
        }
        auto [host, port] = *target;
        auto route = routes.find(lowercase(host));
        if (route != routes.end()) {
            auto routed = splitHostPort(route->second);
            if (!routed) {
                answer(client, "502 Bad Gateway");
                return -1;
            }
            std::tie(host, port) = *routed;
        }
        int upstream = connectTo(host, port, stopPipe_[0]);
        if (upstream < 0) answer(client, "502 Bad Gateway");
        return upstream;
    }

    static void answer(int client, const std::string& status) {
        std::string reply = "HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        sendAll(client, reply.data(), reply.size());
    }

    // Passes bytes both ways until both sides have closed (or the proxy stops).
    void relay(int client, int upstream) {
        pollfd fds[3] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        bool reading[2] = {true, true};
        char chunk[16384];
        while (reading[0] || reading[1]) {
            int ready = poll(fds, 3, -1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0 || fds[2].revents) return;
            for (int side = 0; side < 2; ++side) {
                if (!reading[side] || !fds[side].revents) continue;
                int from = fds[side].fd, to = fds[1 - side].fd;
                ssize_t got = recv(from, chunk, sizeof chunk, 0);
                if (got < 0 && errno == EINTR) continue;
                if (got <= 0) {
                    // One side is done sending: tell the other, keep reading what it still sends.
                    reading[side] = false;
                    fds[side].fd = -1;
                    shutdown(to, SHUT_WR);
                    continue;
                }
                if (!sendAll(to, chunk, static_cast<std::size_t>(got))) return;
            }
        }
    }

    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Tunnel>> tunnels_;
};

std::unique_ptr<RoutingProxy> RoutingProxy::start(std::map<std::string, std::string> routes, std::string& error) {
    auto impl = std::make_unique<Impl>();
    for (auto& [host, route] : routes) impl->routes[lowercase(host)] = route;
    if (!impl->listen(error)) return nullptr;
    return std::unique_ptr<RoutingProxy>(new RoutingProxy(std::move(impl)));
}

RoutingProxy::RoutingProxy(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

RoutingProxy::~RoutingProxy() = default;

std::string RoutingProxy::uri() const { return "http://127.0.0.1:" + std::to_string(impl_->port_); }

bool EngineRoutes::isRouted(const std::string& host) const { return routes.count(lowercase(host)) > 0; }

std::optional<EngineRoutes> startEngineRoutes(const RouteSource& source, std::string& error) {
    if (source.routes.empty() || !source.authority) return std::nullopt;
    auto proxy = RoutingProxy::start(source.routes, error);
    if (!proxy) return std::nullopt;
    EngineRoutes routes;
    routes.proxy = std::move(proxy);
    for (const auto& [host, route] : source.routes) routes.routes[lowercase(host)] = route;
    routes.authority = *source.authority;
    return routes;
}

}  // namespace tq::desktop
