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
}

}  // namespace tq
