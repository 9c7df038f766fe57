#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/ui/Geometry.h"

namespace tq {

class Environment;

// The one process-wide modal progress overlay that marks waiting.
class ProgressOverlay {
public:
    explicit ProgressOverlay(Environment& env);
    static ProgressOverlay& shared();

    void show();
    void show(const std::string& text);
    // Hides the overlay; the completion runs on the next turn of the main loop.
    void dismiss(std::function<void()> completion = {});
    void setOffset(Point offset) { offset_ = offset; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }

    bool isVisible() const { return visible_; }
    const std::optional<std::string>& text() const { return text_; }
    Point offset() const { return offset_; }
    double cornerRadius() const { return cornerRadius_; }
    int showCount() const { return showCount_; }
    int dismissCount() const { return dismissCount_; }

private:
    Environment& env_;
    bool visible_ = false;
    std::optional<std::string> text_;
    Point offset_;
    double cornerRadius_ = 14;
    int showCount_ = 0;
    int dismissCount_ = 0;
};

}  // namespace tq
