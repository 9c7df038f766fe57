#pragma once

#include <memory>
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

namespace tq {

enum class TableViewCellStyle { defaultStyle, value1, value2, subtitle };
enum class CellAccessoryType { none, disclosureIndicator, detailDisclosureButton, checkmark, detailButton };
enum class CellSelectionStyle { none, blue, gray, defaultStyle };

// A row of a table. Its labels and image view live in the content view; subclasses add their own
// outlets there (a factory builds them, then `awakeFromNib` runs once).
class TableViewCell : public View {
public:
    explicit TableViewCell(TableViewCellStyle style = TableViewCellStyle::defaultStyle, std::string reuseIdentifier = {});

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    TableViewCellStyle style() const { return style_; }
    View& contentView() { return *contentView_; }
    Label& textLabel() { return *textLabel_; }
    Label& detailTextLabel() { return *detailTextLabel_; }
    ImageView& imageView() { return *imageView_; }

    CellAccessoryType accessoryType() const { return accessory_; }
    void setAccessoryType(CellAccessoryType type) {
        accessory_ = type;
        changed("accessoryType");
    }
    CellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(CellSelectionStyle style) {
        selectionStyle_ = style;
        changed("selectionStyle");
    }
    const std::shared_ptr<View>& selectedBackgroundView() const { return selectedBackground_; }
    void setSelectedBackgroundView(std::shared_ptr<View> view) {
        attach(selectedBackground_, std::move(view), "selectedBackgroundView");
    }
    const EdgeInsets& separatorInset() const { return separatorInset_; }
    void setSeparatorInset(EdgeInsets insets) {
        separatorInset_ = insets;
        changed("separatorInset");
    }

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated = false) {
        (void)animated;
        selected_ = selected;
        changed("selected");
    }
    bool isEditing() const { return editing_; }
    void setEditing(bool editing) {
        editing_ = editing;
        changed("editing");
    }

    // The content view takes the cell's size, and the standard views follow its width.
    void setFrame(Rect frame) override;

    // Runs once, after the factory that built the cell, as a cell loaded from a layout file would.
    virtual void awakeFromNib() {}
    // Runs when the table hands out this cell again for another row.
    virtual void prepareForReuse() {}

protected:
    // The content view took a new size: a cell that places its own views at frames follows it here.
    virtual void contentViewDidResize(Size size) { (void)size; }

private:
    friend class TableView;
    void placeStandardViews();
    std::string reuseIdentifier_;
    TableViewCellStyle style_;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<ImageView> imageView_;
    CellAccessoryType accessory_ = CellAccessoryType::none;
    CellSelectionStyle selectionStyle_ = CellSelectionStyle::defaultStyle;
    std::shared_ptr<View> selectedBackground_;
    EdgeInsets separatorInset_;
    bool selected_ = false;
    bool editing_ = false;
};

}  // namespace tq
