#include "ui/common/AlertStyling.h"

namespace tq {
namespace {

// The alerts' text in one font, always black.
AttributedString blackText(const std::string& text, Font font) {
    AttributedString styled;
    styled.text = text;
    styled.font = std::move(font);
    styled.foregroundColor = Color::black();
    return styled;
}

}  // namespace

void setAttributedTitle(AlertController& alert, const std::string& title) {
    alert.setValue("attributedTitle", blackText(title, Font{"HelveticaNeue-Bold", 20}));
}

void setAttributedMessage(AlertController& alert, const std::string& message) {
    alert.setValue("attributedMessage", blackText(message, Font{"Helvetica", 17}));
}

}  // namespace tq
