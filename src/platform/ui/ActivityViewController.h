#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/ViewController.h"

namespace tq {

// The system's activity types, by their identifiers.
namespace activity_type {
inline constexpr const char* message = "com.apple.UIKit.activity.Message";
inline constexpr const char* mail = "com.apple.UIKit.activity.Mail";
inline constexpr const char* postToFacebook = "com.apple.UIKit.activity.PostToFacebook";
inline constexpr const char* postToTwitter = "com.apple.UIKit.activity.PostToTwitter";
inline constexpr const char* postToWeibo = "com.apple.UIKit.activity.PostToWeibo";
inline constexpr const char* postToTencentWeibo = "com.apple.UIKit.activity.TencentWeibo";
inline constexpr const char* postToFlickr = "com.apple.UIKit.activity.PostToFlickr";
inline constexpr const char* postToVimeo = "com.apple.UIKit.activity.PostToVimeo";
inline constexpr const char* copyToPasteboard = "com.apple.UIKit.activity.CopyToPasteboard";
inline constexpr const char* assignToContact = "com.apple.UIKit.activity.AssignToContact";
inline constexpr const char* saveToCameraRoll = "com.apple.UIKit.activity.SaveToCameraRoll";
inline constexpr const char* addToReadingList = "com.apple.UIKit.activity.AddToReadingList";
inline constexpr const char* airDrop = "com.apple.UIKit.activity.AirDrop";
inline constexpr const char* openInIBooks = "com.apple.UIKit.activity.OpenInIBooks";
inline constexpr const char* print = "com.apple.UIKit.activity.Print";
}  // namespace activity_type

class ActivityViewController;

// An object that answers for a shared item when the sheet asks: a placeholder while the sheet is
// up, the item itself once an activity is chosen, and a subject line.
class ActivityItemSource {
public:
    virtual ~ActivityItemSource() = default;
    virtual std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) = 0;
    // Nothing (nullopt) leaves the item out of that activity.
    virtual std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) = 0;
    virtual std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                                     const std::optional<std::string>& activityType) {
        (void)controller;
        (void)activityType;
        return {};
    }
};

// A shared item: a plain value (text or address), or a source that answers for it.
using ActivityItem = std::variant<std::string, std::shared_ptr<ActivityItemSource>>;

// The share sheet. A test plays the person: `choose(type)` picks an activity, `cancel()` closes.
// Either way the sheet is dismissed and the completion hears the outcome.
class ActivityViewController : public ViewController {
public:
    using Completion = std::function<void(const std::optional<std::string>& activityType, bool completed)>;

    explicit ActivityViewController(std::vector<ActivityItem> items, std::vector<std::string> applicationActivities = {})
        : items_(std::move(items)), applicationActivities_(std::move(applicationActivities)) {}

    const std::vector<ActivityItem>& activityItems() const { return items_; }
    const std::vector<std::string>& applicationActivities() const { return applicationActivities_; }
    const std::vector<std::string>& excludedActivityTypes() const { return excluded_; }
    void setExcludedActivityTypes(std::vector<std::string> types) { excluded_ = std::move(types); }
    void setCompletionWithItemsHandler(Completion completion) { completion_ = std::move(completion); }

    // The system activities the sheet offers: every known one except the excluded.
    std::vector<std::string> availableActivityTypes() const;
    bool isExcluded(const std::string& type) const;
    // What the sheet shows before a choice: plain values and the sources' placeholders.
    std::vector<std::string> placeholderItems();

    // A person picks an activity. Refused (false) for an excluded type. The items are resolved for
    // that type, the sheet is dismissed and the completion runs with (type, true).
    bool choose(const std::string& activityType);
    // A person closes the sheet without choosing: the completion runs with (nothing, false).
    void cancel();

    // What the last chosen activity received.
    const std::vector<std::string>& sharedItems() const { return shared_; }
    const std::string& sharedSubject() const { return subject_; }
    const std::optional<std::string>& chosenActivityType() const { return chosen_; }

protected:
    bool becomesPopoverOnTablet() const override { return true; }

private:
    void finish(const std::optional<std::string>& type, bool completed);
    std::vector<ActivityItem> items_;
    std::vector<std::string> applicationActivities_;
    std::vector<std::string> excluded_;
    Completion completion_;
    std::vector<std::string> shared_;
    std::string subject_;
    std::optional<std::string> chosen_;
};

}  // namespace tq
