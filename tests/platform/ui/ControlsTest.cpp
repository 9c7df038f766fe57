#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/StarRatingView.h"
#include "platform/ui/TextField.h"

namespace tq {
namespace {

struct TouchCase {
    const char* name;
    std::function<void(View& parent, Button& button)> setUp;
    bool reaches;
};

TEST(ButtonTap, RunsActionsOnlyWhenAPersonCouldReachTheButton) {
    const std::vector<TouchCase> cases{
        {"plain", [](View&, Button&) {}, true},
        {"disabled", [](View&, Button& b) { b.setEnabled(false); }, false},
        {"hidden", [](View&, Button& b) { b.setHidden(true); }, false},
        {"parent hidden", [](View& p, Button&) { p.setHidden(true); }, false},
        {"transparent", [](View&, Button& b) { b.setAlpha(0.0); }, false},
        {"parent takes no touches", [](View& p, Button&) { p.setUserInteractionEnabled(false); }, false},
        {"half transparent", [](View&, Button& b) { b.setAlpha(0.5); }, true},
    };
    for (const auto& c : cases) {
        auto parent = std::make_shared<View>();
        auto button = std::make_shared<Button>();
        parent->addSubview(button);
        int taps = 0;
        button->addAction(ControlEvent::touchUpInside, [&] { ++taps; });
        c.setUp(*parent, *button);
        EXPECT_EQ(button->tap(), c.reaches) << c.name;
        EXPECT_EQ(taps, c.reaches ? 1 : 0) << c.name;
    }
}

TEST(ButtonTap, ActionReceivesTheSenderSoTwinsCanShareIt) {
    auto portrait = std::make_shared<Button>();
    auto landscape = std::make_shared<Button>();
    portrait->setTag(1);
    landscape->setTag(2);
    std::vector<int> senders;
    Control::Action shared = [&](Control& sender) { senders.push_back(sender.tag()); };
    portrait->addAction(ControlEvent::touchUpInside, shared);
    landscape->addAction(ControlEvent::touchUpInside, shared);
    landscape->tap();
    portrait->tap();
    EXPECT_EQ(senders, (std::vector<int>{2, 1}));
}

TEST(ButtonContent, ShowsTheValueOfItsStateElseTheNormalOne) {
    Button button;
    button.setTitle("Consult");
    button.setTitle("Chosen", ControlState::selected);
    button.setImage(Image::named("play"));
    EXPECT_EQ(button.currentTitle(), "Consult");
    button.setSelected(true);
    EXPECT_EQ(button.currentTitle(), "Chosen");
    button.setEnabled(false);  // selected and disabled: no title for both, the selected one applies
    EXPECT_EQ(button.currentTitle(), "Chosen");
    EXPECT_EQ(button.currentImage(), Image::named("play"));
    EXPECT_EQ(button.titleLabel().text(), "Chosen");

    button.setSelected(false);
    button.setAttributedTitle(AttributedString{.text = "Organisation", .underline = true});
    EXPECT_EQ(button.currentTitle(), "Organisation");
    EXPECT_TRUE(button.titleLabel().attributedText()->underline);
    button.setTitle(std::nullopt);
    EXPECT_FALSE(button.title().has_value());
}

TEST(SegmentedControlSelect, FiresValueChangedOnlyForARealChangeBySomeone) {
    SegmentedControl control({"Featured", "Recents", "Near"});
    control.setSelectedSegmentIndex(1);
    int changes = 0;
    control.addAction(ControlEvent::valueChanged, [&] { ++changes; });

    control.setSelectedSegmentIndex(0);  // code: no action
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(control.select(2));
    EXPECT_EQ(control.selectedSegmentIndex(), 2);
    EXPECT_FALSE(control.select(2));   // already selected
    EXPECT_FALSE(control.select(7));   // no such segment
    EXPECT_FALSE(control.select(-1));
    control.setEnabled(false, 0);
    EXPECT_FALSE(control.select(0));
    control.setHidden(true);
    EXPECT_FALSE(control.select(1));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(control.selectedSegmentIndex(), 2);
    EXPECT_EQ(control.selectedTitle(), "Near");
}

TEST(SegmentedControlSegments, RebuildingKeepsTheSelectionOnItsSegmentAndIgnoresBadIndexes) {
    SegmentedControl control({"Deutsch", "Français", "English", "Español"});
    control.setSelectedSegmentIndex(0);
    while (control.numberOfSegments() >= 3) control.removeSegment(2);
    EXPECT_EQ(control.numberOfSegments(), 2);
    control.insertSegment("Italiano", 2);
    control.insertSegment("Front", 0);
    EXPECT_EQ(control.selectedSegmentIndex(), 1);
    EXPECT_EQ(control.selectedTitle(), "Deutsch");
    control.insertSegment("Far", 99);  // beyond the end: appended
    EXPECT_EQ(control.titleForSegment(4), "Far");

    control.setTitle("Nowhere", 12);
    control.removeSegment(-3);
    control.setSelectedSegmentIndex(40);
    EXPECT_EQ(control.numberOfSegments(), 5);
    EXPECT_EQ(control.selectedSegmentIndex(), 1);
    EXPECT_FALSE(control.titleForSegment(5).has_value());

    control.removeSegment(1);  // the selected one goes: no selection left
    EXPECT_EQ(control.selectedSegmentIndex(), SegmentedControl::noSegment);
}

TEST(SliderMove, ClampsIntoTheRangeAndFiresOnce) {
    Slider slider;
    slider.setMaximumValue(5);
    std::vector<float> seen;
    slider.addAction(ControlEvent::valueChanged, [&](Control& c) { seen.push_back(static_cast<Slider&>(c).value()); });
    EXPECT_TRUE(slider.moveTo(3.24f));
    EXPECT_TRUE(slider.moveTo(9));
    EXPECT_TRUE(slider.moveTo(-1));
    EXPECT_EQ(seen, (std::vector<float>{3.24f, 5.0f, 0.0f}));

    slider.setEnabled(false);
    EXPECT_FALSE(slider.moveTo(2));
    EXPECT_EQ(seen.size(), 3u);
}

TEST(SliderRange, StaysSoundWhateverTheScreenSets) {
    Slider slider;
    slider.setMaximumValue(185);
    slider.setValue(61);
    slider.setMaximumValue(std::nanf(""));  // a track of unknown length
    EXPECT_EQ(slider.maximumValue(), 185);
    slider.setMaximumValue(30);
    EXPECT_EQ(slider.value(), 30);
    slider.setMinimumValue(50);
    EXPECT_EQ(slider.maximumValue(), 50);
    EXPECT_EQ(slider.value(), 50);
    slider.setValue(std::nanf(""));
    EXPECT_EQ(slider.value(), 50);
}

TEST(SwitchToggle, FlipsAndFiresForAPersonButNotForCode) {
    Switch exact;
    int changes = 0;
    exact.addAction(ControlEvent::valueChanged, [&] { ++changes; });
    exact.setOn(true);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(exact.toggle());
    EXPECT_FALSE(exact.isOn());
    EXPECT_EQ(changes, 1);
    exact.setEnabled(false);
    EXPECT_FALSE(exact.toggle());
    EXPECT_FALSE(exact.isOn());
}

TEST(StarRatingTouch, RoundsUpToTheFillModesStep) {
    struct Case {
        StarFillMode mode;
        double position;
        double mark;
    };
    const std::vector<Case> cases{
        {StarFillMode::half, 3.2, 3.5},  {StarFillMode::half, 3.5, 3.5}, {StarFillMode::half, 3.51, 4.0},
        {StarFillMode::half, 0.1, 0.5},  {StarFillMode::full, 3.2, 4.0}, {StarFillMode::precise, 3.2, 3.2},
        {StarFillMode::half, 7.0, 5.0},  {StarFillMode::half, -2.0, 0.0},
    };
    for (const auto& c : cases) {
        StarRatingView stars;
        stars.setFillMode(c.mode);
        double told = -1;
        stars.setOnTouch([&](double mark) { told = mark; });
        EXPECT_TRUE(stars.touch(c.position));
        EXPECT_DOUBLE_EQ(stars.rating(), c.mark) << c.position;
        EXPECT_DOUBLE_EQ(told, c.mark) << c.position;
    }
}

TEST(StarRatingTouch, IgnoredWhenNotEditableAndReportedWithoutUpdateOnTouch) {
    StarRatingView stars;
    stars.setRating(2);
    stars.setEditable(false);
    EXPECT_FALSE(stars.touch(4));
    EXPECT_EQ(stars.rating(), 2);

    stars.setEditable(true);
    stars.setUpdatesOnTouch(false);
    double told = 0;
    stars.setOnTouch([&](double mark) { told = mark; });
    EXPECT_TRUE(stars.touch(4));
    EXPECT_EQ(told, 4);
    EXPECT_EQ(stars.rating(), 2);
}

TEST(StarRatingDisplay, FillsByModeAndKeepsTheRatingInRange) {
    StarRatingView stars;
    stars.setRating(3.4);
    stars.setFillMode(StarFillMode::precise);
    EXPECT_DOUBLE_EQ(stars.displayedRating(), 3.4);
    stars.setFillMode(StarFillMode::half);
    EXPECT_DOUBLE_EQ(stars.displayedRating(), 3.5);
    stars.setFillMode(StarFillMode::full);
    EXPECT_DOUBLE_EQ(stars.displayedRating(), 3.0);
    stars.setRating(8);
    EXPECT_EQ(stars.rating(), 5);
    stars.setRating(std::nan(""));
    EXPECT_EQ(stars.rating(), 0);
}

TEST(TextFieldKeys, ReturnAsksTheDelegateAndTypingFiresEditingChanged) {
    auto field = std::make_shared<TextField>();
    EXPECT_FALSE(field->pressReturn());
    int searches = 0;
    field->setShouldReturn([&](TextField& f) {
        f.resignFirstResponder();
        ++searches;
        return true;
    });
    int edits = 0;
    field->addAction(ControlEvent::editingChanged, [&] { ++edits; });
    EXPECT_TRUE(field->typeText("Lyon"));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_TRUE(field->pressReturn());
    EXPECT_EQ(field->text(), "Lyon");
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(edits, 1);
}

TEST(Gestures, SwipeFiresTheRecognizerOfThatDirectionWhileTheViewTakesTouches) {
    auto view = std::make_shared<View>();
    std::vector<std::string> fired;
    view->addGestureRecognizer(GestureRecognizer::swipe(SwipeDirection::left, [&](GestureRecognizer&) { fired.push_back("left"); }));
    view->addGestureRecognizer(GestureRecognizer::swipe(SwipeDirection::right, [&](GestureRecognizer&) { fired.push_back("right"); }));
    EXPECT_TRUE(view->swipe(SwipeDirection::left));
    EXPECT_FALSE(view->swipe(SwipeDirection::up));
    view->setUserInteractionEnabled(false);
    EXPECT_FALSE(view->swipe(SwipeDirection::right));
    EXPECT_EQ(fired, (std::vector<std::string>{"left"}));
}

TEST(ActivityIndicator, HidesWhileStoppedUnlessToldOtherwise) {
    ActivityIndicatorView spinner;
    spinner.startAnimating();
    EXPECT_FALSE(spinner.isHidden());
    spinner.stopAnimating();
    EXPECT_TRUE(spinner.isHidden());
    spinner.setHidesWhenStopped(false);
    spinner.setHidden(false);
    spinner.stopAnimating();
    EXPECT_FALSE(spinner.isHidden());
}

TEST(StyledText, AppendedPartsKeepTheirOwnFontsUnderOneParagraphStyle) {
    AttributedString line{.text = "English", .font = Font::system(15, FontWeight::semibold),
                          .alignment = TextAlignment::left, .lineBreakMode = LineBreakMode::byTruncatingTail};
    line.append({.text = " | Français", .font = Font::system(15)});
    EXPECT_EQ(line.text, "English | Français");
    auto runs = line.styledRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].font->weight, FontWeight::semibold);
    EXPECT_EQ(runs[1].font->weight, FontWeight::regular);
    EXPECT_EQ(line.alignment, TextAlignment::left);

    Label label;
    label.setAttributedText(line);
    EXPECT_EQ(label.text(), "English | Français");
    label.setText("plain");
    EXPECT_FALSE(label.attributedText().has_value());
}

}  // namespace
}  // namespace tq
