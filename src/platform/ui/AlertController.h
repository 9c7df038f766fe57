#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <memory>

#include "platform/ui/Style.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

namespace tq {

enum class AlertActionStyle { defaultStyle, cancel, destructive };
enum class AlertStyle { alert, actionSheet };

struct AlertAction {
    std::string title;
    AlertActionStyle style = AlertActionStyle::defaultStyle;
    std::function<void()> handler;
    bool enabled = true;
};

class AlertController : public ViewController {
public:
    AlertController(std::string title, std::string message, AlertStyle style = AlertStyle::alert)
        : alertTitle_(std::move(title)), message_(std::move(message)), style_(style) {}

    const std::string& alertTitle() const { return alertTitle_; }
    const std::string& message() const { return message_; }
    AlertStyle preferredStyle() const { return style_; }

    void addAction(AlertAction action);
    const std::vector<AlertAction>& actions() const { return actions_; }
    const AlertAction* actionTitled(const std::string& title) const;

    // Key-value coding as the platform's alert offers it: "attributedTitle" and "attributedMessage"
    // replace the plain title and message when shown. Other keys are refused.
    bool setValue(const std::string& key, AttributedString value);
    const std::optional<AttributedString>& attributedTitle() const { return attributedTitle_; }
    const std::optional<AttributedString>& attributedMessage() const { return attributedMessage_; }
    // What the alert shows: the styled text when set, else the plain one.
    std::string shownTitle() const { return attributedTitle_ ? attributedTitle_->text : alertTitle_; }
    std::string shownMessage() const { return attributedMessage_ ? attributedMessage_->text : message_; }

    // Only the handler of the action titled `title`, without dismissing anything.
    bool runAction(const std::string& title) const;
    // A person taps the button titled `title`: the alert is dismissed (at once), then the action's
    // handler runs. False when there is no such enabled button.
    bool tap(const std::string& title);
    bool tapAction(std::size_t index);
    std::vector<std::string> actionTitles() const;

    // Text fields of the alert, in the order they were added.
    void addTextField(const std::function<void(TextField&)>& configure = {});
    const std::vector<std::shared_ptr<TextField>>& textFields() const { return textFields_; }

protected:
    bool becomesPopoverOnTablet() const override { return style_ == AlertStyle::actionSheet; }

private:
    void contentChanged();

    std::string alertTitle_;
    std::string message_;
    AlertStyle style_;
    std::vector<AlertAction> actions_;
    std::vector<std::shared_ptr<TextField>> textFields_;
    std::optional<AttributedString> attributedTitle_;
    std::optional<AttributedString> attributedMessage_;
};

}  // namespace tq
