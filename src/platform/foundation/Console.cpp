#include "platform/foundation/Console.h"

#include <algorithm>
#include <iostream>

namespace tq {

void Console::log(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
    if (echo_) std::cerr << line << '\n';
}

std::vector<std::string> Console::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool Console::contains(const std::string& line) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

bool Console::containsPrefix(const std::string& prefix) const {
    std::lock_guard lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

void Console::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace tq
