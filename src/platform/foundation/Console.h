#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace tq {

// The one log output: each line is an operation's label, or a label followed by an error text.
class Console {
public:
    explicit Console(bool echoToStderr = false) : echo_(echoToStderr) {}
    void log(const std::string& line);
    std::vector<std::string> lines() const;
    bool contains(const std::string& line) const;
    bool containsPrefix(const std::string& prefix) const;
    void clear();

private:
    bool echo_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace tq
