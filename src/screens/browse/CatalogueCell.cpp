#include "screens/browse/CatalogueCell.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "app/AppDelegate.h"
#include "product/ProductSites.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"
#include "platform/ui/ImageLoader.h"
#include "platform/ui/LayoutBuilder.h"
#include "platform/ui/StackView.h"
#include "platform/ui/TableView.h"
#include "storage/TourFiles.h"
#include "ui/common/LanguageNames.h"

namespace tq {
namespace {

constexpr double kRowHeightWithoutDistance = 105;
constexpr double kSelectedGrey = 0.859375;
constexpr double kLanguageFontSize = 15;
constexpr float kMilesPerKilometre = 0.62137f;

// The language versions in the order the line lists them.
const std::array<const char*, 15> kLanguageVersions = {"en", "es", "fr", "ru", "it", "de", "pt", "tr",
                                                       "tw", "el", "ar", "ja", "cn", "pl", "ko"};

AttributedString languagePart(const std::string& text, FontWeight weight) {
    AttributedString part;
    part.text = text;
    part.font = Font::system(kLanguageFontSize, weight);
    part.foregroundColor = Color::black();
    part.alignment = TextAlignment::left;
    part.lineBreakMode = LineBreakMode::byTruncatingTail;
    return part;
}

std::string valueOr(const std::optional<std::string>& text) { return text.value_or(""); }

// A present, non-empty text.
bool hasText(const std::optional<std::string>& text) { return text && !text->empty(); }

template <class T>
std::shared_ptr<T> addOutlet(View& parent, const std::string& name, Rect frame = {}) {
    if (auto* stack = dynamic_cast<StackView*>(&parent)) {
        auto view = std::make_shared<T>();
        view->setIdentifier(name);
        stack->addArrangedSubview(view);
        return view;
    }
    return addView<T>(parent, name, frame);
}

}  // namespace

std::optional<std::string> catalogueDistanceValue(const std::string& distance, const std::string& unit) {
    auto kilometres = parseDouble(distance);
    if (!kilometres) return std::nullopt;
    if (unit == "km") return distance;
    char text[64];
    float miles = static_cast<float>(*kilometres) * kMilesPerKilometre;
    std::snprintf(text, sizeof text, "%5.2f", static_cast<double>(miles));
    return std::string(text);
}

void CatalogueCell::registerIn(TableView& table) {
    table.registerCell(cellIdentifier, [] { return std::make_shared<CatalogueCell>(); });
}

CatalogueCell::CatalogueCell() : TableViewCell(TableViewCellStyle::defaultStyle, cellIdentifier), app(AppDelegate::shared()) {
    buildLayout();
}

// The cell's layout as its layout file holds it: a row of the thumbnail's column, as wide as its
// constraints say, and a column that takes the rest of the width: the texts, then the two rating
// rows. The standard views of a cell are not used.
void CatalogueCell::buildLayout() {
    auto& content = contentView();
    const double width = 320;
    content.setFrame(Rect(0, 0, width, kRowHeightWithoutDistance));
    for (View* standard : {static_cast<View*>(&textLabel()), static_cast<View*>(&detailTextLabel()),
                           static_cast<View*>(&imageView())}) {
        standard->setHidden(true);
    }
    content.setArrangement(Arrangement::row(8, Alignment::leading));
    auto left = addOutlet<StackView>(content, "stackLeft", Rect(8, 8, 88, 88));
    left->setAxis(LayoutAxis::vertical);
    offsetConstraint(content, left, LayoutAttribute::leading, LayoutAnchor::containerEdge, 8, "stackLeftLeading");
    offsetConstraint(content, left, LayoutAttribute::top, LayoutAnchor::containerEdge, 8, "stackLeftTop");
    auto texts = addOutlet<View>(content, "stackTexts");
    texts->setArrangement(Arrangement::column(2).packed(Pack::start));
    texts->setStretches(true);
    offsetConstraint(content, texts, LayoutAttribute::top, LayoutAnchor::containerEdge, 4, "stackTextsTop");
    offsetConstraint(content, texts, LayoutAttribute::trailing, LayoutAnchor::containerEdge, 8, "stackTextsTrailing");
    thumbnail = addOutlet<ImageView>(*left, "thumbnail");
    thumbnail->setContentMode(ContentMode::scaleAspectFill);
    thumbnail->setClipsToBounds(true);

    auto right = addOutlet<StackView>(*texts, "stackRight");
    right->setAxis(LayoutAxis::vertical);
    right->setArrangement(right->arrangement().packed(Pack::start));
    lblTitle = addOutlet<Label>(*right, "lblTitle");
    lblTitle->setNumberOfLines(2);
    lblTitle->setFont(Font::system(15, FontWeight::semibold));
    lblLanguage = addOutlet<Label>(*right, "lblLanguage");
    lblCity = addOutlet<Label>(*right, "lblCity");
    lblDistanceFrom = addOutlet<Label>(*right, "lblDistanceFrom");
    for (const auto& line : {lblCity, lblDistanceFrom}) line->setFont(Font::system(13));

    auto ratingRow = [&](const std::string& suffix, std::shared_ptr<View>& row, std::shared_ptr<Label>& notRated,
                         std::shared_ptr<StarRatingView>& stars, std::shared_ptr<ImageView>& badge,
                         std::shared_ptr<Label>& size, std::shared_ptr<Button>& update) {
        row = addOutlet<View>(*texts, "viewRatingBottom" + suffix);
        sizeConstraint(*texts, row, LayoutAttribute::height, 20, "viewRatingBottom" + suffix + "Height");
        row->setArrangement(Arrangement::row(6, Alignment::center).packed(Pack::start));
        notRated = addOutlet<Label>(*row, "lblNotRated" + suffix);
        stars = addOutlet<StarRatingView>(*row, "ratingView" + suffix);
        stars->setEditable(false);
        badge = addOutlet<ImageView>(*row, "imgNetwork" + suffix);
        size = addOutlet<Label>(*row, "lblSize" + suffix);
        update = addOutlet<Button>(*row, "btnUpdate" + suffix);
        update->setHidden(true);
        update->addAction(ControlEvent::touchUpInside, [this](Control& sender) {
            updateTourWithSender(static_cast<Button&>(sender));
        });
    };
    ratingRow("", viewRatingBottom, lblNotRated, ratingView, imgNetwork, lblSize, btnUpdate);
    ratingRow("Land", viewRatingBottomLand, lblNotRatedLand, ratingViewLand, imgNetworkLand, lblSizeLand, btnUpdateLand);

    constHeightLeftView = sizeConstraint(content, left, LayoutAttribute::height, 88, "constHeightLeftView");
    constHeightImage = sizeConstraint(content, thumbnail, LayoutAttribute::height, 88, "constHeightImage");
    constWidthStackLeft = sizeConstraint(content, left, LayoutAttribute::width, 200, "constWidthStackLeft");
    constWidthtImage = sizeConstraint(content, thumbnail, LayoutAttribute::width, 200, "constWidthtImage");
}

void CatalogueCell::awakeFromNib() {
    TableViewCell::awakeFromNib();
    thumbnail->setCornerRadius(5);
    ratingView->setFillMode(StarFillMode::precise);
    ratingViewLand->setFillMode(StarFillMode::precise);
}

AttributedString CatalogueCell::languageLine() const {
    const std::string own = tour ? valueOr(tour->language) : std::string();
    AttributedString line = languagePart(languageName(own), FontWeight::semibold);
    if (!tour || app.isMyTour) return line;
    for (const char* code : kLanguageVersions) {
        const auto id = versionIdentifier(*tour, code);
        if (!id || *id == "0" || code == own) continue;
        line.append(languagePart(std::string(" | ") + languageName(code), FontWeight::regular));
    }
    return line;
}

void CatalogueCell::configureCell() {
    if (!tour) return;
    lblLanguage->setAttributedText(languageLine());
    lblTitle->setText(valueOr(tour->title));
    lblNotRated->setText(app.text("NotRated"));
    lblNotRatedLand->setText(app.text("NotRated"));
    btnUpdate->setHidden(true);
    btnUpdateLand->setHidden(true);
    showPlace();
    if (app.isMyTour) showDownloadedTourControls();

    auto selected = std::make_shared<View>();
    selected->setBackgroundColor(Color{kSelectedGrey, kSelectedGrey, kSelectedGrey, 1});
    setSelectedBackgroundView(selected);

    showThumbnail();
    showRatingState();
    showDistance();
    setNeedsLayout();
}

void CatalogueCell::showPlace() {
    if (app.isMyTour) {
        std::string place = tour->city ? valueOr(tour->city->name) : std::string();
        if (tour->city && hasText(tour->city->country_name)) place += ", " + *tour->city->country_name;
        lblCity->setText(place);
        return;
    }
    std::optional<std::string> city, state, country;
    std::string badge;
    if (app.tempLang == kFrench) {
        city = tour->city_name_fr, state = tour->state_name_fr, country = tour->country_nom_fr;
        badge = "network-fr.png";
    } else if (app.tempLang == kSpanish) {
        city = tour->city_name_es ? tour->city_name_es.get() : tour->city_name_en.get();
        state = tour->state_name_es, country = tour->country_nom_es;
        badge = "network-esp.png";
    } else {
        city = tour->city_name_en, state = tour->state_name_en, country = tour->country_nom_en;
        badge = "network-en.png";
    }
    std::string place = valueOr(city);
    if (state) place += " (" + *state + ")";
    if (country) place += ", " + *country;
    lblCity->setText(place);
    imgNetwork->setImage(Image::named(badge));
    imgNetworkLand->setImage(Image::named(badge));
}

void CatalogueCell::showDownloadedTourControls() {
    for (const auto& size : {lblSize, lblSizeLand}) {
        if (size) size->setText(app.text("Size:"));
    }
    // An identifier that is not a whole number gives tag 0, which no update can be asked for.
    int tag = parseInt32(tour->circuit_id.value_or("0")).value_or(0);
    for (const auto& button : {btnUpdate, btnUpdateLand}) {
        button->setTitle(app.text("Update"), ControlState::normal);
        button->setTag(tag);
    }
}

void CatalogueCell::showThumbnail() {
    auto& env = Environment::current();
    if (!app.isMyTour) {
        if (!tour->circuit_imagepath) {
            thumbnail->setImage(std::nullopt);
            return;
        }
        std::string path = *tour->circuit_imagepath;
        for (auto at = path.find("resized"); at != std::string::npos; at = path.find("resized", at + 7)) {
            path.replace(at, 7, "thumbHD");
        }
        env.shared<ImageLoader>().setImage(thumbnail, std::string("https://") + ProductSites::french + "/" + path);
        return;
    }
    std::optional<std::filesystem::path> file;
    if (tour->circuit_imagepath == "images/default_image.png") {
        file = env.bundle().pathForResource("default_image", "png");
    } else {
        file = TourFiles(env.cacheDir()).mainImage(valueOr(tour->circuit_id), valueOr(tour->circuit_imagepath));
    }
    std::error_code error;
    if (file && std::filesystem::is_regular_file(*file, error)) {
        thumbnail->setImage(Image::file(file->string()));
    } else {
        thumbnail->setImage(std::nullopt);
    }
}

void CatalogueCell::showRatingState() {
    const bool head = isFlagSet(tour->is_circuit_head);
    const bool notRated = !head && tour->rating_total_score == "0";
    const bool rated = !head && !notRated;
    const bool update = app.isMyTour && !head && tour->needUpdate == "1" && btnUpdate->tag() != 0;
    for (const auto& label : {lblNotRated, lblNotRatedLand}) label->setHidden(!notRated || update);
    for (const auto& stars : {ratingView, ratingViewLand}) {
        stars->setHidden(!rated || update);
        if (rated) stars->setRating(tour->rating.value_or(0));
    }
    for (const auto& badge : {imgNetwork, imgNetworkLand}) badge->setHidden(!head);
    for (const auto& button : {btnUpdate, btnUpdateLand}) button->setHidden(!update);
}

void CatalogueCell::showDistance() {
    auto value = tour->distance ? catalogueDistanceValue(*tour->distance, app.distanceUnit) : std::nullopt;
    if (!value) {
        lblDistanceFrom->setHidden(true);
        auto& content = contentView();
        content.setFrame(Rect(0, 0, content.frame().width(), kRowHeightWithoutDistance));
        return;
    }
    lblDistanceFrom->setHidden(false);
    lblDistanceFrom->setText(*value + (app.distanceUnit == "km" ? " km " : " Mi ") + app.text("FromMe"));
}

void CatalogueCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    auto& env = Environment::current();
    const Size screen = env.device().screenBounds;
    const bool landscape = screen.height < screen.width;
    viewRatingBottom->setHidden(landscape);
    viewRatingBottomLand->setHidden(screen.width < screen.height);
    if (env.device().idiom != DeviceIdiom::pad) return;
    constHeightLeftView->setConstant(landscape ? 110 : 88);
    constHeightImage->setConstant(landscape ? 110 : 88);
    constWidthStackLeft->setConstant(landscape ? 250 : 200);
    constWidthtImage->setConstant(landscape ? 250 : 200);
}

void CatalogueCell::updateTourWithSender(Button& sender) {
    if (auto delegate = cellDelegate.lock()) delegate->confirmTourUpdate(sender);
}

}  // namespace tq
