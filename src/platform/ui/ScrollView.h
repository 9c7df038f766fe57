#pragma once

#include "platform/ui/View.h"

namespace tq {

// A scrolling container: what it scrolls over (content size) and where it stands (content offset).
class ScrollView : public View {
public:
    using View::View;

    Size contentSize() const { return contentSize_; }
    void setContentSize(Size size) {
        contentSize_ = size;
        changed("contentSize");
    }
    Point contentOffset() const { return contentOffset_; }
    void setContentOffset(Point offset, bool animated = false) {
        contentOffset_ = offset;
        lastScrollAnimated_ = animated;
        changed("contentOffset");
        contentOffsetDidChange();
    }
    EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(EdgeInsets insets) {
        contentInset_ = insets;
        changed("contentInset");
    }
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) {
        scrollEnabled_ = enabled;
        changed("scrollEnabled");
    }
    bool showsVerticalScrollIndicator() const { return verticalIndicator_; }
    void setShowsVerticalScrollIndicator(bool shows) {
        verticalIndicator_ = shows;
        changed("showsVerticalScrollIndicator");
    }
    bool showsHorizontalScrollIndicator() const { return horizontalIndicator_; }
    void setShowsHorizontalScrollIndicator(bool shows) {
        horizontalIndicator_ = shows;
        changed("showsHorizontalScrollIndicator");
    }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) {
        bounces_ = bounces;
        changed("bounces");
    }
    // Back to the top, under the top inset.
    void scrollToTop(bool animated = false) { setContentOffset({0, -contentInset_.top}, animated); }
    bool lastScrollAnimated() const { return lastScrollAnimated_; }

    // A person drags the content to an offset: nothing moves while scrolling is off.
    bool scrollTo(Point offset) {
        if (!scrollEnabled_ || !isInteractiveInTree()) return false;
        setContentOffset(offset, false);
        return true;
    }

protected:
    Arrangement defaultArrangement() const override { return Arrangement::scroll(); }
    bool stretchesByDefault() const override { return true; }
    // A kind that builds what comes into sight (a table's rows) follows the offset here.
    virtual void contentOffsetDidChange() {}

private:
    Size contentSize_;
    Point contentOffset_;
    EdgeInsets contentInset_;
    bool scrollEnabled_ = true;
    bool verticalIndicator_ = true;
    bool horizontalIndicator_ = true;
    bool bounces_ = true;
    bool lastScrollAnimated_ = false;
};

}  // namespace tq
