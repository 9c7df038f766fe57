#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

namespace tq {

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept {
    if (this != &other) {
        reset();
        alive_ = std::move(other.alive_);
    }
    return *this;
}

void ObserverToken::reset() {
    if (alive_) *alive_ = false;
    alive_.reset();
}

ObserverToken NotificationCenter::addObserver(const std::string& name, std::function<void()> handler) {
    prune();
    auto alive = std::make_shared<bool>(true);
    entries_.push_back({name, alive, std::make_shared<std::function<void()>>(std::move(handler))});
    return ObserverToken(alive);
}

void NotificationCenter::post(const std::string& name) {
    posted_.push_back(name);
    // A handler may add or remove observers: walk a snapshot and re-check each one before calling.
    auto snapshot = entries_;
    for (const auto& entry : snapshot) {
        if (entry.name == name && *entry.alive) (*entry.handler)();
    }
    prune();
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                  [&](const Entry& e) { return e.name == name && *e.alive; }));
}

void NotificationCenter::prune() {
    std::erase_if(entries_, [](const Entry& e) { return !*e.alive; });
}

}  // namespace tq
