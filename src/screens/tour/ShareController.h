#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ActivityViewController.h"

namespace tq {

class AppDelegate;

// The activity types every share sheet of the application leaves out: the same list object on
// every call, built once.
const std::vector<std::string>& excludedShareActivityTypes();

// A screen that offers itself as the item of its share sheet, held weakly: the sheet is kept by the
// screen while it is shown and must not keep the screen in turn. Once the screen is gone it
// answers with nothing.
class WeakShareItem : public ActivityItemSource {
public:
    explicit WeakShareItem(std::weak_ptr<ActivityItemSource> screen) : screen_(std::move(screen)) {}
    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

private:
    std::weak_ptr<ActivityItemSource> screen_;
};

// The title of the web-service client's current tour; empty when there is none or it has no title.
std::string currentTourTitle();

// A share sheet that answers for its own items with the product's promotional text.
class ShareController : public ActivityViewController, public ActivityItemSource {
public:
    explicit ShareController(std::vector<ActivityItem> items, std::vector<std::string> applicationActivities = {});

    AppDelegate& app;

    std::string activityViewControllerPlaceholderItem(ActivityViewController& controller) override;
    std::optional<std::string> activityViewControllerItemForActivityType(
        ActivityViewController& controller, const std::optional<std::string>& activityType) override;
    // The current tour's title; empty when there is no current tour or it has no title.
    std::string activityViewControllerSubjectForActivityType(ActivityViewController& controller,
                                                             const std::optional<std::string>& activityType) override;

protected:
    void viewDidLoad() override;
};

}  // namespace tq
