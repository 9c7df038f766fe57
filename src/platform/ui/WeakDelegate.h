#pragma once

#include <memory>

namespace tq {

// Base of every delegate interface. Views and players refer to their delegate weakly, as on the
// original platform: a screen that goes away is never called back, even if one of its views or
// players lives on in a pending task or in a test.
class WeaklyReferenced {
public:
    WeaklyReferenced() : alive_(std::make_shared<bool>(true)) {}
    WeaklyReferenced(const WeaklyReferenced&) : WeaklyReferenced() {}
    WeaklyReferenced& operator=(const WeaklyReferenced&) { return *this; }
    virtual ~WeaklyReferenced() { *alive_ = false; }

    std::shared_ptr<const bool> lifetime() const { return alive_; }

private:
    std::shared_ptr<bool> alive_;
};

// A non-owning reference to a delegate that reads as empty once the delegate is destroyed.
template <class T>
class WeakDelegate {
public:
    WeakDelegate() = default;
    WeakDelegate(T* delegate)  // NOLINT: set from a plain pointer, as screens do
        : delegate_(delegate), alive_(delegate ? delegate->lifetime() : nullptr) {}

    T* get() const { return delegate_ && alive_ && *alive_ ? delegate_ : nullptr; }
    T* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    T* delegate_ = nullptr;
    std::shared_ptr<const bool> alive_;
};

}  // namespace tq
