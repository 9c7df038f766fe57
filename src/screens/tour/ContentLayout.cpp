// The two layouts of the content screen, built in code as the storyboards "Main" and "Main-ipad"
// hold them: the views, their first state and the constraints the screen changes.
#include <memory>
#include <string>

#include "platform/foundation/Environment.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Storyboard.h"
#include "screens/tour/ContentController.h"

namespace tq {
namespace {

constexpr double kTitleHeight = 50;
constexpr double kBottomHeight = 60;

}  // namespace

struct ContentLayout {
    ContentController& s;
    DeviceIdiom idiom;

    template <class T>
    std::shared_ptr<T> make(View& parent, const std::string& name, Rect frame = {}) {
        auto view = std::make_shared<T>();
        view->setIdentifier(name);
        view->setFrame(frame);
        parent.addSubview(view);
        return view;
    }
    template <class T>
    std::shared_ptr<T> hidden(View& parent, const std::string& name, Rect frame = {}) {
        auto view = make<T>(parent, name, frame);
        view->setHidden(true);
        return view;
    }
    std::shared_ptr<LayoutConstraint> constraint(View& holder, const std::shared_ptr<View>& item,
                                                 LayoutAttribute attribute, double constant, const std::string& name) {
        auto c = LayoutConstraint::size(item, attribute, constant, name);
        holder.addConstraint(c);
        return c;
    }
    std::shared_ptr<ActivityIndicatorView> spinner(View& parent, const std::string& name) {
        return hidden<ActivityIndicatorView>(parent, name);
    }

    double pictureHeight() const { return idiom == DeviceIdiom::pad ? 420 : 240; }

    void build(View& root) {
        const double width = root.frame().width();
        const double height = root.frame().height();
        s.lblTitle = make<Label>(root, "lblTitle", Rect(0, 0, width, kTitleHeight));
        s.lblTitle->setNumberOfLines(2);
        s.lblTitle->setTextAlignment(TextAlignment::center);

        const Rect body(0, kTitleHeight, width, height - kTitleHeight - kBottomHeight);
        buildPortrait(root, body);
        buildLandscape(root, Rect(0, kTitleHeight, height, width - kTitleHeight - kBottomHeight));
        // The text page has no landscape twin: it lies over both containers, so a text reads in
        // either orientation.
        s.webViewText = hidden<WebView>(root, "webViewText", body);
        buildBottomBar(root, width, height);

        s.rightBarButton = std::make_shared<BarButtonItem>("", std::function<void()>{});
        s.navigationItem().setRightBarButtonItem(s.rightBarButton);
    }

    void buildPortrait(View& root, Rect frame) {
        s.viewPortrait = make<ScrollView>(root, "viewPortrait", frame);
        auto& p = *s.viewPortrait;
        const double width = frame.width();
        const double picture = pictureHeight();

        s.view360 = hidden<View>(p, "view360", Rect(0, 0, width, frame.height()));
        s.img360 = make<ImageView>(*s.view360, "img360", Rect(0, 0, width, picture));
        s.btnShow360 = make<Button>(*s.view360, "btnShow360", Rect(0, 0, width, picture));
        s.webView360 = make<WebView>(*s.view360, "webView360", Rect(0, picture, width, frame.height() - picture));
        s.const360Desc = constraint(*s.view360, s.webView360, LayoutAttribute::height, frame.height() - picture,
                                    "const360Desc");

        s.viewImage = hidden<View>(p, "viewImage", Rect(0, 0, width, frame.height()));
        s.imgImage = make<ImageView>(*s.viewImage, "imgImage", Rect(0, 0, width, picture));
        s.imgImage->setContentMode(ContentMode::scaleAspectFit);
        s.btnImageZoom = make<Button>(*s.viewImage, "btnImageZoom", Rect(0, 0, width, picture));
        s.webViewImage = make<WebView>(*s.viewImage, "webViewImage", Rect(0, picture + 10, width, 200));
        s.constImageDesc = constraint(*s.viewImage, s.webViewImage, LayoutAttribute::height, 200, "constImageDesc");

        s.viewVideo = hidden<View>(p, "viewVideo", Rect(0, 0, width, frame.height()));
        s.imgVideo = make<ImageView>(*s.viewVideo, "imgVideo", Rect(0, 0, width, picture));
        s.btnVideoPlay = make<Button>(*s.viewVideo, "btnVideoPlay", Rect(0, 0, width, picture));
        s.lblVideoSource = make<Label>(*s.viewVideo, "lblVideoSource", Rect(10, picture + 10, width - 20, 40));
        s.lblVideoDuration = make<Label>(*s.viewVideo, "lblVideoDuration", Rect(10, picture + 50, width - 20, 30));

        s.viewAudio = hidden<View>(p, "viewAudio", Rect(0, 0, width, frame.height()));
        s.imgAudio = make<ImageView>(*s.viewAudio, "imgAudio", Rect(0, 0, width, picture));
        s.btnAudioZoom = make<Button>(*s.viewAudio, "btnAudioZoom", Rect(0, 0, width, picture));
        s.lblAudioSource = make<Label>(*s.viewAudio, "lblAudioSource", Rect(10, picture + 10, width - 20, 40));
        s.viewAudioPlayer = make<View>(*s.viewAudio, "viewAudioPlayer", Rect(10, picture + 60, width - 20, 80));
        auto& player = *s.viewAudioPlayer;
        s.btnPlayAudio = make<Button>(player, "btnPlayAudio", Rect(10, 20, 40, 40));
        s.sliderAudio = make<Slider>(player, "sliderAudio", Rect(60, 20, width - 100, 40));
        s.lblTimePlayed = make<Label>(player, "lblTimePlayed", Rect(60, 55, 60, 20));
        s.lblTimeRemaining = make<Label>(player, "lblTimeRemaining", Rect(width - 100, 55, 60, 20));
    }

    void buildLandscape(View& root, Rect frame) {
        s.viewLandscape = hidden<View>(root, "viewLandscape", frame);
        auto& l = *s.viewLandscape;
        const double half = frame.width() / 2;
        const double picture = frame.height();

        s.viewImageLand = hidden<View>(l, "viewImageLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgImageLand = make<ImageView>(*s.viewImageLand, "imgImageLand", Rect(0, 0, half, picture));
        s.imgImageLand->setContentMode(ContentMode::scaleAspectFit);
        s.btnImageZoomLand = make<Button>(*s.viewImageLand, "btnImageZoomLand", Rect(0, 0, half, picture));
        s.activityIndImageLand = spinner(*s.viewImageLand, "activityIndImageLand");
        s.webViewImageLand = make<WebView>(*s.viewImageLand, "webViewImageLand", Rect(half, 0, half, picture));
        s.constImageDescLand = constraint(*s.viewImageLand, s.webViewImageLand, LayoutAttribute::height, picture,
                                          "constImageDescLand");

        s.view360Land = hidden<View>(l, "view360Land", Rect(0, 0, frame.width(), frame.height()));
        s.img360Land = make<ImageView>(*s.view360Land, "img360Land", Rect(0, 0, half, picture));
        s.btnShow360Land = make<Button>(*s.view360Land, "btnShow360Land", Rect(0, 0, half, picture));
        s.webView360Land = make<WebView>(*s.view360Land, "webView360Land", Rect(half, 0, half, picture));
        s.activityInd360Land = spinner(*s.view360Land, "activityInd360Land");
        s.constImage360Land = constraint(*s.view360Land, s.webView360Land, LayoutAttribute::height, picture,
                                         "constImage360Land");

        s.viewAudioLand = hidden<View>(l, "viewAudioLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgAudioLand = make<ImageView>(*s.viewAudioLand, "imgAudioLand", Rect(0, 0, half, picture));
        s.btnAudioLand = make<Button>(*s.viewAudioLand, "btnAudioLand", Rect(0, 0, half, picture));
        s.activityIndAudioLand = spinner(*s.viewAudioLand, "activityIndAudioLand");
        s.lblAudioSourceLand = make<Label>(*s.viewAudioLand, "lblAudioSourceLand", Rect(half + 10, 10, half - 20, 40));
        s.viewAudioPlayerLand = make<View>(*s.viewAudioLand, "viewAudioPlayerLand", Rect(half + 10, 60, half - 20, 80));
        auto& player = *s.viewAudioPlayerLand;
        s.btnPlayAudioLand = make<Button>(player, "btnPlayAudioLand", Rect(10, 20, 40, 40));
        s.sliderAudioLand = make<Slider>(player, "sliderAudioLand", Rect(60, 20, half - 100, 40));
        s.lblAudioTimePlayedLand = make<Label>(player, "lblAudioTimePlayedLand", Rect(60, 55, 60, 20));
        s.lblAudioTimeRemainingLand = make<Label>(player, "lblAudioTimeRemainingLand", Rect(half - 100, 55, 60, 20));

        s.viewVideoLand = hidden<View>(l, "viewVideoLand", Rect(0, 0, frame.width(), frame.height()));
        s.imgVideoLand = make<ImageView>(*s.viewVideoLand, "imgVideoLand", Rect(0, 0, half, picture));
        s.activityIndVideoLand = spinner(*s.viewVideoLand, "activityIndVideoLand");
        s.btnVideoPlayLand = make<Button>(*s.viewVideoLand, "btnVideoPlayLand", Rect(0, 0, half, picture));
        s.lblVideoSourceLand = make<Label>(*s.viewVideoLand, "lblVideoSourceLand", Rect(half + 10, 10, half - 20, 40));
        s.lblVideoDurationLand =
            make<Label>(*s.viewVideoLand, "lblVideoDurationLand", Rect(half + 10, 50, half - 20, 30));
    }

    void buildBottomBar(View& root, double width, double height) {
        s.viewBottom = make<View>(root, "viewBottom", Rect(0, height - kBottomHeight, width, kBottomHeight));
        auto& b = *s.viewBottom;
        s.constBottomViewHeight =
            constraint(root, s.viewBottom, LayoutAttribute::height, kBottomHeight, "constBottomViewHeight");
        s.lblBGBottom = make<Label>(b, "lblBGBottom", Rect(0, 0, width, kBottomHeight));
        const double third = width / 3;
        s.btnPrev = make<Button>(b, "btnPrev", Rect(0, 0, third, 40));
        s.lblPrev = make<Label>(b, "lblPrev", Rect(0, 40, third, 20));
        s.btnShow = make<Button>(b, "btnShow", Rect(third, 0, third, 40));
        s.lblShow = make<Label>(b, "lblShow", Rect(third, 40, third, 20));
        s.btnNext = make<Button>(b, "btnNext", Rect(2 * third, 0, third, 40));
        s.lblNext = make<Label>(b, "lblNext", Rect(2 * third, 40, third, 20));
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
    struct Board {
        const char* name;
        DeviceIdiom idiom;
    };
    for (const Board board : {Board{"Main", DeviceIdiom::phone}, Board{"Main-ipad", DeviceIdiom::pad}}) {
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
