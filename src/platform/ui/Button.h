#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/Label.h"

namespace tq {

// A push button: title, styled title, image and background image per control state. What the
// button shows follows the platform's rule: the value set for the present state, else the normal one.
class Button : public Control {
public:
    using Control::Control;

    void setTitle(std::optional<std::string> title, ControlState state = ControlState::normal);
    std::optional<std::string> title(ControlState state = ControlState::normal) const;
    void setAttributedTitle(std::optional<AttributedString> title, ControlState state = ControlState::normal);
    std::optional<AttributedString> attributedTitle(ControlState state = ControlState::normal) const;
    void setImage(std::optional<Image> image, ControlState state = ControlState::normal);
    std::optional<Image> image(ControlState state = ControlState::normal) const;
    void setBackgroundImage(std::optional<Image> image, ControlState state = ControlState::normal);
    std::optional<Image> backgroundImage(ControlState state = ControlState::normal) const;
    void setTitleColor(std::optional<Color> color, ControlState state = ControlState::normal);
    std::optional<Color> titleColor(ControlState state = ControlState::normal) const;

    // What is shown in the present state: the styled title's text wins over the plain title.
    std::string currentTitle() const;
    std::optional<AttributedString> currentAttributedTitle() const;
    std::optional<Image> currentImage() const;
    std::optional<Image> currentBackgroundImage() const;

    // The label and image view inside the button, kept in step with the present state.
    Label& titleLabel();
    ImageView& imageView();
    EdgeInsets imageEdgeInsets() const { return imageInsets_; }
    void setImageEdgeInsets(EdgeInsets insets) {
        imageInsets_ = insets;
        changed("imageEdgeInsets");
    }

    // A title's nominal width (TextMetrics.h) and a picture of known size; 44 points high at least,
    // the height of a touch.
    Size naturalSize() const override;
    // A button draws itself from its state: current title, picture, background and title colour.
    // The title label and image view it makes when a screen asks for them are for styling only.
    bool drawsSubviews() const override { return false; }

    // A person taps the button: its touch-down and touch-up-inside actions run, but only when it
    // is enabled, shown and takes touches. Returns whether the tap reached the button.
    bool tap();

protected:
    // The image, then the title, centred.
    Arrangement defaultArrangement() const override { return Arrangement::row(0, Alignment::center); }

    void stateDidChange() override { refreshContent(); }

private:
    template <class T>
    static std::optional<T> lookup(const std::map<unsigned, T>& values, ControlState state);
    void refreshContent();
    std::map<unsigned, std::string> titles_;
    std::map<unsigned, AttributedString> attributedTitles_;
    std::map<unsigned, Image> images_;
    std::map<unsigned, Image> backgrounds_;
    std::map<unsigned, Color> titleColors_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<ImageView> imageView_;
    EdgeInsets imageInsets_;
};

}  // namespace tq
