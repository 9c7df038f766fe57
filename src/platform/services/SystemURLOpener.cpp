#include "platform/services/SystemURLOpener.h"

#include "platform/foundation/Environment.h"

namespace tq {

bool SystemURLOpener::canOpen(const std::string& address) const {
    auto colon = address.find(':');
    return accepts_ && colon != std::string::npos && colon > 0;
}

void SystemURLOpener::open(const std::string& address, std::function<void(bool)> completion) {
    opened_.push_back(address);
    bool accepted = canOpen(address);
    if (accepted && handOff_) accepted = handOver(address);
    if (completion) env_.loop().post([completion = std::move(completion), accepted] { completion(accepted); });
}

}  // namespace tq
