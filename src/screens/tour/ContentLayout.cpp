// The two layouts of the content screen, built in code as the storyboards "Main" and "Main-ipad"
// hold them: the views, their arrangements, their first state and the constraints the screen
// changes. The title, the body and the bottom bar stand in a column. The body lays the portrait
// scroll view, the landscape container and the text page over one another; one content block of
// each layout shows at a time, and inside a block every view has its own frame.
#include <algorithm>
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/StackView.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/ContentController.h"
#include "ui/common/MainStoryboards.h"

namespace tq {
namespace {

constexpr double kTitleHeight = 50;
constexpr double kBottomHeight = 60;
// Each column of the bottom bar: its button over its caption, clear of the screen's bottom edge.
constexpr double kBottomButtonHeight = 36;
constexpr double kBottomLabelHeight = 18;

}  // namespace

struct ContentLayout {
    ContentController& s;
    DeviceIdiom idiom;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame) {
        return addView<T>(parent, name, frame);
    }
    template <class T>
    std::shared_ptr<T> hidden(View& parent, const std::string& name, Rect frame) {
        auto view = make<T>(parent, name, frame);
        view->setHidden(true);
        return view;
    }
    // A content block: its views sit at frames of their own.
    std::shared_ptr<View> block(View& parent, const std::string& name, Rect frame) {
        auto view = hidden<View>(parent, name, frame);
        view->setArrangement(Arrangement::fixed());
        return view;
    }
    std::shared_ptr<LayoutConstraint> height(View& holder, const std::shared_ptr<View>& item, double constant,
                                             const std::string& name) {
        return sizeConstraint(holder, item, LayoutAttribute::height, constant, name);
    }
    std::shared_ptr<ActivityIndicatorView> spinner(View& parent, const std::string& name, Rect frame) {
        return hidden<ActivityIndicatorView>(parent, name, frame);
    }

    double pictureHeight() const { return idiom == DeviceIdiom::pad ? 420 : 240; }

    void build(View& root) {
        const double width = root.frame().width();
        const double height = root.frame().height();
        root.setArrangement(Arrangement::column());
        s.lblTitle = make<Label>(root, "lblTitle", Rect(0, 0, width, kTitleHeight));
        s.lblTitle->setNumberOfLines(2);
        s.lblTitle->setTextAlignment(TextAlignment::center);

        // The two containers are drawn for the screen held upright and turned, whichever way the
        // device is held when the screen loads.
        const double shortSide = std::min(width, height), longSide = std::max(width, height);
        const Rect frame(0, 0, shortSide, longSide - kTitleHeight - kBottomHeight);
        auto body = make<View>(root, "viewBody", Rect(0, kTitleHeight, width, height - kTitleHeight - kBottomHeight));
        body->setArrangement(Arrangement::overlay());
        body->setStretches(true);
        // The blocks are drawn for the whole screen; under a navigation bar the body is shorter,
        // and what it holds must not run over the bottom bar.
        body->setClipsToBounds(true);
        buildPortrait(*body, frame);
        buildLandscape(*body, Rect(0, 0, longSide, shortSide - kTitleHeight - kBottomHeight));
        // The text page has no landscape twin: it lies over both containers, so a text reads in
        // either orientation.
        s.webViewText = hidden<WebView>(*body, "webViewText", body->bounds());
        buildBottomBar(root, width, height);

        s.rightBarButton = std::make_shared<BarButtonItem>("", std::function<void()>{});
        s.navigationItem().setRightBarButtonItem(s.rightBarButton);
    }

    void buildPortrait(View& root, Rect frame) {
        s.viewPortrait = make<ScrollView>(root, "viewPortrait", frame);
        // One block shows at a time, from the top.
        s.viewPortrait->setArrangement(Arrangement::scroll().packed(Pack::start));
        auto& p = *s.viewPortrait;
        const double width = frame.width();
        const double picture = pictureHeight();

        s.view360 = block(p, "view360", Rect(0, 0, width, frame.height()));
        s.img360 = make<ImageView>(*s.view360, "img360", Rect(0, 0, width, picture));
        s.btnShow360 = make<Button>(*s.view360, "btnShow360", Rect(0, 0, width, picture));
        s.webView360 = make<WebView>(*s.view360, "webView360", Rect(0, picture, width, frame.height() - picture));
        s.const360Desc = height(*s.view360, s.webView360, frame.height() - picture, "const360Desc");

        s.viewImage = block(p, "viewImage", Rect(0, 0, width, frame.height()));
        s.imgImage = make<ImageView>(*s.viewImage, "imgImage", Rect(0, 0, width, picture));
        s.imgImage->setContentMode(ContentMode::scaleAspectFit);
        s.btnImageZoom = make<Button>(*s.viewImage, "btnImageZoom", Rect(0, 0, width, picture));
        s.webViewImage = make<WebView>(*s.viewImage, "webViewImage", Rect(0, picture + 10, width, 200));
        s.constImageDesc = height(*s.viewImage, s.webViewImage, 200, "constImageDesc");

        s.viewVideo = block(p, "viewVideo", Rect(0, 0, width, frame.height()));
        s.imgVideo = make<ImageView>(*s.viewVideo, "imgVideo", Rect(0, 0, width, picture));
        s.btnVideoPlay = make<Button>(*s.viewVideo, "btnVideoPlay", Rect(0, 0, width, picture));
        s.lblVideoSource = make<Label>(*s.viewVideo, "lblVideoSource", Rect(10, picture + 10, width - 20, 40));
        s.lblVideoDuration = make<Label>(*s.viewVideo, "lblVideoDuration", Rect(10, picture + 50, width - 20, 30));

        s.viewAudio = block(p, "viewAudio", Rect(0, 0, width, frame.height()));
        s.imgAudio = make<ImageView>(*s.viewAudio, "imgAudio", Rect(0, 0, width, picture));
        s.btnAudioZoom = make<Button>(*s.viewAudio, "btnAudioZoom", Rect(0, 0, width, picture));
        s.lblAudioSource = make<Label>(*s.viewAudio, "lblAudioSource", Rect(10, picture + 10, width - 20, 40));
        s.viewAudioPlayer = make<View>(*s.viewAudio, "viewAudioPlayer", Rect(10, picture + 60, width - 20, 80));
        s.viewAudioPlayer->setArrangement(Arrangement::fixed());
        auto& player = *s.viewAudioPlayer;
        s.btnPlayAudio = make<Button>(player, "btnPlayAudio", Rect(10, 20, 40, 40));
        s.sliderAudio = make<Slider>(player, "sliderAudio", Rect(60, 20, width - 100, 40));
        s.lblTimePlayed = make<Label>(player, "lblTimePlayed", Rect(60, 55, 60, 20));
        s.lblTimeRemaining = make<Label>(player, "lblTimeRemaining", Rect(width - 100, 55, 60, 20));
    }

    void buildLandscape(View& root, Rect frame) {
        s.viewLandscape = hidden<View>(root, "viewLandscape", frame);
        s.viewLandscape->setArrangement(Arrangement::overlay());
        auto& l = *s.viewLandscape;
        const double half = frame.width() / 2;
        const double picture = frame.height();

        s.viewImageLand = block(l, "viewImageLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgImageLand = make<ImageView>(*s.viewImageLand, "imgImageLand", Rect(0, 0, half, picture));
        s.imgImageLand->setContentMode(ContentMode::scaleAspectFit);
        s.btnImageZoomLand = make<Button>(*s.viewImageLand, "btnImageZoomLand", Rect(0, 0, half, picture));
        s.activityIndImageLand = spinner(*s.viewImageLand, "activityIndImageLand", Rect(half / 2 - 10, picture / 2 - 10, 20, 20));
        s.webViewImageLand = make<WebView>(*s.viewImageLand, "webViewImageLand", Rect(half, 0, half, picture));
        s.constImageDescLand = height(*s.viewImageLand, s.webViewImageLand, picture, "constImageDescLand");

        s.view360Land = block(l, "view360Land", Rect(0, 0, frame.width(), frame.height()));
        s.img360Land = make<ImageView>(*s.view360Land, "img360Land", Rect(0, 0, half, picture));
        s.btnShow360Land = make<Button>(*s.view360Land, "btnShow360Land", Rect(0, 0, half, picture));
        s.webView360Land = make<WebView>(*s.view360Land, "webView360Land", Rect(half, 0, half, picture));
        s.activityInd360Land = spinner(*s.view360Land, "activityInd360Land", Rect(half / 2 - 10, picture / 2 - 10, 20, 20));
        s.constImage360Land = height(*s.view360Land, s.webView360Land, picture, "constImage360Land");

        s.viewAudioLand = block(l, "viewAudioLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgAudioLand = make<ImageView>(*s.viewAudioLand, "imgAudioLand", Rect(0, 0, half, picture));
        s.btnAudioLand = make<Button>(*s.viewAudioLand, "btnAudioLand", Rect(0, 0, half, picture));
        s.activityIndAudioLand = spinner(*s.viewAudioLand, "activityIndAudioLand", Rect(half / 2 - 10, picture / 2 - 10, 20, 20));
        s.lblAudioSourceLand = make<Label>(*s.viewAudioLand, "lblAudioSourceLand", Rect(half + 10, 10, half - 20, 40));
        s.viewAudioPlayerLand = make<View>(*s.viewAudioLand, "viewAudioPlayerLand", Rect(half + 10, 60, half - 20, 80));
        s.viewAudioPlayerLand->setArrangement(Arrangement::fixed());
        auto& player = *s.viewAudioPlayerLand;
        s.btnPlayAudioLand = make<Button>(player, "btnPlayAudioLand", Rect(10, 20, 40, 40));
        s.sliderAudioLand = make<Slider>(player, "sliderAudioLand", Rect(60, 20, half - 100, 40));
        s.lblAudioTimePlayedLand = make<Label>(player, "lblAudioTimePlayedLand", Rect(60, 55, 60, 20));
        s.lblAudioTimeRemainingLand = make<Label>(player, "lblAudioTimeRemainingLand", Rect(half - 100, 55, 60, 20));

        s.viewVideoLand = block(l, "viewVideoLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgVideoLand = make<ImageView>(*s.viewVideoLand, "imgVideoLand", Rect(0, 0, half, picture));
        s.activityIndVideoLand = spinner(*s.viewVideoLand, "activityIndVideoLand", Rect(half / 2 - 10, picture / 2 - 10, 20, 20));
        s.btnVideoPlayLand = make<Button>(*s.viewVideoLand, "btnVideoPlayLand", Rect(0, 0, half, picture));
        s.lblVideoSourceLand = make<Label>(*s.viewVideoLand, "lblVideoSourceLand", Rect(half + 10, 10, half - 20, 40));
        s.lblVideoDurationLand =
            make<Label>(*s.viewVideoLand, "lblVideoDurationLand", Rect(half + 10, 50, half - 20, 30));
    }

    void buildBottomBar(View& root, double width, double height) {
        s.viewBottom = make<View>(root, "viewBottom", Rect(0, height - kBottomHeight, width, kBottomHeight));
        // The backdrop under three equal columns: previous, show, next, each a button over its label.
        s.viewBottom->setArrangement(Arrangement::overlay());
        auto& b = *s.viewBottom;
        s.constBottomViewHeight = this->height(root, s.viewBottom, kBottomHeight, "constBottomViewHeight");
        s.lblBGBottom = make<Label>(b, "lblBGBottom", Rect(0, 0, width, kBottomHeight));
        auto columns = make<StackView>(b, "stackBottom", Rect());
        columns->setAxis(LayoutAxis::horizontal);
        columns->setDistribution(StackDistribution::fillEqually);
        const double third = width / 3;
        auto column = [&](const char* name, std::shared_ptr<Button>& button, const char* buttonName,
                          std::shared_ptr<Label>& label, const char* labelName) {
            auto stack = std::make_shared<View>();
            stack->setIdentifier(name);
            stack->setArrangement(Arrangement::column().packed(Pack::start));
            columns->addArrangedSubview(stack);
            button = make<Button>(*stack, buttonName, Rect(0, 0, third, kBottomButtonHeight));
            label = make<Label>(*stack, labelName, Rect(0, 0, third, kBottomLabelHeight));
            label->setTextAlignment(TextAlignment::center);
            // The caption is part of its button: a touch on the words is a touch on the button.
            std::weak_ptr<Button> pressed = button;
            label->addGestureRecognizer(std::make_shared<GestureRecognizer>(GestureKind::tap, [pressed](GestureRecognizer&) {
                if (auto b = pressed.lock()) b->tap();
            }));
        };
        column("stackPrev", s.btnPrev, "btnPrev", s.lblPrev, "lblPrev");
        column("stackShow", s.btnShow, "btnShow", s.lblShow, "lblShow");
        column("stackNext", s.btnNext, "btnNext", s.lblNext, "lblNext");
        s.btnPrev->setImage(Image::named("stepPrevious"));
        s.btnNext->setImage(Image::named("stepNext"));
        // The screen sets the Show button's picture for each content; until then, the usual one.
        s.btnShow->setImage(Image::named("playContent"));
    }
};

void ContentController::loadView() {
    auto size = Environment::current().device().screenBounds;
    auto root = std::make_shared<View>(Rect(0, 0, size.width, size.height));
    setView(root);
    ContentLayout{*this, layoutIdiom_}.build(*root);
    wireActions();
}

void ContentController::wireActions() {
    auto weak = weakSelf();
    auto on = [weak](auto method) {
        return [weak, method] {
            if (auto self = weak.lock()) ((*self).*method)();
        };
    };
    btnPrev->addAction(ControlEvent::touchUpInside, on(&ContentController::previous));
    btnNext->addAction(ControlEvent::touchUpInside, on(&ContentController::next));
    btnShow->addAction(ControlEvent::touchUpInside, on(&ContentController::showStart));
    for (const auto& button : {btnShow360, btnShow360Land}) {
        button->addAction(ControlEvent::touchUpInside, on(&ContentController::start360));
    }
    for (const auto& button : {btnImageZoom, btnImageZoomLand}) {
        button->addAction(ControlEvent::touchUpInside, on(&ContentController::zoomImage));
    }
    for (const auto& button : {btnVideoPlay, btnVideoPlayLand}) {
        button->addAction(ControlEvent::touchUpInside, on(&ContentController::playVideo));
    }
    for (const auto& button : {btnPlayAudio, btnPlayAudioLand}) {
        button->addAction(ControlEvent::touchUpInside, on(&ContentController::playAudio));
    }
    for (const auto& slider : {sliderAudio, sliderAudioLand}) {
        slider->addAction(ControlEvent::valueChanged, [weak](Control& sender) {
            if (auto self = weak.lock()) self->sliderAudioChanged(static_cast<const Slider&>(sender));
        });
    }
    rightBarButton->setAction(on(&ContentController::showContentList));

    // Swiping to the left goes back, to the right goes on.
    view().addGestureRecognizer(GestureRecognizer::swipe(SwipeDirection::left, [weak](GestureRecognizer&) {
        if (auto self = weak.lock()) self->changeContentLeft();
    }));
    view().addGestureRecognizer(GestureRecognizer::swipe(SwipeDirection::right, [weak](GestureRecognizer&) {
        if (auto self = weak.lock()) self->changeContentRight();
    }));
}

void ContentController::registerIn(StoryboardRegistry& registry) {
    for (const MainStoryboard& board : kMainStoryboards) {
        auto& storyboard = registry.storyboard(board.name);
        storyboard.registerScreen("ContentController", [idiom = board.idiom] {
            auto screen = std::make_shared<ContentController>();
            screen->layoutIdiom_ = idiom;
            return screen;
        });
        // The content list registers itself under this identifier.
        storyboard.addSegue({.identifier = "showContentList", .destination = "ContentSelectController",
                             .kind = SegueKind::popover, .source = "ContentController"});
    }
}

}  // namespace tq
