#include "platform/foundation/QuitOnSignal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "platform/foundation/MainLoop.h"

namespace tq {
namespace {

std::atomic<int> signalEvent{-1};

extern "C" void onQuitSignal(int) {
    int saved = errno;
    std::uint64_t one = 1;
    int fd = signalEvent.load();
    if (fd >= 0) [[maybe_unused]] auto written = ::write(fd, &one, sizeof one);
    errno = saved;
}

void drain(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] auto read = ::read(fd, &count, sizeof count);
}

}  // namespace

QuitOnSignal::QuitOnSignal(MainLoop& loop, std::initializer_list<int> signals) : loop_(loop) {
    signalled_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    stop_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (signalled_ < 0 || stop_ < 0) throw std::runtime_error("no eventfd for the signal watcher");
    signalEvent = signalled_;
    watcher_ = std::thread([this] { watch(); });

    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : signals) {
        struct sigaction old {};
        ::sigaction(signal, &action, &old);
        previous_.emplace_back(signal, old);
    }
}

QuitOnSignal::~QuitOnSignal() {
    for (auto& [signal, old] : previous_) ::sigaction(signal, &old, nullptr);
    signalEvent = -1;
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(stop_, &one, sizeof one);
    watcher_.join();
    ::close(signalled_);
    ::close(stop_);
}

void QuitOnSignal::watch() {
    pollfd fds[2] = {{signalled_, POLLIN, 0}, {stop_, POLLIN, 0}};
    while (true) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (fds[0].revents) {
            drain(signalled_);
            loop_.quit();
        }
    }
}

}  // namespace tq
