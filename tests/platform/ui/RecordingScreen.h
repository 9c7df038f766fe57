#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ViewController.h"

namespace tq::test {

// A screen that writes each life-cycle call into a shared log as "<name>.<call>", with the
// reason flags where they matter.
class RecordingScreen : public ViewController {
public:
    RecordingScreen(std::string name, std::shared_ptr<std::vector<std::string>> log)
        : name_(std::move(name)), log_(std::move(log)) {}
    const std::string& name() const { return name_; }

    void viewWillAppear(bool) override { add(isMovingToParent() ? "willAppear(moving)" : "willAppear"); }
    void viewDidAppear(bool) override { add("didAppear"); }
    void viewWillDisappear(bool) override { add(isMovingFromParent() ? "willDisappear(moving)" : "willDisappear"); }
    void viewDidDisappear(bool) override { add("didDisappear"); }
    void viewWillTransitionToSize(Size size, TransitionCoordinator&) override {
        add("transition " + std::to_string(static_cast<int>(size.width)) + "x" + std::to_string(static_cast<int>(size.height)) +
            " from width " + std::to_string(static_cast<int>(view().frame().width())));
    }

protected:
    void viewDidLoad() override { add("didLoad"); }

private:
    void add(const std::string& call) { log_->push_back(name_ + "." + call); }
    std::string name_;
    std::shared_ptr<std::vector<std::string>> log_;
};

}  // namespace tq::test
