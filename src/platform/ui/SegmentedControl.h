#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Control.h"

namespace tq {

// Text attributes of segment titles, set per control state.
struct TextAttributes {
    std::optional<Color> foregroundColor{};
    std::optional<Font> font{};
    bool operator==(const TextAttributes&) const = default;
};

// A row of segments, one of which may be selected. Indexes out of range are ignored rather than
// fatal: a screen that rebuilds its segments can never bring the program down.
class SegmentedControl : public Control {
public:
    static constexpr int noSegment = -1;
    Size naturalSize() const override { return {0, 32}; }

    SegmentedControl() = default;
    explicit SegmentedControl(const std::vector<std::string>& titles);

    int numberOfSegments() const { return static_cast<int>(segments_.size()); }
    std::optional<std::string> titleForSegment(int index) const;
    void setTitle(std::string title, int index);
    std::optional<Image> imageForSegment(int index) const;
    void setImage(std::optional<Image> image, int index);
    // Inserts at `index`, or at the end when the index lies beyond it. The selection stays on the
    // segment it was on.
    void insertSegment(std::string title, int index, bool animated = false);
    void removeSegment(int index, bool animated = false);
    void removeAllSegments();
    bool isEnabledForSegment(int index) const;
    void setEnabled(bool enabled, int forSegment);
    using Control::setEnabled;

    int selectedSegmentIndex() const { return selected_; }
    // Code selects a segment: no action runs. `noSegment` clears the selection; other indexes
    // outside the segments are ignored.
    void setSelectedSegmentIndex(int index);
    std::optional<std::string> selectedTitle() const { return titleForSegment(selected_); }

    // A person taps segment `index`: it becomes selected and the value-changed actions run, unless
    // the control or the segment is disabled, the control is not touchable, or it was selected already.
    bool select(int index);

    void setTitleTextAttributes(TextAttributes attributes, ControlState state);
    std::optional<TextAttributes> titleTextAttributes(ControlState state) const;
    const std::optional<Color>& selectedSegmentTintColor() const { return selectedTint_; }
    void setSelectedSegmentTintColor(std::optional<Color> color) {
        selectedTint_ = color;
        changed("selectedSegmentTintColor");
    }

private:
    struct Segment {
        std::string title;
        std::optional<Image> image;
        bool enabled = true;
    };
    bool valid(int index) const { return index >= 0 && index < numberOfSegments(); }
    std::vector<Segment> segments_;
    int selected_ = noSegment;
    std::map<unsigned, TextAttributes> attributes_;
    std::optional<Color> selectedTint_;
};

}  // namespace tq
