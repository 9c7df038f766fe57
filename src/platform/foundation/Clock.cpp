#include "platform/foundation/Clock.h"

namespace tq {

double SteadyClock::now() const {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tq
