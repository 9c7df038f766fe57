#pragma once

#include <csignal>
#include <initializer_list>
#include <thread>
#include <vector>

namespace tq {

class MainLoop;

// Quits the main loop when one of the given signals arrives (the program's Ctrl-C and SIGTERM).
// The handler itself only writes to an eventfd, which is all a handler may safely do; a small
// watcher thread reads it and asks the loop to quit from an ordinary thread. One at a time per
// process; the previous handlers come back when it goes.
class QuitOnSignal {
public:
    QuitOnSignal(MainLoop& loop, std::initializer_list<int> signals);
    ~QuitOnSignal();
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

private:
    void watch();
    MainLoop& loop_;
    int signalled_ = -1;  // written by the handler
    int stop_ = -1;       // written by the destructor
    std::vector<std::pair<int, struct sigaction>> previous_;
    std::thread watcher_;
};

}  // namespace tq
