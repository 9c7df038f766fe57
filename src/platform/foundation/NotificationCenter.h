#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tq {

class NotificationCenter;

// Keeps an observer registered for as long as it lives. A screen holds its tokens as members, so
// its observers go with it and a destroyed screen is never called.
class ObserverToken {
public:
    ObserverToken() = default;
    ObserverToken(ObserverToken&&) noexcept = default;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;
    ~ObserverToken() { reset(); }

    void reset();
    bool isActive() const { return alive_ && *alive_; }

private:
    friend class NotificationCenter;
    explicit ObserverToken(std::shared_ptr<bool> alive) : alive_(std::move(alive)) {}
    std::shared_ptr<bool> alive_;
};

// Notifications carry only a name. Delivery is synchronous, on the posting (main) thread, in the
// order the observers registered.
class NotificationCenter {
public:
    [[nodiscard]] ObserverToken addObserver(const std::string& name, std::function<void()> handler);
    void post(const std::string& name);
    std::size_t observerCount(const std::string& name) const;
    // Every name posted so far, in order; tests read it.
    const std::vector<std::string>& posted() const { return posted_; }

private:
    struct Entry {
        std::string name;
        std::shared_ptr<bool> alive;
        std::shared_ptr<std::function<void()>> handler;
    };
    void prune();
    std::vector<Entry> entries_;
    std::vector<std::string> posted_;
};

}  // namespace tq
