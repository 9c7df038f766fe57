#pragma once

// Programs started by a benchmark: each runs with its standard output on a pipe, the benchmark
// waits for one line on it (timed from just before the start), and then ends the program with
// SIGTERM and reads its peak resident memory from the kernel.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace tq::bench {

struct ChildRun {
    bool ok = false;
    std::string failure;
    double seconds = 0;         // from just before the start to the awaited line
    std::string line;           // the awaited line
    std::vector<std::string> earlier;  // the lines before it
    long peakKilobytes = 0;     // the program's peak resident memory over its whole life
};

// Starts `argv` with `extraEnvironment` ("NAME=value") added to this process's, waits up to
// `timeoutSeconds` for a line of standard output that begins with `awaited`, then sends SIGTERM and
// waits for the end. Standard error goes to /dev/null, unless TQ_BENCH_VERBOSE is set.
inline ChildRun runUntilLine(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment,
                             const std::string& awaited, double timeoutSeconds = 60) {
    ChildRun run;
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) environment.emplace_back(*e);
    for (const auto& extra : extraEnvironment) environment.push_back(extra);
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        run.failure = "no pipe";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (!std::getenv("TQ_BENCH_VERBOSE")) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        run.failure = std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned);
        return run;
    }

    std::string buffer;
    const auto deadline = start + std::chrono::duration<double>(timeoutSeconds);
    while (!run.ok) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.failure = "no \"" + awaited + "\" line within " + std::to_string(timeoutSeconds) + " s";
            break;
        }
        pollfd wait{out[0], POLLIN, 0};
        if (poll(&wait, 1, int(left.count())) <= 0) continue;
        char chunk[4096];
        ssize_t got = read(out[0], chunk, sizeof chunk);
        if (got <= 0) {
            run.failure = "the program ended before its \"" + awaited + "\" line";
            break;
        }
        buffer.append(chunk, std::size_t(got));
        for (auto end = buffer.find('\n'); end != std::string::npos; end = buffer.find('\n')) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            if (!run.ok && line.rfind(awaited, 0) == 0) {
                run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                run.line = line;
                run.ok = true;
            } else if (!run.ok) {
                run.earlier.push_back(line);
            }
        }
    }
    kill(pid, SIGTERM);
    // A program that does not end on SIGTERM within 20 s is killed.
    int status = 0;
    rusage usage{};
    for (int tries = 0; tries < 200; ++tries) {
        if (wait4(pid, &status, WNOHANG, &usage) == pid) break;
        if (tries == 199) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            if (run.ok) run.failure = "the program did not end on SIGTERM";
        }
        usleep(100 * 1000);
    }
    close(out[0]);
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

}  // namespace tq::bench
