#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tq {

class Environment;

// The platform's "open this address outside the application": here every address handed to the
// system is recorded so that tests can see it, and the completion reports on the next turn of the
// main loop whether the system accepted it.
class SystemURLOpener {
public:
    explicit SystemURLOpener(Environment& env) : env_(env) {}

    void open(const std::string& address, std::function<void(bool accepted)> completion = {});
    bool canOpen(const std::string& address) const;

    // Every address handed over, in order.
    const std::vector<std::string>& openedAddresses() const { return opened_; }
    // Whether the system accepts the addresses it is given (true unless a test says otherwise).
    void setAccepts(bool accepts) { accepts_ = accepts; }

private:
    Environment& env_;
    std::vector<std::string> opened_;
    bool accepts_ = true;
};

}  // namespace tq
