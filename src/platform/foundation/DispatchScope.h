#pragma once

#include <cstddef>
#include <memory>

namespace tq {

// One dispatch of work on the main loop's thread: a person's event (a tap, a row picked, an alert
// action, the back button), or one task or timer the loop runs. Whatever the toolkit lets go of
// while a scope is open (a screen popped or dismissed, a view taken out of the tree, the alert
// that was tapped) is held here and released only when the outermost scope ends, as an
// autorelease pool would. An action may release the very screen whose control is still
// dispatching it; the code on the way back out then still runs on live objects.
//
// Scopes nest; only the outermost one releases. They belong to the thread that opens them.
class DispatchScope {
public:
    DispatchScope() { open(); }
    // Also holds `dispatcher` (the control, table or alert that dispatches) for the whole scope.
    explicit DispatchScope(std::shared_ptr<const void> dispatcher) {
        open();
        hold(std::move(dispatcher));
    }
    ~DispatchScope() { close(); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

    // Keeps `object` alive until the outermost open scope ends. With no scope open it does nothing:
    // the caller's release then takes effect at once, as before.
    static void hold(std::shared_ptr<const void> object);
    static bool isOpen();
    // How many objects the open scopes hold (tests).
    static std::size_t heldCount();

private:
    static void open();
    static void close();
};

}  // namespace tq
