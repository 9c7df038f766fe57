#include "platform/foundation/DispatchScope.h"

#include <vector>

namespace tq {

namespace {
struct Pool {
    int depth = 0;
    std::vector<std::shared_ptr<const void>> held;
};

Pool& pool() {
    thread_local Pool instance;
    return instance;
}
}  // namespace

void DispatchScope::open() { ++pool().depth; }

void DispatchScope::close() {
    auto& p = pool();
    if (--p.depth > 0) return;
    // Releasing may run destructors that open scopes of their own and hold more: release until
    // nothing is left, outside any scope.
    while (!p.held.empty()) {
        auto released = std::move(p.held);
        p.held.clear();
        released.clear();
    }
}

void DispatchScope::hold(std::shared_ptr<const void> object) {
    auto& p = pool();
    if (p.depth > 0 && object) p.held.push_back(std::move(object));
}

bool DispatchScope::isOpen() { return pool().depth > 0; }

std::size_t DispatchScope::heldCount() { return pool().held.size(); }

}  // namespace tq
