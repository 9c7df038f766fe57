#include "platform/ui/TableViewCell.h"

#include <algorithm>

namespace tq {

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(Rect(0, 0, 320, 44)),
      reuseIdentifier_(std::move(reuseIdentifier)),
      style_(style),
      contentView_(std::make_shared<View>(Rect(0, 0, 320, 44))),
      textLabel_(std::make_shared<Label>()),
      detailTextLabel_(std::make_shared<Label>()),
      imageView_(std::make_shared<ImageView>()) {
    // Attaching needs no shared ownership of the cell, so it can happen here.
    addSubview(contentView_);
    contentView_->addSubview(imageView_);
    contentView_->addSubview(textLabel_);
    contentView_->addSubview(detailTextLabel_);
    // The content view fills the cell; its standard views sit at frames of their own, as do the
    // outlets a subclass adds.
    setArrangement(Arrangement::overlay());
    contentView_->setArrangement(Arrangement::fixed());
    placeStandardViews();
}

void TableViewCell::setFrame(Rect frame) {
    View::setFrame(frame);
    contentView_->setFrame(bounds());
    placeStandardViews();
    contentViewDidResize(bounds().size);
}

// The picture 15 points in, the texts after it to 15 points from the far edge: a subtitle under
// the title, or a detail at the end of the title's line.
void TableViewCell::placeStandardViews() {
    const double width = contentView_->frame().width();
    const double height = contentView_->frame().height();
    imageView_->setFrame(Rect(15, std::max(0.0, (height - 36) / 2), 36, 36));
    const double textWidth = std::max(0.0, width - 59 - 15);
    if (style_ == TableViewCellStyle::subtitle) {
        textLabel_->setFrame(Rect(59, 4, textWidth, 20));
        detailTextLabel_->setFrame(Rect(59, 24, textWidth, 16));
    } else {
        const double detailWidth = std::min(96.0, textWidth / 3);
        textLabel_->setFrame(Rect(59, 0, textWidth - detailWidth, height));
        detailTextLabel_->setFrame(Rect(59 + textWidth - detailWidth, 0, detailWidth, height));
    }
}

}  // namespace tq
