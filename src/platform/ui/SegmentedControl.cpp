#include "platform/ui/SegmentedControl.h"

namespace tq {

SegmentedControl::SegmentedControl(const std::vector<std::string>& titles) {
    for (const auto& title : titles) segments_.push_back({title, std::nullopt, true});
}

std::optional<std::string> SegmentedControl::titleForSegment(int index) const {
    if (!valid(index)) return std::nullopt;
    return segments_[static_cast<std::size_t>(index)].title;
}

void SegmentedControl::setTitle(std::string title, int index) {
    if (!valid(index)) return;
    segments_[static_cast<std::size_t>(index)].title = std::move(title);
    changed("segments");
}

std::optional<Image> SegmentedControl::imageForSegment(int index) const {
    if (!valid(index)) return std::nullopt;
    return segments_[static_cast<std::size_t>(index)].image;
}

void SegmentedControl::setImage(std::optional<Image> image, int index) {
    if (!valid(index)) return;
    segments_[static_cast<std::size_t>(index)].image = std::move(image);
    changed("segments");
}

void SegmentedControl::insertSegment(std::string title, int index, bool) {
    if (index < 0) index = 0;
    if (index > numberOfSegments()) index = numberOfSegments();
    segments_.insert(segments_.begin() + index, Segment{std::move(title), std::nullopt, true});
    if (selected_ != noSegment && index <= selected_) ++selected_;
    changed("segments");
}

void SegmentedControl::removeSegment(int index, bool) {
    if (!valid(index)) return;
    segments_.erase(segments_.begin() + index);
    if (index == selected_) {
        selected_ = noSegment;
    } else if (index < selected_) {
        --selected_;
    }
    changed("segments");
}

void SegmentedControl::removeAllSegments() {
    segments_.clear();
    selected_ = noSegment;
    changed("segments");
}

bool SegmentedControl::isEnabledForSegment(int index) const {
    return valid(index) && segments_[static_cast<std::size_t>(index)].enabled;
}

void SegmentedControl::setEnabled(bool enabled, int forSegment) {
    if (!valid(forSegment)) return;
    segments_[static_cast<std::size_t>(forSegment)].enabled = enabled;
    changed("segments");
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index != noSegment && !valid(index)) return;
    selected_ = index;
    changed("selectedSegmentIndex");
}

bool SegmentedControl::select(int index) {
    if (!canBeTouched() || !isEnabledForSegment(index) || index == selected_) return false;
    DispatchScope scope(weak_from_this().lock());
    setSelectedSegmentIndex(index);
    sendActions(ControlEvent::valueChanged);
    return true;
}

void SegmentedControl::setTitleTextAttributes(TextAttributes attributes, ControlState state) {
    attributes_[static_cast<unsigned>(state)] = std::move(attributes);
    changed("titleTextAttributes");
}

std::optional<TextAttributes> SegmentedControl::titleTextAttributes(ControlState state) const {
    auto it = attributes_.find(static_cast<unsigned>(state));
    return it == attributes_.end() ? std::nullopt : std::optional(it->second);
}

}  // namespace tq
