#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tq {

class Environment;

// The platform's "open this address outside the application": here every address handed to the
// system is recorded so that tests can see it, and the completion reports on the next turn of the
// main loop whether the system accepted it. A desktop front end plugs in a hand-off that gives the
// address to the desktop's default application; without one nothing leaves the program.
class SystemURLOpener {
public:
    // Hands the address over; false when nothing on the system takes it.
    using HandOff = std::function<bool(const std::string& address)>;

    explicit SystemURLOpener(Environment& env) : env_(env) {}

    void setHandOff(HandOff handOff) { handOff_ = std::move(handOff); }
    bool hasHandOff() const { return static_cast<bool>(handOff_); }
    // Gives the address to the plugged hand-off at once; false without one or when it is refused.
    bool handOver(const std::string& address) const { return handOff_ && handOff_(address); }

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
    HandOff handOff_;
};

}  // namespace tq
