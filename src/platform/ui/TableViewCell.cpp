#include "platform/ui/TableViewCell.h"

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
    imageView_->setFrame(Rect(15, 4, 36, 36));
    const bool twoLines = style == TableViewCellStyle::subtitle;
    textLabel_->setFrame(twoLines ? Rect(59, 4, 246, 20) : Rect(59, 0, 150, 44));
    detailTextLabel_->setFrame(twoLines ? Rect(59, 24, 246, 16) : Rect(209, 0, 96, 44));
}

}  // namespace tq
