#pragma once

// The base of every screen fixture: a renderer's mirror of the window, kept from change reports
// alone, follows the test. After each step the test lets the loop run (settle, advance, runUntil)
// and when the test ends, the mirror must equal the window's tree; a screen that changes a view
// without a reporting setter fails the test where it happened. Header-only.

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/Window.h"
#include "support/TestEnvironment.h"
#include "support/ViewMirror.h"

namespace tq::test {

class MirroredScreenTest : public ::testing::Test {
protected:
    // Mirrors `window` from now on, checked after every step of `env`. Called again with a new
    // window (after a relaunch, say), it follows that one instead.
    void mirrorWindow(TestEnvironment& env, const std::shared_ptr<Window>& window) {
        mirroredWindow_ = window;
        mirror = window ? ViewMirror::attach(*window, screensIn(*window)) : nullptr;
        env.setAfterEachStep([this] { expectMirrorFollows(); });
    }

    void TearDown() override { expectMirrorFollows(); }

    void expectMirrorFollows() {
        // A window the test let go of is no longer shown, and there is nothing left to compare.
        if (!mirror || mirroredWindow_.expired()) return;
        for (const auto& difference : mirror->differences()) ADD_FAILURE() << "the mirror fell behind: " << difference;
    }

    std::shared_ptr<ViewMirror> mirror;

private:
    std::weak_ptr<Window> mirroredWindow_;
};

}  // namespace tq::test
