#include "platform/ui/ActivityViewController.h"

#include <algorithm>

#include "platform/foundation/DispatchScope.h"

namespace tq {

namespace {
const std::vector<std::string>& knownActivityTypes() {
    static const std::vector<std::string> types{
        activity_type::message,       activity_type::mail,           activity_type::postToFacebook,
        activity_type::postToTwitter, activity_type::postToWeibo,    activity_type::postToTencentWeibo,
        activity_type::postToFlickr,  activity_type::postToVimeo,    activity_type::copyToPasteboard,
        activity_type::assignToContact, activity_type::saveToCameraRoll, activity_type::addToReadingList,
        activity_type::airDrop,       activity_type::openInIBooks,   activity_type::print,
    };
    return types;
}
}  // namespace

bool ActivityViewController::isExcluded(const std::string& type) const {
    return std::find(excluded_.begin(), excluded_.end(), type) != excluded_.end();
}

std::vector<std::string> ActivityViewController::availableActivityTypes() const {
    std::vector<std::string> available;
    for (const auto& type : knownActivityTypes()) {
        if (!isExcluded(type)) available.push_back(type);
    }
    for (const auto& type : applicationActivities_) {
        if (!isExcluded(type)) available.push_back(type);
    }
    return available;
}

std::vector<std::string> ActivityViewController::placeholderItems() {
    std::vector<std::string> shown;
    for (const auto& item : items_) {
        if (const auto* value = std::get_if<std::string>(&item)) {
            shown.push_back(*value);
        } else if (const auto& source = std::get<std::shared_ptr<ActivityItemSource>>(item)) {
            shown.push_back(source->activityViewControllerPlaceholderItem(*this));
        }
    }
    return shown;
}

bool ActivityViewController::choose(const std::string& activityType) {
    if (activityType.empty() || isExcluded(activityType)) return false;
    shared_.clear();
    subject_.clear();
    std::optional<std::string> type = activityType;
    for (const auto& item : items_) {
        if (const auto* value = std::get_if<std::string>(&item)) {
            shared_.push_back(*value);
            continue;
        }
        const auto& source = std::get<std::shared_ptr<ActivityItemSource>>(item);
        if (!source) continue;
        if (auto resolved = source->activityViewControllerItemForActivityType(*this, type)) shared_.push_back(*resolved);
        if (subject_.empty()) subject_ = source->activityViewControllerSubjectForActivityType(*this, type);
    }
    chosen_ = activityType;
    finish(type, true);
    return true;
}

void ActivityViewController::cancel() { finish(std::nullopt, false); }

void ActivityViewController::finish(const std::optional<std::string>& type, bool completed) {
    DispatchScope scope(weak_from_this().lock());
    if (presentingViewController()) dismiss(true);
    if (completion_) {
        auto completion = completion_;
        completion(type, completed);
    }
}

}  // namespace tq
