#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Style.h"
#include "platform/ui/ViewController.h"

namespace tq {

enum class AlertActionStyle { defaultStyle, cancel, destructive };
enum class AlertStyle { alert, actionSheet };

struct AlertAction {
    std::string title;
    AlertActionStyle style = AlertActionStyle::defaultStyle;
    std::function<void()> handler;
};

class AlertController : public ViewController {
public:
    AlertController(std::string title, std::string message, AlertStyle style = AlertStyle::alert)
        : alertTitle_(std::move(title)), message_(std::move(message)), style_(style) {}

    const std::string& alertTitle() const { return alertTitle_; }
    const std::string& message() const { return message_; }
    AlertStyle preferredStyle() const { return style_; }

    void addAction(AlertAction action) { actions_.push_back(std::move(action)); }
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

    // The handler of the action, as when a person taps its button. The presenter dismisses the
    // alert first (see the presentation code); here only the handler runs.
    bool runAction(const std::string& title) const;

private:
    std::string alertTitle_;
    std::string message_;
    AlertStyle style_;
    std::vector<AlertAction> actions_;
    std::optional<AttributedString> attributedTitle_;
    std::optional<AttributedString> attributedMessage_;
};

}  // namespace tq
