#include "screens/tour/ShareController.h"

#include <array>

#include "app/AppDelegate.h"
#include "service/Network.h"

namespace tq {

const std::vector<std::string>& excludedShareActivityTypes() {
    static const std::vector<std::string> types = {
        activity_type::airDrop,
        activity_type::addToReadingList,
        activity_type::postToFlickr,
        activity_type::postToVimeo,
        activity_type::postToWeibo,
        activity_type::assignToContact,
        activity_type::openInIBooks,
        activity_type::postToTencentWeibo,
        activity_type::print,
        activity_type::saveToCameraRoll,
        // Other applications' share extensions.
        "com.apple.reminders.RemindersEditorExtension",
        "com.apple.mobileslideshow.StreamShareService",
        "com.apple.mobilenotes.SharingExtension",
        "com.linkedin.LinkedIn.ShareExtension",
    };
    return types;
}

ShareController::ShareController(std::vector<ActivityItem> items, std::vector<std::string> applicationActivities)
    : ActivityViewController(std::move(items), std::move(applicationActivities)), app(AppDelegate::shared()) {}

void ShareController::viewDidLoad() {
    ActivityViewController::viewDidLoad();
    setExcludedActivityTypes(excludedShareActivityTypes());
}

std::string ShareController::activityViewControllerPlaceholderItem(ActivityViewController&) { return "test 1"; }

std::optional<std::string> ShareController::activityViewControllerItemForActivityType(
    ActivityViewController&, const std::optional<std::string>& activityType) {
    static const std::array<const char*, 4> promoted = {activity_type::message, activity_type::postToFacebook,
                                                        activity_type::postToTwitter, activity_type::mail};
    if (activityType) {
        for (const char* type : promoted) {
            if (*activityType == type) return std::string("Download #MyAwesomeApp via @trelvoQuete.");
        }
    }
    return std::string("test 2");
}

std::string ShareController::activityViewControllerSubjectForActivityType(ActivityViewController&,
                                                                           const std::optional<std::string>&) {
    return currentTourTitle();
}

std::string currentTourTitle() {
    const auto& tour = Network::shared().currentTour;
    return tour && tour->title ? *tour->title : std::string();
}

std::string WeakShareItem::activityViewControllerPlaceholderItem(ActivityViewController& controller) {
    auto screen = screen_.lock();
    return screen ? screen->activityViewControllerPlaceholderItem(controller) : std::string();
}

std::optional<std::string> WeakShareItem::activityViewControllerItemForActivityType(
    ActivityViewController& controller, const std::optional<std::string>& activityType) {
    auto screen = screen_.lock();
    return screen ? screen->activityViewControllerItemForActivityType(controller, activityType) : std::nullopt;
}

std::string WeakShareItem::activityViewControllerSubjectForActivityType(
    ActivityViewController& controller, const std::optional<std::string>& activityType) {
    auto screen = screen_.lock();
    return screen ? screen->activityViewControllerSubjectForActivityType(controller, activityType) : std::string();
}

}  // namespace tq
