#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Geometry.h"
#include "platform/ui/Style.h"

namespace tq {

// A node of the headless view tree: it holds what the screens set on it and nothing is drawn.
// A renderer could mirror the tree later; tests read it directly.
class View : public std::enable_shared_from_this<View> {
public:
    View() = default;
    explicit View(Rect frame) : frame_(frame) {}
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    const Rect& frame() const { return frame_; }
    // Virtual so that a view with an engine behind it (a web page) can follow its size.
    virtual void setFrame(Rect frame) { frame_ = frame; }
    Rect bounds() const { return Rect(0, 0, frame_.width(), frame_.height()); }

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha) { alpha_ = alpha; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteraction_; }
    void setUserInteractionEnabled(bool enabled) { userInteraction_ = enabled; }
    const std::optional<Color>& backgroundColor() const { return background_; }
    void setBackgroundColor(std::optional<Color> color) { background_ = color; }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    // A name for tests and debugging (the outlet's name when a storyboard builds the view).
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }
    void addSubview(std::shared_ptr<View> view);
    void removeFromSuperview();
    // Depth-first search of this view and its descendants.
    View* viewWithTag(int tag);
    View* viewWithIdentifier(const std::string& identifier);
    // Hidden here or in any ancestor.
    bool isVisibleInTree() const;

    void setNeedsLayout() { ++layoutRequests_; }
    void layoutIfNeeded() { ++layoutPasses_; }
    void setNeedsDisplay() { ++displayRequests_; }
    int layoutRequests() const { return layoutRequests_; }
    int layoutPasses() const { return layoutPasses_; }
    int displayRequests() const { return displayRequests_; }

private:
    Rect frame_;
    bool hidden_ = false;
    double alpha_ = 1.0;
    int tag_ = 0;
    bool userInteraction_ = true;
    std::optional<Color> background_;
    double cornerRadius_ = 0;
    std::string identifier_;
    std::vector<std::shared_ptr<View>> subviews_;
    View* superview_ = nullptr;
    int layoutRequests_ = 0;
    int layoutPasses_ = 0;
    int displayRequests_ = 0;
};

// What an image view shows: a bundle image by name, a local file, a remote address or decoded bytes.
struct Image {
    enum class Source { bundle, file, remote, data };
    Source source = Source::bundle;
    std::string name;  // bundle name, file path or address
    std::shared_ptr<const std::string> bytes;
    int pixelWidth = 0;
    int pixelHeight = 0;
    static Image named(std::string name) { return {Source::bundle, std::move(name), nullptr, 0, 0}; }
    static Image file(std::string path) { return {Source::file, std::move(path), nullptr, 0, 0}; }
    bool operator==(const Image& o) const { return source == o.source && name == o.name; }
};

class ImageView : public View {
public:
    using View::View;
    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image) { image_ = std::move(image); }

private:
    std::optional<Image> image_;
};

}  // namespace tq
