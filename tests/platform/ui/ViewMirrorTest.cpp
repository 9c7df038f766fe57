#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/AlertController.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/ViewController.h"
#include "support/TestEnvironment.h"
#include "support/TestPng.h"
#include "support/ViewMirror.h"

namespace tq {
namespace {

// One setter of one view kind, applied to a view already in the mirrored tree.
struct SetterCase {
    std::string name;
    std::function<std::shared_ptr<View>()> make;
    std::function<void(View&)> set;
};

template <class T>
SetterCase setter(std::string name, std::function<void(T&)> set) {
    return {std::move(name), [] { return std::make_shared<T>(); },
            [set = std::move(set)](View& view) { set(static_cast<T&>(view)); }};
}

// An annotation at a fixed place.
class Place : public MapAnnotation {
public:
    LocationCoordinate coordinate() const override { return {45.76, 4.83}; }
};

// Draws every overlay with a line the test keeps, so that it can restyle it later.
class LineKeeper : public MapViewDelegate {
public:
    std::shared_ptr<OverlayRenderer> rendererForOverlay(MapView&, const std::shared_ptr<MapOverlay>&) override {
        line = std::make_shared<PolylineRenderer>();
        return line;
    }
    std::shared_ptr<PolylineRenderer> line;
};

// Two hundred numbered rows.
class Numbers : public TableViewDataSource {
public:
    int numberOfRowsInSection(TableView&, int) override { return 200; }
    std::shared_ptr<TableViewCell> cellForRowAt(TableView& table, IndexPath indexPath) override {
        auto cell = table.dequeueReusableCell("number");
        cell->textLabel().setText(std::to_string(indexPath.row));
        return cell;
    }
};

Image pictureOf(int width, int height) {
    Image image{Image::Source::data, "picture", nullptr, width, height};
    image.bytes = std::make_shared<const std::string>(
        test::makePng(width, height, [](int x, int) { return test::Rgba{std::uint8_t(x), 0, 0, 255}; }));
    return image;
}

std::vector<SetterCase> everySetter() {
    const Color red{1, 0, 0, 1};
    auto constraintOf = [](View& v) { return v.constraints().front(); };
    return {
        setter<View>("frame", [](View& v) { v.setFrame(Rect(1, 2, 3, 4)); }),
        setter<View>("hidden", [](View& v) { v.setHidden(true); }),
        setter<View>("alpha", [](View& v) { v.setAlpha(0.5); }),
        setter<View>("tag", [](View& v) { v.setTag(7); }),
        setter<View>("touches", [](View& v) { v.setUserInteractionEnabled(false); }),
        setter<View>("background", [=](View& v) { v.setBackgroundColor(red); }),
        setter<View>("tint", [=](View& v) { v.setTintColor(red); }),
        setter<View>("corner radius", [](View& v) { v.setCornerRadius(4); }),
        setter<View>("clipping", [](View& v) { v.setClipsToBounds(true); }),
        setter<View>("border width", [](View& v) { v.setBorderWidth(2); }),
        setter<View>("border colour", [=](View& v) { v.setBorderColor(red); }),
        setter<View>("content mode", [](View& v) { v.setContentMode(ContentMode::scaleAspectFill); }),
        setter<View>("transform", [](View& v) { v.setTransform(Transform::scale(2, 2)); }),
        setter<View>("layout margins", [](View& v) { v.setLayoutMargins({1, 2, 3, 4}); }),
        setter<View>("identifier", [](View& v) { v.setIdentifier("renamed"); }),
        setter<View>("arrangement", [](View& v) { v.setArrangement(Arrangement::column(4)); }),
        setter<View>("subview added", [](View& v) { addView<Label>(v, "lblAdded")->setText("new"); }),
        setter<View>("tap recognizer added", [](View& v) {
            v.addGestureRecognizer(std::make_shared<GestureRecognizer>(GestureKind::tap, [](GestureRecognizer&) {}));
        }),
        setter<View>("swipe recognizer removed", [](View& v) {
            auto swipe = GestureRecognizer::swipe(SwipeDirection::left, [](GestureRecognizer&) {});
            v.addGestureRecognizer(swipe);
            v.removeGestureRecognizer(*swipe);
        }),
        setter<View>("recognizer moved to another view", [](View& v) {
            auto tap = std::make_shared<GestureRecognizer>(GestureKind::tap, [](GestureRecognizer&) {});
            v.addGestureRecognizer(tap);
            addView<View>(v, "vwOther")->addGestureRecognizer(tap);
        }),
        setter<View>("swipe direction", [](View& v) {
            auto swipe = GestureRecognizer::swipe(SwipeDirection::left, [](GestureRecognizer&) {});
            v.addGestureRecognizer(swipe);
            swipe->setDirection(SwipeDirection::up);
        }),
        setter<View>("taps required", [](View& v) {
            auto tap = std::make_shared<GestureRecognizer>(GestureKind::tap, [](GestureRecognizer&) {});
            v.addGestureRecognizer(tap);
            tap->setNumberOfTapsRequired(2);
        }),
        setter<View>("recognizer disabled", [](View& v) {
            auto tap = std::make_shared<GestureRecognizer>(GestureKind::tap, [](GestureRecognizer&) {});
            v.addGestureRecognizer(tap);
            tap->setEnabled(false);
        }),
        setter<View>("recognizer lets touches through", [](View& v) {
            auto tap = std::make_shared<GestureRecognizer>(GestureKind::tap, [](GestureRecognizer&) {});
            v.addGestureRecognizer(tap);
            tap->setCancelsTouchesInView(false);
        }),
        setter<View>("constraint added", [](View& v) {
            v.addConstraint(LayoutConstraint::offset(nullptr, LayoutAttribute::top, LayoutAnchor::containerEdge, 8));
        }),
        setter<View>("constraint constant", [=](View& v) {
            v.addConstraint(LayoutConstraint::size(nullptr, LayoutAttribute::height, 10));
            constraintOf(v)->setConstant(-20);
        }),
        setter<View>("constraint active", [=](View& v) {
            v.addConstraint(LayoutConstraint::size(nullptr, LayoutAttribute::height, 10));
            constraintOf(v)->setActive(false);
        }),
        setter<View>("constraint priority", [=](View& v) {
            v.addConstraint(LayoutConstraint::size(nullptr, LayoutAttribute::height, 10));
            constraintOf(v)->setPriority(250);
        }),
        setter<View>("constraint removed", [=](View& v) {
            v.addConstraint(LayoutConstraint::size(nullptr, LayoutAttribute::height, 10));
            v.removeConstraint(*constraintOf(v));
        }),
        setter<ImageView>("image", [](ImageView& v) { v.setImage(Image::named("logo")); }),
        setter<Label>("text", [](Label& v) { v.setText("Lyon"); }),
        setter<Label>("attributed text", [](Label& v) { v.setAttributedText(AttributedString{"Lyon"}); }),
        setter<Label>("font", [](Label& v) { v.setFont(Font::system(22, FontWeight::bold)); }),
        setter<Label>("text colour", [=](Label& v) { v.setTextColor(red); }),
        setter<Label>("alignment", [](Label& v) { v.setTextAlignment(TextAlignment::center); }),
        setter<Label>("lines", [](Label& v) { v.setNumberOfLines(2); }),
        setter<Label>("line breaks", [](Label& v) { v.setLineBreakMode(LineBreakMode::byTruncatingTail); }),
        setter<Label>("font fitting", [](Label& v) { v.setAdjustsFontSizeToFitWidth(true); }),
        setter<StackView>("axis", [](StackView& v) { v.setAxis(LayoutAxis::vertical); }),
        setter<StackView>("spacing", [](StackView& v) { v.setSpacing(6); }),
        setter<StackView>("stack alignment", [](StackView& v) { v.setAlignment(StackAlignment::center); }),
        setter<StackView>("distribution", [](StackView& v) { v.setDistribution(StackDistribution::fillEqually); }),
        setter<StackView>("arranged view removed", [](StackView& v) {
            auto label = std::make_shared<Label>();
            v.addArrangedSubview(label);
            v.removeArrangedSubview(*label);
        }),
        setter<Button>("enabled", [](Button& v) { v.setEnabled(false); }),
        setter<Button>("selected", [](Button& v) { v.setSelected(true); }),
        setter<Button>("highlighted", [](Button& v) { v.setHighlighted(true); }),
        setter<Button>("title", [](Button& v) { v.setTitle("Go"); }),
        setter<Button>("styled title", [](Button& v) { v.setAttributedTitle(AttributedString{"Go"}); }),
        setter<Button>("button image", [](Button& v) { v.setImage(Image::named("play")); }),
        setter<Button>("background image", [](Button& v) { v.setBackgroundImage(Image::named("bg")); }),
        setter<Button>("title colour", [=](Button& v) { v.setTitleColor(red); }),
        setter<Button>("image insets", [](Button& v) { v.setImageEdgeInsets({1, 1, 1, 1}); }),
        setter<TextField>("field text", [](TextField& v) { v.setText("abc"); }),
        setter<TextField>("placeholder", [](TextField& v) { v.setPlaceholder("Search"); }),
        setter<TextField>("styled placeholder", [](TextField& v) { v.setAttributedPlaceholder(AttributedString{"Search"}); }),
        setter<TextField>("field font", [](TextField& v) { v.setFont(Font::system(12)); }),
        setter<TextField>("left view", [](TextField& v) { v.setLeftView(std::make_shared<ImageView>()); }),
        setter<TextField>("left view mode", [](TextField& v) { v.setLeftViewMode(ViewMode::always); }),
        setter<TextField>("left view's picture", [](TextField& v) {
            auto icon = std::make_shared<ImageView>();
            v.setLeftView(icon);
            icon->setImage(Image::named("search"));
        }),
        setter<TextField>("accessory's button", [](TextField& v) {
            auto bar = std::make_shared<Toolbar>();
            auto done = std::make_shared<BarButtonItem>(SystemBarItem::done);
            bar->setItems({done});
            v.setInputAccessoryView(bar);
            done->setEnabled(false);
        }),
        setter<TextField>("left view replaced", [](TextField& v) {
            auto first = std::make_shared<ImageView>();
            v.setLeftView(first);
            v.setLeftView(std::make_shared<Label>());
            first->setImage(Image::named("unseen"));  // no longer shown: heard by no one
        }),
        setter<TextField>("typed into", [](TextField& v) {
            v.setLeftView(std::make_shared<ImageView>());
            v.setLeftViewMode(ViewMode::whileEditing);
            v.typeText("Lyon");
        }),
        setter<TextField>("focused", [](TextField& v) { v.becomeFirstResponder(); }),
        setter<TextField>("focus left", [](TextField& v) {
            v.becomeFirstResponder();
            v.resignFirstResponder();
        }),
        setter<TextField>("accessory", [](TextField& v) { v.setInputAccessoryView(std::make_shared<View>()); }),
        setter<SegmentedControl>("segment inserted", [](SegmentedControl& v) { v.insertSegment("English", 0); }),
        setter<SegmentedControl>("segment title", [](SegmentedControl& v) {
            v.insertSegment("English", 0);
            v.setTitle("Español", 0);
        }),
        setter<SegmentedControl>("segment enabled", [](SegmentedControl& v) {
            v.insertSegment("English", 0);
            v.setEnabled(false, 0);
        }),
        setter<SegmentedControl>("segment selected", [](SegmentedControl& v) {
            v.insertSegment("English", 0);
            v.setSelectedSegmentIndex(0);
        }),
        setter<SegmentedControl>("selected tint", [=](SegmentedControl& v) { v.setSelectedSegmentTintColor(red); }),
        setter<Slider>("value", [](Slider& v) { v.setValue(0.5f); }),
        setter<Slider>("minimum", [](Slider& v) { v.setMinimumValue(-1); }),
        setter<Slider>("maximum", [](Slider& v) { v.setMaximumValue(5); }),
        setter<Slider>("continuous", [](Slider& v) { v.setContinuous(false); }),
        setter<Switch>("on", [](Switch& v) { v.setOn(true); }),
        setter<Switch>("on tint", [=](Switch& v) { v.setOnTintColor(red); }),
        setter<StarRatingView>("rating", [](StarRatingView& v) { v.setRating(3); }),
        setter<StarRatingView>("minimum rating", [](StarRatingView& v) { v.setMinRating(1); }),
        setter<StarRatingView>("stars", [](StarRatingView& v) { v.setMaxRating(10); }),
        setter<StarRatingView>("fill", [](StarRatingView& v) { v.setFillMode(StarFillMode::precise); }),
        setter<StarRatingView>("editable", [](StarRatingView& v) { v.setEditable(false); }),
        setter<StarRatingView>("updates on touch", [](StarRatingView& v) { v.setUpdatesOnTouch(false); }),
        setter<ActivityIndicatorView>("animating", [](ActivityIndicatorView& v) { v.startAnimating(); }),
        setter<ActivityIndicatorView>("hides when stopped", [](ActivityIndicatorView& v) { v.setHidesWhenStopped(false); }),
        setter<ScrollView>("content size", [](ScrollView& v) { v.setContentSize({10, 900}); }),
        setter<ScrollView>("content offset", [](ScrollView& v) { v.setContentOffset({0, 40}); }),
        setter<ScrollView>("content inset", [](ScrollView& v) { v.setContentInset({10, 0, 0, 0}); }),
        setter<ScrollView>("scrolling", [](ScrollView& v) { v.setScrollEnabled(false); }),
        setter<ScrollView>("vertical indicator", [](ScrollView& v) { v.setShowsVerticalScrollIndicator(false); }),
        setter<ScrollView>("horizontal indicator", [](ScrollView& v) { v.setShowsHorizontalScrollIndicator(false); }),
        setter<ScrollView>("bounces", [](ScrollView& v) { v.setBounces(false); }),
        setter<WebScrollView>("page scrolling", [](WebScrollView& v) { v.setScrollEnabled(false); }),
        setter<WebScrollView>("page inset", [](WebScrollView& v) { v.setContentInset({0, 0, 20, 0}); }),
        setter<WebScrollView>("page indicator", [](WebScrollView& v) { v.setShowsVerticalScrollIndicator(false); }),
        setter<WebScrollView>("page offset", [](WebScrollView& v) { v.setContentOffset({0, 30}); }),
        setter<TableView>("row height", [](TableView& v) { v.setRowHeight(80); }),
        setter<TableView>("estimated height", [](TableView& v) { v.setEstimatedRowHeight(60); }),
        setter<TableView>("separator", [](TableView& v) { v.setSeparatorInset({0, 0, 0, 0}); }),
        setter<TableView>("selection", [](TableView& v) { v.setAllowsSelection(false); }),
        setter<TableView>("editing", [](TableView& v) { v.setEditing(true); }),
        setter<TableView>("header", [](TableView& v) { v.setTableHeaderView(std::make_shared<View>(Rect(0, 0, 320, 40))); }),
        setter<TableView>("rows scrolled into sight", [](TableView& v) {
            static auto numbers = std::make_shared<Numbers>();  // the table holds its data source weakly
            v.setFrame(Rect(0, 0, 320, 400));
            v.setDataSource(numbers);
            v.reloadData();
            v.selectRow({0, 3});
            v.scrollTo({0, 3000});
            v.scrollToRow({0, 3}, TableScrollPosition::middle, false);
        }),
        setter<TableViewCell>("accessory", [](TableViewCell& v) { v.setAccessoryType(CellAccessoryType::checkmark); }),
        setter<TableViewCell>("selection style", [](TableViewCell& v) { v.setSelectionStyle(CellSelectionStyle::none); }),
        setter<TableViewCell>("cell separator", [](TableViewCell& v) { v.setSeparatorInset({0, 40, 0, 0}); }),
        setter<TableViewCell>("cell selected", [](TableViewCell& v) { v.setSelected(true); }),
        setter<TableViewCell>("selected background's colour", [=](TableViewCell& v) {
            auto background = std::make_shared<View>();
            v.setSelectedBackgroundView(background);
            background->setBackgroundColor(red);
        }),
        setter<TableViewCell>("cell editing", [](TableViewCell& v) { v.setEditing(true); }),
        setter<TableViewCell>("selected background", [](TableViewCell& v) { v.setSelectedBackgroundView(std::make_shared<View>()); }),
        setter<SegmentedControl>("segment image", [](SegmentedControl& v) {
            v.insertSegment("English", 0);
            v.setImage(Image::named("flag"), 0);
        }),
        setter<SegmentedControl>("segment removed", [](SegmentedControl& v) {
            v.insertSegment("English", 0);
            v.insertSegment("Français", 1);
            v.removeSegment(0);
        }),
        setter<SegmentedControl>("title attributes", [=](SegmentedControl& v) {
            v.setTitleTextAttributes({red, Font::system(13)}, ControlState::selected);
        }),
        setter<ImageScrollView>("zoomable picture", [](ImageScrollView& v) {
            v.setFrame(Rect(0, 0, 100, 100));
            v.setImage(Image{Image::Source::bundle, "big", nullptr, 400, 300});
        }),
        setter<ImageScrollView>("display mode", [](ImageScrollView& v) { v.setDisplayMode(ImageDisplayMode::fill); }),
        setter<ImageScrollView>("zoom", [](ImageScrollView& v) {
            v.setFrame(Rect(0, 0, 100, 100));
            v.setImage(Image{Image::Source::bundle, "big", nullptr, 400, 300});
            v.setZoomScale(0.5);
        }),
        setter<ImageScrollView>("pinch and pan", [](ImageScrollView& v) {
            v.setFrame(Rect(0, 0, 100, 100));
            v.setImage(Image{Image::Source::bundle, "big", nullptr, 400, 300});
            v.pinch(3, {50, 50});
            v.pan(-20, -10);
        }),
        setter<PanoramaView>("projection", [](PanoramaView& v) { v.setProjection(PanoramaProjection::cylindrical); }),
        setter<PanoramaView>("control", [](PanoramaView& v) { v.setControlMethod(PanoramaControlMethod::touch); }),
        setter<PanoramaView>("angle offset", [](PanoramaView& v) { v.setAngleOffset(90); }),
        setter<PanoramaView>("field of view", [](PanoramaView& v) { v.setFieldOfView(60); }),
        setter<PanoramaView>("panorama picture", [](PanoramaView& v) { v.setImage(pictureOf(64, 32)); }),
        setter<PanoramaView>("dragged", [](PanoramaView& v) {
            v.setFrame(Rect(0, 0, 100, 100));
            v.setImage(pictureOf(64, 32));
            v.setControlMethod(PanoramaControlMethod::touch);
            v.drag(30, 10);
        }),
        setter<PanoramaView>("device turned", [](PanoramaView& v) {
            v.setImage(pictureOf(64, 32));
            v.deviceAttitudeChanged(45, 10);
        }),
        setter<MapView>("region", [](MapView& v) { v.setRegion({{45.76, 4.83}, {0.1, 0.1}}, true); }),
        setter<MapView>("centre", [](MapView& v) { v.setCenterCoordinate({48.85, 2.35}, false); }),
        setter<MapView>("map type", [](MapView& v) { v.setMapType(MapType::satellite); }),
        setter<MapView>("compass", [](MapView& v) { v.setShowsCompass(false); }),
        setter<MapView>("tracking", [](MapView& v) { v.setUserTrackingMode(UserTrackingMode::follow, false); }),
        setter<MapView>("user location", [](MapView& v) {
            v.setShowsUserLocation(true);
            v.userLocationDidChange({45.7, 4.8});
        }),
        setter<MapView>("annotation added and selected", [](MapView& v) {
            auto place = std::make_shared<Place>();
            v.addAnnotation(place);
            v.selectAnnotation(place, false);
        }),
        setter<MapView>("annotation removed", [](MapView& v) {
            auto place = std::make_shared<Place>();
            v.addAnnotation(place);
            v.selectAnnotation(place, false);
            v.removeAnnotation(place);
        }),
        setter<MapView>("annotations shown", [](MapView& v) {
            auto place = std::make_shared<Place>();
            v.addAnnotation(place);
            v.showAnnotations({place}, false);
        }),
        setter<MapView>("overlay restyled", [](MapView& v) {
            static LineKeeper keeper;  // the map holds its delegate weakly
            v.setDelegate(&keeper);
            v.addOverlay(std::make_shared<Polyline>(std::vector<LocationCoordinate>{{45, 4}, {46, 5}}));
            keeper.line->setStrokeColor(Color{0, 0, 1, 1});
            keeper.line->setLineWidth(5);
        }),
        setter<MarkerAnnotationView>("marker", [=](MarkerAnnotationView& v) {
            v.setAnnotation(std::make_shared<Place>());
            v.setCanShowCallout(true);
            v.setGlyphImage(Image::named("glyph"));
            v.setMarkerTintColor(red);
        }),
        setter<MarkerAnnotationView>("callout accessories", [](MarkerAnnotationView& v) {
            v.setDetailCalloutAccessoryView(std::make_shared<Label>());
            v.setLeftCalloutAccessoryView(std::make_shared<Button>());
            v.setRightCalloutAccessoryView(std::make_shared<Button>());
        }),
        setter<MarkerAnnotationView>("callout picture", [](MarkerAnnotationView& v) {
            auto picture = std::make_shared<ImageView>();
            v.setDetailCalloutAccessoryView(picture);
            picture->setImage(Image::named("poi"));
        }),
        setter<MarkerAnnotationView>("marker selected", [](MarkerAnnotationView& v) { v.setSelected(true); }),
        setter<VideoPlayerLayer>("gravity", [](VideoPlayerLayer& v) { v.setVideoGravity(VideoGravity::resizeAspectFill); }),
        setter<NavigationBar>("bar tint", [=](NavigationBar& v) { v.setBarTintColor(red); }),
        setter<NavigationBar>("bar style", [](NavigationBar& v) { v.setBarStyle(BarStyle::black); }),
        setter<NavigationBar>("translucent", [](NavigationBar& v) { v.setTranslucent(false); }),
        setter<NavigationBar>("back indicator", [](NavigationBar& v) { v.setBackIndicatorImage("back"); }),
        setter<Toolbar>("toolbar items", [](Toolbar& v) { v.setItems({std::make_shared<BarButtonItem>(SystemBarItem::done)}); }),
        setter<Toolbar>("toolbar item title", [](Toolbar& v) {
            auto item = std::make_shared<BarButtonItem>(SystemBarItem::done);
            v.setItems({item});
            item->setTitle("OK");
            item->setEnabled(false);
        }),
    };
}

TEST(ViewMirror, EverySetterOfEveryViewKindReachesTheMirror) {
    test::TestEnvironment env;
    for (const auto& c : everySetter()) {
        auto root = std::make_shared<View>(Rect(0, 0, 390, 844));
        auto view = c.make();
        root->addSubview(view);
        auto mirror = test::ViewMirror::attach(*root);
        c.set(*view);
        for (const auto& difference : mirror->differences()) ADD_FAILURE() << c.name << ": " << difference;
    }
}

TEST(ViewMirror, ANavigationItemReportsThroughItsScreensView) {
    test::TestEnvironment env;
    auto screen = std::make_shared<ViewController>();
    auto* item = &screen->navigationItem();
    auto mirror = test::ViewMirror::attach(screen->view(), [&](const View& v) -> ViewController* {
        return &v == &screen->view() ? screen.get() : nullptr;
    });
    auto share = std::make_shared<BarButtonItem>(SystemBarItem::action);
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"title", [&] { screen->setTitle("Lyon"); }},
        {"right item", [&] { item->setRightBarButtonItem(share); }},
        {"item disabled", [&] { share->setEnabled(false); }},
        {"item hidden", [&] { share->setHidden(true); }},
        {"left items", [&] { item->setLeftBarButtonItems({std::make_shared<BarButtonItem>("Close", [] {})}); }},
        {"back button", [&] { item->setHidesBackButton(true); }},
        {"back mode", [&] { item->setBackButtonDisplayMode(BackButtonDisplayMode::minimal); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        for (const auto& difference : mirror->differences()) ADD_FAILURE() << name << ": " << difference;
    }
}

TEST(ViewMirror, AnAlertReportsItsTextsAndButtonsThroughItsView) {
    test::TestEnvironment env;
    auto alert = std::make_shared<AlertController>("Download", "Not enough room");
    auto mirror = test::ViewMirror::attach(alert->view(), [&](const View& v) -> ViewController* {
        return &v == &alert->view() ? alert.get() : nullptr;
    });
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"action", [&] { alert->addAction({"OK", AlertActionStyle::cancel, {}, true}); }},
        {"disabled action", [&] { alert->addAction({"Retry", AlertActionStyle::defaultStyle, {}, false}); }},
        {"styled title", [&] { alert->setValue("attributedTitle", AttributedString{"Téléchargement"}); }},
        {"styled message", [&] { alert->setValue("attributedMessage", AttributedString{"Plus de place"}); }},
        {"text field", [&] { alert->addTextField([](TextField& field) { field.setPlaceholder("Name"); }); }},
        {"text typed", [&] { alert->textFields().front()->setText("Lyon"); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        for (const auto& difference : mirror->differences()) ADD_FAILURE() << name << ": " << difference;
    }
}

TEST(ViewMirror, ASilentChangeShowsAsADifference) {
    // A change the observer does not hear: the mirror must notice it.
    auto root = std::make_shared<View>();
    auto label = addView<Label>(*root, "lblQuiet");
    auto mirror = test::ViewMirror::attach(*root);
    EXPECT_TRUE(mirror->differences().empty());
    root->setObserver(nullptr);  // the change below goes unheard
    label->setText("changed behind the mirror's back");
    ASSERT_EQ(mirror->differences().size(), 1u);
    EXPECT_NE(mirror->differences().front().find("lblQuiet"), std::string::npos);
}

}  // namespace
}  // namespace tq
