#include "ui/common/AlertStyling.h"

namespace tq {

void setAttributedTitle(AlertController& alert, const std::string& title) {
    AttributedString styled;
    styled.text = title;
    styled.font = Font{"HelveticaNeue-Bold", 20};
    styled.foregroundColor = Color::black();
    alert.setValue("attributedTitle", styled);
}

void setAttributedMessage(AlertController& alert, const std::string& message) {
    AttributedString styled;
    styled.text = message;
    styled.font = Font{"Helvetica", 17};
    styled.foregroundColor = Color::black();
    alert.setValue("attributedMessage", styled);
}

}  // namespace tq
