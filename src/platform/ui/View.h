#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Arrangement.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Style.h"

namespace tq {

class View;
class LayoutConstraint;
class GestureRecognizer;
enum class SwipeDirection;

// The seam for a real renderer: an observer set on a view hears of every change made to that
// view or to any view below it. Nothing in the stand-in needs one; a desktop front end would
// mirror the tree through it.
class ViewObserver {
public:
    virtual ~ViewObserver() = default;
    // `property` names what changed ("text", "hidden", "frame", "subviews", ...).
    virtual void viewDidChange(View& view, std::string_view property) = 0;
};

enum class ContentMode { scaleToFill, scaleAspectFit, scaleAspectFill, center, top, bottom, left, right };

// A node of the headless view tree: it holds what the screens set on it and nothing is drawn.
// A renderer could mirror the tree later; tests read it directly.
class View : public std::enable_shared_from_this<View> {
public:
    View() = default;
    explicit View(Rect frame) : frame_(frame) {}
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    const Rect& frame() const { return frame_; }
    // Virtual so that a view with an engine behind it (a web page) can follow its size.
    virtual void setFrame(Rect frame);
    Rect bounds() const { return Rect(0, 0, frame_.width(), frame_.height()); }

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    int tag() const { return tag_; }
    void setTag(int tag);
    bool isUserInteractionEnabled() const { return userInteraction_; }
    void setUserInteractionEnabled(bool enabled);
    const std::optional<Color>& backgroundColor() const { return background_; }
    void setBackgroundColor(std::optional<Color> color);
    const std::optional<Color>& tintColor() const { return tint_; }
    void setTintColor(std::optional<Color> color);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    // The layer's masksToBounds / the view's clipsToBounds: one flag here.
    bool clipsToBounds() const { return clips_; }
    void setClipsToBounds(bool clips);
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width);
    const std::optional<Color>& borderColor() const { return borderColor_; }
    void setBorderColor(std::optional<Color> color);
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    const Transform& transform() const { return transform_; }
    void setTransform(Transform transform);
    const EdgeInsets& layoutMargins() const { return layoutMargins_; }
    void setLayoutMargins(EdgeInsets margins);
    // A name for tests and debugging (the outlet's name when a storyboard builds the view).
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) {
        identifier_ = std::move(identifier);
        changed("identifier");
    }

    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }
    void addSubview(std::shared_ptr<View> view);
    void insertSubview(std::shared_ptr<View> view, std::size_t index);
    void removeFromSuperview();
    void bringSubviewToFront(View& view);
    bool isDescendant(const View& ancestor) const;
    // Depth-first search of this view and its descendants.
    View* viewWithTag(int tag);
    View* viewWithIdentifier(const std::string& identifier);
    // Hidden here or in any ancestor.
    bool isVisibleInTree() const;
    // Whether a touch can reach this view: shown (hidden flag and alpha), and touches accepted
    // here and by every ancestor.
    bool isInteractiveInTree() const;

    // How this view places its subviews (see Arrangement.h). A view kind may have its own default
    // (a scroll view scrolls, a table view places its cells by frame); a screen declares the rest.
    Arrangement arrangement() const { return arrangement_ ? *arrangement_ : defaultArrangement(); }
    void setArrangement(Arrangement arrangement);
    // Whether this view takes a share of the spare length of the column or row that holds it (see
    // LayoutRules.h). Scroll, web and map views and screens' root views stretch unless told not to.
    bool stretches() const { return stretches_ ? *stretches_ : stretchesByDefault(); }
    void setStretches(bool stretches);
    bool declaresStretch() const { return stretches_.has_value(); }
    // The size the layout rules give this view when nothing else sizes it: a line of text, a
    // control's usual height. Zero on an axis means none (a plain view, a picture of unknown size).
    virtual Size naturalSize() const { return {}; }
    // Whether the view draws something of its own (a text, a picture, a control, a page or a map),
    // rather than being only a container or a coloured backdrop.
    virtual bool drawsContent() const { return false; }
    // Whether a renderer lays out and draws this view's subviews. A button draws itself from its
    // state; the title label and image view it makes when a screen asks for them are not drawn.
    virtual bool drawsSubviews() const { return true; }

    // Layout: there is no solver. A pass counts, and lets a view rearrange itself in `layoutSubviews`.
    void setNeedsLayout();
    void layoutIfNeeded();
    void setNeedsDisplay() { ++displayRequests_; }
    bool needsLayout() const { return needsLayout_; }
    int layoutRequests() const { return layoutRequests_; }
    int layoutPasses() const { return layoutPasses_; }
    int displayRequests() const { return displayRequests_; }

    // Constraints this view holds (as the platform keeps them on the common ancestor).
    void addConstraint(std::shared_ptr<LayoutConstraint> constraint);
    void removeConstraint(const LayoutConstraint& constraint);
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const { return constraints_; }
    // Searches this view and its descendants.
    std::shared_ptr<LayoutConstraint> constraintWithIdentifier(const std::string& identifier) const;

    void addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
    void removeGestureRecognizer(const GestureRecognizer& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return gestures_; }
    // A person swipes across the view: the first enabled swipe recognizer of that direction fires.
    bool swipe(SwipeDirection direction);
    // A person taps the view: the first enabled tap recognizer fires.
    bool tapGesture();

    // Tells the nearest observer on the way to the root. Every setter calls it; so do the things
    // shown with a view that are no views themselves (its constraints, a screen's navigation item).
    // A view attached to another (see below) reports through the view that holds it.
    void changed(std::string_view property);

    // Views shown with this one that are not among its subviews: a text field's left view and
    // keyboard accessory, a cell's selected background, a marker's callout views.
    const std::vector<View*>& attachedViews() const { return attached_; }

    // The renderer seam; see ViewObserver.
    void setObserver(std::shared_ptr<ViewObserver> observer) { observer_ = std::move(observer); }
    const std::shared_ptr<ViewObserver>& observer() const { return observer_; }

protected:
    // Puts `view` in `slot` in place of the view there, and attaches it: its changes are then
    // reported through this view. A view that would report back to itself is refused.
    void attach(std::shared_ptr<View>& slot, std::shared_ptr<View> view, std::string_view property);

    // The arrangement of a view kind until one is set.
    virtual Arrangement defaultArrangement() const { return {}; }
    virtual bool stretchesByDefault() const { return false; }
    // Subclasses arrange their subviews here; called by every layout pass.
    virtual void layoutSubviews() {}

private:
    // Where this view's reports go next: its superview, or else the view it is attached to.
    View* reportsTo() const { return superview_ ? superview_ : holder_; }

    Rect frame_;
    bool hidden_ = false;
    double alpha_ = 1.0;
    int tag_ = 0;
    bool userInteraction_ = true;
    std::optional<Color> background_;
    std::optional<Color> tint_;
    double cornerRadius_ = 0;
    bool clips_ = false;
    double borderWidth_ = 0;
    std::optional<Color> borderColor_;
    ContentMode contentMode_ = ContentMode::scaleToFill;
    Transform transform_;
    EdgeInsets layoutMargins_{8, 8, 8, 8};
    std::optional<Arrangement> arrangement_;
    std::optional<bool> stretches_;
    std::string identifier_;
    std::vector<std::shared_ptr<View>> subviews_;
    View* superview_ = nullptr;
    std::vector<View*> attached_;
    View* holder_ = nullptr;  // the view this one is attached to
    bool needsLayout_ = false;
    int layoutRequests_ = 0;
    int layoutPasses_ = 0;
    int displayRequests_ = 0;
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
    std::vector<std::shared_ptr<GestureRecognizer>> gestures_;
    std::shared_ptr<ViewObserver> observer_;
};

// What an image view shows: a bundle image by name, a local file, a remote address or bytes. A
// loaded picture keeps both its source (the file or the address it came from, in `name`) and the
// bytes it was read from; a renderer draws the bytes when there are some, and reads the source
// only when there are none. Two pictures are equal when source, name and bytes are.
struct Image {
    enum class Source { bundle, file, remote, data };
    Source source = Source::bundle;
    std::string name;  // bundle name, file path or address
    std::shared_ptr<const std::string> bytes;
    int pixelWidth = 0;
    int pixelHeight = 0;
    static Image named(std::string name) { return {Source::bundle, std::move(name), nullptr, 0, 0}; }
    static Image file(std::string path) { return {Source::file, std::move(path), nullptr, 0, 0}; }
    bool operator==(const Image& o) const {
        if (source != o.source || name != o.name) return false;
        if (bytes == o.bytes) return true;
        return bytes && o.bytes && *bytes == *o.bytes;
    }
};

class ImageView : public View {
public:
    using View::View;
    // A picture of known pixel size has that size; one of unknown size (a bundle name) needs a size
    // from its container, a size request or a frame.
    Size naturalSize() const override {
        if (!image_ || image_->pixelWidth <= 0 || image_->pixelHeight <= 0) return {};
        return {double(image_->pixelWidth), double(image_->pixelHeight)};
    }
    bool drawsContent() const override { return image_.has_value(); }
    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image) {
        image_ = std::move(image);
        changed("image");
    }

private:
    std::optional<Image> image_;
};

// Finds the first view of type T with the identifier in the tree below (and including) root.
template <class T>
T* findView(View& root, const std::string& identifier) {
    return dynamic_cast<T*>(root.viewWithIdentifier(identifier));
}

}  // namespace tq
